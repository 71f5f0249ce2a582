"""The visible (or selected) objects of a Blender scene gathered as a kvd scene:
each object's evaluated mesh in world space, in triangles, one kvd mesh per
material it uses; its materials with their images; the cameras, the scene
camera first. The scene is written by the library's writer."""
import math
import os
from dataclasses import dataclass

import numpy as np
from mathutils import Matrix, Vector

from .camera_view import HOST_FOV_DEGREES, lies_along_view, target_for_view, view_direction
from .export_images import ImageWriter, remove_files
from .export_materials import describe, name_as_stored
from .scene_import import PROPERTY_TARGET

# Objects that have a mesh to give.
EXPORTED_TYPES = {'MESH', 'CURVE', 'SURFACE', 'FONT'}
# A camera whose width of view differs by more than this from the host's is said once.
FOV_TOLERANCE_DEGREES = 0.5


@dataclass
class ExportOptions:
    use_selection: bool = False
    apply_modifiers: bool = True
    export_cameras: bool = True
    scale: float = 1.0


@dataclass
class ExportSummary:
    meshes: int = 0
    triangles: int = 0
    cameras: int = 0
    images: int = 0


class SceneExport:
    def __init__(self, context, kvd, path, options, warn, progress):
        self._context = context
        self._kvd = kvd
        self._path = path
        self._options = options
        self._warn = warn
        self._progress = progress
        self._builder = kvd.SceneBuilder()
        stem = os.path.splitext(os.path.basename(path))[0]
        self._images = ImageWriter(os.path.dirname(os.path.abspath(path)), stem, warn)
        self._materials = {}    # Blender material (or None) -> kvd material index or own colour
        self._groups = {}       # empty object -> group node
        self._low = np.full(3, np.inf)
        self._high = np.full(3, -np.inf)
        self.summary = ExportSummary()

    def chosen(self, obj):
        return obj.select_get() if self._options.use_selection else obj.visible_get()

    def run(self):
        objects = [o for o in self._context.view_layer.objects if o.type in EXPORTED_TYPES and self.chosen(o)]
        depsgraph = self._context.evaluated_depsgraph_get()
        for obj in objects:
            self._add_object(obj, depsgraph)
        if self._options.export_cameras:
            self._add_cameras()
        scene = self._builder.build()
        written = self._images.write()
        self.summary.images = len(written)
        try:
            self._kvd.save(scene, self._path)
        except BaseException:
            remove_files(written)
            raise
        return self.summary

    # -- Meshes -------------------------------------------------------------

    def _add_object(self, obj, depsgraph):
        source = obj.evaluated_get(depsgraph) if self._options.apply_modifiers else obj
        mesh = source.to_mesh()
        try:
            points, triangles, material_numbers = _triangles_of(mesh)
            matrix = source.matrix_world
            points = self._placed(points, matrix)
            if matrix.determinant() < 0.0:
                # A mirroring transform turns the faces inside out: two corners swap back.
                triangles = triangles[:, [0, 2, 1]]
            slots = [slot.material for slot in source.material_slots]
        finally:
            source.to_mesh_clear()
        if len(points):
            finite = points[np.isfinite(points).all(axis=1)]
            if len(finite):
                self._low = np.minimum(self._low, finite.min(axis=0))
                self._high = np.maximum(self._high, finite.max(axis=0))
        name = name_as_stored(obj)
        parent = self._parent_group(obj)
        numbers = _in_order_of_use(material_numbers)
        if len(numbers) <= 1:
            slot = int(numbers[0]) if len(numbers) else 0
            self._add_mesh(name, points, triangles, _slot(slots, slot), parent)
        else:
            for number in numbers:
                part = triangles[material_numbers == number]
                used, renumbered = np.unique(part, return_inverse=True)
                self._add_mesh(name, points[used], renumbered.reshape(-1, 3), _slot(slots, int(number)), parent)
        self._progress.advance(1)

    def _placed(self, points, matrix):
        """Points in world space and the export's scale; a point no transform
        or scale moves keeps its bits (a -0 stays -0)."""
        scale = self._options.scale
        if matrix == Matrix.Identity(4):
            if scale == 1.0:
                return points
            return (points.astype(np.float64) * scale).astype(np.float32)
        linear = np.array(matrix.to_3x3(), dtype=np.float64)
        offset = np.array(matrix.translation, dtype=np.float64)
        return ((points.astype(np.float64) @ linear.T + offset) * scale).astype(np.float32)

    def _add_mesh(self, name, points, triangles, material, parent):
        kvd_material = self._material(material)
        if not np.isfinite(points).all():
            # The writer takes finite points only; a point no triangle can show is moved onto one that is.
            bad = ~np.isfinite(points).all(axis=1)
            keep = ~(bad[triangles].any(axis=1))
            if (~keep).any():
                self._warn(f"{name}: {int((~keep).sum())} triangles with a corner that is not a number were left out")
            triangles = triangles[keep]
            good = np.flatnonzero(~bad)
            points = points.copy()
            points[bad] = points[good[0]] if len(good) else 0.0
        self._builder.add_mesh(name, points, triangles, material=kvd_material, parent=parent)
        self.summary.meshes += 1
        self.summary.triangles += len(triangles)

    def _material(self, material):
        key = material.name if material is not None else None
        if key in self._materials:
            return self._materials[key]
        out = describe(material)
        if out.own_colour:
            made = tuple(out.diffuse)
        else:
            # A name with no image (one the file named but nobody found) goes as it is.
            texture = self._images.name_for(out.texture_image, out.texture_name) if out.texture_image \
                else out.texture_name
            bump = self._images.name_for(out.bump_image, out.bump_name) if out.bump_image else out.bump_name
            colours = [_finite(c, out.name, self._warn) for c in (out.diffuse, out.ambient, out.specular)]
            shininess = out.shininess if math.isfinite(out.shininess) else 0.0
            made = self._builder.add_material(out.name, colours[0], ambient=colours[1], specular=colours[2],
                                              shininess=shininess, texture=texture, bump=bump)
        self._materials[key] = made
        return made

    def _parent_group(self, obj):
        """The group node of the nearest empty above the object, made (with
        the groups above it) when first needed; None at the top."""
        parent = obj.parent
        while parent is not None and parent.type != 'EMPTY':
            parent = parent.parent
        if parent is None:
            return None
        group = self._groups.get(parent.name)
        if group is None:
            group = self._builder.add_group(name_as_stored(parent), parent=self._parent_group(parent))
            self._groups[parent.name] = group
        return group

    # -- Cameras ------------------------------------------------------------

    def _add_cameras(self):
        scene_camera = self._context.scene.camera
        cameras = [o for o in self._context.view_layer.objects if o.type == 'CAMERA' and self.chosen(o)]
        if scene_camera in cameras:
            cameras.remove(scene_camera)
            cameras.insert(0, scene_camera)
        bounds = (self._low, self._high) if np.isfinite(self._low).all() else None
        scale = self._options.scale
        other_fov = 0
        for obj in cameras:
            if obj.data.type != 'PERSP':
                self._warn(f"camera {obj.name} is not a perspective camera and was left out")
                continue
            matrix = obj.matrix_world
            eye = Vector(matrix.translation) * scale if scale != 1.0 else Vector(matrix.translation)
            view = view_direction(matrix)
            if not all(math.isfinite(c) for c in eye) or view.length == 0.0:
                self._warn(f"camera {obj.name} is placed where no finite point is and was left out")
                continue
            stored = obj.get(PROPERTY_TARGET)
            target = None
            if stored is not None and len(stored) == 3:
                target = Vector(stored) * scale if scale != 1.0 else Vector(stored)
                if not lies_along_view(eye, target, view):
                    target = None
            if target is None:
                target = target_for_view(eye, view, bounds)
            if abs(_horizontal_fov(obj.data, self._context.scene) - HOST_FOV_DEGREES) > FOV_TOLERANCE_DEGREES:
                other_fov += 1
            self._builder.add_camera(name_as_stored(obj), tuple(eye), tuple(target))
            self.summary.cameras += 1
        if other_fov:
            self._warn(f"{other_fov} cameras have another field of view than the host's "
                       "(it shows every camera 22 degrees wide on a 4:3 view)")


