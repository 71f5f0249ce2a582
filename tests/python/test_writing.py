"""Writing through the library's writer: loaded scenes written back read the
same, scenes built from arrays read as built, bad arrays are refused."""
import numpy as np
import pytest

import kvd
from conftest import all_scenes


def same_colours(a, b):
    """Bit for bit as single precision, NaN included (a file may hold it)."""
    return np.array_equal(np.float32([a.ambient, a.diffuse, a.specular]),
                          np.float32([b.ambient, b.diffuse, b.specular]), equal_nan=True)


def assert_same_scene(ours, theirs):
    assert [m.name for m in ours.materials] == [m.name for m in theirs.materials]
    for a, b in zip(ours.materials, theirs.materials):
        assert same_colours(a, b) and (a.texture, a.bump) == (b.texture, b.bump)
    # A scene without cameras gets the host's fixed one when read.
    assert [(c.name, c.eye, c.target) for c in ours.cameras if not c.is_fixed] == \
        [(c.name, c.eye, c.target) for c in theirs.cameras if not c.is_fixed]
    assert [(n.name, n.parent, n.mesh) for n in ours.nodes] == [(n.name, n.parent, n.mesh) for n in theirs.nodes]
    assert len(ours.meshes) == len(theirs.meshes)
    for a, b in zip(ours.meshes, theirs.meshes):
        assert (a.name, a.material_index, a.colour, a.node) == (b.name, b.material_index, b.colour, b.node)
        # Bit for bit, NaN included.
        assert a.positions.tobytes() == b.positions.tobytes()
        assert np.array_equal(a.triangles, b.triangles)


@pytest.mark.parametrize("path", all_scenes(), ids=lambda p: p.name)
def test_save_then_load_reads_the_same(tmp_path, path):
    try:
        scene = kvd.load(path)
    except kvd.DamagedFile as damaged:
        scene = damaged.scene
    target = tmp_path / "written.kvd"
    if not all(np.isfinite(mesh.positions).all() for mesh in scene.meshes):
        # The file may hold points that are not numbers; the writer writes none.
        with pytest.raises(kvd.CannotWrite, match="not a finite number"):
            kvd.save(scene, target)
        assert not target.exists()
        return
    kvd.save(scene, target)
    again = kvd.load(target, textures=[path.parent])
    assert again.status == kvd.Status.OK
    assert_same_scene(again, scene)
    assert kvd.dumps(scene) == target.read_bytes()


def cube():
    positions = np.array([[x, y, z] for x in (0, 100) for y in (0, 100) for z in (0, 100)], np.float64)
    triangles = np.array([[0, 1, 3], [0, 3, 2], [4, 6, 7], [4, 7, 5], [0, 4, 5], [0, 5, 1],
                          [2, 3, 7], [2, 7, 6], [0, 2, 6], [0, 6, 4], [1, 5, 7], [1, 7, 3]], np.int64)
    return positions, triangles


def test_a_scene_built_from_arrays_reads_as_built(tmp_path):
    positions, triangles = cube()
    builder = kvd.SceneBuilder()
    brick = builder.add_material("brick", diffuse=(0.7, 0.3, 0.25), specular=(0.1, 0.1, 0.1), texture="bricks.jpg")
    glass = builder.add_material(kvd.Material("glass", (0, 0.05, 0.1), (0.55, 0.75, 0.9), (1, 1, 1)))
    builder.add_camera("front", eye=(0, -5000, 1500), target=(50, 50, 50))
    house = builder.add_group("house")
    walls = builder.add_mesh("walls", positions, triangles, material=brick, parent=house)
    builder.add_mesh("window", positions.ravel() + 200, triangles.ravel(), material=glass, parent=house)
    builder.add_mesh("lawn", positions[:4], [[0, 1, 2], [1, 3, 2]], material=(0.35, 0.55, 0.25))
    scene = builder.build()
    assert walls == 0 and (brick, glass) == (0, 1)

    kvd.save(scene, tmp_path / "built.kvd")
    again = kvd.load(tmp_path / "built.kvd")
    assert_same_scene(again, scene)
    assert [m.name for m in again.meshes] == ["walls", "window", "lawn"]
    assert np.array_equal(again.meshes[0].positions, positions.astype(np.float32))
    assert np.array_equal(again.meshes[1].positions, positions.astype(np.float32) + 200)
    assert np.array_equal(again.meshes[0].triangles, triangles)
    assert again.meshes[2].material == pytest.approx((0.35, 0.55, 0.25))
    assert again.materials[0].texture == "bricks.jpg" and again.materials[1].name == "glass"
    assert again.materials[0].diffuse == pytest.approx((0.7, 0.3, 0.25))
    assert [c.name for c in again.cameras] == ["front"] and again.cameras[0].eye == (0, -5000, 1500)
    assert [(n.name, n.parent) for n in again.nodes] == [("house", None), ("walls", 0), ("window", 0), ("lawn", None)]


