#!/usr/bin/env python3
"""Puts the add-on together as one zip that Blender installs: the add-on's
folder io_scene_kvd/ (with bl_info for Blender 3.4 to 4.1 and
blender_manifest.toml for the extensions of 4.2 on), the Python package kvd
inside it, and in the package's folder the kvd library of each platform given,
where the package looks for its own platform's file.

usage: make-addon-zip.py OUTPUT.zip ADDON_DIR PACKAGE_DIR LIBRARY[=NAME]...
NAME is the library's name in the zip (libkvd.so.1, as its SONAME says),
else its own file name. A LIBRARY that does not exist is left out, saying so (the Windows library
when no MinGW build was made)."""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

# Fixed times keep the zip the same bytes for the same files.
STAMP = (2020, 1, 1, 0, 0, 0)


def add_file(archive, source, name, mode=0o644):
    info = zipfile.ZipInfo(name, STAMP)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = (0o100000 | mode) << 16
    with open(source, "rb") as file:
        archive.writestr(info, file.read())


def add_tree(archive, folder, prefix):
    for root, dirs, files in os.walk(folder):
        dirs[:] = sorted(d for d in dirs if d != "__pycache__" and not d.endswith(".egg-info"))
        for name in sorted(files):
            if name.endswith((".pyc", ".so", ".dll", ".dylib")) or ".so." in name:
                continue   # libraries come from the build, never from a working folder
            path = os.path.join(root, name)
            add_file(archive, path, prefix + os.path.relpath(path, folder).replace(os.sep, "/"))


def stripped(library, folder):
    """A copy of the library without its debugging information (a third of
    the size), when binutils for its kind are installed; else the library."""
    with open(library, "rb") as file:
        magic = file.read(2)
    tool = shutil.which("strip") if magic == b"\x7fE" else shutil.which("x86_64-w64-mingw32-strip")
    if tool is None:
        return library
    copy = os.path.join(folder, os.path.basename(library))
    if subprocess.run([tool, "--strip-debug", "-o", copy, library]).returncode != 0:
        return library
    return copy


def main(output, addon, package, libraries):
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    temporary = output + ".partial"
    with zipfile.ZipFile(temporary, "w") as archive, tempfile.TemporaryDirectory() as folder:
        add_tree(archive, addon, "io_scene_kvd/")
        add_tree(archive, package, "io_scene_kvd/kvd/")
        for given in libraries:
            library, _, name = given.partition("=")
            if not os.path.isfile(library):
                print(f"make-addon-zip: {library} not built, left out of the zip", file=sys.stderr)
                continue
            add_file(archive, stripped(library, folder), "io_scene_kvd/kvd/" + (name or os.path.basename(library)),
                     0o755)
    os.replace(temporary, output)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        print(__doc__)
        sys.exit(2)
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:])
