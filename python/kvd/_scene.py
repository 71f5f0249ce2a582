"""Scenes held by the library, their meshes as numpy arrays, and loading."""
import ctypes
import os
from pathlib import Path

import numpy as np

from . import _library
from ._errors import KvdError, error_for
from ._library import lib
from ._records import Camera, Material, Message, MessageCode, Node, Status


class _Handle:
    """Owns one kvd_scene of the library and frees it when the last
    reference goes: the Scene, its meshes and every array made over the
    library's memory hold one."""
    __slots__ = ("pointer", "__weakref__")

    def __init__(self, pointer):
        self.pointer = pointer

    def __del__(self):
        pointer, self.pointer = self.pointer, None
        if pointer and lib is not None:
            lib.kvd_scene_free(pointer)

    # One owner per library scene: a copy of the handle would free it twice.
    def __copy__(self):
        return self

    def __deepcopy__(self, memo):
        return self

    def __reduce__(self):
        raise TypeError("a kvd scene cannot be pickled: kvd.dumps gives its bytes, kvd.loads reads them back")


class _LibraryMemory:
    """An array's view of memory the library owns: numpy keeps this object
    as the array's base, and this object keeps the scene's handle."""
    __slots__ = ("__array_interface__", "_handle")

    def __init__(self, handle, address, shape, typestr):
        self._handle = handle
        self.__array_interface__ = {"version": 3, "shape": shape, "typestr": typestr,
                                    "data": (address, True)}


def _library_array(handle, address, shape, dtype):
    """A read-only numpy array over the library's memory, no copy."""
    if 0 in shape:
        empty = np.empty(shape, dtype)
        empty.flags.writeable = False
        return empty
    if not address:
        raise KvdError("kvd: the library holds no array for this mesh")
    return np.asarray(_LibraryMemory(handle, address, shape, np.dtype(dtype).str))


def _text(raw):
    return raw.decode("utf-8", "replace") if raw is not None else ""


def _path_text(raw):
    return os.fsdecode(raw) if raw is not None else None


def _index(value):
    return None if value == _library.NO_INDEX else int(value)


def _triple(values):
    return tuple(float(v) for v in values)


def _check(result):
    if result != Status.OK:
        raise error_for(result, _text(lib.kvd_result_text(result)))


class Mesh:
    """One mesh of a scene.

    ``positions`` (N×3 float32) and ``triangles`` (M×3 uint32, three point
    numbers per triangle, each below N) are read-only numpy arrays over the
    library's memory: no copy is made, and the memory stays valid for as
    long as any such array, the mesh or its scene is alive.
    """
    __slots__ = ("_handle", "_materials", "index", "name", "node", "material_index", "colour", "point_count",
                 "triangle_count", "_points", "_triangles", "_positions", "_triangle_array")

    def __init__(self, handle, materials, index, raw):
        self._handle = handle
        self._materials = materials
        self.index = index
        self.name = _text(raw.name)
        self.node = int(raw.node)
        own = raw.material == _library.OWN_COLOUR
        self.material_index = None if own else int(raw.material)
        self.colour = _triple(raw.colour) if own else None
        self.point_count = int(raw.point_count)
        self.triangle_count = int(raw.triangle_count)
        self._points = raw.points
        self._triangles = raw.triangles
        self._positions = None
        self._triangle_array = None

    @property
    def positions(self):
        """The points, x y z each, as stored: an (N, 3) float32 array."""
        if self._positions is None:
            self._positions = _library_array(self._handle, self._points, (self.point_count, 3), np.float32)
        return self._positions

    @property
    def triangles(self):
        """The triangles, three point numbers each in file order: an (M, 3)
        uint32 array. A triangle of the file that names a point past the
        list is left out."""
        if self._triangle_array is None:
            self._triangle_array = _library_array(self._handle, self._triangles, (self.triangle_count, 3),
                                                  np.uint32)
        return self._triangle_array

    @property
    def material(self):
        """The mesh's :class:`kvd.Material`, or its own colour ``(r, g, b)``
        when it names no material of the file."""
        if self.material_index is None:
            return self.colour
        return self._materials[self.material_index]

    def box_texcoords(self):
        """Texture coordinates for every triangle corner, as the converter
        makes them (the file holds none): each triangle projected along the
        axis it faces most, one tile per 500 scene units. An (M, 3, 2)
        float32 array (u, v per corner)."""
        uv = np.empty((self.triangle_count, 3, 2), np.float32)
        result = lib.kvd_mesh_box_texcoords(self._handle.pointer, self.index, uv.ctypes.data, uv.size)
        _check(result)
        return uv

    def merge_points(self):
        """Numbers the points so that points equal bit for bit share one
        number, in order of first appearance, as the converter merges them.

        Returns ``(numbers, distinct)``: an (N,) uint32 array with each
        point's number, and the count of distinct points. The distinct
        points are ``positions[first]`` where ``first`` is
        ``np.unique(numbers, return_index=True)[1]``."""
        numbers = np.empty(self.point_count, np.uint32)
        distinct = ctypes.c_size_t(0)
        result = lib.kvd_mesh_merge_points(self._handle.pointer, self.index, numbers.ctypes.data, numbers.size,
                                           ctypes.byref(distinct))
        _check(result)
        return numbers, int(distinct.value)

    def bounds(self):
        """``[min, max]`` of the points (NaN coordinates passed over) as a
        (2, 3) float32 array, or None for a mesh without points."""
        if self.point_count == 0:
            return None
        points = self.positions
        # fmin and fmax pass over NaN coordinates, which a file may hold.
        return np.stack([np.fmin.reduce(points, axis=0), np.fmax.reduce(points, axis=0)])

    def __repr__(self):
        if self.material_index is None:
            material = "own colour (" + ", ".join(f"{c:g}" for c in self.colour) + ")"
        else:
            material = f"material {self.material_index}"
        return (f"<kvd.Mesh {self.name!r}: {self.point_count} points, {self.triangle_count} triangles, "
                f"{material}>")


