#!/usr/bin/env bash
# Converts every sample and every conversion test scene to .glb and .gltf
# (images in the file, beside it, as data URIs; and to .glb without merging
# equal points) and runs the glTF validator, with its loader of external
# resources, on all of them. Fails on any conversion failure and on any
# validator error or warning.
# usage: validate-scenes.sh KVD SCENE_WRITER SAMPLES FOLDER
# (FOLDER holds the installed validator, see install-validator.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kvd=$1 writer=$2 samples=$3 folder=$4
work="$folder/scenes"
bash "$here/convert-scenes.sh" "$kvd" "$writer" "$samples" "$work"
# As a mesh too large for merging equal points is written.
mkdir -p "$work/unmerged"
for scene in "$work"/scenes/*.kvd; do
    name=$(basename "${scene%.kvd}")
    "$kvd" convert --quiet --merge-vertex-limit 0 "$scene" "$work/unmerged/$name.glb" 2> "$work/unmerged/$name.glb.log"
done
NODE_PATH="$folder/node_modules" node "$here/validate.cjs" "$work"/glb/*.glb "$work"/gltf/*.gltf "$work"/embed/*.gltf \
    "$work"/unmerged/*.glb
