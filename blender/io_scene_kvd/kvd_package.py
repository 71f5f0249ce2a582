"""The Python package kvd bundled with the add-on, and the library it loads:
the zip carries the library for Linux x64 and for Windows x64 inside the
package's folder, where the package looks for its platform's file."""
import os

_package = None


class LibraryMissing(Exception):
    """The add-on holds no kvd library this platform can load."""


def kvd_package():
    """The bundled package, imported on first use so that the add-on
    registers (and can say what is wrong) even where the library cannot load."""
    global _package
    if _package is None:
        try:
            from . import kvd
        except OSError as error:
            folder = os.path.join(os.path.dirname(__file__), "kvd")
            raise LibraryMissing(f"the kvd library cannot be loaded on this system ({error}); "
                                 f"the add-on's libraries are in {folder}") from None
        _package = kvd
    return _package


def kvd_package_for(operator):
    """The package, or None once the operator has reported why it cannot load."""
    try:
        return kvd_package()
    except LibraryMissing as error:
        operator.report({'ERROR'}, str(error))
        return None