class Scene:
    """A kvd scene held by the library: what :func:`kvd.load` read, or what a
    :class:`kvd.SceneBuilder` built.

    ``meshes``, ``materials``, ``cameras``, ``nodes`` and ``messages`` are
    tuples of records; ``status`` is ``Status.OK`` or ``Status.DAMAGED``
    (the file ended early or is damaged, and the scene holds what came
    before). Scenes do not change once made.
    """

    def __init__(self, *args, **kwargs):
        raise TypeError("kvd.Scene is made by kvd.load, kvd.loads or kvd.SceneBuilder().build()")

    @classmethod
    def _adopt(cls, pointer, path=None):
        scene = object.__new__(cls)
        scene._handle = _Handle(pointer)
        scene.path = os.fsdecode(path) if path is not None else None
        scene._cache = {}
        return scene

    def _records(self, key, count, struct, get, make):
        if key not in self._cache:
            items = []
            raw = struct()
            for index in range(count(self._handle.pointer)):
                _check(get(self._handle.pointer, index, ctypes.byref(raw)))
                items.append(make(index, raw))
            self._cache[key] = tuple(items)
        return self._cache[key]

    @property
    def status(self):
        """``Status.OK``, or ``Status.DAMAGED`` when the file's body was damaged."""
        return Status(lib.kvd_scene_result(self._handle.pointer))

    @property
    def materials(self):
        """The file's materials, in file order (tuple of :class:`kvd.Material`)."""
        def make(index, raw):
            return Material(_text(raw.name), _triple(raw.ambient), _triple(raw.diffuse), _triple(raw.specular),
                            float(raw.shininess), _text(raw.texture.name), _text(raw.bump.name),
                            _path_text(raw.texture.found), _path_text(raw.bump.found))
        return self._records("materials", lib.kvd_material_count, _library.MaterialStruct, lib.kvd_get_material,
                             make)

    @property
    def cameras(self):
        """The cameras, the default first; a file without cameras has the
        host's fixed camera (tuple of :class:`kvd.Camera`)."""
        def make(index, raw):
            return Camera(_text(raw.name), _triple(raw.eye), _triple(raw.target), float(raw.fov),
                          bool(raw.is_default), bool(raw.is_fixed))
        return self._records("cameras", lib.kvd_camera_count, _library.CameraStruct, lib.kvd_get_camera, make)

    @property
    def meshes(self):
        """The meshes in file order (tuple of :class:`kvd.Mesh`)."""
        handle, materials = self._handle, self.materials
        return self._records("meshes", lib.kvd_mesh_count, _library.MeshStruct, lib.kvd_get_mesh,
                             lambda index, raw: Mesh(handle, materials, index, raw))

    @property
    def nodes(self):
        """The node tree in file order, a parent before its children (tuple
        of :class:`kvd.Node`)."""
        def make(index, raw):
            return Node(_text(raw.name), _index(raw.parent), _index(raw.mesh))
        return self._records("nodes", lib.kvd_node_count, _library.NodeStruct, lib.kvd_get_node, make)

    @property
    def messages(self):
        """Every message the import would show, in order (tuple of :class:`kvd.Message`)."""
        def make(index, raw):
            try:
                code = MessageCode(raw.code)
            except ValueError:
                code = raw.code
            return Message(code, _text(raw.text), _text(raw.meaning))
        return self._records("messages", lib.kvd_message_count, _library.MessageStruct, lib.kvd_get_message,
                             make)

    @property
    def point_count(self):
        """Points over all meshes."""
        return sum(mesh.point_count for mesh in self.meshes)

    @property
    def triangle_count(self):
        """Triangles over all meshes."""
        return sum(mesh.triangle_count for mesh in self.meshes)

    def bounds(self):
        """``[min, max]`` over every mesh's points as a (2, 3) float32 array,
        or None when the scene has no points."""
        boxes = [box for box in (mesh.bounds() for mesh in self.meshes) if box is not None]
        if not boxes:
            return None
        boxes = np.stack(boxes)
        return np.stack([np.fmin.reduce(boxes[:, 0], axis=0), np.fmax.reduce(boxes[:, 1], axis=0)])

    def __repr__(self):
        name = f" {Path(self.path).name!r}" if self.path else ""
        damaged = " (damaged)" if self.status == Status.DAMAGED else ""
        meshes = len(self.meshes)
        return (f"<kvd.Scene{name}: {meshes} mesh{'es' if meshes != 1 else ''}, "
                f"{self.triangle_count} triangles{damaged}>")


