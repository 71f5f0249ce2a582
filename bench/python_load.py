#!/usr/bin/env python3
"""Python's kvd.load of the 4 M grid against the C API's load, side by side.

Each run is a fresh process. The C side is bench_capi_load, timed as a whole
process (start-up included) by bench_timed_run: it loads the scene through
the C API and reads one value of each mesh's arrays. The Python side times
inside its process (the interpreter's and numpy's start-up are not the
load's, and are reported apart) kvd.load, every mesh's two arrays and the
scene's release, once reading one value of each array as the C side does
("load"), once reading every byte of them ("load and read"); and the whole
Python process less the same process that only starts (imports numpy and
kvd) and exits. Last, the C API's own calls (load, every mesh, one value
of each, free) made through ctypes and timed inside the same kind of process:
the package's cost over the bare calls. Peak memory is the Python
process's peak resident size above what it held before the load, against
the bytes of the arrays the load returns.

    python3 bench/python_load.py --python .venv/bin/python --build-dir build [--scene FILE] [--runs 5]

Without --scene, the 4 M grid (1415 x 1415 shared vertices) is written with
bench_make_scene into --data-dir. Prints one JSON document with the figures
and the verdicts.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

MIB = 1 << 20
GRID_SIDE = 1415
TARGET_TIME_RATIO = 1.2          # Python load / C API load
TARGET_BYTES_PER_VERTEX = 16     # peak above the arrays, per vertex
TARGET_MEMORY_SLACK = 16 * MIB

# Runs in the measured Python process: one load, one value or every byte of
# each array read.
PYTHON_LOAD = r"""
import json, resource, sys, time
import numpy as np
import kvd
read_all = sys.argv[2] == "all"
if sys.argv[2] == "start-up":
    print(json.dumps({"seconds": 0, "peak_above": 0, "arrays": 0, "points": 0, "triangles": 0, "check": 0}))
    sys.exit(0)
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
if sys.argv[2] == "c-calls":
    # The C API's own calls, made from this process without the package:
    # load, each mesh asked for and one value of it read, free.
    import ctypes
    from kvd import _library
    lib = _library.lib
    start = time.perf_counter()
    handle = ctypes.c_void_p()
    if lib.kvd_load_file(sys.argv[1].encode(), None, ctypes.byref(handle), None) != 0:
        sys.exit("the C API did not load the scene")
    raw = _library.MeshStruct()
    check = 0
    for index in range(lib.kvd_mesh_count(handle)):
        lib.kvd_get_mesh(handle, index, ctypes.byref(raw))
        if raw.triangle_count:
            check += ctypes.cast(raw.triangles, ctypes.POINTER(ctypes.c_uint32))[raw.triangle_count * 3 - 1]
    lib.kvd_scene_free(handle)
    seconds = time.perf_counter() - start
    print(json.dumps({"seconds": seconds, "peak_above": 0, "arrays": 0, "points": 0, "triangles": 0,
                      "check": check}))
    sys.exit(0)
start = time.perf_counter()
scene = kvd.load(sys.argv[1])
check = 0
arrays = 0
points = 0
for mesh in scene.meshes:
    positions, triangles = mesh.positions, mesh.triangles
    if read_all:
        check ^= int(np.bitwise_xor.reduce(positions.view(np.uint32), axis=None)) if positions.size else 0
        check ^= int(np.bitwise_xor.reduce(triangles, axis=None)) if triangles.size else 0
    elif triangles.size:
        check += int(triangles[-1, -1]) + int(positions[-1, -1])
    arrays += positions.nbytes + triangles.nbytes
    points += mesh.point_count
triangle_count = scene.triangle_count
# The C side frees its scene before it exits: so does this one.
del scene, mesh, positions, triangles
seconds = time.perf_counter() - start
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
print(json.dumps({"seconds": seconds, "peak_above": peak - before, "arrays": arrays, "points": points,
                  "triangles": triangle_count, "check": check}))
