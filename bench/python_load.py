#!/usr/bin/env python3
"""Python's kvd.load of the 4 M grid against the C API's load, side by side.

Each run is a fresh process. The Python side times, inside the process,
kvd.load and one pass over every array it returns (the interpreter's and
numpy's start-up are not the load's); the C side times the whole process of
a C program that loads the scene through the C API and reads its arrays, so
the comparison leans against Python. Peak memory is the Python process's
peak resident size above what it held before the load, against the bytes of
the arrays the load returns.

    python3 bench/python_load.py --python .venv/bin/python --build-dir build \\
        --c-load build/bin/PROGRAM [--scene FILE] [--runs 5]

Without --scene, the 4 M grid (1415 x 1415 shared vertices) is written with
bench_make_scene into --data-dir. Prints one JSON document with the figures
and the verdicts.
"""
import argparse
import json
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

MIB = 1 << 20
GRID_SIDE = 1415
TARGET_TIME_RATIO = 1.2          # Python load / C API load
TARGET_BYTES_PER_VERTEX = 16     # peak above the arrays, per vertex
TARGET_MEMORY_SLACK = 16 * MIB

# Runs in the measured Python process: one load, every array read once.
PYTHON_LOAD = r"""
import json, resource, sys, time
import numpy as np
import kvd
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
start = time.perf_counter()
scene = kvd.load(sys.argv[1])
check = 0
arrays = 0
points = 0
for mesh in scene.meshes:
    positions, triangles = mesh.positions, mesh.triangles
    check ^= int(np.bitwise_xor.reduce(positions.view(np.uint32), axis=None)) if positions.size else 0
    check ^= int(np.bitwise_xor.reduce(triangles, axis=None)) if triangles.size else 0
    arrays += positions.nbytes + triangles.nbytes
    points += mesh.point_count
seconds = time.perf_counter() - start
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
print(json.dumps({"seconds": seconds, "peak_above": peak - before, "arrays": arrays, "points": points,
                  "triangles": scene.triangle_count, "check": check}))
"""


def python_runs(python, scene, runs):
    results = []
    for _ in range(runs + 1):  # the first warms the page cache
        run = subprocess.run([python, "-c", PYTHON_LOAD, str(scene)], capture_output=True, text=True)
        if run.returncode != 0:
            raise SystemExit(f"the Python load failed: {run.stderr[-2000:]}")
        results.append(json.loads(run.stdout))
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
    parser.add_argument("--c-load", required=True, help="a program loading SCENE through the C API")
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

    python = python_runs(args.python, scene, args.runs)
    c = c_runs(str(bin_dir / "bench_timed_run"), args.c_load, scene, args.runs)
    python_seconds = statistics.median(r["seconds"] for r in python)
    c_seconds = statistics.median(r["seconds"] for r in c)
    first = python[0]
    peak_above = statistics.median(r["peak_above"] for r in python)
    memory_bound = first["arrays"] + TARGET_BYTES_PER_VERTEX * first["points"] + TARGET_MEMORY_SLACK
    report = {
        "scene": str(scene), "bytes": scene.stat().st_size, "points": first["points"],
        "triangles": first["triangles"], "runs": args.runs,
        "python_load_seconds": python_seconds, "python_runs": [r["seconds"] for r in python],
        "c_api_load_seconds": c_seconds, "c_api_runs": [r["seconds"] for r in c],
        "c_api_peak_bytes": statistics.median(r["peak"] for r in c),
        "ratio": python_seconds / c_seconds,
        "python_peak_above_imports_bytes": peak_above, "arrays_bytes": first["arrays"],
        "memory_bound_bytes": memory_bound,
        "verdicts": {
            f"python load <= {TARGET_TIME_RATIO}x C API load": python_seconds <= TARGET_TIME_RATIO * c_seconds,
            f"peak <= arrays + {TARGET_BYTES_PER_VERTEX} B/vertex + 16 MiB": peak_above <= memory_bound,
        },
    }
    print(json.dumps(report, indent=2))
    return 0 if all(report["verdicts"].values()) else 1


if __name__ == "__main__":
    sys.exit(main())
