"""The environment Blender runs in from the tests."""
import os
import sys


def blender_environment():
    """Blender's Python takes its library from the first Python on PATH. When
    that is another Python than the one Blender was built with (a version
    manager's, running this script), Blender would miss its own packages:
    that folder is left out of Blender's PATH."""
    environment = dict(os.environ)
    own = os.path.dirname(os.path.realpath(sys.executable))
    if sys.prefix != "/usr":
        # A version manager's own folders (its shims) lead to its Python too.
        manager = environment.get("PYENV_ROOT")
        folders = environment.get("PATH", "").split(os.pathsep)
        environment["PATH"] = os.pathsep.join(
            f for f in folders if os.path.realpath(f) != own and not f.startswith(sys.prefix)
            and not (manager and f.startswith(manager)))
        for name in [name for name in environment if name.startswith("PYENV")]:
            del environment[name]
    return environment