"""


def python_runs(python, scene, runs, read):
    """The child's own figures, and its whole process's wall time and peak
    (interpreter and numpy start-up included)."""
    results = []
    for _ in range(runs + 1):  # the first warms the page cache
        start = time.perf_counter()
        child = subprocess.Popen([python, "-c", PYTHON_LOAD, str(scene), read], stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True)
        out, err = child.stdout.read(), child.stderr.read()
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            raise SystemExit(f"the Python load failed: {err[-2000:]}")
        result = json.loads(out)
        result["process_seconds"] = time.perf_counter() - start
        result["process_peak"] = usage.ru_maxrss * 1024
        results.append(result)
    return results[1:]


def c_runs(launcher, program, scene, runs):
    with tempfile.NamedTemporaryFile() as out:
        run = subprocess.run([launcher, str(runs + 1), out.name, program, str(scene)], capture_output=True,
                             text=True)
        if run.returncode != 0:
            raise SystemExit(f"the C API load failed: {run.stderr[-2000:]}")
    samples = []
    for line in run.stdout.splitlines():
        words = line.split()
        if len(words) >= 6 and words[0] == "seconds":
            samples.append({"seconds": float(words[1]), "peak": int(words[5])})
    return samples[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--python", required=True, help="a Python with the kvd package installed")
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--scene", help="the scene to load (default: the 4 M grid, written first)")
    parser.add_argument("--data-dir", default="build/bench-python")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    bin_dir = Path(args.build_dir) / "bin"

    scene = Path(args.scene) if args.scene else Path(args.data_dir) / f"mesh-grid{GRID_SIDE}.kvd"
    if not scene.is_file():
        scene.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run([str(bin_dir / "bench_make_scene"), "--grid", str(GRID_SIDE), "--kvd", str(scene)],
                       check=True, capture_output=True)

    start_up = python_runs(args.python, scene, args.runs, "start-up")
    c_calls = python_runs(args.python, scene, args.runs, "c-calls")
    python = python_runs(args.python, scene, args.runs, "one")
    python_all = python_runs(args.python, scene, args.runs, "all")
    c = c_runs(str(bin_dir / "bench_timed_run"), str(bin_dir / "bench_capi_load"), scene, args.runs)
    python_seconds = statistics.median(r["seconds"] for r in python)
    python_all_seconds = statistics.median(r["seconds"] for r in python_all)
    c_seconds = statistics.median(r["seconds"] for r in c)
    first = python[0]
    peak_above = max(statistics.median(r["peak_above"] for r in runs) for runs in (python, python_all))
    memory_bound = first["arrays"] + TARGET_BYTES_PER_VERTEX * first["points"] + TARGET_MEMORY_SLACK
    report = {
        "scene": str(scene), "bytes": scene.stat().st_size, "points": first["points"],
        "triangles": first["triangles"], "runs": args.runs,
        "python_load_seconds": python_seconds, "python_runs": [r["seconds"] for r in python],
        "python_load_and_read_seconds": python_all_seconds,
        "python_load_and_read_runs": [r["seconds"] for r in python_all],
        "python_process_seconds": statistics.median(r["process_seconds"] for r in python),
        "python_process_peak_bytes": statistics.median(r["process_peak"] for r in python),
        # The same C calls timed the same way, in the same kind of process.
        "c_api_calls_in_process_seconds": statistics.median(r["seconds"] for r in c_calls),
        "c_api_calls_in_process_runs": [r["seconds"] for r in c_calls],
        "ratio_to_c_calls_in_process": python_seconds / statistics.median(r["seconds"] for r in c_calls),
        # Whole processes on both sides: Python's less its start-up (interpreter, numpy, kvd).
        "python_start_up_seconds": statistics.median(r["process_seconds"] for r in start_up),
        "python_process_less_start_up_seconds": statistics.median(r["process_seconds"] for r in python) -
        statistics.median(r["process_seconds"] for r in start_up),
        "c_api_load_seconds": c_seconds, "c_api_runs": [r["seconds"] for r in c],
        "c_api_peak_bytes": statistics.median(r["peak"] for r in c),
        "ratio": python_seconds / c_seconds, "ratio_load_and_read": python_all_seconds / c_seconds,
        "python_peak_above_imports_bytes": peak_above, "arrays_bytes": first["arrays"],
        "memory_bound_bytes": memory_bound,
        "verdicts": {
            f"python load <= {TARGET_TIME_RATIO}x C API load": python_seconds <= TARGET_TIME_RATIO * c_seconds,
            f"python load and read <= {TARGET_TIME_RATIO}x C API load":
                python_all_seconds <= TARGET_TIME_RATIO * c_seconds,
            f"peak <= arrays + {TARGET_BYTES_PER_VERTEX} B/vertex + 16 MiB": peak_above <= memory_bound,
        },
    }
    print(json.dumps(report, indent=2))
    return 0 if all(report["verdicts"].values()) else 1


if __name__ == "__main__":
    sys.exit(main())
