#!/usr/bin/env bash
# Configures, builds and runs every test in every preset. The one command
# for checking the whole project: ./scripts/test-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-test-packages.sh

for preset in default asan; do
    echo "== preset $preset =="
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

# Windows: QUENDARIL.dll for x86 and x64, each with its stand-in hosts built
# by MinGW and in Microsoft's C++ ABI, then driven under Wine in a virtual
# display as a person would. Uses kvd and the scene writer of the default
# preset; screenshots and traces in build-win64/wine-test.
for preset in win32 win64; do
    echo "== preset $preset =="
    cmake --preset "$preset"
    cmake --build --preset "$preset"
done
timeout --kill-after=30 420 tests/wine/run_wine_test.sh build-win32/bin build-win64/bin build/bin
# kvd.dll and the cross-built example under Wine, against the Linux example.
timeout --kill-after=30 420 tests/library/example-wine.sh build-win64/bin build/bin . build-win64/library-wine || [ $? -eq 77 ]
