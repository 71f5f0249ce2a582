"""The images an exported scene's materials show, written beside the .kvd in
kinds the host shows: JPEG, BMP and TIFF as they are, every other kind as a
24-bit BMP (lossless, and read by every program of the host's age)."""
import os
import re
import struct
import tempfile

import bpy
import numpy as np

HOST_KINDS = {"jpeg": ".jpg", "bmp": ".bmp", "tiff": ".tif"}
_KIND_OF_EXTENSION = {".jpg": "jpeg", ".jpeg": "jpeg", ".jpe": "jpeg", ".jfif": "jpeg",
                      ".bmp": "bmp", ".dib": "bmp", ".tif": "tiff", ".tiff": "tiff"}


def kind_of_bytes(data):
    """The kind an image file is, told by its first bytes, never its name."""
    if data[:3] == b"\xff\xd8\xff":
        return "jpeg"
    if data[:2] == b"BM":
        return "bmp"
    if data[:4] in (b"II*\x00", b"MM\x00*"):
        return "tiff"
    return None


def kind_of_name(name):
    """The kind a file name asks for, or None for a name the host cannot show."""
    return _KIND_OF_EXTENSION.get(os.path.splitext(name)[1].lower())


def file_part(name):
    """The last part of a name stored with either kind of slash."""
    return re.split(r"[\\/]", name)[-1]


def safe_stem(name):
    """A stem every file system and the host take: letters, digits, '-' and '_'."""
    stem = os.path.splitext(file_part(name))[0]
    stem = re.sub(r"[^A-Za-z0-9_-]", "_", stem)[:60]
    return stem or "texture"


def encode_bmp(pixels, width, height):
    """RGB(A) floats 0..1, rows from the bottom as Blender keeps them, as an
    uncompressed 24-bit BMP (whose rows also run from the bottom)."""
    rgb = np.clip(np.rint(pixels.reshape(height, width, -1)[:, :, :3] * 255.0), 0, 255).astype(np.uint8)
    row = width * 3
    padded = (row + 3) & ~3
    body = np.zeros((height, padded), dtype=np.uint8)
    body[:, :row] = rgb[:, :, ::-1].reshape(height, row)
    size = 54 + body.size
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, body.size, 2835, 2835, 0, 0)
    return header + info + body.tobytes()


def image_bytes(image):
    """The image's file as Blender has it (packed or on disk), or None."""
    if image.packed_file is not None:
        return bytes(image.packed_file.data)
    path = bpy.path.abspath(image.filepath_raw or image.filepath, library=image.library)
    try:
        with open(path, "rb") as file:
            return file.read()
    except OSError:
        return None


def image_as_bmp(image):
    width, height = image.size
    if width <= 0 or height <= 0 or not image.has_data and not _loads(image):
        return None
    pixels = np.empty(width * height * image.channels, dtype=np.float32)
    image.pixels.foreach_get(pixels)
    channels = image.channels
    if channels < 3:   # grey: repeat it into red, green and blue
        pixels = np.repeat(pixels.reshape(-1, channels)[:, :1], 3, axis=1)
    if image.is_float:   # linear light into the display values a BMP holds
        pixels = np.where(pixels <= 0.0031308, pixels * 12.92, 1.055 * np.power(np.maximum(pixels, 0), 1 / 2.4) - 0.055)
    return encode_bmp(pixels, width, height)


def _loads(image):
    try:
        image.pixels[0]
    except (IndexError, RuntimeError):
        return False
    return image.has_data


class ImageWriter:
    """Gives each image a file name beside the .kvd (the name a kvd file
    stored for it when it came from one, else OUTPUT_IMAGE with the kind's
    extension), and writes the files; each name is used once, and never for
    a file of other bytes that one of the scene's own images is."""

    def __init__(self, folder, stem, warn):
        self._folder = folder
        self._stem = stem
        self._warn = warn
        self._named = {}        # (image, wanted name or "") -> file name ("" when left out)
        self._files = {}        # file name (lower case) -> bytes
        self._order = []
        self._sources = set()

    def name_for(self, image, stored_name):
        """The map name for an image: the stored name when it has one (written
        beside the .kvd under its file name), else a new name; "" when it
        cannot be written."""
        key = (image.name, stored_name)
        if key in self._named:
            return self._named[key]
        name = self._prepare(image, stored_name)
        self._named[key] = name
        return name

    def _prepare(self, image, stored_name):
        wanted_kind = kind_of_name(file_part(stored_name)) if stored_name else None
        if stored_name and wanted_kind is None:
            return stored_name   # the host cannot show such a name: the map keeps it, no file
        data = image_bytes(image)
        source = bpy.path.abspath(image.filepath_raw or image.filepath, library=image.library)
        if source:
            self._sources.add(os.path.realpath(source))
        kind = kind_of_bytes(data) if data else None
        if kind is None or (wanted_kind is not None and kind != wanted_kind):
            if wanted_kind not in (None, "bmp"):
                stored_name = ""   # no JPEG or TIFF encoder here: a BMP under a new name
            data, kind = image_as_bmp(image), "bmp"
        if data is None:
            self._warn(f"texture image {image.name} cannot be read, left out")
            return ""
        if stored_name:
            file_name = self._claim(file_part(stored_name), data)
            return stored_name if file_name == file_part(stored_name) else file_name
        return self._claim(f"{safe_stem(self._stem)}_{safe_stem(image.name)}{HOST_KINDS[kind]}", data)

    def _claim(self, name, data):
        stem, extension = os.path.splitext(name)
        number = 2
        while True:
            key = name.lower()
            taken = self._files.get(key)
            if taken is None and not self._foreign_file(name, data):
                self._files[key] = data
                self._order.append(name)
                return name
            if taken == data:
                return name
            name = f"{stem}_{number}{extension}"
            number += 1

    def _foreign_file(self, name, data):
        """Whether the folder holds one of the scene's own images under name,
        with other bytes: that file is never replaced."""
        path = os.path.join(self._folder, name)
        if os.path.realpath(path) not in self._sources:
            return False
        try:
            with open(path, "rb") as file:
                return file.read() != data
        except OSError:
            return False

    def write(self):
        """Writes every named image, each whole under a temporary name first;
        returns the new files, for the caller to take back if the scene itself
        cannot be written."""
        written = []
        try:
            for name in self._order:
                path = os.path.join(self._folder, name)
                data = self._files[name.lower()]
                try:
                    with open(path, "rb") as file:
                        if file.read() == data:
                            continue   # already there, as it is
                except OSError:
                    pass
                existed = os.path.exists(path)
                handle, temporary = tempfile.mkstemp(prefix=name + ".partial-", dir=self._folder)
                try:
                    with os.fdopen(handle, "wb") as file:
                        file.write(data)
                    os.replace(temporary, path)
                except BaseException:
                    os.unlink(temporary)
                    raise
                if not existed:
                    written.append(path)
        except BaseException:
            remove_files(written)
            raise
        return written


def remove_files(paths):
    for path in paths:
        try:
            os.unlink(path)
        except OSError:
            pass
