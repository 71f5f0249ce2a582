#!/usr/bin/env python3
"""The Blender add-on, installed from its zip into Blender as a user installs
it, imports every test scene and must make what `kvd info` says the scene
holds: a mesh object per object with its triangles and bounds, its
materials with their images, its cameras at their eyes looking at their
targets 22 degrees wide, the default camera as the scene camera. Every
scene it imported it exports again, and `kvd trace` of the export must be
the original's (every point bit for bit). Several files at once and the
options are tried; a damaged file imports what was read with a warning; a
file that is not a kvd scene, a missing file and a damaged header report an
error and leave the scene as it was; no Python traceback is printed.

usage: addon-tests.py KVD SCENE_WRITER SAMPLES ADDON_ZIP WORK
Exit status 77 (a skipped test) only when Blender is not installed.
"""
import json
import math
import re
import shutil
import subprocess
import sys
from pathlib import Path

from blender_environment import blender_environment

HERE = Path(__file__).resolve().parent
SKIPPED = 77
HOST_FOV = 22.0
# The host's fixed view, which kvd info lists for a file without cameras; it
# is no camera of the scene, and the add-on makes none for it.
FIXED_CAMERA_EYE = [2734.0, -1836.8, 3832.7]


def kvd_info(kvd, scene):
    return json.loads(subprocess.run([kvd, "info", "--json", str(scene)], capture_output=True, text=True).stdout)


def kvd_trace(kvd, scene):
    run = subprocess.run([kvd, "trace", str(scene)], capture_output=True, text=True)
    return run.stdout.splitlines()


def finite_trace(lines):
    """The trace without the triangles a written scene cannot hold (a corner
    that is not a finite number)."""
    return [line for line in lines if not ('"AddTriangle"' in line.replace("GB_", "")
                                           and ("NaN" in line or "Infinity" in line))]


def comparable_traces(original, exported, info):
    """The traces as a written scene can give them back: without the
    triangles it cannot hold (a corner that is not a finite number) and the
    messages about the original's damage; a colour part that is not a number
    is written as 0, so such a scene's material records are left out; and a
    scene without a camera section gets an empty one (the host then shows its
    fixed view)."""
    original = [line for line in finite_trace(original) if not line.startswith('{"message"')]
    if not any("Camera" in line for line in original):
        exported = [line for line in exported if not line.startswith('{"call":"GB_SetDefaultCamera"')]
    colours = [c for m in info["materials"] for key in ("ambient", "diffuse", "specular") for c in m[key]]
    if any(c is None for c in colours):
        strip = lambda lines: [re.sub(r'"material_hex":"[0-9a-f]*"', '"material_hex":"..."', l) for l in lines]
        original, exported = strip(original), strip(exported)
    return original, exported


def close(a, b, tolerance=1e-5):
    if a is None or b is None:
        return a is b
    return all((x is None and (y is None or not math.isfinite(y))) or
               (x is not None and abs(x - y) <= tolerance * max(1.0, abs(x))) for x, y in zip(a, b))


def triangles_shown(trace):
    """The triangles each object has that can be shown: the host's, less
    those with a corner that is not a finite number."""
    counts = []
    for line in finite_trace(trace):
        if line.startswith('{"call":"GB_BeginObject"'):
            counts.append(0)
        elif line.startswith('{"call":"GB_AddTriangle"'):
            counts[-1] += 1
    return counts


