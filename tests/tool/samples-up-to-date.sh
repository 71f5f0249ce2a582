#!/usr/bin/env bash
# The committed samples are exactly what the generator makes today.
# usage: samples-up-to-date.sh KVD_SAMPLES SAMPLES FOLDER
set -euo pipefail
generator=$1 samples=$2 folder=$3
rm -rf "$folder"
mkdir -p "$folder"
"$generator" "$folder"
diff -r "$samples" "$folder" || {
    echo "samples/ differs from the generator's output: run kvd_samples samples" >&2
    exit 1
}