def _triangles_of(mesh):
    """The mesh's points as stored, and its faces as triangles (a triangle
    keeps its corners' order) with the material number of each."""
    points = np.empty(len(mesh.vertices) * 3, dtype=np.float32)
    mesh.vertices.foreach_get("co", points)
    mesh.calc_loop_triangles()
    count = len(mesh.loop_triangles)
    corners = np.empty(count * 3, dtype=np.int32)
    mesh.loop_triangles.foreach_get("vertices", corners)
    materials = np.empty(count, dtype=np.int32)
    mesh.loop_triangles.foreach_get("material_index", materials)
    return points.reshape(-1, 3), corners.reshape(-1, 3).astype(np.uint32), materials


def _finite(colour, name, warn):
    """A colour the writer takes: a part that is not a number becomes 0."""
    if all(math.isfinite(c) for c in colour):
        return tuple(colour)
    warn(f"material {name}: colour parts that are not numbers were written as 0")
    return tuple(c if math.isfinite(c) else 0.0 for c in colour)


def _in_order_of_use(numbers):
    if not len(numbers):
        return numbers
    unique, first = np.unique(numbers, return_index=True)
    return unique[np.argsort(first)]


def _slot(slots, number):
    return slots[number] if 0 <= number < len(slots) else None


def _horizontal_fov(camera, scene):
    render = scene.render
    aspect = (render.resolution_x * render.pixel_aspect_x) / max(1e-9, render.resolution_y * render.pixel_aspect_y)
    if camera.sensor_fit == 'HORIZONTAL' or (camera.sensor_fit == 'AUTO' and aspect >= 1.0):
        return math.degrees(camera.angle)
    return math.degrees(2.0 * math.atan(math.tan(camera.angle / 2.0) * aspect))
