# Renders a converted scene with Blender from the scene's first camera (the
# host's default camera): Cycles on the CPU, a few samples, a sun and a sky
# colour, since the scene has no lights of its own. Makes the README pictures:
#
#   build/bin/kvd convert samples/house.kvd /tmp/house.glb
#   blender -b --factory-startup --python scripts/render-sample.py -- /tmp/house.glb docs/house-render.jpg
#
# A .kvd scene is imported with the kvd add-on (installed for the user running
# Blender, or in BLENDER_USER_SCRIPTS), which sets the file's default camera
# as the scene camera:
#
#   blender -b --factory-startup --python scripts/render-sample.py -- samples/house.kvd docs/blender-addon-house.jpg
#
# The picture's format follows its extension: .jpg (small, for the README) or .png.
import json
import math
import struct
import sys

import numpy

# Blender 3.4's glTF importer still uses numpy.bool, which newer NumPy dropped.
if "bool" not in vars(numpy):
    numpy.bool = bool

import bpy

WIDTH, HEIGHT = 640, 480   # the 4:3 view the converted cameras are made for
SAMPLES = 24


def first_camera_name(path):
    """The node name of the file's first camera, read from the glTF itself."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:4] == b"glTF":
        length = struct.unpack_from("<I", data, 12)[0]
        gltf = json.loads(data[20:20 + length])
    else:
        gltf = json.loads(data)
    for node in gltf.get("nodes", []):
        if node.get("camera") == 0:
            return node.get("name")
    return None


def main(source, picture):
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.cameras, bpy.data.lights):
        for item in list(collection):
            collection.remove(item)
    scene = bpy.context.scene
    if source.lower().endswith(".kvd"):
        bpy.ops.preferences.addon_enable(module="io_scene_kvd")
        bpy.ops.import_scene.kvd(filepath=source)
    else:
        bpy.ops.import_scene.gltf(filepath=source)
        cameras = [o for o in scene.objects if o.type == 'CAMERA']
        wanted = first_camera_name(source)
        scene.camera = next((c for c in cameras if c.name == wanted), cameras[0] if cameras else None)
    if scene.camera is None:
        sys.exit("the scene has no camera")

    sun = bpy.data.objects.new("sun", bpy.data.lights.new("sun", type='SUN'))
    sun.data.energy = 4.0
    sun.rotation_euler = (math.radians(50), math.radians(10), math.radians(30))
    scene.collection.objects.link(sun)
    world = scene.world or bpy.data.worlds.new("world")
    scene.world = world
    world.use_nodes = True
    world.node_tree.nodes["Background"].inputs["Color"].default_value = (0.55, 0.65, 0.8, 1.0)
    world.node_tree.nodes["Background"].inputs["Strength"].default_value = 0.8

    scene.render.engine = 'CYCLES'
    scene.cycles.device = 'CPU'
    scene.cycles.samples = SAMPLES
    scene.cycles.use_denoising = False   # Debian's Blender is built without a denoiser
    scene.render.resolution_x, scene.render.resolution_y = WIDTH, HEIGHT
    scene.render.resolution_percentage = 100
    if picture.lower().endswith((".jpg", ".jpeg")):
        scene.render.image_settings.file_format = 'JPEG'
        scene.render.image_settings.quality = 85
    else:
        scene.render.image_settings.file_format = 'PNG'
    scene.render.filepath = picture
    bpy.ops.render.render(write_still=True)


arguments = sys.argv[sys.argv.index("--") + 1:]
main(arguments[0], arguments[1])
