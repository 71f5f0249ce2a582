#!/usr/bin/env bash
# The main job in one command: on a fresh Debian 12 machine, installs what
# the kvd tool needs (when run as root), builds it, converts the bundled
# sample scene to glTF 2.0 and prints the sample's summary.
#
# usage: ./scripts/quickstart.sh [SCENE.kvd]
# The .glb and the texture images it names land in build-quickstart/out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scene=${1:-samples/house.kvd}
build=build-quickstart
out=$build/out

packages=(cmake ninja-build g++ pkg-config libcli11-dev nlohmann-json3-dev libsodium-dev
          libmeshoptimizer-dev libstb-dev libtiff-dev zlib1g-dev libosmesa6-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "quickstart: missing packages; install them as root first:" >&2
        echo "  apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "== installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" > /tmp/quickstart-apt.log 2>&1 ||
        { tail -30 /tmp/quickstart-apt.log; exit 1; }
fi

echo "== building kvd in $build/"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKVD_BUILD_TESTS=OFF -DKVD_BUILD_BENCH=OFF > /tmp/quickstart-build.log 2>&1 ||
    { tail -30 /tmp/quickstart-build.log; exit 1; }
cmake --build "$build" --target kvd >> /tmp/quickstart-build.log 2>&1 ||
    { tail -30 /tmp/quickstart-build.log; exit 1; }

# The .glb holds the texture images, found from the scene's folder.
mkdir -p "$out"
name=$(basename "$scene" .kvd)

echo "== $build/bin/kvd convert $scene $out/$name.glb"
"$build/bin/kvd" convert "$scene" "$out/$name.glb"
echo "== $build/bin/kvd info $scene"
"$build/bin/kvd" info "$scene"
