# Runs inside Blender: times the kvd add-on against Blender's own glTF add-on
# on the same grid, side by side in this one Blender: the add-on importing
# the .kvd, the glTF importer importing the .glb kvd convert made of it, and
# both exporters writing the scene the add-on imported. Each step several
# times, alternating; for each run the wall time and the peak resident memory
# the step added (the peak is reset before each step). One JSON line after
# "KVD-BENCH " for blender_addon.py.
#
# usage: blender -b --factory-startup --python blender_addon_timing.py -- ZIP GRID.kvd GRID.glb OUT_DIR RUNS
import gc
import json
import os
import sys
import time

import numpy

# Blender 3.4's glTF importer still uses numpy.bool, which newer NumPy dropped.
if "bool" not in vars(numpy):
    numpy.bool = bool

import bpy


def resident():
    """Resident and peak resident memory of this process, in bytes."""
    values = {}
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(("VmRSS:", "VmHWM:")):
                name, amount, _ = line.split()
                values[name] = int(amount) * 1024
    return values["VmRSS:"], values["VmHWM:"]


def reset_peak():
    with open("/proc/self/clear_refs", "w") as refs:
        refs.write("5")


def empty_the_file():
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.cameras,
                       bpy.data.lights, bpy.data.images):
        for item in list(collection):
            collection.remove(item)
    gc.collect()


def timed(step):
    gc.collect()
    reset_peak()
    before, _ = resident()
    start = time.perf_counter()
    step()
    seconds = time.perf_counter() - start
    _, peak = resident()
    return {"seconds": seconds, "peakAdded": peak - before, "peak": peak}


def triangles():
    return sum(len(o.data.polygons) for o in bpy.context.scene.objects if o.type == 'MESH')


def main(zip_path, kvd_path, glb_path, out_dir, runs):
    bpy.ops.preferences.addon_install(filepath=zip_path, overwrite=True)
    bpy.ops.preferences.addon_enable(module="io_scene_kvd")
    results = {name: [] for name in ("kvdImport", "gltfImport", "kvdExport", "gltfExport")}
    counts = {}
    for run in range(runs):
        order = ["kvd", "gltf"] if run % 2 == 0 else ["gltf", "kvd"]
        for which in order:
            empty_the_file()
            if which == "kvd":
                results["kvdImport"].append(timed(lambda: bpy.ops.import_scene.kvd(filepath=kvd_path)))
                counts["kvdImport"] = triangles()
                # Both exporters write the scene the add-on made.
                for name, step in (("kvdExport", lambda: bpy.ops.export_scene.kvd(
                                        filepath=os.path.join(out_dir, "export.kvd"))),
                                   ("gltfExport", lambda: bpy.ops.export_scene.gltf(
                                        filepath=os.path.join(out_dir, "export.glb"), export_format='GLB'))):
                    results[name].append(timed(step))
            else:
                results["gltfImport"].append(timed(lambda: bpy.ops.import_scene.gltf(filepath=glb_path)))
                counts["gltfImport"] = triangles()
    print("KVD-BENCH " + json.dumps({"runs": results, "triangles": counts,
                                     "blender": bpy.app.version_string}), flush=True)


arguments = sys.argv[sys.argv.index("--") + 1:]
main(arguments[0], arguments[1], arguments[2], arguments[3], int(arguments[4]))
