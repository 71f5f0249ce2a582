#!/usr/bin/env python3
"""The whole import benchmark in one run on one machine.

Writes the inputs with the project's writer (bench_make_scene): a single-mesh
kvd scene of about 4 million triangles on 2 million shared vertices, the same
geometry as a little-endian binary PLY, and kvd scenes of 1 MB, 16 MB, 256 MB
and 1 GB. Then times, each several times with the median reported:

  (a) the read limit: fread in 1 MiB blocks touching every cache line
  (b) kvd info: the reader into the tool's summary (counts, used vertices,
      bounds); no host takes part
  (b0) the import into the host, a stand-in that counts triangles and
      nothing else: host points, one GB_AddTriangle per face
  (f) the floor of the host path: the reader, the vertices widened into
      fresh memory, one call per face to an empty function in another module
  (c) the general-purpose importer reading the PLY, no post-processing
  (d) kvd convert to .glb
  (e) the general-purpose importer's own conversion of the PLY to .glb
  (g) kvd render of the mesh to an 800x600 PNG
  (h) kvd render and kvd convert over a folder of 1 000 small scenes, on
      every core: CPU time over wall time says how many cores were busy
  (i) kvd convert to .glb of a large single-mesh scene (at least 100 million
      triangles), against (d) per million triangles
  (j) kvd info on the same large scene
  (k) kvd convert of the mesh as .glb (written by kvd convert from the
      kvd file) back to .kvd: the model reader and the kvd writer

and reports MB/s, the ratios, peak resident memory, how (b) grows with the
file, and whether each target is met. Every input is read once before the
timed runs, so all of them read from the page cache.

--quick runs every step on small files and checks only that the harness
works (exit codes, outputs, both importers seeing the same triangles); it
makes no claim about speed.

    python3 bench/run.py --build-dir build-bench --data-dir /work/bench-data
"""

import argparse
import json
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

MB = 1_000_000
MIB = 1 << 20

# The 4-million-triangle mesh: a square grid of 1415 x 1415 shared vertices.
FULL_GRID_SIDE = 1415
FULL_SCALING = [1 * MB, 16 * MB, 256 * MB, 1000 * MB]
QUICK_GRID_SIDE = 40
QUICK_SCALING = [64_000, 256_000, 1 * MB]
# The large scene: a grid of 7073 x 7073 shared vertices, 100 026 368
# triangles (a 1.8 GB kvd file; the conversion writes 1.8 GB of .glb and as
# much again of temporary files before it).
FULL_LARGE_SIDE = 7073
QUICK_LARGE_SIDE = 60
# Sizes from which time per MB must stay constant (the smallest ones are
# dominated by process start-up).
FULL_FLAT_FROM = 16 * MB

TARGET_READ_SHARE = 0.5         # (b) throughput / (a) throughput, largest file
TARGET_SPEEDUP = 30.0           # time (c) / time (b)
TARGET_MEMORY_SHARE = 0.25      # peak (b) / peak (c)
TARGET_BYTES_PER_VERTEX = 12    # peak (b) <= 12 per vertex + 16 MiB
TARGET_MEMORY_SLACK = 16 * MIB
TARGET_FLATNESS = 1.25          # max / min time per MB of (b), 16 MB up
TARGET_CONVERT_SPEEDUP = 20.0   # time (e) / time (d)
# (b0) on the mesh before the reader handed meshes to destinations: the
# median of 9 runs on the machine of the README's table, in seconds. The
# host import may not be slower than that.
BASELINE_HOST_IMPORT = None
TARGET_RENDER_SECONDS = 10.0    # (g)
TARGET_BATCH_CORE_SHARE = 0.75  # (h) CPU / wall >= this share of the cores
FULL_BATCH_FILES = 1000
QUICK_BATCH_FILES = 20
BATCH_SCENE_BYTES = 20_000
TARGET_LARGE_CONVERT_BYTES_PER_VERTEX = 12   # peak (i) <= 12 per vertex + 64 MiB
TARGET_LARGE_CONVERT_SLACK = 64 * MIB
TARGET_LARGE_INFO_BYTES_PER_VERTEX = 12      # peak (j) <= 12 per vertex + 16 MiB
TARGET_LARGE_INFO_SLACK = 16 * MIB
TARGET_LARGE_TIME_RATIO = 1.5   # (i) / (d), time per million triangles
TARGET_WRITE_BACK_RATIO = 2.0   # time (k) / time (d)
TARGET_WRITE_BACK_SPEEDUP = 10.0   # time (e) / time (k)
TARGET_WRITE_BACK_BYTES_PER_VERTEX = 24   # peak (k) <= input + 24 per vertex + 64 MiB
TARGET_WRITE_BACK_SLACK = 64 * MIB
TARGET_CAPI_LOAD_RATIO = 1.3    # time (l) / time (b)
TARGET_CAPI_LOAD_BYTES_PER_VERTEX = 16   # peak (l) <= its arrays + 16 per vertex + 16 MiB
TARGET_CAPI_LOAD_SLACK = 16 * MIB


