#!/usr/bin/env python3
"""Checks that every include of the project's own headers points down.

Each folder is a layer and may include only the folders listed for it below
(and itself). An include that goes up or sideways, a header that does not
exist, a folder with no place in the list, or files that include each other
in a loop are reported, one line each, and the exit status is 1.

    python3 scripts/check-includes.py [SOURCE_DIR]
"""

import re
import sys
from pathlib import Path

# Folder -> the folders its files may include besides its own. Listed from
# the bottom up; a folder never names one listed after it.
ALLOWED = {
    # Helpers with no knowledge of kvd files or hosts: GBK text, large-page
    # memory, libraries opened at run time.
    "base": [],
    # The host's interface as the plug-in sees it.
    "host": [],
    # The reader of kvd files and what it hands on; knows no host.
    "reader": ["base"],
    # File materials into host records, and the host as the reader's destination.
    "convert": ["reader", "host", "base"],
    # The plug-in: entry, session, user interface.
    "plugin": ["convert", "reader", "host", "base"],
    # The stand-in host: the host interface implemented, recording calls.
    "tools/standin": ["host", "base"],
    # The kvd writer: a scene described in plain terms written as a kvd file.
    "writer": ["reader", "base"],
    # The structural kvd writer of the tests.
    "tools/structural": ["base"],
    # tinygltf built for the tool.
    "tools/gltf": [],
    # The kvd tool's destinations of the reader and its import run.
    "tools/scene": ["reader", "base"],
    # Image files read and written for the tool.
    "tools/image": ["base"],
    # The kvd tool's file writers and the images they carry.
    "tools/export": ["tools/image", "tools/scene", "reader", "base"],
    # The off-screen renderer and its input.
    "tools/render": ["tools/export", "tools/image", "tools/scene", "reader", "base"],
    # Model files read for the kvd writer.
    "tools/models": ["writer", "tools/export", "tools/image", "tools/scene", "reader", "base"],
    # The kvd library: its C interface over the reader, the tool's image
    # lookup, projection and point merge, and the writer.
    "library": ["tools/export", "tools/scene", "writer", "reader", "base"],
    # Programs that use the installed library through its public header only.
    "examples": [],
    # The samples' generator.
    "tools/samples": ["tools/structural", "base"],
    # The stand-in host program, which loads the plug-in at run time.
    "tools/zerna": ["tools/standin", "host", "base"],
    # The kvd command line, the top of the tool.
    "tools/kvd": ["tools/models", "tools/render", "tools/export", "tools/image", "tools/scene", "tools/standin",
                  "writer", "convert", "reader", "host", "base"],
    # The browser viewer's module: the kvd tool's conversion and summary
    # without its command line.
    "web": ["tools/kvd", "tools/export", "tools/image", "tools/scene", "reader", "base"],
    # Tests, benchmarks and the fuzz target may use anything below them.
    "tests": ["library", "tools/kvd", "tools/models", "tools/render", "tools/export", "tools/image", "tools/scene",
              "tools/samples", "tools/structural", "writer",
              "tools/standin", "tools/zerna", "plugin", "convert", "reader", "host", "base"],
    "bench": ["library", "tools/export", "tools/image", "tools/scene", "tools/structural", "tools/standin", "convert", "reader",
              "host", "base"],
    "fuzz": ["tests", "library", "tools/models", "tools/render", "tools/export", "tools/image", "tools/scene",
             "tools/structural", "tools/standin", "writer", "convert", "reader", "host", "base"],
}
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".c"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(relative):
    """The folder of ALLOWED a path lies in (the longest that matches), or None."""
    parts = relative.parts
    for depth in (2, 1):
        folder = "/".join(parts[:depth])
        if len(parts) > depth and folder in ALLOWED:
            return folder
    return None


def resolve(root, including, name):
    """The file an include names: beside the including file, else from the root."""
    for candidate in (including.parent / name, root / name):
        if candidate.is_file():
            return candidate.resolve()
    return None


def find_loops(graph):
    """Every include loop, each as a list of files, found depth first."""
    loops = []
    state = {}   # file -> 1 while on the path, 2 when done
    path = []

    def visit(node):
        state[node] = 1
        path.append(node)
        for target in sorted(graph.get(node, ())):
            if state.get(target) == 1:
                loops.append(path[path.index(target):] + [target])
            elif target not in state:
                visit(target)
        path.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return loops


def layer_loops():
    """Loops in ALLOWED itself: a layer that could reach itself through others."""
    graph = {layer: set(below) for layer, below in ALLOWED.items()}
    return [" -> ".join(loop) for loop in find_loops(graph)]


def check(root):
    root = root.resolve()
    problems = ["the layers form a loop: " + loop for loop in layer_loops()]
    graph = {}
    folders_without_layer = set()
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root)
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        if relative.parts[0].startswith(("build", ".")) or "node_modules" in relative.parts:
            continue
        layer = layer_of(relative)
        if layer is None:
            folders_without_layer.add(str(relative.parent))
            continue
        text = path.read_text(errors="replace")
        targets = set()
        for name in INCLUDE.findall(text):
            target = resolve(root, path, name)
            if target is None:
                problems.append("%s: includes %s, which does not exist" % (relative, name))
                continue
            if root not in target.parents:
                continue
            target_layer = layer_of(target.relative_to(root))
            if target_layer != layer and target_layer not in ALLOWED[layer]:
                problems.append("%s (%s) includes %s (%s), which is not below it" % (
                    relative, layer, target.relative_to(root), target_layer))
            targets.add(target)
        graph[path.resolve()] = targets
    for folder in sorted(folders_without_layer):
        problems.append("%s: a folder of sources with no layer in scripts/check-includes.py" % folder)
    for loop in find_loops(graph):
        problems.append("include loop: " + " -> ".join(str(p.relative_to(root)) for p in loop))
    return problems


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print("%d include problems" % len(problems))
        return 1
    print("includes: every one points down, no loops")
    return 0


if __name__ == "__main__":
    sys.exit(main())
