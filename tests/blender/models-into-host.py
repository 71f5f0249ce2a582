#!/usr/bin/env python3
"""Models made by Blender reach the host: Blender builds test models and
exports them with its own glTF and OBJ exporters (make-models.py), kvd
convert makes kvd scenes of them, the plug-in imports each into zerna, and
the triangles the host gets must be Blender's own, in world space (kvd
scenes are Z-up like Blender), each with its corners in Blender's order.
The glTF's camera must reach the host at Blender's camera, looking the same
way; the plane's PNG texture must reach the host as an image beside the
scene that the host shows.

usage: models-into-host.py BIN_DIR WORK
Exit status 77 (a skipped test) only when Blender is not installed.
"""
import json
import math
import shutil
import subprocess
import sys
from collections import Counter
from pathlib import Path

from blender_environment import blender_environment

HERE = Path(__file__).resolve().parent
SKIPPED = 77
# The exporters write floats; the placed points are rounded back to floats.
DIGITS = 3


def key(triangle):
    """A triangle whatever corner it starts at, its winding kept."""
    corners = [tuple(round(c, DIGITS) + 0.0 for c in corner) for corner in triangle]
    start = corners.index(min(corners))
    return tuple(corners[start:] + corners[:start])


def host_calls(bin_dir, scene):
    """The trace of the plug-in importing scene into zerna, answered as a person would."""
    run = subprocess.run([str(bin_dir / "zerna"), "--trace", "-"], input=str(scene) + "\n",
                         capture_output=True, text=True, cwd=bin_dir, timeout=120)
    if run.returncode != 0:
        raise RuntimeError(f"zerna failed on {scene}: {run.stderr[-2000:]}")
    return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]


def main(bin_dir, work):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: Blender is not installed (Debian package blender; .ci/run installs it)")
        return SKIPPED
    bin_dir, work = Path(bin_dir).resolve(), Path(work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1",
                          "--python", str(HERE / "make-models.py"), "--", str(work / "blender")],
                         capture_output=True, text=True, env=blender_environment())
    if run.returncode != 0 or "KVD-MODELS written" not in run.stdout:
        print(f"FAIL: Blender did not make the models:\n{run.stdout[-3000:]}\n{run.stderr[-3000:]}")
        return 1
    expected = json.loads((work / "blender" / "expected.json").read_text())
    want = Counter(key(t) for triangles in expected["objects"].values() for t in triangles)

    failures = 0
    for source in ("models.glb", "models.obj"):
        scene = work / (source.replace(".", "-") + ".kvd")
        convert = subprocess.run([str(bin_dir / "kvd"), "convert", str(work / "blender" / source), str(scene)],
                                 capture_output=True, text=True)
        if convert.returncode != 0:
            failures += 1
            print(f"FAIL {source}: kvd convert exited with {convert.returncode}: {convert.stderr}")
            continue
        calls = host_calls(bin_dir, scene)
        got = Counter(key([call["a"], call["b"], call["c"]]) for call in calls
                      if call.get("call") == "GB_AddTriangle")
        problems = []
        if got != want:
            missing = sum((want - got).values())
            extra = sum((got - want).values())
            problems.append(f"{missing} of Blender's {sum(want.values())} triangles missing, {extra} others")
        objects = sum(1 for call in calls if call.get("call") == "GB_BeginObject")
        if objects != len(expected["objects"]):
            problems.append(f"{objects} objects, Blender has {len(expected['objects'])}")
        textured = [call for call in calls if call.get("call") == "GB_BeginSurface"
                    and bytes.fromhex(call["material_hex"])[224:349].split(b"\0")[0]]
        if not textured:
            problems.append("no surface names a texture image")
        for call in textured:
            image = bytes.fromhex(call["material_hex"])[224:349].split(b"\0")[0].decode("ascii")
            if not (scene.parent / image).is_file():
                problems.append(f"the texture {image} is not beside the scene")
        if source.endswith(".glb"):
            cameras = [call for call in calls if call.get("call") in ("GB_SetDefaultCamera", "GB_AddCamera")]
            camera = expected["camera"]
            if len(cameras) != 1 or cameras[0]["name"] != camera["name"]:
                problems.append(f"cameras {[c.get('name') for c in cameras]}, Blender has {camera['name']}")
            else:
                eye, target = cameras[0]["eye"], cameras[0]["target"]
                if max(abs(a - b) for a, b in zip(eye, camera["eye"])) > 1e-3:
                    problems.append(f"camera eye {eye}, Blender's {camera['eye']}")
                view = [t - e for t, e in zip(target, eye)]
                length = math.sqrt(sum(v * v for v in view)) or 1.0
                if max(abs(v / length - w) for v, w in zip(view, camera["view"])) > 1e-3:
                    problems.append(f"camera looks along {view}, Blender's along {camera['view']}")
        if problems:
            failures += 1
            print(f"FAIL {source}: " + "; ".join(problems))
        else:
            print(f"ok   {source}: {sum(got.values())} triangles in {objects} objects as Blender has them")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
