#!/usr/bin/env bash
# Builds the browser viewer with its own preset (web, into build-web/) for
# the tests that use it. Exits 77 (skipped) when emscripten is not installed.
# usage: build-site.sh SOURCE_DIR
set -euo pipefail
cd "$1"
if ! command -v em++ > /dev/null; then
    echo "skipped: emscripten is not installed (Debian package emscripten)"
    exit 77
fi
cmake --preset web
cmake --build --preset web