def scene_problems(info, shown_triangles, census, folder, scale=1.0):
    """What Blender holds that differs from what kvd info says the file holds."""
    problems = []
    objects = info["objects"]["list"]
    if shown_triangles != [o["triangles"] for o in census["objects"]]:
        problems.append(f"triangles per object {[o['triangles'] for o in census['objects']]}, "
                        f"the host gets {shown_triangles}")
    bounds = info["objects"]["bounds"]
    if bounds is not None and all(v is not None for v in bounds["min"] + bounds["max"]):
        expected = [[c * scale for c in bounds["min"]], [c * scale for c in bounds["max"]]]
        if census["bounds"] is None or not (close(expected[0], census["bounds"][0])
                                            and close(expected[1], census["bounds"][1])):
            problems.append(f"bounds {census['bounds']}, kvd info {expected}")
    # Materials: the file's that meshes name, and a mesh's own colour under its name.
    wanted, images = set(), set()
    for o in objects:
        material = o["material"]
        if material is None:
            continue
        if "file" in material:
            entry = info["materials"][material["file"]]
            wanted.add(entry["name"])
            for key in ("textureImage", "bumpTextureImage"):
                if entry.get(key, {}).get("found"):
                    images.add(str((folder / entry[key]["found"]).resolve()))
        else:
            wanted.add(material["name"])
    names = {m["name"] for m in census["materials"]}
    if names != wanted:
        problems.append(f"materials {sorted(names)}, kvd info {sorted(wanted)}")
    found = {str(Path(p).resolve()) for p in census["images"]}
    if found != images:
        problems.append(f"images {sorted(found)}, kvd info found {sorted(images)}")
    for material in census["materials"]:
        entry = next((m for m in info["materials"] if m["name"] == material["name"]), None)
        if entry is not None and not close([min(1, max(0, c)) if c is not None else 0.0 for c in entry["diffuse"]], material["baseColour"]):
            problems.append(f"material {material['name']} base colour {material['baseColour']}, "
                            f"diffuse {entry['diffuse']}")
    # Cameras: where the file puts them, looking at their targets, the host's width of view.
    cameras = census["cameras"]
    expected_cameras = [c for c in info["cameras"] if not (len(info["cameras"]) == 1 and c["eye"] == FIXED_CAMERA_EYE)]
    if [c["name"] for c in cameras] != [c["name"] for c in expected_cameras]:
        problems.append(f"cameras {[c['name'] for c in cameras]}, kvd info {[c['name'] for c in expected_cameras]}")
    else:
        for camera, expected in zip(cameras, expected_cameras):
            if not close([c * scale for c in expected["eye"]], camera["eye"]):
                problems.append(f"camera {camera['name']} at {camera['eye']}, kvd info {expected['eye']}")
            if expected["eye"] != expected["target"] and not (camera["degreesOffTarget"] is not None
                                                              and camera["degreesOffTarget"] < 1e-3):
                problems.append(f"camera {camera['name']} looks {camera['degreesOffTarget']} degrees off its target")
            if abs(camera["angle"] - HOST_FOV) > 1e-4 or camera["sensorFit"] != "HORIZONTAL":
                problems.append(f"camera {camera['name']} {camera['angle']} degrees, {camera['sensorFit']}")
            if camera["up"][2] < -1e-6:
                problems.append(f"camera {camera['name']} is upside down ({camera['up']})")
        default = expected_cameras[0]["name"] if expected_cameras else None
        if census["sceneCamera"] != default:
            problems.append(f"scene camera {census['sceneCamera']}, the file's default {default}")
    return problems


def made_in_blender_problems(kvd, outcome, exported):
    """A scene made in Blender, exported: the mirrored cube in two meshes (one
    per material) of 12 triangles in all, every face still facing out; the
    plane's subdivided 8 triangles with its PNG image as a BMP beside the
    scene, found; the camera."""
    if outcome.get("exportResult") != ["FINISHED"]:
        return [f"export {outcome.get('exportResult')}: {outcome.get('exportError')}"]
    problems = []
    info = kvd_info(kvd, exported)
    triangles = [o["triangles"] for o in info["objects"]["list"]]
    if sorted(triangles) != [6, 6, 8]:
        problems.append(f"triangles per object {triangles}, want the cube's 6 and 6 and the plane's 8")
    textured = [m for m in info["materials"] if m.get("texture")]
    if len(textured) != 1 or not textured[0].get("textureImage", {}).get("found", "").endswith(".bmp"):
        problems.append(f"materials {info['materials']}: want one with its image as a BMP beside the scene")
    if [c["name"] for c in info["cameras"]] != ["view"]:
        problems.append(f"cameras {info['cameras']}")
    # Every triangle of the cube (centre (5, 0, 1)) faces away from its centre.
    inward = 0
    for line in kvd_trace(kvd, exported):
        call = json.loads(line)
        if call.get("call") == "GB_AddTriangle" and call["a"][0] > 3.0:
            a, b, c = call["a"], call["b"], call["c"]
            u = [b[i] - a[i] for i in range(3)]
            v = [c[i] - a[i] for i in range(3)]
            normal = [u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]]
            out = [(a[i] + b[i] + c[i]) / 3 - (5.0, 0.0, 1.0)[i] for i in range(3)]
            if sum(n * o for n, o in zip(normal, out)) <= 0:
                inward += 1
    if inward:
        problems.append(f"{inward} triangles of the mirrored cube face inwards")
    return problems


