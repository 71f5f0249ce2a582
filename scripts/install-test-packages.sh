#!/usr/bin/env bash
# Installs what the build and every test need on a Debian 12 machine, when
# run as root; otherwise names the missing packages and the apt-get line.
# Called by scripts/test-all.sh, so the test command alone sets a fresh
# machine up.
set -euo pipefail

packages=(cmake ninja-build g++ make pkg-config ca-certificates
          libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
          libtinygltf-dev libtinyobjloader-dev nlohmann-json3-dev libsodium-dev libmeshoptimizer-dev libstb-dev libtiff-dev
          zlib1g-dev libosmesa6-dev
          libassimp-dev assimp-utils python3
          clang lld llvm libclang-rt-14-dev valgrind time
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 wine32 fonts-wine fonts-wqy-microhei
          libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1
          xvfb xauth xdotool x11-xkb-utils imagemagick locales
          # Blender imports the converted test scenes (its glTF importer needs NumPy).
          blender python3-numpy
          # The Python package: built offline with Debian's setuptools into a
          # fresh virtual environment and tested with pytest.
          python3-venv python3-setuptools python3-wheel python3-pytest
          # The browser viewer: compiled to WebAssembly, tested in headless Chromium.
          emscripten chromium)
# The glTF validator runs on Node.js; Debian's when none is installed.
command -v npm > /dev/null || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
# Wine's code page follows the Unix locale: the Windows test runs in
# zh_CN.UTF-8 so that the GBK texts show as Chinese.
needs_locale=0
locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8' || needs_locale=1

if [ ${#missing[@]} -eq 0 ] && [ $needs_locale = 0 ]; then
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "test-all: missing packages; install them as root first:" >&2
    # wine32 is an i386 package.
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install ${missing[*]}" >&2
    [ $needs_locale = 0 ] || echo "  and generate the zh_CN.UTF-8 locale (/etc/locale.gen, locale-gen)" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    # 32-bit Wine runs the x86 hosts of the Windows test.
    dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" > /tmp/test-apt.log 2>&1 ||
        { tail -50 /tmp/test-apt.log; exit 1; }
fi
if [ $needs_locale = 1 ]; then
    sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    locale-gen > /tmp/test-locale.log 2>&1 || { tail -20 /tmp/test-locale.log; exit 1; }
fi
