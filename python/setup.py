"""Builds the kvd package with the kvd library it runs on.

The wheel carries a copy of the library from the project's CMake build
(build/bin/libkvd.so.1, or kvd.dll for Windows): build the default preset
first. KVD_BUILD_DIR names another build folder. With KVD_LIBRARY set while
building, no library is copied and the package loads that file at run time.
"""
import os
import shutil
import sys
from pathlib import Path

from setuptools import setup
from setuptools.command.build_py import build_py

try:
    from wheel.bdist_wheel import bdist_wheel
except ImportError:  # building without wheel: only an sdist or a legacy install
    bdist_wheel = None

HERE = Path(__file__).resolve().parent

if sys.platform == "win32":
    LIBRARY_NAMES = ("kvd.dll", "libkvd.dll")
elif sys.platform == "darwin":
    LIBRARY_NAMES = ("libkvd.1.dylib",)
else:
    LIBRARY_NAMES = ("libkvd.so.1",)


def built_library():
    build = Path(os.environ.get("KVD_BUILD_DIR") or HERE.parent / "build")
    for folder in (build / "bin", build / "lib", build / "library", build):
        for name in LIBRARY_NAMES:
            if (folder / name).is_file():
                return folder / name
    return None


class BuildWithLibrary(build_py):
    """Copies the built library into the package beside its modules."""

    def run(self):
        super().run()
        if os.environ.get("KVD_LIBRARY"):
            return
        library = built_library()
        if library is None:
            raise SystemExit(
                "kvd: no kvd library was found in the build folder "
                f"({os.environ.get('KVD_BUILD_DIR') or HERE.parent / 'build'}): run "
                "'cmake --preset default && cmake --build --preset default' first, or set KVD_BUILD_DIR to "
                "the build folder, or KVD_LIBRARY to a library file to use at run time")
        target = Path(self.build_lib) / "kvd" / library.name
        # copyfile follows the SONAME link to the library itself.
        shutil.copyfile(library, target)
        print(f"kvd: packaged {library} as {target.name}")


commands = {"build_py": BuildWithLibrary}

if bdist_wheel is not None:
    class PlatformWheel(bdist_wheel):
        """Pure Python for any Python 3, but bound to the platform of the library it carries."""

        def finalize_options(self):
            super().finalize_options()
            self.root_is_pure = False

        def get_tag(self):
            _, _, platform = super().get_tag()
            return "py3", "none", platform

    commands["bdist_wheel"] = PlatformWheel

setup(cmdclass=commands)
