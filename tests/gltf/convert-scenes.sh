#!/usr/bin/env bash
# Writes the samples and the conversion test scenes, with the images they
# name, into WORK/scenes, and converts each the three ways a glTF can carry
# its images: WORK/glb (in the binary chunk), WORK/gltf (files beside it)
# and WORK/embed (data URIs). Each output has its own folder apart from the
# scenes, so it works only with the images it was given. What the tool says
# about a conversion is kept in OUTPUT.log beside it.
# usage: convert-scenes.sh KVD SCENE_WRITER SAMPLES WORK
set -euo pipefail
kvd=$1 writer=$2 samples=$3 work=$4
rm -rf "$work"
mkdir -p "$work/scenes" "$work/glb" "$work/gltf" "$work/embed"
cp -R "$samples"/. "$work/scenes/"
"$writer" "$work/scenes" "$samples"

for scene in "$work"/scenes/*.kvd; do
    name=$(basename "${scene%.kvd}")
    "$kvd" convert --quiet "$scene" "$work/glb/$name.glb" 2> "$work/glb/$name.glb.log"
    "$kvd" convert --quiet "$scene" "$work/gltf/$name.gltf" 2> "$work/gltf/$name.gltf.log"
    "$kvd" convert --quiet --embed "$scene" "$work/embed/$name.gltf" 2> "$work/embed/$name.gltf.log"
done
