#include "fuzz/FuzzLibrary.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "library/include/kvd.h"

namespace {

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "kvd_fuzz (library): %s\n", what);
    std::abort();
}

// Touches every byte of a text, so a sanitizer sees any text not ended.
size_t Touch(const char* text)
{
    return text != nullptr ? std::strlen(text) : 0;
}

// Every getter on every item; true when every point of the meshes and the
// cameras is finite (the writer takes only finite points).
bool ReadEverything(const kvd_scene* scene)
{
    size_t touched = 0;
    for (size_t i = 0; i < kvd_material_count(scene); ++i) {
        kvd_material m;
        if (kvd_get_material(scene, i, &m) != KVD_OK)
            Fail("a material in the list cannot be had");
        touched += Touch(m.name) + Touch(m.texture.name) + Touch(m.texture.found) + Touch(m.bump.name);
    }
    // A file damaged before its camera section has no camera; the first,
    // when there is one, is the default.
    bool finite = true;
    for (size_t i = 0; i < kvd_camera_count(scene); ++i) {
        kvd_camera c;
        if (kvd_get_camera(scene, i, &c) != KVD_OK || c.is_default != (i == 0))
            Fail("a camera in the list cannot be had");
        touched += Touch(c.name);
        for (int k = 0; k < 3; ++k)
            finite = finite && std::isfinite(c.eye[k]) && std::isfinite(c.target[k]);
    }
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        kvd_mesh mesh;
        if (kvd_get_mesh(scene, i, &mesh) != KVD_OK)
            Fail("a mesh in the list cannot be had");
        touched += Touch(mesh.name);
        if (mesh.material != KVD_OWN_COLOUR && (mesh.material < 0 || size_t(mesh.material) >= kvd_material_count(scene)))
            Fail("a mesh names a material that is not there");
        for (size_t k = 0; k < mesh.triangle_count * 3; ++k) {
            if (mesh.triangles[k] >= mesh.point_count)
                Fail("a triangle names a point past the list");
        }
        for (size_t k = 0; k < mesh.point_count * 3; ++k)
            finite = finite && std::isfinite(mesh.points[k]);
        kvd_node node;
        if (kvd_get_node(scene, mesh.node, &node) != KVD_OK || node.mesh != i)
            Fail("a mesh and its node disagree");
        std::vector<float> uv(mesh.triangle_count * 6 + 1);
        std::vector<uint32_t> numbers(mesh.point_count + 1);
        size_t distinct = 0;
        if (kvd_mesh_box_texcoords(scene, i, uv.data(), uv.size()) != KVD_OK ||
            kvd_mesh_merge_points(scene, i, numbers.data(), numbers.size(), &distinct) != KVD_OK ||
            distinct > mesh.point_count)
            Fail("the mesh helpers refused a loaded mesh");
    }
    for (size_t i = 0; i < kvd_node_count(scene); ++i) {
        kvd_node node;
        if (kvd_get_node(scene, i, &node) != KVD_OK || (node.parent != KVD_NO_PARENT && node.parent >= i))
            Fail("a node comes before its parent");
        touched += Touch(node.name);
    }
    for (size_t i = 0; i < kvd_message_count(scene); ++i) {
        kvd_message m;
        if (kvd_get_message(scene, i, &m) != KVD_OK)
            Fail("a message in the list cannot be had");
        touched += Touch(m.text) + Touch(m.meaning);
    }
    kvd_mesh none;
    if (kvd_get_mesh(scene, kvd_mesh_count(scene), &none) != KVD_INVALID_ARGUMENT)
        Fail("a mesh past the list was given");
    volatile size_t sink = touched;
    (void)sink;
    return finite;
}

}  // namespace

void FuzzLibrary(const uint8_t* data, size_t size, int hostObjects, int hostTriangles)
{
    kvd_scene* scene = nullptr;
    kvd_error error;
    const kvd_result result = kvd_load_memory(data, size, nullptr, &scene, &error);
    if (result != error.result || (result <= KVD_DAMAGED) != (scene != nullptr))
        Fail("the result, the error and the handle disagree");
    if (scene == nullptr)
        return;
    size_t triangles = 0;
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        kvd_mesh mesh;
        kvd_get_mesh(scene, i, &mesh);
        triangles += mesh.triangle_count;
    }
    if (kvd_mesh_count(scene) != size_t(hostObjects) || triangles != size_t(hostTriangles))
        Fail("the library read other meshes than the host got");
    const bool finite = ReadEverything(scene);

    void* bytes = nullptr;
    size_t written = 0;
    const kvd_result saved = kvd_save_memory(scene, &bytes, &written, &error);
    if (finite && saved != KVD_OK)
        Fail("a loaded scene could not be written");
    if (saved == KVD_OK) {
        kvd_scene* again = nullptr;
        if (kvd_load_memory(bytes, written, nullptr, &again, &error) != KVD_OK)
            Fail("a written scene does not load whole");
        if (kvd_mesh_count(again) != kvd_mesh_count(scene))
            Fail("a written scene came back with other meshes");
        for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
            kvd_mesh a, b;
            kvd_get_mesh(scene, i, &a);
            kvd_get_mesh(again, i, &b);
            if (a.point_count != b.point_count || a.triangle_count != b.triangle_count ||
                (a.point_count > 0 && std::memcmp(a.points, b.points, a.point_count * 12) != 0) ||
                (a.triangle_count > 0 && std::memcmp(a.triangles, b.triangles, a.triangle_count * 12) != 0))
                Fail("a written mesh came back changed");
        }
        ReadEverything(again);
        kvd_scene_free(again);
    }
    kvd_free(bytes);
    kvd_scene_free(scene);
}
