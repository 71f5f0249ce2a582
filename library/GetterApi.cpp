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

kvd_result OutOfRange()
{
    return KVD_INVALID_ARGUMENT;
}

}  // namespace

extern "C" {

KVD_API size_t kvd_material_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::materials);
}

KVD_API kvd_result kvd_get_material(const kvd_scene* scene, size_t index, kvd_material* material)
{
    if (!Valid(scene, &kvd_scene::materials, index, material))
        return OutOfRange();
    ViewMaterial(scene->materials[index], *material);
    return KVD_OK;
}

KVD_API size_t kvd_camera_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::cameras);
}

KVD_API kvd_result kvd_get_camera(const kvd_scene* scene, size_t index, kvd_camera* camera)
{
    if (!Valid(scene, &kvd_scene::cameras, index, camera))
        return OutOfRange();
    ViewCamera(scene->cameras[index], index == 0, *camera);
    return KVD_OK;
}

KVD_API size_t kvd_mesh_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::meshes);
}

KVD_API kvd_result kvd_get_mesh(const kvd_scene* scene, size_t index, kvd_mesh* mesh)
{
    if (!Valid(scene, &kvd_scene::meshes, index, mesh))
        return OutOfRange();
    ViewMesh(scene->meshes[index], *mesh);
    return KVD_OK;
}

KVD_API kvd_result kvd_mesh_box_texcoords(const kvd_scene* scene, size_t mesh, float* uv, size_t uv_count)
{
    if (!Valid(scene, &kvd_scene::meshes, mesh, uv))
        return OutOfRange();
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
        return OutOfRange();
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
    if (!Valid(scene, &kvd_scene::nodes, index, node))
        return OutOfRange();
    ViewNode(scene->nodes[index], *node);
    return KVD_OK;
}

KVD_API size_t kvd_message_count(const kvd_scene* scene)
{
    return CountOf(scene, &kvd_scene::messages);
}

KVD_API kvd_result kvd_get_message(const kvd_scene* scene, size_t index, kvd_message* message)
{
    if (!Valid(scene, &kvd_scene::messages, index, message))
        return OutOfRange();
    ViewMessage(scene->messages[index], *message);
    return KVD_OK;
}

}  // extern "C"
