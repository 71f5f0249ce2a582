#!/usr/bin/env bash
# Runs `kvd trace` under valgrind over the sample scenes, the seed scenes of
# the fuzzer, and each of those cut in half (the damaged-file path). Any
# memory error or leak valgrind finds fails the run.
#
#   scripts/valgrind-trace.sh KVD KVD_WRITE_SEEDS WORK_DIR [SAMPLES_DIR]
set -euo pipefail
shopt -s nullglob
if [ $# -lt 3 ]; then
    sed -n '2,6p' "$0" >&2
    exit 2
fi
kvd="$1"
write_seeds="$2"
work="$3"
samples="${4:-}"

rm -rf "$work"
mkdir -p "$work/cut"
"$write_seeds" "$work"
scenes=("$work"/*.kvd)
if [ -n "$samples" ] && [ -d "$samples" ]; then
    scenes+=("$samples"/*.kvd)
fi
for scene in "${scenes[@]}"; do
    size=$(stat -c %s "$scene")
    head -c $((size / 2)) "$scene" >"$work/cut/$(basename "$scene")"
done
scenes+=("$work"/cut/*.kvd)

failed=0
for scene in "${scenes[@]}"; do
    if ! valgrind -q --error-exitcode=1 --leak-check=full \
            --errors-for-leak-kinds=definite,indirect \
            "$kvd" trace "$scene" >/dev/null 2>"$work/valgrind.log"; then
        echo "valgrind found errors in kvd trace $scene:" >&2
        cat "$work/valgrind.log" >&2
        failed=1
    fi
done
echo "valgrind: ${#scenes[@]} scenes traced, $([ $failed = 0 ] && echo clean || echo ERRORS)"
exit $failed
