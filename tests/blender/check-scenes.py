#!/usr/bin/env python3
"""Imports every converted test scene into Blender and checks that it finds
what `kvd info` says the scene holds: mesh objects, triangles, cameras,
materials and images, and images of the same sizes as their sources.

usage: check-scenes.py KVD SCENE_WRITER SAMPLES WORK
Exit status 77 (a skipped test) only when Blender is not installed.
"""
import json
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from blender_environment import blender_environment

HERE = Path(__file__).resolve().parent
SKIPPED = 77


def kvd_info(kvd, scene):
    run = subprocess.run([kvd, "info", "--json", str(scene)], capture_output=True, text=True)
    return json.loads(run.stdout)


def expected_census(info, log_text):
    """What Blender should find: every object with triangles is a mesh object;
    every surface material it uses is one material; every colour image found
    for those materials is one image."""
    objects = [o for o in info["objects"]["list"] if o["triangles"] > 0]
    dropped = re.search(r"(\d+) triangles with coordinates that are not numbers", log_text)
    materials, sources = set(), set()
    for o in objects:
        material = o["material"]
        if material is None:
            continue
        if "file" in material:
            materials.add(("file", material["file"]))
            image = info["materials"][material["file"]].get("textureImage")
            if image and image["found"]:
                sources.add(image["found"])
        else:
            materials.add(("own", json.dumps(material, sort_keys=True)))
    return {
        "meshObjects": len(objects),
        "triangles": info["objects"]["triangles"] - (int(dropped.group(1)) if dropped else 0),
        "cameras": len(info["cameras"]),
        "materials": len(materials),
    }, sorted(sources)


def blender_censuses(blender, jobs, work):
    """What Blender finds in each file, by file name; one Blender for all."""
    jobs_path = work / "blender-jobs.json"
    jobs_path.write_text(json.dumps(jobs), encoding="utf-8")
    run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1",
                          "--python", str(HERE / "gltf_census.py"), "--", str(jobs_path)],
                         capture_output=True, text=True, env=blender_environment())
    censuses = {}
    for line in run.stdout.splitlines():
        if line.startswith("KVD-CENSUS "):
            census = json.loads(line[len("KVD-CENSUS "):])
            censuses[census["file"]] = census
    if run.returncode != 0:
        print(f"Blender failed (status {run.returncode}):\n{run.stdout[-3000:]}\n{run.stderr[-3000:]}")
    return censuses


def main(kvd, writer, samples, work):
    blender = shutil.which("blender")
    if blender is None:
        print("SKIPPED: Blender is not installed (Debian package blender; .ci/run installs it)")
        return SKIPPED
    work = Path(work)
    subprocess.run(["bash", str(HERE.parent / "gltf" / "convert-scenes.sh"), kvd, writer, samples, str(work)],
                   check=True)
    checks = []
    for scene in sorted((work / "scenes").glob("*.kvd")):
        info = kvd_info(kvd, scene)
        for output in [work / "glb" / (scene.stem + ".glb"), work / "gltf" / (scene.stem + ".gltf"),
                       work / "embed" / (scene.stem + ".gltf")]:
            expected, sources = expected_census(info, Path(str(output) + ".log").read_text())
            checks.append((output, expected, sources))
    censuses = blender_censuses(blender, [{"file": str(o), "sources": s} for o, _, s in checks], work)
    failures = 0
    for output, expected, sources in checks:
        relative = output.relative_to(work)
        census = censuses.get(str(output))
        if census is None or "error" in census:
            failures += 1
            print(f"FAIL {relative}: Blender did not import it: {census and census['error']}")
            continue
        found = {key: census[key] for key in expected}
        problems = [f"{key} {found[key]}, kvd info says {expected[key]}"
                    for key in expected if found[key] != expected[key]]
        if len(census["images"]) != len(sources):
            problems.append(f"{len(census['images'])} images, kvd info found {len(sources)}")
        elif census["images"] != census["sourceImages"]:
            problems.append(f"image sizes {census['images']}, sources {census['sourceImages']}")
        if problems:
            failures += 1
            print(f"FAIL {relative}: " + "; ".join(problems))
        else:
            print(f"ok   {relative}: {json.dumps(found)}, images {census['images']}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
