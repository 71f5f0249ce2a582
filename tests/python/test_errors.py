"""Failures come as the package's exceptions, never as a crash: missing and
unreadable files, bytes of other kinds, damaged and hostile scenes."""
import os
from pathlib import Path

import numpy as np
import pytest

import kvd
from conftest import all_scenes, seed_scenes


@pytest.mark.parametrize("make, also", [
    (lambda tmp: tmp / "missing.kvd", FileNotFoundError),
    (lambda tmp: tmp, IsADirectoryError),
    (lambda tmp: tmp / "no folder" / "scene.kvd", FileNotFoundError),
], ids=["missing", "folder", "missing folder"])
def test_a_file_that_cannot_be_opened_is_an_os_error(tmp_path, make, also):
    path = make(tmp_path)
    with pytest.raises(kvd.CannotOpen) as raised:
        kvd.load(path)
    error = raised.value
    assert isinstance(error, also) and isinstance(error, OSError) and isinstance(error, kvd.KvdError)
    assert error.status == kvd.Status.CANNOT_OPEN and error.filename == str(path)
    assert str(path) in str(error) or error.message in str(error)


@pytest.mark.skipif(os.name == "nt" or os.geteuid() == 0, reason="root reads any file")
def test_an_unreadable_file_is_a_permission_error(tmp_path, house):
    path = tmp_path / "locked.kvd"
    path.write_bytes(house.read_bytes())
    path.chmod(0)
    with pytest.raises(PermissionError):
        kvd.load(path)


def test_a_path_with_nul_is_refused_before_the_library(tmp_path):
    with pytest.raises(ValueError):
        kvd.load(str(tmp_path / "a\0b.kvd"))


def not_kvd_inputs():
    hostile = Path(os.environ.get("KVD_HOSTILE_IMAGES", Path(__file__).resolve().parents[1] / "images" / "hostile"))
    cases = [("empty", b""), ("one byte", b"\x56"), ("text", b"solid cube\nendsolid\n" * 10),
             ("zeros", bytes(4096))]
    cases += [(image.name, image.read_bytes()) for image in sorted(hostile.iterdir())]
    samples = Path(__file__).resolve().parents[2] / "samples"
    cases += [(image.name, image.read_bytes()) for image in sorted(samples.glob("*.jpg"))]
    # The scene's first tag, then no signature.
    cases.append(("tag only", (samples / "house.kvd").read_bytes()[:2] + b"\0" * 64))
    return cases


@pytest.mark.parametrize("name, data", not_kvd_inputs(), ids=lambda value: value if isinstance(value, str) else "")
def test_bytes_of_other_kinds_are_not_kvd_files(tmp_path, name, data):
    with pytest.raises(kvd.NotKvdFile) as from_bytes:
        kvd.loads(data)
    # Nothing of them is read, whichever of the two the header's first bytes make them.
    assert from_bytes.value.status in (kvd.Status.NOT_KVD_FILE, kvd.Status.HEADER_DAMAGED)
    assert getattr(from_bytes.value, "scene", None) is None and from_bytes.value.message
    path = tmp_path / "input.kvd"
    path.write_bytes(data)
    with pytest.raises(kvd.NotKvdFile):
        kvd.load(path)


def check_damaged_or_whole(data):
    """Loads bytes that may be damaged: either a scene, or one of the
    package's own errors; a damaged scene is as usable as a whole one."""
    try:
        scene = kvd.loads(data)
    except kvd.DamagedFile as damaged:
        scene = damaged.scene
        if scene is None:
            assert isinstance(damaged, kvd.HeaderDamaged) and damaged.status == kvd.Status.HEADER_DAMAGED
            return "not kvd"
        assert scene.status == kvd.Status.DAMAGED and damaged.status == kvd.Status.DAMAGED
        assert any(m.code == kvd.MessageCode.FILE_DAMAGED for m in scene.messages)
    except kvd.NotKvdFile as refused:
        assert refused.status == kvd.Status.NOT_KVD_FILE
        return "not kvd"
    for mesh in scene.meshes:
        assert mesh.triangles.size == 0 or int(mesh.triangles.max()) < mesh.point_count
        np.bitwise_or.reduce(mesh.positions.view(np.uint32), axis=None)  # every byte can be read
    for node in scene.nodes:
        assert node.parent is None or 0 <= node.parent < len(scene.nodes)
        assert node.mesh is None or 0 <= node.mesh < len(scene.meshes)
    repr(scene), scene.materials, scene.cameras
    return scene.status.name


def test_every_cut_of_the_house_loads_or_fails_cleanly(house):
    data = house.read_bytes()
    outcomes = {check_damaged_or_whole(data[:length]) for length in range(len(data))}
    # Short files are refused; longer cuts keep the scene read so far.
    assert {"not kvd", "DAMAGED"} <= outcomes
    assert check_damaged_or_whole(data) == "OK"


def test_changed_bytes_load_or_fail_cleanly(house):
    data = house.read_bytes()
    for offset in range(0, len(data), 3):
        for value in (0x00, 0xFF, (data[offset] + 1) & 0xFF):
            changed = bytearray(data)
            changed[offset] = value
            check_damaged_or_whole(bytes(changed))


def test_scenes_past_the_reader_bounds_load_or_fail_cleanly():
    seeds = seed_scenes()
    if not seeds:
        pytest.skip("KVD_TEST_SEEDS is not set")
    for seed in seeds:
        check_damaged_or_whole(seed.read_bytes())


def test_a_damaged_file_keeps_what_came_before(house):
    data = house.read_bytes()
    whole = kvd.load(house)
    with pytest.raises(kvd.DamagedFile) as raised:
        kvd.loads(data[:len(data) - 40])
    scene = raised.value.scene
    assert scene.status == kvd.Status.DAMAGED and "damaged" in repr(scene)
    assert 0 < len(scene.meshes) <= len(whole.meshes)
    # The meshes before the damage are read as they are in the whole file.
    for mesh in scene.meshes[:-1]:
        assert np.array_equal(mesh.positions, whole.meshes[mesh.index].positions)
        assert np.array_equal(mesh.triangles, whole.meshes[mesh.index].triangles)
    assert isinstance(raised.value, kvd.KvdError) and raised.value.message


def test_every_error_class_shares_the_base():
    for error in (kvd.NotKvdFile, kvd.DamagedFile, kvd.CannotOpen, kvd.CannotWrite, kvd.InvalidArgument):
        assert issubclass(error, kvd.KvdError)
    assert issubclass(kvd.HeaderDamaged, kvd.NotKvdFile) and issubclass(kvd.HeaderDamaged, kvd.DamagedFile)
    assert issubclass(kvd.CannotOpen, OSError) and issubclass(kvd.InvalidArgument, ValueError)
