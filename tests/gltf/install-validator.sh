#!/usr/bin/env bash
# Installs the glTF validator, pinned by package-lock.json, into FOLDER
# (a build folder, so the source tree stays clean). Does nothing when that
# exact lock is installed already.
# usage: install-validator.sh FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$1
mkdir -p "$folder"
if cmp -s "$here/package-lock.json" "$folder/package-lock.json" &&
   [ -f "$folder/node_modules/gltf-validator/package.json" ]; then
    exit 0
fi
cp "$here/package.json" "$here/package-lock.json" "$folder/"
cd "$folder"
npm ci --no-audit --no-fund --loglevel=error
