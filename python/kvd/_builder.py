"""Building scenes from plain values and numpy arrays, and writing scenes,
both through the library's writer."""
import ctypes
import math
import numbers
import operator

import numpy as np

from . import _library
from ._errors import InvalidArgument, error_for
from ._library import lib
from ._records import Material, Status
from ._scene import Scene, _Handle, _encoded_path, _text

# The own colour of a mesh given no material.
DEFAULT_COLOUR = (0.7, 0.7, 0.7)


def _invalid(message):
    error = InvalidArgument(message)
    error.status = Status.INVALID_ARGUMENT
    error.message = message
    return error


def _name_bytes(name, what):
    if not isinstance(name, str):
        raise TypeError(f"kvd: {what} must be a str, not {type(name).__name__}")
    if "\0" in name:
        raise _invalid(f"kvd: {what} cannot contain a NUL character: {name!r}")
    return name.encode("utf-8")


def _three(values, what, finite=True):
    try:
        triple = tuple(float(v) for v in values)
    except (TypeError, ValueError):
        raise _invalid(f"kvd: {what} must be three numbers, not {values!r}") from None
    if len(triple) != 3:
        raise _invalid(f"kvd: {what} must be three numbers, not {len(triple)}")
    if finite and not all(math.isfinite(v) for v in triple):
        raise _invalid(f"kvd: {what} must be finite, not {triple}")
    return triple


def _index_or_none(value, what):
    if value is None:
        return _library.NO_INDEX
    if isinstance(value, bool):
        raise TypeError(f"kvd: {what} must be an index or None, not a bool")
    try:
        index = operator.index(value)
    except TypeError:
        raise TypeError(f"kvd: {what} must be an index or None, not {type(value).__name__}") from None
    if index < 0:
        raise _invalid(f"kvd: {what} must not be negative: {index}")
    return index


def _rows_of_three(values, what, mesh):
    array = np.asarray(values)
    if array.ndim == 1 and array.size % 3 == 0:
        array = array.reshape(-1, 3)
    if array.ndim != 2 or array.shape[1] != 3:
        raise _invalid(f"kvd: mesh {mesh!r}: {what} must be an (N, 3) array or a flat array of 3*N values, "
                       f"not shape {array.shape}")
    return array


def position_array(positions, mesh):
    """positions as a C-ordered (N, 3) float32 array of finite values."""
    array = _rows_of_three(positions, "positions", mesh)
    if array.dtype.kind not in "fiu":
        raise _invalid(f"kvd: mesh {mesh!r}: positions must be real numbers, not {array.dtype}")
    with np.errstate(over="ignore", invalid="ignore"):
        converted = np.ascontiguousarray(array, dtype=np.float32)
    finite = np.isfinite(converted).all(axis=1)
    if not finite.all():
        bad = int(np.argmin(finite))
        raise _invalid(f"kvd: mesh {mesh!r}: point {bad} is not a finite single-precision point: "
                       f"{tuple(array[bad].tolist())}")
    return converted


def triangle_array(triangles, point_count, mesh):
    """triangles as a C-ordered (M, 3) uint32 array of point numbers below point_count."""
    array = _rows_of_three(triangles, "triangles", mesh)
    if array.size == 0:
        return np.zeros((array.shape[0], 3), np.uint32)
    if array.dtype.kind not in "iu":
        raise _invalid(f"kvd: mesh {mesh!r}: triangles must be integer point numbers, not {array.dtype}")
    outside = (array < 0) | (array >= point_count)
    if outside.any():
        row = int(np.argmax(outside.any(axis=1)))
        raise _invalid(f"kvd: mesh {mesh!r}: triangle {row} {tuple(array[row].tolist())} names a point outside "
                       f"0..{point_count - 1}" if point_count else
                       f"kvd: mesh {mesh!r}: triangle {row} names a point, but the mesh has no points")
    return np.ascontiguousarray(array, dtype=np.uint32)


