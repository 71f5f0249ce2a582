"""Loading: the arrays' shapes, types and lifetime, and the records."""
import copy
import gc
import pickle
import weakref
from pathlib import Path

import numpy as np
import pytest

import kvd
from conftest import all_scenes


def test_arrays_have_the_documented_shapes_and_types():
    for path in all_scenes():
        scene = kvd.load(path)
        for mesh in scene.meshes:
            assert mesh.positions.dtype == np.float32 and mesh.positions.shape == (mesh.point_count, 3)
            assert mesh.triangles.dtype == np.uint32 and mesh.triangles.shape == (mesh.triangle_count, 3)
            assert mesh.positions.flags.c_contiguous and mesh.triangles.flags.c_contiguous
            # Every point number names a point of the mesh.
            assert mesh.triangles.size == 0 or int(mesh.triangles.max()) < mesh.point_count


def test_arrays_are_views_of_the_library_memory(house):
    scene = kvd.load(house)
    for mesh in scene.meshes:
        for array in (mesh.positions, mesh.triangles):
            assert not array.flags.owndata and not array.flags.writeable
            assert array.base is not None
            with pytest.raises(ValueError):
                array[0, 0] = 0
        # Asking again gives the same memory, not a copy.
        assert np.shares_memory(mesh.positions, scene.meshes[mesh.index].positions)


def test_arrays_outlive_the_scene(house):
    scene = kvd.load(house)
    expected = [(m.positions.copy(), m.triangles.copy()) for m in scene.meshes]
    arrays = [(m.positions, m.triangles) for m in scene.meshes]
    watch = weakref.ref(scene)
    del scene
    gc.collect()
    assert watch() is None
    # Had the library's scene been freed, these loads would reuse its memory.
    others = [kvd.load(house) for _ in range(5)]
    for (positions, triangles), (want_positions, want_triangles) in zip(arrays, expected):
        assert np.array_equal(positions, want_positions) and np.array_equal(triangles, want_triangles)
    del others


def test_the_library_scene_is_freed_with_its_last_array(house):
    scene = kvd.load(house)
    handle = weakref.ref(scene._handle)
    positions = scene.meshes[0].positions
    del scene
    gc.collect()
    assert handle() is not None
    del positions
    gc.collect()
    assert handle() is None


def test_copies_share_the_library_scene_and_pickling_is_refused(house):
    scene = kvd.load(house)
    twin = copy.deepcopy(scene)
    mesh = copy.deepcopy(scene.meshes[4])
    del scene
    gc.collect()
    assert twin.meshes[4].triangles.shape == mesh.triangles.shape == (128, 3)
    with pytest.raises(TypeError, match="dumps"):
        pickle.dumps(twin)


def test_house_sample():
    scene = kvd.load(Path(__file__).resolve().parents[2] / "samples" / "house.kvd")
    assert scene.status == kvd.Status.OK and scene.messages == ()
    assert scene.meshes[4].triangles.shape == (128, 3)
    assert len(scene.meshes) == 5 and scene.triangle_count == 146
    assert repr(scene) == "<kvd.Scene 'house.kvd': 5 meshes, 146 triangles>"
    # Mesh 4 has its own colour; the others name a material of the file.
    assert scene.meshes[4].material_index is None
    assert scene.meshes[4].material == pytest.approx((0.35, 0.55, 0.25))
    assert scene.meshes[0].material is scene.materials[1]
    wood = scene.materials[0]
    assert (wood.texture, wood.bump) == ("wood.jpg", "wood_bump.bmp")
    assert Path(wood.texture_path).name == "wood.jpg"
    assert scene.cameras[0].is_default and not scene.cameras[1].is_default
    # The tree names every mesh once, each from its own node.
    assert sorted(n.mesh for n in scene.nodes if n.mesh is not None) == [0, 1, 2, 3, 4]
    for mesh in scene.meshes:
        assert scene.nodes[mesh.node].mesh == mesh.index
    for index, node in enumerate(scene.nodes):
        assert node.parent is None or node.parent < index


def test_textures_folders_are_searched(tmp_path, house):
    # The scene alone in a folder finds its images only in the folders given.
    data = house.read_bytes()
    (tmp_path / "house.kvd").write_bytes(data)
    alone = kvd.load(tmp_path / "house.kvd")
    assert alone.materials[0].texture_path is None
    helped = kvd.load(tmp_path / "house.kvd", textures=[house.parent])
    assert Path(helped.materials[0].texture_path).samefile(house.parent / "wood.jpg")
    from_bytes = kvd.loads(data, textures=house.parent)
    assert Path(from_bytes.materials[0].texture_path).samefile(house.parent / "wood.jpg")


@pytest.mark.parametrize("how", ["path", "str", "file", "bytes", "bytearray", "memoryview"])
def test_every_kind_of_source_reads_the_same(how, house):
    reference = kvd.load(house)
    data = house.read_bytes()
    if how == "path":
        scene = kvd.load(house)
    elif how == "str":
        scene = kvd.load(str(house))
    elif how == "file":
        with open(house, "rb") as file:
            scene = kvd.load(file)
    else:
        scene = kvd.loads({"bytes": data, "bytearray": bytearray(data), "memoryview": memoryview(data)}[how])
    assert [m.name for m in scene.meshes] == [m.name for m in reference.meshes]
    for mesh, want in zip(scene.meshes, reference.meshes):
        assert np.array_equal(mesh.positions, want.positions)
        assert np.array_equal(mesh.triangles, want.triangles)


def test_box_texcoords_and_merged_points(house):
    for path in all_scenes():
        for mesh in kvd.load(path).meshes:
            uv = mesh.box_texcoords()
            assert uv.shape == (mesh.triangle_count, 3, 2) and uv.dtype == np.float32
            numbers, distinct = mesh.merge_points()
            assert numbers.shape == (mesh.point_count,) and numbers.dtype == np.uint32
            # The same numbering from numpy: equal bytes, numbered by first appearance.
            rows = np.ascontiguousarray(mesh.positions).view(np.dtype((np.void, 12))).ravel()
            _, first, inverse = np.unique(rows, return_index=True, return_inverse=True)
            order = np.argsort(np.argsort(first))
            assert distinct == len(first)
            assert np.array_equal(numbers, order[inverse])


def test_reprs_name_what_they_show(house):
    scene = kvd.load(house)
    assert repr(scene.meshes[4]).startswith("<kvd.Mesh ") and "128 triangles" in repr(scene.meshes[4])
    assert repr(scene.materials[0]).startswith("<kvd.Material ")
    assert repr(scene.cameras[0]).endswith(" default>")
    assert kvd.version().count(".") == 2
