"""Run inside Blender: builds the test models (a cube, a plane with a PNG
texture, a camera, a parent turned and scaled with a turned and scaled
child), exports them with Blender's own glTF and OBJ exporters, and writes
what the host must get: every object's triangles in world space (Blender's
Z-up axes, which a kvd scene shares) and the camera's place.

usage: blender -b --factory-startup --python make-models.py -- OUT_FOLDER
"""
import json
import sys
from pathlib import Path

import bmesh
import bpy
from mathutils import Vector

out = Path(sys.argv[sys.argv.index("--") + 1])
out.mkdir(parents=True, exist_ok=True)
bpy.ops.wm.read_factory_settings(use_empty=True)

bpy.ops.mesh.primitive_cube_add(size=2, location=(0, 0, 1))
bpy.context.object.name = "Cube"

bpy.ops.mesh.primitive_plane_add(size=4, location=(5, 0, 0))
plane = bpy.context.object
plane.name = "Plane"
image = bpy.data.images.new("checker", 16, 16)
image.pixels = [v for y in range(16) for x in range(16)
                for v in ((0.9, 0.2, 0.1, 1.0) if (x // 4 + y // 4) % 2 else (0.1, 0.3, 0.9, 1.0))]
image.filepath_raw = str(out / "checker.png")
image.file_format = "PNG"
image.save()
material = bpy.data.materials.new("Checker")
material.use_nodes = True
nodes = material.node_tree.nodes
texture = nodes.new("ShaderNodeTexImage")
texture.image = image
material.node_tree.links.new(texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"])
plane.data.materials.append(material)

bpy.ops.mesh.primitive_cube_add(size=1, location=(-5, 1, 0.5))
parent = bpy.context.object
parent.name = "Parent"
parent.rotation_euler = (0.0, 0.0, 0.8)
parent.scale = (1.5, 1.5, 1.5)
bpy.ops.mesh.primitive_cone_add(vertices=8, radius1=0.5, depth=1.0)
child = bpy.context.object
child.name = "Child"
child.parent = parent
child.location = (0.0, 0.0, 2.0)
child.rotation_euler = (0.3, 0.5, 0.7)
child.scale = (1.0, 2.0, 0.5)

bpy.ops.object.camera_add(location=(12.0, -10.0, 8.0))
camera = bpy.context.object
camera.name = "View"
camera.rotation_euler = (Vector((0.0, 0.0, 0.0)) - camera.location).to_track_quat("-Z", "Y").to_euler()
bpy.context.view_layer.update()

# Triangles of Blender's own choosing, the same for both exporters and for
# what the host must get.
for ob in bpy.context.scene.objects:
    if ob.type == "MESH":
        triangulated = bmesh.new()
        triangulated.from_mesh(ob.data)
        bmesh.ops.triangulate(triangulated, faces=triangulated.faces[:])
        triangulated.to_mesh(ob.data)
        triangulated.free()

depsgraph = bpy.context.evaluated_depsgraph_get()
objects = {}
for ob in bpy.context.scene.objects:
    if ob.type != "MESH":
        continue
    mesh = ob.evaluated_get(depsgraph).to_mesh()
    mesh.calc_loop_triangles()
    objects[ob.name] = [[list(ob.matrix_world @ mesh.vertices[v].co) for v in tri.vertices]
                        for tri in mesh.loop_triangles]
expected = {"objects": objects,
            "camera": {"name": camera.name, "eye": list(camera.matrix_world.translation),
                       "view": list(camera.matrix_world.to_3x3() @ Vector((0.0, 0.0, -1.0)))}}
(out / "expected.json").write_text(json.dumps(expected))

bpy.ops.export_scene.gltf(filepath=str(out / "models.glb"), export_format="GLB", export_cameras=True)
bpy.ops.wm.obj_export(filepath=str(out / "models.obj"), export_materials=True, export_triangulated_mesh=True)
print("KVD-MODELS written")