class SceneBuilder:
    """Builds a new scene, item by item, for :func:`kvd.save`.

    Every ``add_`` method copies what it is given into the library and
    returns the new item's index::

        builder = kvd.SceneBuilder()
        wood = builder.add_material("wood", diffuse=(0.8, 0.6, 0.4), texture="wood.jpg")
        house = builder.add_group("house")
        builder.add_mesh("floor", positions, triangles, material=wood, parent=house)
        builder.add_camera("front", eye=(0, -5000, 1500), target=(0, 0, 0))
        kvd.save(builder.build(), "house.kvd")
    """

    def __init__(self):
        self._handle = _Handle(self._create())

    @staticmethod
    def _create():
        pointer = lib.kvd_scene_create()
        if not pointer:
            raise MemoryError("kvd: the library could not make a new scene")
        return pointer

    def _call(self, function, *args):
        index = ctypes.c_size_t(0)
        error = _library.KvdErrorStruct()
        result = function(self._handle.pointer, *args, ctypes.byref(index), ctypes.byref(error))
        if result != Status.OK:
            raise error_for(result, _text(error.message) or _text(lib.kvd_result_text(result)))
        return int(index.value)

    def add_material(self, name, diffuse=None, ambient=None, specular=None, shininess=0.0, texture="", bump=""):
        """Adds a material and returns its index.

        ``name`` is a str, or a :class:`kvd.Material` (for instance from a
        loaded scene) whose values are taken whole. Colours are three floats
        (usually 0..1): ``diffuse`` is required, ``ambient`` defaults to the
        diffuse colour and ``specular`` to black. ``texture`` and ``bump``
        are the colour and bump image names as the file should store them.
        """
        if isinstance(name, Material):
            material = name
            name, diffuse, ambient, specular = material.name, material.diffuse, material.ambient, material.specular
            shininess, texture, bump = material.shininess, material.texture, material.bump
        if diffuse is None:
            raise TypeError("kvd: add_material needs a diffuse colour")
        diffuse = _three(diffuse, "diffuse")
        raw = _library.MaterialStruct()
        raw.name = _name_bytes(name, "a material's name")
        raw.diffuse[:] = diffuse
        raw.ambient[:] = _three(ambient if ambient is not None else diffuse, "ambient")
        raw.specular[:] = _three(specular if specular is not None else (0.0, 0.0, 0.0), "specular")
        shininess = float(shininess)
        if not math.isfinite(shininess):
            raise _invalid(f"kvd: shininess must be finite, not {shininess}")
        raw.shininess = shininess
        raw.texture.name = _name_bytes(texture or "", "a texture name")
        raw.bump.name = _name_bytes(bump or "", "a bump texture name")
        return self._call(lib.kvd_add_material, ctypes.byref(raw))

    def add_camera(self, name, eye, target):
        """Adds a camera looking from ``eye`` at ``target`` and returns its
        index; the first camera is the scene's default view."""
        raw = _library.CameraStruct()
        raw.name = _name_bytes(name, "a camera's name")
        raw.eye[:] = _three(eye, "a camera's eye")
        raw.target[:] = _three(target, "a camera's target")
        return self._call(lib.kvd_add_camera, ctypes.byref(raw))

    def add_group(self, name, parent=None):
        """Adds a group node under ``parent`` (a node index, None for a root)
        and returns its node index."""
        return self._call(lib.kvd_add_group, _name_bytes(name, "a group's name"),
                          _index_or_none(parent, "parent"))

    def add_mesh(self, name, positions, triangles, material=None, parent=None):
        """Adds a mesh and its node under ``parent`` (a node index, None for
        a root) and returns the mesh's index.

        ``positions``: (N, 3) real numbers, or 3*N in a flat array, finite
        as float32. ``triangles``: (M, 3) integer point numbers in 0..N-1,
        or 3*M in a flat array. ``material``: a material index, or an own
        colour (three floats); None gives a grey own colour. Raises
        :class:`kvd.InvalidArgument` (a ``ValueError``) for arrays that do
        not fit.
        """
        raw_name = _name_bytes(name, "a mesh's name")
        points = position_array(positions, name)
        faces = triangle_array(triangles, len(points), name)
        raw = _library.MeshStruct()
        raw.name = raw_name
        if material is None or not isinstance(material, numbers.Integral):
            raw.material = _library.OWN_COLOUR
            raw.colour[:] = _three(DEFAULT_COLOUR if material is None else material, "a mesh's own colour")
        else:
            raw.material = _index_or_none(material, "material")
        raw.point_count = len(points)
        raw.points = points.ctypes.data
        raw.triangle_count = len(faces)
        raw.triangles = faces.ctypes.data
        return self._call(lib.kvd_add_mesh, ctypes.byref(raw), _index_or_none(parent, "parent"))

    def build(self):
        """Returns the scene built so far; the builder starts again empty."""
        handle, self._handle = self._handle, _Handle(self._create())
        scene = Scene._adopt(handle.pointer)
        handle.pointer = None  # the scene's own handle frees it now
        return scene

    def __repr__(self):
        return "<kvd.SceneBuilder>"


def _scene_pointer(scene):
    if not isinstance(scene, Scene):
        raise TypeError(f"kvd: expected a kvd.Scene, not {type(scene).__name__}")
    return scene._handle.pointer


def save(scene, path):
    """Writes ``scene`` as a kvd file at ``path``: whole, or on failure not
    at all (a file already there is left as it was). Raises
    :class:`kvd.CannotWrite` (an ``OSError``) when it cannot be written."""
    pointer = _scene_pointer(scene)
    encoded = _encoded_path(path)
    error = _library.KvdErrorStruct()
    result = lib.kvd_save_file(pointer, encoded, ctypes.byref(error))
    if result != Status.OK:
        raise error_for(result, _text(error.message) or _text(lib.kvd_result_text(result)), encoded)


def dumps(scene):
    """The kvd file of ``scene`` as bytes."""
    pointer = _scene_pointer(scene)
    data = ctypes.c_void_p()
    size = ctypes.c_size_t(0)
    error = _library.KvdErrorStruct()
    result = lib.kvd_save_memory(pointer, ctypes.byref(data), ctypes.byref(size), ctypes.byref(error))
    if result != Status.OK:
        raise error_for(result, _text(error.message) or _text(lib.kvd_result_text(result)))
    try:
        return ctypes.string_at(data.value, size.value) if size.value else b""
    finally:
        lib.kvd_free(data.value)