def main(kvd, writer, samples, addon_zip, work):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: Blender is not installed (Debian package blender; .ci/run installs it)")
        return SKIPPED
    work = Path(work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    scenes, exports, bad = work / "scenes", work / "export", work / "bad"
    for folder in (scenes, exports, bad, work / "made" / "out"):
        folder.mkdir(parents=True)
    shutil.copytree(samples, scenes, dirs_exist_ok=True)
    subprocess.run([writer, str(scenes), samples], check=True)
    house = scenes / "house.kvd"
    # A body cut short, a header cut short, and a file of another kind.
    data = house.read_bytes()
    (scenes / "cut short.kvd").write_bytes(data[:len(data) * 3 // 5])
    (bad / "header.kvd").write_bytes(data[:10])
    (bad / "not a scene.kvd").write_bytes(b"solid cube\nendsolid cube\n")

    kvd_files = sorted(p for p in scenes.glob("*.kvd"))
    jobs = [{"name": p.name, "files": [str(p)], "export": str(exports / p.name)} for p in kvd_files]
    jobs += [
        {"name": "two at once", "files": [str(house), str(scenes / "triangle.kvd")]},
        {"name": "millimetres", "files": [str(house)], "options": {"scale_preset": "MILLIMETRES"}},
        {"name": "scale from a script", "files": [str(house)], "options": {"global_scale": 0.001}},
        {"name": "stored twice", "files": [str(work / "twice.kvd")], "make": "twice"},
        {"name": "merged", "files": [str(work / "twice.kvd")], "options": {"merge_points": True}},
        {"name": "no cameras", "files": [str(house)], "options": {"import_cameras": False}},
        {"name": "made in Blender", "blenderScene": str(work / "made"), "export": str(work / "made" / "out" / "made.kvd")},
        {"name": "not a scene", "files": [str(bad / "not a scene.kvd")], "before": str(house)},
        {"name": "header", "files": [str(bad / "header.kvd")], "before": str(house)},
        {"name": "missing", "files": [str(bad / "no such file.kvd")], "before": str(house)},
    ]
    plan = work / "plan.json"
    plan.write_text(json.dumps({"zip": str(Path(addon_zip).resolve()), "jobs": jobs}), encoding="utf-8")
    # The add-on is installed into a user folder of the test's own.
    environment = blender_environment()
    environment["BLENDER_USER_SCRIPTS"] = str(work / "user" / "scripts")
    environment["BLENDER_USER_CONFIG"] = str(work / "user" / "config")
    run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1",
                          "--python", str(HERE / "addon_checks.py"), "--", str(plan)],
                         capture_output=True, text=True, env=environment, timeout=900)
    outcomes, reports = {}, []
    for line in run.stdout.splitlines():
        if line.startswith("KVD-REPORTS "):
            reports = []
        elif line.startswith(("Error: ", "Warning: ", "Info: ")):
            kind, _, text = line.partition(": ")
            reports.append([kind.upper(), text])
        elif line.startswith("KVD-ADDON "):
            outcome = json.loads(line[len("KVD-ADDON "):])
            outcome["reports"] = reports
            outcomes[outcome["job"]] = outcome
    failures = []
    if run.returncode != 0:
        failures.append(f"Blender failed (status {run.returncode})")
    if "Traceback" in run.stdout or "Traceback" in run.stderr:
        failures.append("a Python traceback was printed")

    def check(name, problems):
        if problems:
            failures.append(f"{name}: " + "; ".join(problems))
        else:
            print(f"ok   {name}")

    infos = {p.name: kvd_info(kvd, p) for p in kvd_files}
    shown = {p.name: triangles_shown(kvd_trace(kvd, p)) for p in kvd_files}
    for path in kvd_files:
        outcome = outcomes.get(path.name)
        if outcome is None:
            check(path.name, ["no outcome (Blender stopped before it)"])
            continue
        info = infos[path.name]
        problems = []
        if outcome["result"] != ["FINISHED"]:
            problems.append(f"import {outcome['result']}: {outcome['error']}")
        problems += scene_problems(info, shown[path.name], outcome["census"], scenes)
        warnings = [r for r in outcome["reports"] if r[0] == "WARNING"]
        if shown[path.name] != [o["triangles"] for o in info["objects"]["list"]] and \
                not any("not a finite number" in r[1] for r in warnings):
            problems.append(f"triangles left out without a warning: {outcome['reports']}")
        if info["status"] != "complete" and not any("damaged" in r[1] for r in warnings):
            problems.append(f"damaged ({info['status']}) without a warning: {outcome['reports']}")
        if outcome.get("exportResult") != ["FINISHED"]:
            problems.append(f"export {outcome.get('exportResult')}: {outcome.get('exportError')}")
        else:
            original, exported = comparable_traces(kvd_trace(kvd, path), kvd_trace(kvd, exports / path.name), info)
            if exported != original:
                first = next((i for i, (a, b) in enumerate(zip(original, exported)) if a != b),
                             min(len(original), len(exported)))
                problems.append(f"kvd trace of the export differs from the original's at call {first}: "
                                f"{exported[first:first + 1]} against {original[first:first + 1]} "
                                f"({len(exported)} and {len(original)} calls)")
        check(path.name, problems)

    def outcome_of(name):
        outcome = outcomes.get(name)
        if outcome is None:
            failures.append(f"{name}: no outcome")
        return outcome

    both = outcome_of("two at once")
    if both:
        counts = len(infos["house.kvd"]["objects"]["list"]) + len(infos["triangle.kvd"]["objects"]["list"])
        check("two at once", [] if len(both["census"]["objects"]) == counts and both["result"] == ["FINISHED"]
              else [f"{len(both['census']['objects'])} objects, the two files hold {counts}"])
    for name in ("millimetres", "scale from a script"):
        scaled = outcome_of(name)
        if scaled:
            check(name, scene_problems(infos["house.kvd"], shown["house.kvd"], scaled["census"], scenes, scale=0.001))
    twice, merged = outcome_of("stored twice"), outcome_of("merged")
    if twice and merged:
        counts = [(o["vertices"], o["triangles"]) for o in (twice["census"]["objects"] + merged["census"]["objects"])]
        check("merged", [] if counts == [(6, 3), (4, 3)] else
              [f"(vertices, triangles) {counts}, want 6 points as stored and 4 merged, 3 triangles each"])
    no_cameras = outcome_of("no cameras")
    if no_cameras:
        check("no cameras", [] if not no_cameras["census"]["cameras"] else ["cameras were made"])
    made = outcome_of("made in Blender")
    if made:
        check("made in Blender", made_in_blender_problems(kvd, made, work / "made" / "out" / "made.kvd"))
    for name in ("not a scene", "header", "missing"):
        outcome = outcome_of(name)
        if outcome is None:
            continue
        problems = []
        if outcome["result"] != ["CANCELLED"] or not outcome["error"]:
            problems.append(f"result {outcome['result']}, error {outcome['error']!r}")
        if outcome["census"] != outcome["before"]:
            problems.append("the scene changed")
        check(name, problems)
        print(f"     reported: {outcome['error']}")

    for failure in failures:
        print("FAIL " + failure)
    if failures:
        print(run.stdout[-4000:])
        print(run.stderr[-4000:])
    print(f"{len(outcomes)} Blender jobs, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 6:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
