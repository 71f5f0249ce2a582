"""Read and write kvd scene files with numpy.

A scene's meshes come as numpy arrays over the kvd library's own memory,
without a copy::

    import kvd
    scene = kvd.load("house.kvd")
    for mesh in scene.meshes:
        print(mesh.name, mesh.positions.shape, mesh.triangles.shape, mesh.material)
    kvd.save(scene, "copy.kvd")

Loading: :func:`load` (a path or a binary file), :func:`loads` (bytes).
Writing: :func:`save`, :func:`dumps`; new scenes with :class:`SceneBuilder`.
A :class:`Scene` holds ``meshes`` (:class:`Mesh`), ``materials``
(:class:`Material`), ``cameras`` (:class:`Camera`), ``nodes``
(:class:`Node`), ``messages`` (:class:`Message`) and ``status``
(:class:`Status`).

Errors derive from :class:`KvdError`: :class:`NotKvdFile`,
:class:`DamagedFile` (whose ``scene`` holds what was read before the
damage), :class:`HeaderDamaged` (both of these: nothing could be read),
:class:`CannotOpen` (an ``OSError``), :class:`CannotWrite` (an ``OSError``),
:class:`InvalidArgument` (a ``ValueError``).

The package uses the kvd C library installed with it; the environment
variable ``KVD_LIBRARY`` names another library file.
"""
from ._library import lib as _lib, path as library_path
from ._records import Camera, Material, Message, MessageCode, Node, Status
from ._errors import (Cancelled, CannotOpen, CannotWrite, DamagedFile, HeaderDamaged, InvalidArgument, KvdError,
                      NotKvdFile, OutOfMemory)
from ._scene import Mesh, Scene, load, loads
from ._builder import SceneBuilder, dumps, save

__version__ = "1.0.0"


def version():
    """The kvd library's version, e.g. "1.0.0"."""
    return _lib.kvd_version().decode("ascii", "replace")


for _public in (Mesh, Scene, SceneBuilder, load, loads, save, dumps, version):
    _public.__module__ = __name__
del _public

__all__ = ["load", "loads", "save", "dumps", "version", "library_path", "Scene", "Mesh", "SceneBuilder",
           "Material", "Camera", "Node", "Message", "MessageCode", "Status", "KvdError", "NotKvdFile",
           "DamagedFile", "HeaderDamaged", "CannotOpen", "CannotWrite", "InvalidArgument", "OutOfMemory", "Cancelled"]
