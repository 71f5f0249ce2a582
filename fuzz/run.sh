#!/usr/bin/env bash
# Builds the libFuzzer target with clang (preset fuzz) and runs it.
#
#   fuzz/run.sh smoke            one minute from the seed scenes (what ctest runs)
#   fuzz/run.sh long [SECONDS]   the long run on one core (default 1800 s); its
#                                corpus grows in BUILD/corpus across runs
#   fuzz/run.sh repro FILE...    runs the target once on each file
#   fuzz/run.sh build            only builds
#   fuzz/run.sh image-smoke      one minute of the image target from its seeds
#   fuzz/run.sh image-long [RUNS] the image target's long run on one core
#                                (default 1000000 executions), its corpus in
#                                BUILD/image-corpus
#   fuzz/run.sh image-repro FILE...  the image target once on each file
#
# BUILD is $KVD_FUZZ_BUILD_DIR, by default build-fuzz/ in the repository.
# Crashing inputs land in BUILD/artifacts/; each fault they show is fixed in
# the reader and kept as a regression test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="${KVD_FUZZ_BUILD_DIR:-$root/build-fuzz}"
mode="${1:-smoke}"

if ! command -v clang++ >/dev/null; then
    echo "fuzz/run.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2
    exit 1
fi

mkdir -p "$build"
cmake --preset fuzz -S "$root" -B "$build" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target kvd_fuzz kvd_write_seeds kvd_image_fuzz kvd_write_image_seeds
rm -rf "$build/seeds" "$build/image-seeds"
"$build/bin/kvd_write_seeds" "$build/seeds"
"$build/bin/kvd_write_image_seeds" "$build/image-seeds"
mkdir -p "$build/artifacts" "$build/corpus" "$build/image-corpus"

options=(-dict="$here/kvd.dict" -max_len=32768 -timeout=10 -rss_limit_mb=2048
         -artifact_prefix="$build/artifacts/" -print_final_stats=1)
# Images: inputs up to 64 KiB; no input may take 10 s or 2.5 GiB.
image_options=(-dict="$here/image.dict" -max_len=65536 -timeout=10 -rss_limit_mb=2560
               -artifact_prefix="$build/artifacts/image-" -print_final_stats=1)
case "$mode" in
build)
    ;;
smoke)
    # A fresh corpus each time, so every smoke run starts from the seeds alone.
    rm -rf "$build/smoke-corpus"
    mkdir -p "$build/smoke-corpus"
    "$build/bin/kvd_fuzz" "${options[@]}" -max_total_time=60 \
        "$build/smoke-corpus" "$build/seeds"
    ;;
long)
    seconds="${2:-1800}"
    "$build/bin/kvd_fuzz" "${options[@]}" -max_total_time="$seconds" \
        "$build/corpus" "$build/seeds" 2>&1 | tee "$build/long-run.log"
    echo "corpus: $(ls "$build/corpus" | wc -l) files in $build/corpus"
    ;;
repro)
    shift
    "$build/bin/kvd_fuzz" "$@"
    ;;
image-smoke)
    rm -rf "$build/image-smoke-corpus"
    mkdir -p "$build/image-smoke-corpus"
    "$build/bin/kvd_image_fuzz" "${image_options[@]}" -max_total_time=60 \
        "$build/image-smoke-corpus" "$build/image-seeds"
    ;;
image-long)
    runs="${2:-1000000}"
    # Inputs of any length up to -max_len from the start, rather than a
    # limit grown slowly from the seeds' sizes.
    "$build/bin/kvd_image_fuzz" "${image_options[@]}" -runs="$runs" -len_control=0 \
        "$build/image-corpus" "$build/image-seeds" 2>&1 | tee "$build/image-long-run.log"
    echo "corpus: $(ls "$build/image-corpus" | wc -l) files in $build/image-corpus"
    ;;
image-repro)
    shift
    "$build/bin/kvd_image_fuzz" "$@"
    ;;
*)
    sed -n '2,19p' "$0" >&2
    exit 2
    ;;
esac
