"""The plain records of a scene: materials, cameras, nodes and messages."""
import enum
from dataclasses import dataclass
from typing import Optional, Tuple

Colour = Tuple[float, float, float]
Point = Tuple[float, float, float]


class Status(enum.IntEnum):
    """How a call of the library went; a scene is ``OK`` or ``DAMAGED``."""
    OK = 0
    DAMAGED = 1           # the body ends early or is damaged: the scene holds what came before
    CANNOT_OPEN = 2
    NOT_KVD_FILE = 3
    HEADER_DAMAGED = 4
    OUT_OF_MEMORY = 5
    INVALID_ARGUMENT = 6
    CANNOT_WRITE = 7
    CANCELLED = 8


class MessageCode(enum.IntEnum):
    """What a message of the import says."""
    FILE_DAMAGED = 1
    NOT_KVD_FILE = 2
    CAMERA_SECTION_END = 3
    IMPORT_DECLINED = 4


@dataclass(frozen=True)
class Material:
    """A material of the file.

    Colours are ``(r, g, b)`` floats as stored (usually 0..1). ``texture``
    and ``bump`` are the colour and bump image names as the file stores them
    ("" for none); ``texture_path`` and ``bump_path`` say where a loaded
    scene's image was found, or are None.
    """
    name: str
    ambient: Colour
    diffuse: Colour
    specular: Colour
    shininess: float = 0.0
    texture: str = ""
    bump: str = ""
    texture_path: Optional[str] = None
    bump_path: Optional[str] = None

    def __repr__(self):
        parts = [f"<kvd.Material {self.name!r} diffuse={_triple(self.diffuse)}"]
        if self.texture:
            parts.append(f" texture={self.texture!r}")
        if self.bump:
            parts.append(f" bump={self.bump!r}")
        return "".join(parts) + ">"


@dataclass(frozen=True)
class Camera:
    """A camera: ``eye`` looks at ``target``; ``fov`` is the horizontal
    field of view in degrees. The scene's first camera is its default view
    (``is_default``); ``is_fixed`` marks the host's fixed camera, which a
    file without cameras gets."""
    name: str
    eye: Point
    target: Point
    fov: float = 0.0
    is_default: bool = False
    is_fixed: bool = False

    def __repr__(self):
        flags = " default" if self.is_default else ""
        flags += " fixed" if self.is_fixed else ""
        return f"<kvd.Camera {self.name!r} eye={_triple(self.eye)} target={_triple(self.target)}{flags}>"


@dataclass(frozen=True)
class Node:
    """A node of the scene's tree: ``parent`` is the index of an earlier
    node or None for a root; ``mesh`` is the index of its mesh, or None for
    a group."""
    name: str
    parent: Optional[int]
    mesh: Optional[int]

    def __repr__(self):
        kind = f"mesh {self.mesh}" if self.mesh is not None else "group"
        parent = f" under {self.parent}" if self.parent is not None else ""
        return f"<kvd.Node {self.name!r} {kind}{parent}>"


@dataclass(frozen=True)
class Message:
    """A message the import would show: ``text`` as the host shows it and
    ``meaning`` in English."""
    code: MessageCode
    text: str
    meaning: str

    def __repr__(self):
        return f"<kvd.Message {self.code.name}: {self.meaning!r}>"


def _triple(values):
    return "(" + ", ".join(f"{v:g}" for v in values) + ")"


for _class in (Status, MessageCode, Material, Camera, Node, Message):
    _class.__module__ = "kvd"
