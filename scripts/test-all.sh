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
