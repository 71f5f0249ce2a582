# Runs inside Blender: installs the add-on zip as a user would
# (Preferences › Add-ons › Install), enables it, and carries out a job list:
# imports (one file, several at once, with options), imports that must fail
# and leave the scene as it was, and exports of what was imported. After each
# job one JSON line after "KVD-ADDON " says what Blender holds, for
# addon-tests.py to compare with kvd info and kvd trace; the operators'
# reports are the lines Blender prints after "KVD-REPORTS " and before it.
#
# usage: blender -b --factory-startup --python-exit-code 1 --python addon_checks.py -- JOBS.json
import json
import math
import os
import sys

import bpy
import numpy

def install(zip_path):
    bpy.ops.preferences.addon_install(filepath=zip_path, overwrite=True)
    bpy.ops.preferences.addon_enable(module="io_scene_kvd")


def empty_the_file():
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.cameras,
                       bpy.data.lights, bpy.data.images):
        for item in list(collection):
            collection.remove(item)


def data_counts():
    return {name: len(getattr(bpy.data, name))
            for name in ("objects", "meshes", "materials", "cameras", "images", "collections")}


def kvd_name(datablock):
    return datablock.get("kvd_name", datablock.name)


def material_census(material):
    bsdf = next((n for n in material.node_tree.nodes if n.type == 'BSDF_PRINCIPLED'), None)
    def image_into(node, socket):
        if node is None or not node.inputs[socket].is_linked:
            return None
        source = node.inputs[socket].links[0].from_node
        return bpy.path.abspath(source.image.filepath) if source.type == 'TEX_IMAGE' and source.image else None
    bump = None
    if bsdf is not None and bsdf.inputs["Normal"].is_linked:
        bump_node = bsdf.inputs["Normal"].links[0].from_node
        bump = image_into(bump_node, "Height") if bump_node.type == 'BUMP' else None
    return {"name": kvd_name(material), "baseColour": list(bsdf.inputs["Base Color"].default_value)[:3],
            "image": image_into(bsdf, "Base Color"), "bump": bump}


def camera_census(obj):
    matrix = obj.matrix_world
    forward = -(matrix.to_3x3().col[2])
    target = obj.get("kvd_target")
    towards = None
    if target is not None:
        to_target = (matrix.translation.__class__(target) - matrix.translation)
        if to_target.length > 0 and forward.length > 0:
            towards = math.degrees(forward.angle(to_target))
    up = matrix.to_3x3().col[1]
    return {"name": kvd_name(obj), "eye": list(matrix.translation), "target": list(target) if target else None,
            "degreesOffTarget": towards, "up": list(up), "angle": math.degrees(obj.data.angle),
            "sensorFit": obj.data.sensor_fit, "clip": [obj.data.clip_start, obj.data.clip_end]}


def census():
    scene = bpy.context.scene
    meshes = [o for o in scene.objects if o.type == 'MESH']
    low, high = [math.inf] * 3, [-math.inf] * 3
    objects = []
    for obj in meshes:
        data = obj.data
        points = numpy.empty(len(data.vertices) * 3, dtype=numpy.float32)
        data.vertices.foreach_get("co", points)
        points = points.reshape(-1, 3).astype(numpy.float64)
        points = points @ numpy.array(obj.matrix_world.to_3x3()).T + numpy.array(obj.matrix_world.translation)
        points = points[numpy.isfinite(points).all(axis=1)]
        if len(points):
            low = [min(a, float(b)) for a, b in zip(low, points.min(axis=0))]
            high = [max(a, float(b)) for a, b in zip(high, points.max(axis=0))]
        objects.append({"name": kvd_name(obj), "triangles": sum(len(p.vertices) - 2 for p in data.polygons),
                        "vertices": len(data.vertices), "uv": len(data.uv_layers) > 0,
                        "parent": kvd_name(obj.parent) if obj.parent else None,
                        "material": kvd_name(data.materials[0]) if len(data.materials) and data.materials[0] else None})
    used = {m for o in meshes for m in o.data.materials if m is not None}
    return {
        "objects": objects,
        "triangles": sum(o["triangles"] for o in objects),
        "bounds": [low, high] if meshes and math.isfinite(low[0]) else None,
        "materials": sorted((material_census(m) for m in used), key=lambda m: m["name"]),
        "images": sorted(bpy.path.abspath(i.filepath) for i in bpy.data.images if i.filepath),
        "imageSizes": sorted(list(i.size) for i in bpy.data.images if i.filepath),
        "cameras": [camera_census(o) for o in scene.objects if o.type == 'CAMERA'],
        "sceneCamera": kvd_name(scene.camera) if scene.camera else None,
        "empties": [kvd_name(o) for o in scene.objects if o.type == 'EMPTY'],
        "data": data_counts(),
    }


