"""Finds and opens the kvd C library and declares its functions for ctypes.

The library is looked for in this order:

1. the file named by the environment variable ``KVD_LIBRARY``;
2. the copy installed inside this package (``libkvd.so.1``, ``kvd.dll`` or
   ``libkvd.1.dylib``), put there when the package was built;
3. the system's library search (``libkvd`` installed with ``cmake --install``).
"""
import ctypes
import ctypes.util
import os
import sys
from pathlib import Path

# The library's major version this package was written for.
_MAJOR = 1

if sys.platform == "win32":
    _NAMES = ("kvd.dll", "libkvd.dll")
elif sys.platform == "darwin":
    _NAMES = ("libkvd.1.dylib", "libkvd.dylib")
else:
    _NAMES = ("libkvd.so.1", "libkvd.so")


class KvdErrorStruct(ctypes.Structure):
    _fields_ = [("result", ctypes.c_int), ("message", ctypes.c_char * 512)]


class LoadOptions(ctypes.Structure):
    _fields_ = [("texture_folders", ctypes.POINTER(ctypes.c_char_p)),
                ("texture_folder_count", ctypes.c_size_t)]


class TextureStruct(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("found", ctypes.c_char_p)]


class MaterialStruct(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p),
                ("ambient", ctypes.c_float * 3),
                ("diffuse", ctypes.c_float * 3),
                ("specular", ctypes.c_float * 3),
                ("shininess", ctypes.c_float),
                ("texture", TextureStruct),
                ("bump", TextureStruct)]


class CameraStruct(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p),
                ("eye", ctypes.c_double * 3),
                ("target", ctypes.c_double * 3),
                ("fov", ctypes.c_double),
                ("is_default", ctypes.c_int),
                ("is_fixed", ctypes.c_int)]


class MeshStruct(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p),
                ("material", ctypes.c_int64),
                ("colour", ctypes.c_float * 3),
                ("point_count", ctypes.c_size_t),
                ("points", ctypes.c_void_p),
                ("triangle_count", ctypes.c_size_t),
                ("triangles", ctypes.c_void_p),
                ("node", ctypes.c_size_t)]


class NodeStruct(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("parent", ctypes.c_size_t), ("mesh", ctypes.c_size_t)]


class MessageStruct(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int), ("text", ctypes.c_char_p), ("meaning", ctypes.c_char_p)]


OWN_COLOUR = -1
NO_INDEX = ctypes.c_size_t(-1).value  # KVD_NO_PARENT and KVD_NO_MESH

_scene_p = ctypes.c_void_p
_error_p = ctypes.POINTER(KvdErrorStruct)
_size_p = ctypes.POINTER(ctypes.c_size_t)
_result = ctypes.c_int

# name: (result type, argument types)
_PROTOTYPES = {
    "kvd_version": (ctypes.c_char_p, []),
    "kvd_version_number": (ctypes.c_uint32, []),
    "kvd_result_text": (ctypes.c_char_p, [ctypes.c_int]),
    "kvd_load_file": (_result, [ctypes.c_char_p, ctypes.POINTER(LoadOptions), ctypes.POINTER(_scene_p), _error_p]),
    "kvd_load_memory": (_result, [ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(LoadOptions),
                                  ctypes.POINTER(_scene_p), _error_p]),
    "kvd_scene_free": (None, [_scene_p]),
    "kvd_scene_result": (_result, [_scene_p]),
    "kvd_material_count": (ctypes.c_size_t, [_scene_p]),
    "kvd_get_material": (_result, [_scene_p, ctypes.c_size_t, ctypes.POINTER(MaterialStruct)]),
    "kvd_camera_count": (ctypes.c_size_t, [_scene_p]),
    "kvd_get_camera": (_result, [_scene_p, ctypes.c_size_t, ctypes.POINTER(CameraStruct)]),
    "kvd_mesh_count": (ctypes.c_size_t, [_scene_p]),
    "kvd_get_mesh": (_result, [_scene_p, ctypes.c_size_t, ctypes.POINTER(MeshStruct)]),
    "kvd_mesh_box_texcoords": (_result, [_scene_p, ctypes.c_size_t, ctypes.c_void_p, ctypes.c_size_t]),
    "kvd_mesh_merge_points": (_result, [_scene_p, ctypes.c_size_t, ctypes.c_void_p, ctypes.c_size_t, _size_p]),
    "kvd_node_count": (ctypes.c_size_t, [_scene_p]),
    "kvd_get_node": (_result, [_scene_p, ctypes.c_size_t, ctypes.POINTER(NodeStruct)]),
    "kvd_message_count": (ctypes.c_size_t, [_scene_p]),
    "kvd_get_message": (_result, [_scene_p, ctypes.c_size_t, ctypes.POINTER(MessageStruct)]),
    "kvd_scene_create": (_scene_p, []),
    "kvd_add_material": (_result, [_scene_p, ctypes.POINTER(MaterialStruct), _size_p, _error_p]),
    "kvd_add_camera": (_result, [_scene_p, ctypes.POINTER(CameraStruct), _size_p, _error_p]),
    "kvd_add_group": (_result, [_scene_p, ctypes.c_char_p, ctypes.c_size_t, _size_p, _error_p]),
    "kvd_add_mesh": (_result, [_scene_p, ctypes.POINTER(MeshStruct), ctypes.c_size_t, _size_p, _error_p]),
    "kvd_save_file": (_result, [_scene_p, ctypes.c_char_p, _error_p]),
    "kvd_save_memory": (_result, [_scene_p, ctypes.POINTER(ctypes.c_void_p), _size_p, _error_p]),
    "kvd_free": (None, [ctypes.c_void_p]),
}


def _candidates():
    named = os.environ.get("KVD_LIBRARY")
    if named:
        # A library named on purpose is the only one tried: falling back to
        # another would hide a wrong setting.
        return [Path(named)], True
    here = Path(__file__).resolve().parent
    found = [here / name for name in _NAMES if (here / name).is_file()]
    system = ctypes.util.find_library("kvd")
    if system:
        found.append(system)
    return found, False


def _open():
    candidates, named = _candidates()
    if not candidates:
        raise ImportError(
            "kvd: the kvd library was not found: build it (cmake --build --preset default) and reinstall "
            "the package, or name the library file in the environment variable KVD_LIBRARY")
    failures = []
    for candidate in candidates:
        try:
            if sys.platform == "win32" and isinstance(candidate, Path):
                # The MinGW runtime DLLs, when not linked in, lie beside kvd.dll.
                os.add_dll_directory(str(candidate.parent))
            library = ctypes.CDLL(str(candidate))
        except OSError as error:
            failures.append(f"{candidate}: {error}")
            continue
        return library, str(candidate)
    origin = " (named by KVD_LIBRARY)" if named else ""
    raise ImportError("kvd: the kvd library cannot be opened" + origin + ": " + "; ".join(failures))


def _declare(library, path):
    for name, (restype, argtypes) in _PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise ImportError(f"kvd: {path} is not the kvd library this package needs: it has no {name}") from None
        function.restype = restype
        function.argtypes = argtypes
    number = library.kvd_version_number()
    if number // 10000 != _MAJOR:
        raise ImportError(f"kvd: {path} is version {library.kvd_version().decode()}, this package needs "
                          f"version {_MAJOR}.x")


lib, path = _open()
_declare(lib, path)
