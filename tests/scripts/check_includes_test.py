#!/usr/bin/env python3
"""The include checker on small made-up trees: it passes a tree whose
includes point down, and names each kind of fault it exists to catch."""

import importlib.util
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "check-includes.py"
spec = importlib.util.spec_from_file_location("check_includes", SCRIPT)
check_includes = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_includes)

# Name, files (path -> includes), what the problems must mention (empty: none).
CASES = [
    ("includes pointing down", {"base/A.h": [], "reader/R.h": ["base/A.h"], "convert/C.cpp": ["reader/R.h"]}, []),
    ("an include beside the file", {"tests/tool/T.cpp": ["Helper.h"], "tests/tool/Helper.h": []}, []),
    ("an include going up", {"reader/R.h": ["convert/C.h"], "convert/C.h": []},
     ["reader/R.h (reader) includes convert/C.h (convert)"]),
    ("an include going sideways", {"reader/R.h": ["host/H.h"], "host/H.h": []},
     ["reader/R.h (reader) includes host/H.h (host)"]),
    ("a loop within a layer", {"reader/A.h": ["reader/B.h"], "reader/B.h": ["reader/A.h"]},
     ["include loop: reader/A.h -> reader/B.h -> reader/A.h"]),
    ("a header that is not there", {"reader/A.h": ["reader/Missing.h"]}, ["includes reader/Missing.h, which does not exist"]),
    ("a folder with no layer", {"newfolder/N.cpp": []}, ["newfolder: a folder of sources with no layer"]),
]


def write_tree(root, files):
    for name, includes in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text("".join('#include "%s"\n' % include for include in includes) + "#include <vector>\n")


class CheckIncludesTest(unittest.TestCase):
    def test_cases(self):
        for name, files, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                root = Path(folder)
                write_tree(root, files)
                problems = check_includes.check(root)
                if not expected:
                    self.assertEqual(problems, [])
                for text in expected:
                    self.assertTrue(any(text in problem for problem in problems), (text, problems))

    def test_the_layers_themselves_form_no_loop(self):
        self.assertEqual(check_includes.layer_loops(), [])


if __name__ == "__main__":
    sys.exit(unittest.main())
