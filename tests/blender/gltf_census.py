# Runs inside Blender: imports each glTF file of a job list into an empty
# scene and prints what Blender made of it as one JSON line after
# "KVD-CENSUS ": mesh objects, triangles, cameras, materials and the size of
# every image, then the size Blender reads for each of the file's source
# images. One Blender for all files, since starting it costs more than an
# import.
#
# usage: blender -b --factory-startup --python gltf_census.py -- JOBS.json
# JOBS.json: [{"file": "a.glb", "sources": ["wood.jpg", ...]}, ...]
import json
import sys

import numpy

# Blender 3.4's glTF importer still uses numpy.bool, which newer NumPy dropped.
if "bool" not in vars(numpy):
    numpy.bool = bool

import bpy


def empty_the_file():
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.cameras,
                       bpy.data.lights, bpy.data.images):
        for item in list(collection):
            collection.remove(item)


def census_of(path, sources):
    empty_the_file()
    bpy.ops.import_scene.gltf(filepath=path)
    objects = bpy.context.scene.objects
    meshes = [o for o in objects if o.type == 'MESH']
    census = {
        "meshObjects": len(meshes),
        "triangles": sum(len(p.vertices) - 2 for o in meshes for p in o.data.polygons),
        "cameras": sum(1 for o in objects if o.type == 'CAMERA'),
        "materials": len(bpy.data.materials),
        "images": sorted([list(image.size) for image in bpy.data.images]),
    }
    source_sizes = []
    for source in sources:
        image = bpy.data.images.load(source, check_existing=False)
        source_sizes.append(list(image.size))
    census["sourceImages"] = sorted(source_sizes)
    return census


def main(jobs_path):
    with open(jobs_path, encoding="utf-8") as jobs:
        for job in json.load(jobs):
            try:
                census = census_of(job["file"], job["sources"])
            except Exception as error:   # one file failing is reported, the others still run
                census = {"error": str(error)}
            census["file"] = job["file"]
            print("KVD-CENSUS " + json.dumps(census), flush=True)


main(sys.argv[sys.argv.index("--") + 1])
