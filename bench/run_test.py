#!/usr/bin/env python3
"""The benchmark's verdicts on made-up measurements: each target compares
against the limit its name states, and the table says met or not as the
figures say. Runs nothing but the report."""

import argparse
import ast
import importlib.util
import tempfile
import sys
import unittest
from pathlib import Path

# The bench folder stays free of compiled files.
sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
spec = importlib.util.spec_from_file_location("bench_run", HERE / "run.py")
bench = importlib.util.module_from_spec(spec)
spec.loader.exec_module(bench)

MB = bench.MB
MIB = bench.MIB


def step(seconds, peak=10 * MIB):
    return {"seconds": seconds, "cpu": seconds, "peak": peak, "runs": [seconds]}


def results(ply, info=0.030, assimp_import=1.0, convert=0.300, assimp_export=6.0):
    """Measurements that meet every target but the ones given otherwise."""
    mesh = {"kvd": Path("mesh.kvd"), "ply": ply, "vertices": 2_000_000, "faces": 4_000_000, "bytes": 72 * MB}
    large = {"kvd": Path("large.kvd"), "vertices": 4_000_000, "faces": 8_000_000, "bytes": 144 * MB}
    scaling = [{"scene": {"bytes": size, "requested": size, "vertices": size // 40, "faces": size // 20},
                "a": step(size / MB / 10000), "b": step(size / MB / 4000, 4 * MIB), "b0": step(size / MB / 5000)}
               for size in (16 * MB, 256 * MB, 1000 * MB)]
    return {"mesh": mesh, "loadBefore": (0.5, 0.5, 0.5), "loadAfter": (0.6, 0.6, 0.6),
            "a": step(0.01), "b": step(info, 30 * MIB), "b0": step(0.03), "f": step(0.03),
            "c": step(assimp_import, 220 * MIB), "d": step(convert, 100 * MIB), "e": step(assimp_export),
            "g": step(0.5), "batch": {"files": 1000, "bytes": 20000, "faces": 1000},
            "h_render": {"seconds": 10, "cpu": 20, "peak": MIB, "runs": [10], "cores": 2.0},
            "h_convert": {"seconds": 1, "cpu": 2, "peak": MIB, "runs": [1], "cores": 2.0},
            "scaling": scaling, "large": large, "i": step(0.6, 40 * MIB), "j": step(0.1, 40 * MIB),
            "k": dict(step(0.4, 110 * MIB), inputBytes=72 * MB),
            "l": dict(step(0.035, 120 * MIB), arrayBytes=72 * MB)}


def report(measured, quick=False):
    args = argparse.Namespace(runs=3, large_runs=3, host_baseline=None)
    return bench.Report(measured, quick, args)


def verdict(rep, start):
    matching = [t for t in rep.targets if t["target"].startswith(start)]
    assert len(matching) == 1, (start, [t["target"] for t in rep.targets])
    return matching[0]


class VerdictTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.ply = Path(self.folder.name) / "mesh.ply"
        self.ply.write_bytes(b"x" * 1000)

    def tearDown(self):
        self.folder.cleanup()

    def test_every_constant_is_set_once(self):
        tree = ast.parse((HERE / "run.py").read_text())
        names = [target.id for node in tree.body if isinstance(node, ast.Assign)
                 for target in node.targets if isinstance(target, ast.Name)]
        self.assertEqual(sorted(n for n in set(names) if names.count(n) > 1), [])

    def test_speed_verdicts_follow_the_limits_their_names_state(self):
        # (what, measurements, target's name starts with, met)
        cases = [
            ("convert 12.5x against 20x", {"convert": 0.318, "assimp_export": 3.962}, "kvd convert >= 20x", False),
            ("convert just under 20x", {"convert": 0.300, "assimp_export": 5.99}, "kvd convert >= 20x", False),
            ("convert at 20x", {"convert": 0.300, "assimp_export": 6.0}, "kvd convert >= 20x", True),
            ("info 18.5x against 30x", {"info": 0.0307, "assimp_import": 0.566}, "kvd info >= 30x", False),
            ("info at 30x", {"info": 0.030, "assimp_import": 0.9}, "kvd info >= 30x", True),
        ]
        for what, measured, name, met in cases:
            with self.subTest(what):
                target = verdict(report(results(self.ply, **measured)), name)
                self.assertEqual(target["met"], met)
                self.assertEqual(target["limit"], bench.TARGET_CONVERT_SPEEDUP if "convert" in name
                                 else bench.TARGET_SPEEDUP)

    def test_library_load_verdicts_follow_their_limits(self):
        # (what, (l) seconds, (l) peak, target's name starts with, met); (b) takes 30 ms,
        # the mesh has 2 M vertices and the arrays take 72 MB.
        bound = 72 * MB + 16 * 2_000_000 + 16 * MIB
        cases = [
            ("load at 1.3x", 0.039, 100 * MIB, "C library load (l) within", True),
            ("load at 1.4x", 0.042, 100 * MIB, "C library load (l) within", False),
            ("peak at the bound", 0.030, bound, "C library load (l): peak", True),
            ("peak just past it", 0.030, bound + 1, "C library load (l): peak", False),
        ]
        for what, seconds, peak, name, met in cases:
            with self.subTest(what):
                measured = results(self.ply)
                measured["l"] = dict(step(seconds, peak), arrayBytes=72 * MB)
                self.assertEqual(verdict(report(measured), name)["met"], met)

    def test_the_table_says_no_for_a_target_missed(self):
        text = report(results(self.ply, convert=0.318, assimp_export=3.962)).markdown()
        self.assertIn("| kvd convert >= 20x faster than the PLY export to glTF | 12.5x | NO |", text)
        self.assertIn("| kvd info >= 30x faster than the PLY import | 33.3x | yes |", text)

    def test_a_reduced_run_checks_no_target(self):
        text = report(results(self.ply, convert=0.318, assimp_export=3.962), quick=True).markdown()
        self.assertIn("REDUCED SIZE", text)
        self.assertNotIn("| NO |", text)
        self.assertIn("| 12.5x | not checked (reduced size) |", text)


if __name__ == "__main__":
    unittest.main()
