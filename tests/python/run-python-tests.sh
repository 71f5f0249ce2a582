#!/usr/bin/env bash
# Installs the Python package into a fresh virtual environment, as a user
# would, and runs its tests there against the kvd tool of the same build.
#
# usage: run-python-tests.sh PYTHON SOURCE BUILD KVD SCENE_WRITER SEED_WRITER WORK [PRELOAD]
#   PRELOAD: sanitizer runtimes to preload into Python when the library was
#   built with them (the asan preset).
set -euo pipefail
python=$1 source=$2 build=$3 kvd=$4 scene_writer=$5 seed_writer=$6 work=$7 preload=${8:-}

if ! "$python" -c 'import numpy, pytest, venv' 2> /dev/null; then
    echo "$python lacks numpy, pytest or venv (Debian: python3-numpy python3-pytest python3-venv)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
"$python" -m venv --system-site-packages "$work/venv"
# A copy of the package, so that the in-tree build leaves the source alone
# and two presets can install at once.
cp -R "$source/python" "$work/package"
rm -rf "$work/package/build" "$work/package/"*.egg-info
# Offline, with Debian's setuptools and numpy.
KVD_BUILD_DIR=$build "$work/venv/bin/python" -m pip install --quiet --no-index --no-build-isolation \
    "$work/package" > "$work/pip.log" 2>&1 || { cat "$work/pip.log"; exit 1; }

# The scenes the tests read: the samples and the conversion test scenes, and
# the fuzzer's seeds (whole scenes and inputs nested past the reader's bounds).
mkdir -p "$work/scenes" "$work/seeds"
cp -R "$source/samples/." "$work/scenes/"
"$scene_writer" "$work/scenes" "$source/samples"
"$seed_writer" "$work/seeds" > /dev/null

export KVD_TOOL=$kvd KVD_TEST_SCENES=$work/scenes KVD_TEST_SEEDS=$work/seeds
export KVD_SAMPLES=$source/samples KVD_HOSTILE_IMAGES=$source/tests/images/hostile
# The package must come from the virtual environment, not the source tree.
cd "$work"
if [ -n "$preload" ]; then
    # Python itself is not instrumented and keeps memory to the end: leaks
    # are the C tests' business.
    export LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1
fi
exec "$work/venv/bin/python" -m pytest -q -p no:cacheprovider --rootdir "$source/tests/python" \
    "$source/tests/python"
