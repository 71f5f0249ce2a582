"""A loaded kvd scene made into Blender objects: a mesh object per mesh, named
as its node, with its points as stored; an empty per group node of the file's
tree; a camera object per camera, the default camera as the scene camera."""
import math
from dataclasses import dataclass

import bpy
import numpy as np

from .camera_view import HOST_FOV_DEGREES, clip_range, look_at_rotation
from .import_materials import UV_MAP_NAME, MaterialMaker, remember_name

# On a camera object: the target it was made to look at (in Blender's units),
# which an export keeps while the camera still looks that way.
PROPERTY_TARGET = "kvd_target"
# Blender 4.0 counts a polygon's corners from where the next one starts.
_SETS_LOOP_TOTAL = bpy.app.version < (4, 0, 0)


@dataclass
class ImportOptions:
    scale: float = 1.0
    merge_points: bool = False
    import_cameras: bool = True


class SceneImport:
    """Builds one loaded scene into the active collection. Everything it makes
    is listed in `created`, so the caller can take it away when a later step
    fails."""

    def __init__(self, context, scene, options, created, warn, progress):
        self._context = context
        self._scene = scene
        self._options = options
        self._created = created
        self._warn = warn
        self._progress = progress
        self._materials = MaterialMaker(created, warn)
        self._collection = context.view_layer.active_layer_collection.collection
        self.repeated_corner_triangles = 0
        self.not_finite_triangles = 0

    def run(self):
        node_objects = self._node_objects()
        cameras = self._cameras() if self._options.import_cameras else []
        if cameras:
            self._context.scene.camera = cameras[0]
        if self.repeated_corner_triangles:
            self._warn(f"{self.repeated_corner_triangles} triangles with a corner twice (which Blender cannot "
                       "hold) were left out")
        if self.not_finite_triangles:
            self._warn(f"{self.not_finite_triangles} triangles with a corner that is not a finite number "
                       "were left out")
        return [o for o in node_objects if o is not None] + cameras

    # -- Nodes and meshes ---------------------------------------------------

    def _node_objects(self):
        """One object per node in file order (a parent before its children):
        a mesh node's mesh, or an empty for a group node."""
        nodes = self._scene.nodes
        meshes = self._scene.meshes
        objects = [None] * len(nodes)
        for index, node in enumerate(nodes):
            if node.mesh is not None and node.mesh < len(meshes):
                made = self._mesh_object(meshes[node.mesh], node.name)
            else:
                made = bpy.data.objects.new(node.name or "group", None)
                made.empty_display_size = self._empty_size()
                self._link(made, node.name)
            if node.parent is not None and node.parent < index and objects[node.parent] is not None:
                made.parent = objects[node.parent]
            objects[index] = made
        # Meshes that no node names (a scene built without a tree) still come in.
        named = {node.mesh for node in nodes if node.mesh is not None}
        for number, mesh in enumerate(meshes):
            if number not in named:
                objects.append(self._mesh_object(mesh, mesh.name))
        return objects

    def _mesh_object(self, mesh, name):
        data = bpy.data.meshes.new(name or "mesh")
        self._created.meshes.append(data)
        material = self._material_of(mesh)
        kept = self._fill(data, mesh, material is not None and self._materials.is_textured(material))
        if material is not None:
            data.materials.append(material)
        made = bpy.data.objects.new(name or "mesh", data)
        self._link(made, name)
        self._progress.advance(max(1, kept))
        return made

    def _material_of(self, mesh):
        if mesh.material_index is not None and mesh.material_index < len(self._scene.materials):
            return self._materials.file_material(mesh.material_index, self._scene.materials[mesh.material_index])
        if mesh.colour is not None:
            return self._materials.own_colour(mesh.name, mesh.colour)
        return None

    def _fill(self, data, mesh, textured):
        """Points, triangles and (for a textured mesh) texture coordinates from
        the library's arrays, set whole; returns the triangles kept."""
        points = mesh.positions
        triangles = mesh.triangles
        if self._options.merge_points and len(points):
            numbers, distinct = mesh.merge_points()
            # Numbers follow first appearance, so the first point of each is its position.
            first = np.unique(numbers, return_index=True)[1]
            points = points[first]
            triangles = numbers[triangles]
        if self._options.scale != 1.0:
            points = (points.astype(np.float64) * self._options.scale).astype(np.float32)
        # A triangle naming one point twice is no polygon in Blender, and one
        # with a corner that is not a finite number cannot be shown.
        keep = ((triangles[:, 0] != triangles[:, 1]) & (triangles[:, 1] != triangles[:, 2])
                & (triangles[:, 2] != triangles[:, 0]))
        self.repeated_corner_triangles += int(len(keep) - keep.sum())
        finite = np.isfinite(points).all(axis=1)
        if len(triangles) and not finite.all():
            shown = finite[triangles].all(axis=1)
            self.not_finite_triangles += int((keep & ~shown).sum())
            keep &= shown
        all_kept = bool(keep.all())
        if not all_kept:
            triangles = triangles[keep]
        count = len(triangles)

        data.vertices.add(len(points))
        data.vertices.foreach_set("co", np.ascontiguousarray(points, dtype=np.float32).ravel())
        data.loops.add(3 * count)
        data.loops.foreach_set("vertex_index", triangles.astype(np.int32).ravel())
        data.polygons.add(count)
        data.polygons.foreach_set("loop_start", np.arange(0, 3 * count, 3, dtype=np.int32))
        if _SETS_LOOP_TOTAL:
            data.polygons.foreach_set("loop_total", np.full(count, 3, dtype=np.int32))
        if textured and count:
            uv = mesh.box_texcoords()
            if not all_kept:
                uv = uv[keep]
            layer = data.uv_layers.new(name=UV_MAP_NAME)
            layer.data.foreach_set("uv", np.ascontiguousarray(uv, dtype=np.float32).ravel())
        # Valid by construction: every corner names a point of the mesh (the
        # library checks), no triangle names a point twice, Blender makes the
        # edges. mesh.validate() is not run: besides costing more than the
        # rest of the import on a large mesh, it deletes triangles stored
        # twice, which the host shows and an export must give back.
        data.update(calc_edges=True)
        return count

    def _link(self, made, name):
        self._created.objects.append(made)
        self._collection.objects.link(made)
        remember_name(made, name)

    def _empty_size(self):
        bounds = self._scene.bounds()
        if bounds is None:
            return 1.0
        extent = float(np.max(bounds[1] - bounds[0])) * self._options.scale
        return extent / 20.0 if math.isfinite(extent) and extent > 0 else 1.0

    # -- Cameras ------------------------------------------------------------

    def _cameras(self):
        """A camera object per camera of the file, the default one first. A
        file without cameras gets none: the host's fixed view it falls back on
        is no camera of the scene."""
        bounds = self._scene.bounds()
        scale = self._options.scale
        if bounds is not None:
            bounds = (bounds.astype(np.float64) * scale).tolist()
        made = []
        for camera in self._scene.cameras:
            if camera.is_fixed:
                continue
            eye = [c * scale for c in camera.eye]
            target = [c * scale for c in camera.target]
            data = bpy.data.cameras.new(camera.name or "camera")
            self._created.cameras.append(data)
            data.lens_unit = 'FOV'
            data.sensor_fit = 'HORIZONTAL'
            fov = camera.fov if camera.fov and math.isfinite(camera.fov) and 0 < camera.fov < 180 \
                else HOST_FOV_DEGREES
            data.angle = math.radians(fov)
            data.clip_start, data.clip_end = clip_range(eye, target, bounds)
            obj = bpy.data.objects.new(camera.name or "camera", data)
            obj.location = eye
            rotation = look_at_rotation(eye, target)
            if rotation is not None:
                obj.rotation_euler = rotation.to_euler()
            obj[PROPERTY_TARGET] = target
            self._link(obj, camera.name)
            made.append(obj)
        return made
