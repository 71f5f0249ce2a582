"""The package reads every test scene as `kvd info --json` reports it:
counts, bounds, materials, cameras, status and messages."""
from pathlib import Path

import numpy as np
import pytest

import kvd
from conftest import all_scenes, kvd_info

STATUS = {"complete": kvd.Status.OK, "damaged": kvd.Status.DAMAGED}


def same_float(ours, theirs):
    """A JSON number (null for what JSON cannot hold) against a float of ours."""
    if theirs is None:
        return not np.isfinite(ours)
    return np.float32(theirs) == np.float32(ours) or float(theirs) == float(ours)


def same_triple(ours, theirs):
    return all(same_float(a, b) for a, b in zip(ours, theirs))


def used_bounds(mesh):
    """What info bounds: the points some triangle uses, NaN passed over."""
    used = np.unique(mesh.triangles)
    if used.size == 0:
        return used, None
    points = mesh.positions[used]
    return used, (np.fmin.reduce(points, axis=0), np.fmax.reduce(points, axis=0))


def same_path(ours, theirs):
    if theirs is None or ours is None:
        return ours is None and theirs is None
    return Path(ours).resolve() == Path(theirs).resolve()


def assert_agrees(scene, info):
    assert scene.status == STATUS[info["status"]]
    assert [(m.meaning, m.text) for m in scene.messages] == \
        [(m["meaning"], m["text"]) for m in info["messages"]]

    assert len(scene.materials) == len(info["materials"])
    for ours, theirs in zip(scene.materials, info["materials"]):
        assert ours.name == theirs["name"]
        for colour in ("ambient", "diffuse", "specular"):
            assert same_triple(getattr(ours, colour), theirs[colour]), colour
        assert (ours.texture, ours.bump) == (theirs["texture"], theirs["bumpTexture"])
        if ours.texture:
            assert same_path(ours.texture_path, theirs["textureImage"]["found"])
        if ours.bump:
            assert same_path(ours.bump_path, theirs["bumpTextureImage"]["found"])

    assert len(scene.cameras) == len(info["cameras"])
    for ours, theirs in zip(scene.cameras, info["cameras"]):
        assert ours.name == theirs["name"]
        assert same_triple(ours.eye, theirs["eye"]) and same_triple(ours.target, theirs["target"])
        assert same_float(ours.fov, theirs["fov"])

    objects = info["objects"]
    assert len(scene.meshes) == objects["count"] == len(objects["list"])
    assert scene.triangle_count == objects["triangles"]
    used_total = 0
    for mesh, theirs in zip(scene.meshes, objects["list"]):
        assert mesh.triangle_count == theirs["triangles"]
        used, bounds = used_bounds(mesh)
        used_total += used.size
        assert used.size == theirs["vertices"]
        if theirs["bounds"] is None or bounds is None:
            assert theirs["bounds"] is None and bounds is None
        else:
            assert same_triple(bounds[0], theirs["bounds"]["min"]) and same_triple(bounds[1], theirs["bounds"]["max"])
        if "file" in theirs["material"]:
            assert mesh.material_index == theirs["material"]["file"]
        else:
            assert mesh.material_index is None
            assert same_triple(mesh.colour, theirs["material"]["ownColour"])
    assert used_total == objects["vertices"]


def load_allowing_damage(path):
    try:
        return kvd.load(path)
    except kvd.DamagedFile as damaged:
        assert damaged.scene is not None
        return damaged.scene


@pytest.mark.parametrize("path", all_scenes(), ids=lambda p: p.name)
def test_scene_agrees_with_kvd_info(path):
    assert_agrees(load_allowing_damage(path), kvd_info(path))


def test_cut_scenes_agree_with_kvd_info(tmp_path):
    """Scenes cut short at many places: the same part read, the same damage
    reported, the same refusals."""
    for path in all_scenes()[:4]:
        data = path.read_bytes()
        for length in sorted(set(np.linspace(0, len(data) - 1, 25).astype(int))):
            cut = tmp_path / f"{path.stem}-{length}.kvd"
            cut.write_bytes(data[:length])
            info = kvd_info(cut)
            if info["status"] == "rejected":
                with pytest.raises((kvd.NotKvdFile, kvd.DamagedFile)) as refused:
                    kvd.load(cut)
                assert getattr(refused.value, "scene", None) is None
                continue
            assert_agrees(load_allowing_damage(cut), info)
