"""kvd scenes in Blender: File › Import and File › Export › kvd scene (.kvd)."""

bl_info = {
    "name": "kvd scene format",
    "author": "QUENDARIL developers",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "File > Import-Export > kvd scene (.kvd)",
    "description": "Import and export kvd scene files: meshes, materials with their images, cameras",
    "category": "Import-Export",
}

import bpy

from .export_operator import ExportKvd, menu_export
from .import_operator import ImportKvd, menu_import

_classes = [ImportKvd, ExportKvd]

# Blender 4.1 and later open a file dropped on the 3D view through a file handler.
if hasattr(bpy.types, "FileHandler"):
    class IO_FH_kvd(bpy.types.FileHandler):
        bl_idname = "IO_FH_kvd"
        bl_label = "kvd scene"
        bl_import_operator = ImportKvd.bl_idname
        bl_export_operator = ExportKvd.bl_idname
        bl_file_extensions = ".kvd"

        @classmethod
        def poll_drop(cls, context):
            return context.area is not None and context.area.type == 'VIEW_3D'

    _classes.append(IO_FH_kvd)


def register():
    for cls in _classes:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)
    bpy.types.TOPBAR_MT_file_export.append(menu_export)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(menu_export)
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for cls in reversed(_classes):
        bpy.utils.unregister_class(cls)
