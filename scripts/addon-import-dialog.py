# Takes a picture of the kvd add-on's import dialog: Blender with a window (in
# a virtual display), the dialog opened on a scene, the screen captured with
# ImageMagick's import. Makes the README picture:
#
#   xvfb-run -a -s "-screen 0 1280x800x24" blender --factory-startup --window-geometry 0 0 1280 800 \
#       --python scripts/addon-import-dialog.py -- docs/blender-import-dialog.png samples/house.kvd
#
# The add-on must be installed for the user running Blender (or in BLENDER_USER_SCRIPTS).
import os
import subprocess
import sys

import bpy

arguments = sys.argv[sys.argv.index("--") + 1:]
PICTURE, SCENE = os.path.abspath(arguments[0]), os.path.abspath(arguments[1])


def open_dialog():
    bpy.ops.preferences.addon_enable(module="io_scene_kvd")
    window = bpy.context.window_manager.windows[0]
    with bpy.context.temp_override(window=window, area=window.screen.areas[0]):
        bpy.ops.import_scene.kvd('INVOKE_DEFAULT', filepath=SCENE)
    bpy.app.timers.register(capture, first_interval=4)


def capture():
    subprocess.run(["import", "-window", "root", PICTURE], check=True)
    bpy.ops.wm.quit_blender()


bpy.app.timers.register(open_dialog, first_interval=3)