def test_the_builder_starts_again_after_build():
    builder = kvd.SceneBuilder()
    builder.add_mesh("one", *cube())
    first = builder.build()
    second = builder.build()
    assert len(first.meshes) == 1 and len(second.meshes) == 0


positions, triangles = cube()


@pytest.mark.parametrize("points, faces, words", [
    (positions[:, :2], triangles, "(N, 3)"),
    (positions.ravel()[:-1], triangles, "(N, 3)"),
    (positions.astype(complex), triangles, "real numbers"),
    (np.array([["a", "b", "c"]]), [[0, 0, 0]], "real numbers"),
    (np.where(positions == 100, np.nan, positions), triangles, "finite"),
    (np.where(positions == 100, np.inf, positions), triangles, "finite"),
    (positions * 1e300, triangles, "finite"),  # past single precision
    (positions, triangles[:, :2], "(N, 3)"),
    (positions, triangles.astype(np.float64), "integer"),
    (positions, triangles - 1, "outside"),
    (positions, triangles + 1, "outside"),
    (positions, triangles + 2**32, "outside"),
    (positions[:0], triangles, "no points"),
], ids=["2 columns", "not a multiple of 3", "complex", "strings", "NaN", "infinity", "too large for float32",
        "2 corners", "float indices", "negative index", "index past the end", "index past 32 bits",
        "no points"])
def test_arrays_that_do_not_fit_are_refused(points, faces, words):
    builder = kvd.SceneBuilder()
    with pytest.raises(ValueError, match=words.replace("(", r"\(").replace(")", r"\)")) as raised:
        builder.add_mesh("bad", points, faces)
    assert isinstance(raised.value, kvd.InvalidArgument)
    # Nothing was added.
    assert len(builder.build().meshes) == 0


@pytest.mark.parametrize("call", [
    lambda b: b.add_mesh("m", positions, triangles, material=5),
    lambda b: b.add_mesh("m", positions, triangles, parent=7),
    lambda b: b.add_group("g", parent=3),
    lambda b: b.add_mesh("m", positions, triangles, material=(1, 2)),
    lambda b: b.add_material("m", diffuse=(1, float("nan"), 0)),
    lambda b: b.add_camera("c", eye=(0, 0), target=(0, 0, 0)),
    lambda b: b.add_mesh("a\0b", positions, triangles),
], ids=["no such material", "no such parent", "no such group parent", "colour of two", "NaN colour",
        "eye of two", "NUL in a name"])
def test_values_that_do_not_fit_are_refused(call):
    with pytest.raises(ValueError):
        call(kvd.SceneBuilder())


def test_a_failed_save_leaves_nothing(tmp_path, house):
    scene = kvd.load(house)
    with pytest.raises(kvd.CannotWrite) as raised:
        kvd.save(scene, tmp_path / "no folder" / "scene.kvd")
    assert isinstance(raised.value, OSError) and raised.value.message
    assert not (tmp_path / "no folder").exists()
    with pytest.raises(TypeError):
        kvd.save("house.kvd", tmp_path / "x.kvd")


def test_saving_over_a_file_replaces_it_whole(tmp_path, house):
    target = tmp_path / "scene.kvd"
    target.write_bytes(b"old")
    kvd.save(kvd.load(house), target)
    assert target.read_bytes() == kvd.dumps(kvd.load(house))
    assert sorted(p.name for p in tmp_path.iterdir()) == ["scene.kvd"]
