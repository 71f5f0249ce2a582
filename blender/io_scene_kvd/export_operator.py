"""File › Export › kvd scene (.kvd): the visible or selected objects as a kvd
scene the host imports, its images beside it."""
import os
import sys
import traceback

import bpy
from bpy.props import BoolProperty, FloatProperty, StringProperty
from bpy_extras.io_utils import ExportHelper

from .kvd_package import kvd_package_for
from .progress import Progress
from .scene_export import EXPORTED_TYPES, ExportOptions, SceneExport


class ExportKvd(bpy.types.Operator, ExportHelper):
    """Save the scene as a kvd scene file for the host, with its texture images beside it"""
    bl_idname = "export_scene.kvd"
    bl_label = "Export kvd"
    bl_options = {'PRESET'}

    filename_ext = ".kvd"
    filter_glob: StringProperty(default="*.kvd", options={'HIDDEN'})

    use_selection: BoolProperty(
        name="Selected Only", description="Export the selected objects only (else every visible one)",
        default=False)
    apply_modifiers: BoolProperty(
        name="Apply Modifiers", description="Export each object as its modifiers make it", default=True)
    export_cameras: BoolProperty(
        name="Cameras", description="Export the cameras, the scene camera first (the host's default view)",
        default=True)
    global_scale: FloatProperty(
        name="Scale", description="Every point and camera is multiplied by this "
                                  "(1000 for a scene in metres that the host should see in millimetres)",
        default=1.0, min=1e-9, max=1e9, soft_min=1e-4, soft_max=1e4, precision=4)

    def draw(self, _context):
        layout = self.layout
        layout.use_property_split = True
        layout.use_property_decorate = False
        layout.prop(self, "use_selection")
        layout.prop(self, "apply_modifiers")
        layout.prop(self, "export_cameras")
        layout.prop(self, "global_scale")

    def execute(self, context):
        kvd = kvd_package_for(self)
        if kvd is None:
            return {'CANCELLED'}
        options = ExportOptions(use_selection=self.use_selection, apply_modifiers=self.apply_modifiers,
                                export_cameras=self.export_cameras, scale=self.global_scale)
        name = os.path.basename(self.filepath)
        warnings = []
        chosen = [o for o in context.view_layer.objects if o.type in EXPORTED_TYPES
                  and (o.select_get() if self.use_selection else o.visible_get())]
        try:
            with Progress(context.window_manager, len(chosen)) as progress:
                summary = SceneExport(context, kvd, self.filepath, options, warnings.append, progress).run()
        except OSError as error:
            self.report({'ERROR'}, f"{name} cannot be written: {error.strerror or error}")
            return {'CANCELLED'}
        except kvd.KvdError as error:
            self.report({'ERROR'}, f"{name} cannot be written: {getattr(error, 'message', None) or error}")
            return {'CANCELLED'}
        except Exception as error:
            print(f"io_scene_kvd: exporting {self.filepath} failed:", file=sys.stderr)
            traceback.print_exc()
            self.report({'ERROR'}, f"{name} cannot be written: {error}")
            return {'CANCELLED'}
        for warning in warnings:
            self.report({'WARNING'}, f"{name}: {warning}")
        self.report({'INFO'}, f"{name}: {summary.meshes} meshes, {summary.triangles} triangles, "
                              f"{summary.cameras} cameras, {summary.images} images written")
        return {'FINISHED'}


def menu_export(self, _context):
    self.layout.operator(ExportKvd.bl_idname, text="kvd scene (.kvd)")