class HarnessError(Exception):
    pass


def run_timed(launcher, command, runs, output_path=None):
    """Runs a command `runs` times through the launcher; returns a list of
    (wall seconds, CPU seconds, peak RSS in bytes) and the standard output of
    the last run."""
    with tempfile.NamedTemporaryFile() as out:
        process = subprocess.run([launcher, str(runs), out.name] + [str(c) for c in command],
                                 stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if process.returncode != 0:
            raise HarnessError("%s failed: %s" % (" ".join(map(str, command)),
                                                  process.stderr.strip()[-500:]))
        text = Path(out.name).read_text(errors="replace")
    if output_path is not None and not Path(output_path).is_file():
        raise HarnessError("%s wrote no %s" % (command[0], output_path))
    samples = [(float(m.group(1)), float(m.group(2)), int(m.group(3)))
               for m in re.finditer(r"seconds (\S+) cpu (\S+) peak_bytes (\d+)", process.stdout)]
    if len(samples) != runs:
        raise HarnessError("the launcher reported %d of %d runs" % (len(samples), runs))
    return samples, text


def measure(launcher, command, runs, output_path=None):
    """One warm-up run, then `runs` timed ones; medians of time and peak RSS."""
    samples, text = run_timed(launcher, command, runs + 1, output_path)
    times = [sample[0] for sample in samples[1:]]
    return {"seconds": statistics.median(times),
            "cpu": statistics.median(sample[1] for sample in samples[1:]),
            "peak": statistics.median(sample[2] for sample in samples[1:]),
            "runs": times, "output": text}


def numbers_after(text, word):
    match = re.search(r"\b%s\D*?(\d+)" % re.escape(word), text)
    return int(match.group(1)) if match else None


def check_glb(path):
    with open(path, "rb") as f:
        magic = f.read(4)
    if magic != b"glTF":
        raise HarnessError("%s is not a binary glTF file" % path)


class Bench:
    def __init__(self, args):
        self.args = args
        self.bin = Path(args.build_dir).resolve() / "bin"
        self.data = Path(args.data_dir).resolve()
        self.data.mkdir(parents=True, exist_ok=True)
        self.assimp = shutil.which("assimp")
        for tool in ("kvd", "bench_make_scene", "bench_read_limit", "bench_assimp_import",
                     "bench_timed_run", "bench_counting_import", "bench_host_floor", "bench_capi_load"):
            if not (self.bin / tool).is_file():
                raise HarnessError("%s not built in %s" % (tool, self.bin))
        if self.assimp is None:
            raise HarnessError("the assimp command line (assimp-utils) is not installed")

    def tool(self, name):
        return str(self.bin / name)

    def measure(self, command, runs, output_path=None):
        return measure(self.tool("bench_timed_run"), command, runs, output_path)

    def make_scene(self, name, option, value, with_ply):
        kvd = self.data / (name + ".kvd")
        ply = self.data / (name + ".ply")
        command = [self.tool("bench_make_scene"), option, str(value), "--kvd", str(kvd)]
        if with_ply:
            command += ["--ply", str(ply)]
        samples, text = run_timed(self.tool("bench_timed_run"), command, 1)
        scene = {"kvd": kvd, "ply": ply if with_ply else None,
                 "vertices": numbers_after(text, "vertices"), "faces": numbers_after(text, "faces"),
                 "bytes": kvd.stat().st_size}
        if scene["vertices"] is None or scene["faces"] is None:
            raise HarnessError("bench_make_scene said: " + text)
        return scene

    def counted(self, command, word, expected, what):
        """Measures a command whose output says `word N`; N must be `expected`."""
        result = self.measure(command, self.args.runs)
        if numbers_after(result["output"], word) != expected:
            raise HarnessError("%s: expected %s %d, got: %s" % (
                what, word, expected, result["output"].strip()[:500]))
        return result

    def read_limit(self, scene):
        return self.counted([self.tool("bench_read_limit"), scene["kvd"]], "bytes", scene["bytes"],
                            "bench_read_limit")

    def kvd_info(self, scene, runs=None):
        # "objects: 1, 3998792 triangles, ...": the number before the word.
        result = self.measure([self.tool("kvd"), "info", scene["kvd"]], runs or self.args.runs)
        match = re.search(r"(\d+) triangles", result["output"])
        if match is None or int(match.group(1)) != scene["faces"]:
            raise HarnessError("kvd info does not report %d triangles: %s" % (
                scene["faces"], result["output"].strip()[:500]))
        return result

    def capi_load(self, scene, runs=None):
        """(l): the kvd library's C interface loads every mesh into arrays;
        arrayBytes is what the arrays it returns take."""
        result = self.counted([self.tool("bench_capi_load"), scene["kvd"]], "triangles", scene["faces"],
                              "bench_capi_load")
        result["arrayBytes"] = numbers_after(result["output"], "array_bytes")
        return result

    def counting_import(self, scene):
        return self.counted([self.tool("bench_counting_import"), scene["kvd"]], "triangles",
                            scene["faces"], "bench_counting_import")

    def host_floor(self, scene):
        return self.counted([self.tool("bench_host_floor"), scene["kvd"]], "triangles",
                            scene["faces"], "bench_host_floor")

    def assimp_import(self, scene):
        return self.counted([self.tool("bench_assimp_import"), scene["ply"]], "faces", scene["faces"],
                            "the PLY importer")

    def converted(self, command, out):
        """Measures a conversion; its output must be a binary glTF file."""
        result = self.measure(command, self.args.runs, out)
        check_glb(out)
        result["outputBytes"] = out.stat().st_size
        return result

    def kvd_convert(self, scene, runs=None):
        out = self.data / (scene["kvd"].stem + ".kvd.glb")
        result = self.measure([self.tool("kvd"), "convert", scene["kvd"], out], runs or self.args.runs, out)
        check_glb(out)
        result["outputBytes"] = out.stat().st_size
        # The large scene's output is as large as its input: make room.
        out.unlink()
        return result

    def kvd_write_back(self, scene):
        """The mesh as .glb, made once by kvd convert, back to .kvd."""
        glb = self.data / (scene["kvd"].stem + ".glb")
        subprocess.run([self.tool("kvd"), "convert", "--quiet", str(scene["kvd"]), str(glb)], check=True,
                       stdin=subprocess.DEVNULL)
        out = self.data / (scene["kvd"].stem + ".back.kvd")
        result = self.measure([self.tool("kvd"), "convert", glb, out], self.args.runs, out)
        with open(out, "rb") as f:
            if f.read(2) != b"\x56\x02":
                raise HarnessError("%s is not a kvd scene file" % out)
        if "%d triangles" % scene["faces"] not in result["output"]:
            raise HarnessError("kvd convert does not report %d triangles: %s" % (
                scene["faces"], result["output"].strip()[:500]))
        result["inputBytes"] = glb.stat().st_size
        result["outputBytes"] = out.stat().st_size
        out.unlink()
        return result

    def kvd_render(self, scene):
        out = self.data / (scene["kvd"].stem + ".png")
        result = self.measure([self.tool("kvd"), "render", scene["kvd"], out], self.args.runs, out)
        if numbers_after(result["output"], "camera") is None or \
                "%d triangles" % scene["faces"] not in result["output"]:
            raise HarnessError("kvd render does not report %d triangles: %s" % (
                scene["faces"], result["output"].strip()[:500]))
        return result

    def batch_folder(self, count):
        """A folder of `count` copies of one small scene."""
        scene = self.make_scene("batch-scene", "--bytes", BATCH_SCENE_BYTES, False)
        folder = self.data / "batch"
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        for i in range(count):
            shutil.copyfile(scene["kvd"], folder / ("scene-%04d.kvd" % i))
        return {"folder": folder, "files": count, "bytes": scene["bytes"], "faces": scene["faces"]}

    def batch(self, batch, verb, extra):
        out = self.data / ("batch-" + verb)
        command = [self.tool("kvd"), verb, "--quiet", "-o", out] + extra + [batch["folder"]]
        # One warm-up and one timed run: the batch is long enough on its own.
        samples, _ = run_timed(self.tool("bench_timed_run"), command, 2)
        written = sum(1 for _ in out.rglob("*.*"))
        if written < batch["files"]:
            raise HarnessError("kvd %s -o wrote %d of %d outputs" % (verb, written, batch["files"]))
        seconds, cpu, peak = samples[1]
        return {"seconds": seconds, "cpu": cpu, "peak": peak, "runs": [seconds], "cores": cpu / seconds}

    def assimp_export(self, scene):
        out = self.data / (scene["ply"].stem + ".assimp.glb")
        return self.converted([self.assimp, "export", scene["ply"], out, "-fglb2"], out)


def mbps(nbytes, seconds):
    return nbytes / MB / seconds


def mib(nbytes):
    return nbytes / MIB


def run(args):
    quick = args.quick
    bench = Bench(args)
    side = QUICK_GRID_SIDE if quick else FULL_GRID_SIDE
    sizes = QUICK_SCALING if quick else FULL_SCALING
    if args.sizes:
        sizes = [int(float(s) * MB) for s in args.sizes.split(",")]

    def say(text):
        print(text, file=sys.stderr, flush=True)

    say("writing the inputs to %s" % bench.data)
    mesh = bench.make_scene("mesh-grid%d" % side, "--grid", side, True)
    scaled = [dict(bench.make_scene("scene-%dkB" % (size // 1000), "--bytes", size, False), requested=size)
              for size in sizes]

    say("timing the %d-triangle mesh" % mesh["faces"])
    results = {"mesh": mesh, "loadBefore": os.getloadavg()}
    results["a"] = bench.read_limit(mesh)
    results["b"] = bench.kvd_info(mesh)
    results["b0"] = bench.counting_import(mesh)
    results["f"] = bench.host_floor(mesh)
    results["c"] = bench.assimp_import(mesh)
    results["d"] = bench.kvd_convert(mesh)
    results["e"] = bench.assimp_export(mesh)
    results["g"] = bench.kvd_render(mesh)
    results["k"] = bench.kvd_write_back(mesh)
    results["l"] = bench.capi_load(mesh)
    say("timing kvd over a folder of %d small scenes" % (QUICK_BATCH_FILES if quick else FULL_BATCH_FILES))
    batch = bench.batch_folder(QUICK_BATCH_FILES if quick else FULL_BATCH_FILES)
    results["batch"] = batch
    results["h_render"] = bench.batch(batch, "render", ["--size", "320x240"])
    results["h_convert"] = bench.batch(batch, "convert", ["--to", "glb"])
    scaling = []
    for scene in scaled:
        say("timing the %.2f MB scene" % (scene["bytes"] / MB))
        scaling.append({"scene": scene, "a": bench.read_limit(scene), "b": bench.kvd_info(scene),
                        "b0": bench.counting_import(scene)})
    results["scaling"] = scaling

    large_side = QUICK_LARGE_SIDE if quick else args.large_side
    free = shutil.disk_usage(bench.data).free
    # Input, the temporary files and the output: about 3.5 times 18 bytes
    # a triangle.
    needed = 2 * (large_side - 1) ** 2 * 18 * 3.5
    if free < needed:
        raise HarnessError("the large scene needs about %.1f GB free in %s, %.1f GB are" %
                           (needed / 1e9, bench.data, free / 1e9))
    say("writing the large scene (grid of %d x %d vertices)" % (large_side, large_side))
    large = bench.make_scene("large-grid%d" % large_side, "--grid", large_side, False)
    say("timing the %d-triangle large scene" % large["faces"])
    results["large"] = large
    results["i"] = bench.kvd_convert(large, args.large_runs)
    results["j"] = bench.kvd_info(large, args.large_runs)
    if not args.keep_data:
        large["kvd"].unlink()
    results["loadAfter"] = os.getloadavg()

    report = Report(results, quick, args)
    text = report.markdown()
    if args.json:
        Path(args.json).write_text(json.dumps(report.summary(), indent=2, default=str))
    print(text)
    if not args.keep_data:
        shutil.rmtree(bench.data, ignore_errors=True)
    return 0


class Report:
    def __init__(self, results, quick, args):
        self.r = results
        self.quick = quick
        self.args = args
        self.targets = []
        self.evaluate()

    def target(self, name, value, limit, met, shown):
        self.targets.append({"target": name, "value": value, "limit": limit, "met": met, "shown": shown})

    def evaluate(self):
        r = self.r
        largest = r["scaling"][-1]
        share = (mbps(largest["scene"]["bytes"], largest["b"]["seconds"]) /
                 mbps(largest["scene"]["bytes"], largest["a"]["seconds"]))
        self.target("import throughput >= %g of the read limit (%.0f MB file)" %
                    (TARGET_READ_SHARE, largest["scene"]["bytes"] / MB),
                    share, TARGET_READ_SHARE, share >= TARGET_READ_SHARE, "%.2f" % share)
        speedup = r["c"]["seconds"] / r["b"]["seconds"]
        self.target("kvd info >= %gx faster than the PLY import" % TARGET_SPEEDUP, speedup, TARGET_SPEEDUP,
                    speedup >= TARGET_SPEEDUP, "%.1fx" % speedup)
        memory = r["b"]["peak"] / r["c"]["peak"]
        self.target("kvd info peak memory <= %g of the PLY import's" % TARGET_MEMORY_SHARE, memory, TARGET_MEMORY_SHARE,
                    memory <= TARGET_MEMORY_SHARE, "%.2f" % memory)
        worst = max((run["b"]["peak"] - self.memory_bound(run["scene"])) for run in r["scaling"] +
                    [{"scene": r["mesh"], "b": r["b"]}])
        self.target("kvd info peak <= %d B/vertex + %d MiB at every size" % (
                        TARGET_BYTES_PER_VERTEX, TARGET_MEMORY_SLACK // MIB), worst, 0, worst <= 0,
                    "%+.1f MiB against the bound" % mib(worst))
        per_mb = [run["b"]["seconds"] / (run["scene"]["bytes"] / MB) for run in r["scaling"]
                  if run["scene"]["requested"] >= (FULL_FLAT_FROM if not self.quick else 0)]
        flat = max(per_mb) / min(per_mb) if per_mb else float("nan")
        self.target("time per MB of the largest over the smallest <= %g, %d MB and up" % (
                        TARGET_FLATNESS, FULL_FLAT_FROM // MB), flat, TARGET_FLATNESS,
                    flat <= TARGET_FLATNESS, "max/min %.2f" % flat)
        convert = r["e"]["seconds"] / r["d"]["seconds"]
        self.target("kvd convert >= %gx faster than the PLY export to glTF" % TARGET_CONVERT_SPEEDUP, convert,
                    TARGET_CONVERT_SPEEDUP, convert >= TARGET_CONVERT_SPEEDUP, "%.1fx" % convert)
        host = r["b0"]["seconds"]
        baseline = self.args.host_baseline or BASELINE_HOST_IMPORT
        if baseline:
            self.target("host import (b0) no slower than before (%.1f ms)" % (baseline * 1000), host,
                        baseline, host <= baseline, "%.1f ms, %.2fx the floor (f)" % (
                            host * 1000, host / r["f"]["seconds"]))
        else:
            self.target("host import (b0) against its floor (f)", host / r["f"]["seconds"], None, True,
                        "%.2fx the floor" % (host / r["f"]["seconds"]))

        back = r["k"]["seconds"] / r["d"]["seconds"]
        self.target("glb back to kvd (k) within 2x the time of kvd to glb (d)", back, TARGET_WRITE_BACK_RATIO,
                    back <= TARGET_WRITE_BACK_RATIO, "%.2f" % back)
        speedup = r["e"]["seconds"] / r["k"]["seconds"]
        self.target("glb back to kvd (k) >= 10x faster than the PLY export to glTF", speedup,
                    TARGET_WRITE_BACK_SPEEDUP, speedup >= TARGET_WRITE_BACK_SPEEDUP, "%.1fx" % speedup)
        bound = (r["k"]["inputBytes"] + TARGET_WRITE_BACK_BYTES_PER_VERTEX * r["mesh"]["vertices"] +
                 TARGET_WRITE_BACK_SLACK)
        self.target("glb back to kvd (k): peak <= input + 24 B/vertex + 64 MiB", r["k"]["peak"], bound,
                    r["k"]["peak"] <= bound, "%.1f MiB of %.1f MiB" % (mib(r["k"]["peak"]), mib(bound)))

        load = r["l"]["seconds"] / r["b"]["seconds"]
        self.target("C library load (l) within %gx the time of kvd info (b)" % TARGET_CAPI_LOAD_RATIO, load,
                    TARGET_CAPI_LOAD_RATIO, load <= TARGET_CAPI_LOAD_RATIO, "%.2f" % load)
        bound = (r["l"]["arrayBytes"] + TARGET_CAPI_LOAD_BYTES_PER_VERTEX * r["mesh"]["vertices"] +
                 TARGET_CAPI_LOAD_SLACK)
        self.target("C library load (l): peak <= its arrays + %d B/vertex + %d MiB" % (
                        TARGET_CAPI_LOAD_BYTES_PER_VERTEX, TARGET_CAPI_LOAD_SLACK // MIB), r["l"]["peak"], bound,
                    r["l"]["peak"] <= bound, "%.1f MiB of %.1f MiB" % (mib(r["l"]["peak"]), mib(bound)))

        render = r["g"]["seconds"]
        self.target("kvd render of the %d-triangle mesh < %g s" % (r["mesh"]["faces"], TARGET_RENDER_SECONDS), render,
                    TARGET_RENDER_SECONDS, render < TARGET_RENDER_SECONDS, "%.2f s" % render)
        cores = os.cpu_count() or 1
        busy = r["h_render"]["cores"]
        self.target("kvd render over %d scenes keeps the %d cores busy (CPU/wall >= %.2f x cores)" % (
                        r["batch"]["files"], cores, TARGET_BATCH_CORE_SHARE),
                    busy, TARGET_BATCH_CORE_SHARE * cores, busy >= TARGET_BATCH_CORE_SHARE * cores,
                    "CPU/wall %.2f" % busy)

        large = r["large"]
        bound = TARGET_LARGE_CONVERT_BYTES_PER_VERTEX * large["vertices"] + TARGET_LARGE_CONVERT_SLACK
        self.target("kvd convert of the large scene: peak <= %d B/vertex + %d MiB" % (
                        TARGET_LARGE_CONVERT_BYTES_PER_VERTEX, TARGET_LARGE_CONVERT_SLACK // MIB), r["i"]["peak"], bound,
                    r["i"]["peak"] <= bound, "%.1f MiB of %.1f MiB" % (mib(r["i"]["peak"]), mib(bound)))
        ratio = self.per_million(r["i"], large) / self.per_million(r["d"], r["mesh"])
        self.target("kvd convert time per million triangles, large scene / 4 M grid <= %g" % TARGET_LARGE_TIME_RATIO,
                    ratio,
                    TARGET_LARGE_TIME_RATIO, ratio <= TARGET_LARGE_TIME_RATIO, "%.2f" % ratio)
        bound = TARGET_LARGE_INFO_BYTES_PER_VERTEX * large["vertices"] + TARGET_LARGE_INFO_SLACK
        self.target("kvd info of the large scene: peak <= %d B/vertex + %d MiB" % (
                        TARGET_LARGE_INFO_BYTES_PER_VERTEX, TARGET_LARGE_INFO_SLACK // MIB), r["j"]["peak"], bound,
                    r["j"]["peak"] <= bound, "%.1f MiB of %.1f MiB" % (mib(r["j"]["peak"]), mib(bound)))

    @staticmethod
    def per_million(result, scene):
        return result["seconds"] / (scene["faces"] / 1e6)

    @staticmethod
    def memory_bound(scene):
        return TARGET_BYTES_PER_VERTEX * scene["vertices"] + TARGET_MEMORY_SLACK

    def machine(self):
        memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES")
        cpu = platform.processor() or platform.machine()
        try:
            with open("/proc/cpuinfo") as f:
                names = [line.split(":", 1)[1].strip() for line in f if line.startswith("model name")]
            cpu = names[0] if names else cpu
        except OSError:
            pass
        return "%s, %d cores, %.0f GiB memory, %s" % (cpu, os.cpu_count(), memory / (1 << 30),
                                                    platform.system())

    def summary(self):
        def strip(result):
            return {k: v for k, v in result.items() if k != "output"}
        r = self.r
        return {"machine": self.machine(), "quick": self.quick, "runs": self.args.runs,
                "load": [r["loadBefore"], r["loadAfter"]],
                "mesh": r["mesh"], "large": r["large"],
                **{k: strip(r[k]) for k in ("a", "b", "b0", "f", "c", "d", "e", "g", "i", "j", "k", "l")},
                "batch": r["batch"], "h_render": r["h_render"], "h_convert": r["h_convert"],
                "scaling": [{"scene": s["scene"], "a": strip(s["a"]), "b": strip(s["b"]), "b0": strip(s["b0"])}
                            for s in r["scaling"]],
                "targets": self.targets}

    def markdown(self):
        r = self.r
        mesh = r["mesh"]
        lines = []
        add = lines.append
        add("Machine: %s. Median of %d runs after one warm-up; files in the page cache. "
            "Load average %.1f at the start, %.1f at the end." %
            (self.machine(), self.args.runs, r["loadBefore"][0], r["loadAfter"][0]))
        if self.quick:
            add("")
            add("REDUCED SIZE: harness check only; these timings mean nothing.")
        add("")
        add("Mesh: %d vertices, %d triangles; kvd file %.1f MB, PLY %.1f MB." % (
            mesh["vertices"], mesh["faces"], mesh["bytes"] / MB, mesh["ply"].stat().st_size / MB))
        add("")
        add("| step | input | time (ms) | CPU (ms) | MB/s | peak RSS (MiB) |")
        add("|---|---|---:|---:|---:|---:|")
        ply_bytes = mesh["ply"].stat().st_size
        rows = [("(a) read limit: fread 1 MiB blocks", "kvd", r["a"], mesh["bytes"]),
                ("(b) kvd info: counts, used vertices, bounds; no host", "kvd", r["b"], mesh["bytes"]),
                ("(b0) import into a host that only counts", "kvd", r["b0"], mesh["bytes"]),
                ("(f) floor of the host path", "kvd", r["f"], mesh["bytes"]),
                ("(c) assimp import, no post-processing", "PLY", r["c"], ply_bytes),
                ("(d) kvd convert to .glb", "kvd", r["d"], mesh["bytes"]),
                ("(e) assimp export to .glb", "PLY", r["e"], ply_bytes),
                ("(g) kvd render, 800x600 PNG", "kvd", r["g"], mesh["bytes"]),
                ("(k) kvd convert of the .glb back to .kvd", "glb", r["k"], r["k"]["inputBytes"]),
                ("(l) C library load, every mesh into arrays", "kvd", r["l"], mesh["bytes"])]
        for name, kind, result, nbytes in rows:
            add("| %s | %s | %.1f | %.1f | %.0f | %.1f |" % (
                name, kind, result["seconds"] * 1000, result["cpu"] * 1000,
                mbps(nbytes, result["seconds"]), mib(result["peak"])))
        add("")
        add("Ratios, wall time: (b)/(a) throughput %.2f; (c)/(b) time %.1fx; (b)/(c) peak memory "
            "%.3f; (e)/(d) time %.1fx; (b0)/(f) time %.2f. On CPU time: (b)/(a) %.2f; (c)/(b) %.1fx; (e)/(d) %.1fx." % (
                r["a"]["seconds"] / r["b"]["seconds"], r["c"]["seconds"] / r["b"]["seconds"],
                r["b"]["peak"] / r["c"]["peak"], r["e"]["seconds"] / r["d"]["seconds"],
                r["b0"]["seconds"] / r["f"]["seconds"],
                r["a"]["cpu"] / r["b"]["cpu"], r["c"]["cpu"] / r["b"]["cpu"],
                r["e"]["cpu"] / r["d"]["cpu"]))
        add("")
        batch = r["batch"]
        add("Batch over %d copies of a %d-byte scene (%d triangles each), all cores:" % (
            batch["files"], batch["bytes"], batch["faces"]))
        add("")
        add("| step | wall (s) | CPU (s) | CPU/wall | files/s | peak RSS (MiB) |")
        add("|---|---:|---:|---:|---:|---:|")
        for name, result in (("(h) kvd render -o, 320x240", r["h_render"]),
                             ("(h) kvd convert -o --to glb", r["h_convert"])):
            add("| %s | %.2f | %.2f | %.2f | %.0f | %.1f |" % (
                name, result["seconds"], result["cpu"], result["cores"], batch["files"] / result["seconds"],
                mib(result["peak"])))
        add("")
        add("| kvd file | vertices | triangles | (a) MB/s | (b) ms | (b) MB/s | (b)/(a) | "
            "(b) ms per MB | (b) peak MiB | bound MiB | (b0) MB/s | (b0)/(a) |")
        add("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
        for run in r["scaling"]:
            scene = run["scene"]
            size = scene["bytes"]
            add("| %.1f MB | %d | %d | %.0f | %.1f | %.0f | %.2f | %.3f | %.1f | %.1f | %.0f | %.2f |" % (
                size / MB, scene["vertices"], scene["faces"], mbps(size, run["a"]["seconds"]),
                run["b"]["seconds"] * 1000, mbps(size, run["b"]["seconds"]),
                run["a"]["seconds"] / run["b"]["seconds"],
                run["b"]["seconds"] * 1000 / (size / MB), mib(run["b"]["peak"]),
                mib(self.memory_bound(scene)), mbps(size, run["b0"]["seconds"]),
                run["a"]["seconds"] / run["b0"]["seconds"]))
        add("")
        large = r["large"]
        add("Large scene: %d vertices, %d triangles in one mesh; kvd file %.1f MB; median of %d runs." % (
            large["vertices"], large["faces"], large["bytes"] / MB, self.args.large_runs))
        add("")
        add("| step | triangles | time (ms) | CPU (ms) | ms per million triangles | peak RSS (MiB) | "
            "peak bytes per vertex |")
        add("|---|---:|---:|---:|---:|---:|---:|")
        for name, result, scene in (("(d) kvd convert to .glb, 4 M grid", r["d"], mesh),
                                    ("(i) kvd convert to .glb, large scene", r["i"], large),
                                    ("(b) kvd info, 4 M grid", r["b"], mesh),
                                    ("(j) kvd info, large scene", r["j"], large)):
            add("| %s | %d | %.1f | %.1f | %.1f | %.1f | %.2f |" % (
                name, scene["faces"], result["seconds"] * 1000, result["cpu"] * 1000,
                self.per_million(result, scene) * 1000, mib(result["peak"]),
                result["peak"] / scene["vertices"]))
        add("")
        add("| target | result | met |")
        add("|---|---|---|")
        for t in self.targets:
            met = "not checked (reduced size)" if self.quick else ("yes" if t["met"] else "NO")
            add("| %s | %s | %s |" % (t["target"], t["shown"], met))
        return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", default="build", help="build tree with bin/kvd and the bench programs")
    parser.add_argument("--data-dir", default="bench-data", help="where the inputs are written")
    parser.add_argument("--runs", type=int, default=None, help="timed runs per step (default 5, quick 1)")
    parser.add_argument("--quick", action="store_true", help="small inputs: check the harness only")
    parser.add_argument("--sizes", help="comma-separated kvd file sizes in MB for the scaling rows")
    parser.add_argument("--keep-data", action="store_true", help="keep the inputs and outputs")
    parser.add_argument("--large-side", type=int, default=FULL_LARGE_SIDE,
                        help="vertices along each side of the large scene's grid")
    parser.add_argument("--large-runs", type=int, default=None,
                        help="timed runs of each large-scene step (default 3, quick 1)")
    parser.add_argument("--json", help="also write the results to this JSON file")
    parser.add_argument("--host-baseline", type=float, default=None,
                        help="seconds of (b0) before the change, to check the host import against")
    args = parser.parse_args()
    if args.runs is None:
        args.runs = 1 if args.quick else 5
    if args.large_runs is None:
        args.large_runs = 1 if args.quick else 3
    try:
        return run(args)
    except HarnessError as error:
        print("bench: %s" % error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
