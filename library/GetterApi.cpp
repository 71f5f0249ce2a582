// What a handle holds, item by item. Every getter checks its handle, index
// and output before it touches them.
#include "library/ApiResult.h"
#include "library/ItemViews.h"
#include "tools/export/BoxProjection.h"
#include "tools/export/EqualPointMerge.h"

namespace {

template <class Items>
size_t CountOf(const kvd_scene* scene, Items kvd_scene::*items)
{
    return scene != nullptr ? (scene->*items).size() : 0;
}

template <class Items, class Out>
bool Valid(const kvd_scene* scene, Items kvd_scene::*items, size_t index, const Out* out)
{
    return scene != nullptr && out != nullptr && index < (scene->*items).size();
}

// Item index of the list into out, by view, once everything is checked.
template <class Items, class Out, class View>
kvd_result Get(const kvd_scene* scene, Items kvd_scene::*items, size_t index, Out* out, View view)
{
    if (!Valid(scene, items, index, out))
        return KVD_INVALID_ARGUMENT;
    view((scene->*items)[index], *out);
    return KVD_OK;
}

}  // namespace

extern "C" {

KVD_API size_t kvd_material_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::materials);
}

KVD_API kvd_result kvd_get_material(const kvd_scene* scene, size_t index, kvd_material* material)
{
    return Get(scene, &kvd_scene::materials, index, material, ViewMaterial);
}

KVD_API size_t kvd_camera_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::cameras);
}

KVD_API kvd_result kvd_get_camera(const kvd_scene* scene, size_t index, kvd_camera* camera)
{
    // The first camera is the one the host opens the scene with.
    return Get(scene, &kvd_scene::cameras, index, camera,
               [index](const LoadedCamera& loaded, kvd_camera& out) { ViewCamera(loaded, index == 0, out); });
}

KVD_API size_t kvd_mesh_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::meshes);
}

KVD_API kvd_result kvd_get_mesh(const kvd_scene* scene, size_t index, kvd_mesh* mesh)
{
    return Get(scene, &kvd_scene::meshes, index, mesh, ViewMesh);
}

KVD_API kvd_result kvd_mesh_box_texcoords(const kvd_scene* scene, size_t mesh, float* uv, size_t uv_count)
{
    if (!Valid(scene, &kvd_scene::meshes, mesh, uv))
        return KVD_INVALID_ARGUMENT;
    const LoadedMesh& loaded = scene->meshes[mesh];
    if (loaded.triangles.size() != loaded.triangleCount * 3 || uv_count / 6 < loaded.triangleCount)
        return KVD_INVALID_ARGUMENT;   // a streamed mesh, or too little room
    const float* points = loaded.points.data();
    for (size_t t = 0; t < loaded.triangleCount; ++t) {
        float corners[9];
        for (size_t c = 0; c < 3; ++c) {
            const float* point = points + size_t{loaded.triangles[t * 3 + c]} * 3;
            corners[c * 3] = point[0];
            corners[c * 3 + 1] = point[1];
            corners[c * 3 + 2] = point[2];
        }
        ProjectTriangle(corners, uv + t * 6);
    }
    return KVD_OK;
}

KVD_API kvd_result kvd_mesh_merge_points(const kvd_scene* scene, size_t mesh, uint32_t* numbers,
                                         size_t number_count, size_t* distinct)
{
    if (!Valid(scene, &kvd_scene::meshes, mesh, numbers) || distinct == nullptr)
        return KVD_INVALID_ARGUMENT;
    const LoadedMesh& loaded = scene->meshes[mesh];
    if (loaded.points.size() != loaded.pointCount * 3 || number_count < loaded.pointCount)
        return KVD_INVALID_ARGUMENT;
    return Guarded(nullptr, KVD_OUT_OF_MEMORY, [&] {
        *distinct = MergeEqualPoints(loaded.points.data(), loaded.pointCount, numbers);
        return KVD_OK;
    });
}

KVD_API size_t kvd_node_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::nodes);
}

KVD_API kvd_result kvd_get_node(const kvd_scene* scene, size_t index, kvd_node* node)
{
    return Get(scene, &kvd_scene::nodes, index, node, ViewNode);
}

KVD_API size_t kvd_message_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::messages);
}

KVD_API kvd_result kvd_get_message(const kvd_scene* scene, size_t index, kvd_message* message)
{
    return Get(scene, &kvd_scene::messages, index, message, ViewMessage);
}

}  // extern "C"
