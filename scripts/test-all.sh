#!/usr/bin/env bash
# Configures, builds and runs every test in every preset. The one command
# for checking the whole project: ./scripts/test-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in default asan; do
    echo "== preset $preset =="
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

# Windows: QUENDARIL.dll and zerna.exe cross-built with MinGW-w64, then driven
# under Wine in a virtual display as a person would. Uses kvd and the scene
# writer of the default preset; screenshots and traces in build-win64/wine-test.
echo "== preset win64 =="
cmake --preset win64
cmake --build --preset win64
timeout --kill-after=30 420 tests/wine/run_wine_test.sh build-win64/bin build/bin
