#!/usr/bin/env python3
"""The Blender add-on against Blender's own glTF add-on on the 4 M-triangle
grid, in one Blender run: the add-on importing the grid's .kvd against the
glTF importer on the .glb that kvd convert makes of it, and the add-on's
export against the glTF export of the same scene. Medians of several runs of
wall time and of the resident memory each step adds at its peak. Targets: the
add-on's import and export no slower than glTF's, the import's peak no more
than the glTF import's.

    python3 bench/blender_addon.py --build-dir build --data-dir /work/bench-data
    python3 bench/blender_addon.py --build-dir build --data-dir /tmp/b --quick   # the harness only

Exit status 1 when the harness fails (or a target is missed without --quick),
77 when Blender is not installed."""
import argparse
import json
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "blender"))
from blender_environment import blender_environment  # noqa: E402

FULL_GRID_SIDE = 1415    # 3 996 392 triangles on 2 002 225 shared points
QUICK_GRID_SIDE = 40
MIB = 1 << 20


def median(runs, key):
    return statistics.median(r[key] for r in runs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--data-dir", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--quick", action="store_true", help="a small grid, one run: checks the harness")
    args = parser.parse_args()
    build = Path(args.build_dir).resolve()
    data = Path(args.data_dir).resolve()
    data.mkdir(parents=True, exist_ok=True)
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: Blender is not installed (Debian package blender)")
        sys.exit(77)
    zip_path = build / "dist" / "io_scene_kvd.zip"
    side = QUICK_GRID_SIDE if args.quick else FULL_GRID_SIDE
    runs = 1 if args.quick else args.runs
    kvd, glb = data / f"addon-grid{side}.kvd", data / f"addon-grid{side}.glb"
    subprocess.run([build / "bin" / "bench_make_scene", "--grid", str(side), "--kvd", kvd], check=True,
                   capture_output=True)
    subprocess.run([build / "bin" / "kvd", "convert", "--quiet", kvd, glb], check=True)

    with tempfile.TemporaryDirectory(dir=data) as work:
        environment = blender_environment()
        environment["BLENDER_USER_SCRIPTS"] = str(Path(work) / "scripts")
        environment["BLENDER_USER_CONFIG"] = str(Path(work) / "config")
        run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1",
                              "--python", str(HERE / "blender_addon_timing.py"), "--",
                              str(zip_path), str(kvd), str(glb), work, str(runs)],
                             capture_output=True, text=True, env=environment)
    lines = [l for l in run.stdout.splitlines() if l.startswith("KVD-BENCH ")]
    if run.returncode != 0 or not lines:
        print(run.stdout[-3000:], run.stderr[-3000:], sep="\n")
        sys.exit("blender_addon: the Blender run failed")
    result = json.loads(lines[-1][len("KVD-BENCH "):])
    counts = result["triangles"]
    if counts["kvdImport"] != counts["gltfImport"]:
        sys.exit(f"blender_addon: the importers made {counts} triangles")

    print(f"Blender {result['blender']}, grid of {counts['kvdImport']} triangles "
          f"({kvd.stat().st_size / 1e6:.1f} MB .kvd, {glb.stat().st_size / 1e6:.1f} MB .glb), "
          f"median of {runs} runs")
    print(f"{'step':<34}{'seconds':>9}{'peak added MiB':>16}")
    steps = [("kvdImport", "add-on import (.kvd)"), ("gltfImport", "glTF import (.glb)"),
             ("kvdExport", "add-on export (.kvd)"), ("gltfExport", "glTF export (.glb)")]
    medians = {}
    for key, label in steps:
        medians[key] = (median(result["runs"][key], "seconds"), median(result["runs"][key], "peakAdded"))
        print(f"{label:<34}{medians[key][0]:>9.2f}{medians[key][1] / MIB:>16.0f}")
    targets = [
        ("add-on import no slower than glTF import", medians["kvdImport"][0] <= medians["gltfImport"][0]),
        ("add-on export no slower than glTF export", medians["kvdExport"][0] <= medians["gltfExport"][0]),
        ("add-on import peak no more than glTF import's", medians["kvdImport"][1] <= medians["gltfImport"][1]),
    ]
    for label, met in targets:
        print(f"{'met   ' if met else 'MISSED'} {label}")
    print(json.dumps({"medians": medians, "raw": result}), file=open(data / "blender_addon.json", "w"))
    if not args.quick and not all(met for _, met in targets):
        sys.exit(1)


if __name__ == "__main__":
    main()
