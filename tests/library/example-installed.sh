#!/usr/bin/env bash
# Installs the library into a fresh prefix, builds examples/scene_summary.c
# against the installed package three ways (CMake's find_package with the
# shared and with the static library, and pkg-config), and runs each on the
# sample: each must print what house-summary.txt holds.
# Usage: example-installed.sh BUILD_DIR SOURCE_DIR WORK_DIR [C_FLAGS]
#   C_FLAGS: flags the example is built with (the sanitizers of the build)
set -u
usage='usage: example-installed.sh BUILD_DIR SOURCE_DIR WORK_DIR [C_FLAGS]'
build=$(cd "${1:?$usage}" && pwd) || exit 2
source=$(cd "${2:?$usage}" && pwd) || exit 2
work=${3:?$usage}
cflags=${4:-}
expected=$source/tests/library/house-summary.txt
sample=$source/samples/house.kvd

rm -rf "$work"
mkdir -p "$work" && work=$(cd "$work" && pwd)
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
for file in include/kvd.h; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
pc=$(find "$prefix" -name kvd.pc | head -n 1)
[ -n "$pc" ] || { echo "FAIL: kvd.pc was not installed"; exit 1; }
libdir=$(dirname "$(dirname "$pc")")
for file in libkvd.so libkvd.so.1 libkvd.a cmake/kvd/kvdConfig.cmake; do
    [ -e "$libdir/$file" ] || fail "$file was not installed in $libdir"
done

# check NAME OUTPUT: the example's output against the expected summary.
check() {
    if ! diff -u "$expected" "$2" >"$work/$1.diff"; then
        fail "the example built with $1 printed something else:"
        cat "$work/$1.diff"
    else
        echo "-- $1: the example printed the expected summary"
    fi
}

for kind in shared static; do
    static=OFF
    [ $kind = static ] && static=ON
    if cmake -S "$source/examples" -B "$work/cmake-$kind" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_PREFIX_PATH="$prefix" -DKVD_EXAMPLE_STATIC=$static \
            -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$cflags" \
            -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >"$work/cmake-$kind.log" 2>&1 &&
       cmake --build "$work/cmake-$kind" >>"$work/cmake-$kind.log" 2>&1; then
        "$work/cmake-$kind/scene_summary" "$sample" >"$work/cmake-$kind.txt" 2>&1 ||
            fail "the example built with CMake ($kind) failed"
        check "cmake-$kind" "$work/cmake-$kind.txt"
    else
        cat "$work/cmake-$kind.log"
        fail "the example did not build with CMake ($kind)"
    fi
done

export PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046,SC2086
if cc -std=c99 -Wall -Wextra -pedantic -Werror $cflags $(pkg-config --cflags kvd) \
        "$source/examples/scene_summary.c" -o "$work/pkg-config-summary" $(pkg-config --libs kvd) -lm \
        >"$work/pkg-config.log" 2>&1; then
    LD_LIBRARY_PATH=$libdir "$work/pkg-config-summary" "$sample" >"$work/pkg-config.txt" 2>&1 ||
        fail "the example built with pkg-config failed"
    check pkg-config "$work/pkg-config.txt"
else
    cat "$work/pkg-config.log"
    fail "the example did not build with pkg-config"
fi

[ $failures = 0 ] || exit 1
echo "the installed package builds and runs the example three ways"
