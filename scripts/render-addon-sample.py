# Imports a kvd scene with the kvd add-on and renders it from the scene camera
# the add-on set (the file's default camera, 22 degrees wide on 4:3): Cycles
# on the CPU, a few samples, a sun and a sky colour, since the scene has no
# lights of its own. Makes the README picture:
#
#   blender -b --factory-startup --python scripts/render-addon-sample.py -- samples/house.kvd docs/blender-addon-house.jpg
#
# The add-on must be installed for the user running Blender (or in BLENDER_USER_SCRIPTS).
import math
import sys

import bpy

WIDTH, HEIGHT = 640, 480   # the host's 4:3 view
SAMPLES = 24


def main(scene_path, picture):
    bpy.ops.preferences.addon_enable(module="io_scene_kvd")
    for collection in (bpy.data.objects, bpy.data.meshes, bpy.data.materials, bpy.data.cameras, bpy.data.lights):
        for item in list(collection):
            collection.remove(item)
    bpy.ops.import_scene.kvd(filepath=scene_path, scale_preset='MILLIMETRES')
    scene = bpy.context.scene
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
