"""What the package's tests share: where the scenes are, and `kvd info --json`
of a scene, the reference the package's reading is compared with."""
import json
import os
import subprocess
from pathlib import Path

import pytest


def _folder(variable, fallback=None):
    value = os.environ.get(variable)
    if value:
        return Path(value)
    if fallback is not None and fallback.is_dir():
        return fallback
    pytest.skip(f"{variable} is not set (tests/python/run-python-tests.sh sets it)")


SOURCE = Path(__file__).resolve().parents[2]


def samples():
    return _folder("KVD_SAMPLES", SOURCE / "samples")


def all_scenes():
    """Every test scene: the samples and the conversion test scenes."""
    folder = os.environ.get("KVD_TEST_SCENES")
    scenes = sorted(Path(folder).glob("*.kvd")) if folder else sorted((SOURCE / "samples").glob("*.kvd"))
    return scenes


def seed_scenes():
    folder = os.environ.get("KVD_TEST_SEEDS")
    return sorted(Path(folder).glob("*.kvd")) if folder else []


def kvd_info(path, *extra):
    tool = os.environ.get("KVD_TOOL")
    if not tool:
        pytest.skip("KVD_TOOL is not set")
    run = subprocess.run([tool, "info", "--json", *extra, str(path)], capture_output=True, text=True)
    return json.loads(run.stdout)


@pytest.fixture
def house():
    return samples() / "house.kvd"
