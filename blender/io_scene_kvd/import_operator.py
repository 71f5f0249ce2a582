"""File › Import › kvd scene (.kvd): one or several kvd scene files into the
current scene."""
import os
import sys
import traceback

import bpy
from bpy.props import BoolProperty, CollectionProperty, EnumProperty, FloatProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from .imported_data import ImportedData
from .kvd_package import kvd_package_for
from .progress import Progress
from .scene_import import ImportOptions, SceneImport

# kvd scenes are usually modelled in millimetres; Blender's unit is the metre.
SCALE_PRESETS = {'AS_STORED': 1.0, 'MILLIMETRES': 0.001}


def _apply_scale_preset(operator, _context):
    scale = SCALE_PRESETS.get(operator.scale_preset)
    if scale is not None and operator.global_scale != scale:
        operator.global_scale = scale


class ImportKvd(bpy.types.Operator, ImportHelper):
    """Load kvd scene files: meshes, materials with their images, cameras"""
    bl_idname = "import_scene.kvd"
    bl_label = "Import kvd"
    bl_options = {'REGISTER', 'UNDO', 'PRESET'}

    filename_ext = ".kvd"
    filter_glob: StringProperty(default="*.kvd", options={'HIDDEN'})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement, options={'HIDDEN', 'SKIP_SAVE'})
    directory: StringProperty(subtype='DIR_PATH', options={'HIDDEN', 'SKIP_SAVE'})

    scale_preset: EnumProperty(
        name="Units",
        description="What one unit of the file is",
        items=(('AS_STORED', "As Stored", "One unit of the file is one Blender unit (scale 1.0)"),
               ('MILLIMETRES', "Millimetres", "One unit of the file is a millimetre (scale 0.001)"),
               ('CUSTOM', "Custom", "The scale below")),
        default='AS_STORED', update=_apply_scale_preset)
    global_scale: FloatProperty(
        name="Scale", description="Every point and camera is multiplied by this",
        default=1.0, min=1e-9, max=1e9, soft_min=1e-4, soft_max=1e4, precision=4)
    merge_points: BoolProperty(
        name="Merge Equal Points",
        description="Points stored more than once at exactly the same place become one vertex, "
                    "as kvd convert merges them",
        default=False)
    import_cameras: BoolProperty(
        name="Cameras", description="Make the file's cameras, its default camera the scene camera",
        default=True)
    texture_folders: StringProperty(
        name="Textures", subtype='DIR_PATH',
        description="More folders to look for texture images in, after the scene's own folder and "
                    "its maps and textures folders (several separated by ';')",
        default="")

    def draw(self, _context):
        layout = self.layout
        layout.use_property_split = True
        layout.use_property_decorate = False
        layout.prop(self, "scale_preset")
        row = layout.row()
        row.enabled = self.scale_preset == 'CUSTOM'
        row.prop(self, "global_scale")
        layout.prop(self, "merge_points")
        layout.prop(self, "import_cameras")
        layout.prop(self, "texture_folders")

    def invoke(self, context, event):
        # A file dropped on the 3D view (Blender 4.1 and later) comes with its
        # path: only the options are asked for.
        if self.directory and self.files and hasattr(self, "invoke_popup"):
            return self.invoke_popup(context)
        return ImportHelper.invoke(self, context, event)

    def scale(self):
        """The preset's scale; the Scale field for Custom, or when a script
        gives a scale and no preset."""
        if self.scale_preset == 'CUSTOM' or (not self.properties.is_property_set("scale_preset")
                                             and self.properties.is_property_set("global_scale")):
            return self.global_scale
        return SCALE_PRESETS[self.scale_preset]

    def paths(self):
        if self.files and self.directory:
            return [os.path.join(self.directory, f.name) for f in self.files if f.name]
        return [self.filepath] if self.filepath else []

    def execute(self, context):
        kvd = kvd_package_for(self)
        if kvd is None:
            return {'CANCELLED'}
        paths = self.paths()
        if not paths:
            self.report({'ERROR'}, "No file chosen")
            return {'CANCELLED'}
        options = ImportOptions(scale=self.scale(), merge_points=self.merge_points,
                                import_cameras=self.import_cameras)
        folders = [f for f in self.texture_folders.split(";") if f.strip()]
        imported, succeeded = [], 0
        for path in paths:
            objects = self._import_file(context, kvd, path, options, folders)
            if objects is not None:
                succeeded += 1
                imported.extend(objects)
        if imported:
            _select(context, imported)
        return {'FINISHED'} if succeeded else {'CANCELLED'}

    def _import_file(self, context, kvd, path, options, folders):
        """Imports one file; None (and the scene untouched) when it cannot be."""
        name = os.path.basename(path)
        scene = self._load(kvd, path, name, folders)
        if scene is None:
            return None
        created = ImportedData()
        warnings = []
        try:
            with Progress(context.window_manager, scene.triangle_count + len(scene.meshes)) as progress:
                builder = SceneImport(context, scene, options, created, warnings.append, progress)
                objects = builder.run()
        except Exception as error:   # nothing half-built stays behind
            created.remove_all()
            print(f"io_scene_kvd: importing {path} failed:", file=sys.stderr)
            traceback.print_exc()
            self.report({'ERROR'}, f"{name}: could not be imported: {error}")
            return None
        for warning in warnings:
            self.report({'WARNING'}, f"{name}: {warning}")
        meshes = sum(1 for o in objects if o.type == 'MESH')
        cameras = sum(1 for o in objects if o.type == 'CAMERA')
        self.report({'INFO'}, f"{name}: {meshes} objects, {scene.triangle_count} triangles, {cameras} cameras")
        return objects

    def _load(self, kvd, path, name, folders):
        try:
            scene = kvd.load(path, textures=folders)
        except kvd.DamagedFile as error:
            if error.scene is None:
                self.report({'ERROR'}, f"{name}: {_message(error, path)}")
                return None
            scene = error.scene
        except kvd.NotKvdFile:
            self.report({'ERROR'}, f"{name}: not a kvd scene file")
            return None
        except OSError as error:
            self.report({'ERROR'}, f"{name} cannot be opened: {_message(error, path)}")
            return None
        except kvd.KvdError as error:
            self.report({'ERROR'}, f"{name}: {_message(error, path)}")
            return None
        if scene.status == kvd.Status.DAMAGED:
            self.report({'WARNING'}, f"{name} is damaged: imported what was read before the damage")
        for message in scene.messages:
            self.report({'WARNING'}, f"{name}: {message.meaning} ({message.text})")
        return scene


def _message(error, path=None):
    """The library's message, without the path it starts with (the report
    names the file already)."""
    message = getattr(error, "message", None) or str(error)
    if path and path in message:
        message = message.split(path, 1)[1].lstrip(": ") or message
    return message


def _select(context, objects):
    """The new objects selected, the first mesh (else the first) active, as
    Blender's own importers leave them."""
    for obj in context.view_layer.objects:
        if obj.select_get():
            obj.select_set(False)
    for obj in objects:
        if obj.name in context.view_layer.objects:
            obj.select_set(True)
    active = next((o for o in objects if o.type == 'MESH'), objects[0])
    if active.name in context.view_layer.objects:
        context.view_layer.objects.active = active


def menu_import(self, _context):
    self.layout.operator(ImportKvd.bl_idname, text="kvd scene (.kvd)")