def run(operator, **arguments):
    """Calls an operator as the file browser would; its result, or the error
    it reported (Blender raises an operator's error report in a script)."""
    try:
        return sorted(operator(**arguments)), None
    except RuntimeError as error:
        return ["CANCELLED"], str(error)


def make_scene(kind, path):
    """A scene written by the add-on's own copy of the package: a square of two
    triangles, each with points of its own (two of them stored twice), and
    the first triangle stored a second time."""
    from io_scene_kvd import kvd
    builder = kvd.SceneBuilder()
    points = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 0, 0], [1, 1, 0], [0, 1, 0]]
    builder.add_mesh("square", numpy.array(points, dtype=numpy.float32), numpy.array([[0, 1, 2], [3, 4, 5], [0, 1, 2]]))
    kvd.save(builder.build(), path)


def blender_scene(folder):
    """A scene made in Blender, as an export meets it: a cube mirrored in x
    with two materials under an empty, a plane with a PNG image on its base
    colour and a modifier, and a camera looking at them."""
    empty_the_file()
    scene = bpy.context.scene
    image = bpy.data.images.new("checker", 16, 8)
    image.generated_type = 'COLOR_GRID'
    image.filepath_raw = os.path.join(folder, "checker.png")
    image.file_format = 'PNG'
    image.save()
    textured = bpy.data.materials.new("textured")
    textured.use_nodes = True
    bsdf = textured.node_tree.nodes["Principled BSDF"]
    node = textured.node_tree.nodes.new("ShaderNodeTexImage")
    node.image = image
    textured.node_tree.links.new(node.outputs["Color"], bsdf.inputs["Base Color"])
    red, blue = bpy.data.materials.new("red"), bpy.data.materials.new("blue")
    red.diffuse_color, blue.diffuse_color = (0.8, 0.1, 0.1, 1), (0.1, 0.1, 0.8, 1)
    group = bpy.data.objects.new("group", None)
    scene.collection.objects.link(group)
    bpy.ops.mesh.primitive_cube_add(size=2.0, location=(5.0, 0.0, 1.0))
    cube = bpy.context.object
    cube.name = "mirrored cube"
    cube.scale = (-1.0, 1.0, 1.0)
    cube.data.materials.append(red)
    cube.data.materials.append(blue)
    for polygon in cube.data.polygons:
        polygon.material_index = polygon.index % 2
    cube.parent = group
    bpy.ops.mesh.primitive_plane_add(size=4.0)
    plane = bpy.context.object
    plane.name = "plane"
    plane.data.materials.append(textured)
    plane.modifiers.new("more", 'SUBSURF').levels = 1
    camera = bpy.data.objects.new("view", bpy.data.cameras.new("view"))
    scene.collection.objects.link(camera)
    camera.location = (0.0, -20.0, 5.0)
    camera.rotation_euler = (math.radians(75), 0.0, 0.0)
    scene.camera = camera


def do_job(job):
    if job.get("make"):
        make_scene(job["make"], job["files"][0])
    if job.get("blenderScene"):
        blender_scene(job["blenderScene"])
        print("KVD-REPORTS " + job["name"], flush=True)
        result, error = run(bpy.ops.export_scene.kvd, filepath=job["export"])
        print("KVD-ADDON " + json.dumps({"job": job["name"], "exportResult": result, "exportError": error}),
              flush=True)
        return
    if job.get("fresh", True):
        empty_the_file()
    if job.get("before"):   # a scene that a failing import must leave as it is
        run(bpy.ops.import_scene.kvd, filepath=job["before"])
    before = census()
    # What the operators report is printed by Blender between these lines.
    print("KVD-REPORTS " + job["name"], flush=True)
    files = job["files"]
    if len(files) == 1:
        result, error = run(bpy.ops.import_scene.kvd, filepath=files[0], **job.get("options", {}))
    else:
        directory = os.path.dirname(files[0])
        result, error = run(bpy.ops.import_scene.kvd, directory=directory,
                            files=[{"name": os.path.basename(f)} for f in files], **job.get("options", {}))
    outcome = {"job": job["name"], "result": result, "error": error, "census": census(), "before": before}
    if job.get("export"):
        outcome["exportResult"], outcome["exportError"] = run(bpy.ops.export_scene.kvd, filepath=job["export"],
                                                              **job.get("exportOptions", {}))
    print("KVD-ADDON " + json.dumps(outcome), flush=True)


def main(jobs_path):
    with open(jobs_path, encoding="utf-8") as file:
        plan = json.load(file)
    install(plan["zip"])
    for job in plan["jobs"]:
        do_job(job)


main(sys.argv[sys.argv.index("--") + 1])