def _encoded_path(path):
    """A path as the library takes it: UTF-8 bytes (the file system's bytes
    on POSIX), refusing what C cannot carry."""
    path = os.fspath(path)
    if isinstance(path, str):
        encoded = os.fsencode(path) if os.name != "nt" else path.encode("utf-8")
    else:
        encoded = bytes(path)
    if b"\0" in encoded:
        raise ValueError(f"kvd: a path cannot contain a NUL character: {path!r}")
    return encoded


def _load_options(textures):
    if isinstance(textures, (str, bytes, os.PathLike)):
        textures = [textures]
    folders = [_encoded_path(folder) for folder in textures]
    if not folders:
        return None, None
    array = (ctypes.c_char_p * len(folders))(*folders)
    return _library.LoadOptions(array, len(folders)), array


def _finish_load(result, pointer, error, path):
    if result in (Status.OK, Status.DAMAGED) and pointer.value:
        scene = Scene._adopt(pointer.value, path)
        if result == Status.DAMAGED:
            damaged = error_for(result, _text(error.message) or "the file is damaged", path)
            damaged.scene = scene
            raise damaged
        return scene
    raise error_for(result, _text(error.message) or _text(lib.kvd_result_text(result)), path)


def load(source, textures=()):
    """Loads a kvd scene file and returns a :class:`kvd.Scene`.

    ``source`` is a path (str or path-like) or a binary file object.
    ``textures`` names more folders to look for texture images in, after the
    scene's own folder and its ``maps/`` and ``textures/`` folders.

    Raises :class:`kvd.NotKvdFile` for bytes that are not a kvd scene,
    :class:`kvd.DamagedFile` for a damaged file (its ``scene`` holds what
    was read before the damage), and :class:`kvd.CannotOpen` (an
    ``OSError``, e.g. also a ``FileNotFoundError``) when the file cannot be
    opened.
    """
    if hasattr(source, "read"):
        data = source.read()
        name = getattr(source, "name", None)
        scene = loads(data, textures)
        if isinstance(name, (str, bytes, os.PathLike)):
            scene.path = os.fsdecode(name)
        return scene
    encoded = _encoded_path(source)
    options, _keep = _load_options(textures)
    pointer = ctypes.c_void_p()
    error = _library.KvdErrorStruct()
    result = lib.kvd_load_file(encoded, ctypes.byref(options) if options else None, ctypes.byref(pointer),
                               ctypes.byref(error))
    return _finish_load(result, pointer, error, os.fspath(source))


def loads(data, textures=()):
    """Loads a kvd scene from bytes (bytes, bytearray, memoryview or any
    buffer); texture images are looked for only in ``textures``. Raises as
    :func:`kvd.load` does."""
    view = memoryview(data)
    if not view.c_contiguous:
        view = memoryview(view.tobytes())
    # Never a NULL pointer, even for no bytes: the library reads none of them.
    buffer = np.frombuffer(view.cast("B"), np.uint8) if view.nbytes else np.zeros(1, np.uint8)
    options, _keep = _load_options(textures)
    pointer = ctypes.c_void_p()
    error = _library.KvdErrorStruct()
    result = lib.kvd_load_memory(buffer.ctypes.data, view.nbytes, ctypes.byref(options) if options else None,
                                 ctypes.byref(pointer), ctypes.byref(error))
    return _finish_load(result, pointer, error, None)
