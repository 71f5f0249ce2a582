#!/usr/bin/env bash
# Converts every sample and every conversion test scene to .glb and .gltf
# (and to .glb without merging equal points) beside the texture images they name, and runs the glTF validator on all of
# them. Fails on any conversion failure or any validator error.
# usage: validate-scenes.sh KVD SCENE_WRITER SAMPLES FOLDER
# (FOLDER holds the installed validator, see install-validator.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kvd=$1 writer=$2 samples=$3 folder=$4
work="$folder/scenes"
rm -rf "$work"
mkdir -p "$work"
cp -R "$samples"/. "$work/"
"$writer" "$work" "$samples"

outputs=()
for scene in "$work"/*.kvd; do
    for extension in glb gltf; do
        output="${scene%.kvd}.$extension"
        "$kvd" convert --quiet "$scene" "$output"
        outputs+=("$output")
    done
    # As a mesh too large for merging equal points is written.
    output="${scene%.kvd}.unmerged.glb"
    "$kvd" convert --quiet --merge-vertex-limit 0 "$scene" "$output"
    outputs+=("$output")
done
NODE_PATH="$folder/node_modules" node "$here/validate.cjs" "${outputs[@]}"
