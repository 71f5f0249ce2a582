// Building a scene item by item, and writing a scene (built or loaded) as a
// kvd file. Every item is checked before anything of it is kept, so a
// refused call leaves the scene as it was.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "library/ApiResult.h"
#include "library/FileOutput.h"
#include "library/SceneSaving.h"
#include "library/Utf8Path.h"
#include "reader/DefaultCamera.h"

namespace {

// Deeper trees are refused: nothing a host shows nests so deep, and the
// tree is walked and freed by recursion.
constexpr size_t kMaxBuiltDepth = 1024;

std::string TextOf(const char* text)
{
    return text != nullptr ? std::string(text) : std::string();
}

kvd_result Refuse(kvd_error* error, const std::string& why)
{
    return Report(error, KVD_INVALID_ARGUMENT, why);
}

void Give(size_t* index, size_t value)
{
    if (index != nullptr)
        *index = value;
}

// Why a node cannot go under parent, or empty.
std::string ParentProblem(const kvd_scene& scene, size_t parent)
{
    if (parent == KVD_NO_PARENT)
        return {};
    if (parent >= scene.nodes.size())
        return "parent " + std::to_string(parent) + " is not a node of the scene";
    size_t depth = 1;
    for (size_t node = parent; scene.nodes[node].parent != KVD_NO_PARENT; node = scene.nodes[node].parent) {
        if (++depth >= kMaxBuiltDepth)
            return "nodes nest at most " + std::to_string(kMaxBuiltDepth) + " deep";
    }
    return {};
}

// Why the mesh's arrays cannot be written, or empty.
std::string MeshProblem(const kvd_scene& scene, const kvd_mesh& mesh)
{
    if (mesh.material != KVD_OWN_COLOUR &&
        (mesh.material < 0 || static_cast<uint64_t>(mesh.material) >= scene.materials.size()))
        return "material " + std::to_string(mesh.material) + " is not a material of the scene";
    if ((mesh.point_count > 0 && mesh.points == nullptr) || (mesh.triangle_count > 0 && mesh.triangles == nullptr))
        return "a mesh with points or triangles needs their arrays";
    // The file counts both in signed 32 bits.
    constexpr size_t kMaxItems = std::numeric_limits<int32_t>::max();
    if (mesh.point_count > kMaxItems || mesh.triangle_count > kMaxItems)
        return "a mesh holds at most 2147483647 points and as many triangles";
    for (size_t i = 0; i < mesh.point_count * 3; ++i) {
        if (!std::isfinite(mesh.points[i]))
            return "point " + std::to_string(i / 3) + " is not a finite number";
    }
    for (size_t i = 0; i < mesh.triangle_count * 3; ++i) {
        if (mesh.triangles[i] >= mesh.point_count)
            return "triangle " + std::to_string(i / 3) + " names point " + std::to_string(mesh.triangles[i]) +
                   " of " + std::to_string(mesh.point_count);
    }
    return {};
}

kvd_result Save(const kvd_scene* scene, kvd_error* error, kvdfile::ByteOutput& out)
{
    if (scene->streamed)
        return Refuse(error, "a streamed scene has no geometry to write");
    const kvdfile::WriteResult written = SaveScene(*scene, out);
    if (!written.written)
        return Report(error, KVD_CANNOT_WRITE, written.error);
    return Succeed(error);
}

}  // namespace

extern "C" {

KVD_API kvd_scene* kvd_scene_create(void)
{
    return new (std::nothrow) kvd_scene;
}

KVD_API kvd_result kvd_add_material(kvd_scene* scene, const kvd_material* material, size_t* index,
                                    kvd_error* error)
{
    if (scene == nullptr || material == nullptr)
        return Refuse(error, "kvd_add_material needs a scene and a material");
    return Guarded(error, KVD_OUT_OF_MEMORY, [&] {
        LoadedMaterial added;
        added.name = TextOf(material->name);
        std::copy(material->ambient, material->ambient + 3, added.ambient.begin());
        std::copy(material->diffuse, material->diffuse + 3, added.diffuse.begin());
        std::copy(material->specular, material->specular + 3, added.specular.begin());
        added.shininess = material->shininess;
        added.texture.name = TextOf(material->texture.name);
        added.bump.name = TextOf(material->bump.name);
        scene->materials.push_back(std::move(added));
        Give(index, scene->materials.size() - 1);
        return Succeed(error);
    });
}

KVD_API kvd_result kvd_add_camera(kvd_scene* scene, const kvd_camera* camera, size_t* index, kvd_error* error)
{
    if (scene == nullptr || camera == nullptr)
        return Refuse(error, "kvd_add_camera needs a scene and a camera");
    return Guarded(error, KVD_OUT_OF_MEMORY, [&] {
        LoadedCamera added;
        added.name = TextOf(camera->name);
        std::copy(camera->eye, camera->eye + 3, added.eye.begin());
        std::copy(camera->target, camera->target + 3, added.target.begin());
        // Every camera the host shows has the one field of view.
        added.fov = kCameraFov;
        // A built scene's first camera replaces the fixed one a loaded scene may hold.
        if (!scene->cameras.empty() && scene->cameras.front().isFixed)
            return Refuse(error, "the scene's only camera is the host's fixed one; cameras cannot be added to it");
        scene->cameras.push_back(std::move(added));
        Give(index, scene->cameras.size() - 1);
        return Succeed(error);
    });
}

KVD_API kvd_result kvd_add_group(kvd_scene* scene, const char* name, size_t parent, size_t* index,
                                 kvd_error* error)
{
    if (scene == nullptr)
        return Refuse(error, "kvd_add_group needs a scene");
    return Guarded(error, KVD_OUT_OF_MEMORY, [&] {
        const std::string problem = ParentProblem(*scene, parent);
        if (!problem.empty())
            return Refuse(error, problem);
        scene->nodes.push_back({TextOf(name), parent, KVD_NO_MESH});
        Give(index, scene->nodes.size() - 1);
        return Succeed(error);
    });
}

KVD_API kvd_result kvd_add_mesh(kvd_scene* scene, const kvd_mesh* mesh, size_t parent, size_t* index,
                                kvd_error* error)
{
    if (scene == nullptr || mesh == nullptr)
        return Refuse(error, "kvd_add_mesh needs a scene and a mesh");
    return Guarded(error, KVD_OUT_OF_MEMORY, [&] {
        std::string problem = ParentProblem(*scene, parent);
        if (problem.empty())
            problem = MeshProblem(*scene, *mesh);
        if (!problem.empty())
            return Refuse(error, problem);
        LoadedMesh added;
        added.name = TextOf(mesh->name);
        added.material = mesh->material;
        if (mesh->material == KVD_OWN_COLOUR)
            std::copy(mesh->colour, mesh->colour + 3, added.colour.begin());
        else
            added.colour = scene->materials[static_cast<size_t>(mesh->material)].diffuse;
        added.pointCount = mesh->point_count;
        added.triangleCount = mesh->triangle_count;
        added.points.assign(mesh->points, mesh->points + mesh->point_count * 3);
        added.triangles.assign(mesh->triangles, mesh->triangles + mesh->triangle_count * 3);
        added.node = scene->nodes.size();
        // The node first: should the mesh not fit in memory, the node goes again.
        scene->nodes.push_back({added.name, parent, scene->meshes.size()});
        try {
            scene->meshes.push_back(std::move(added));
        } catch (...) {
            scene->nodes.pop_back();
            throw;
        }
        Give(index, scene->meshes.size() - 1);
        return Succeed(error);
    });
}

KVD_API kvd_result kvd_save_file(const kvd_scene* scene, const char* path, kvd_error* error)
{
    if (scene == nullptr || path == nullptr)
        return Refuse(error, "kvd_save_file needs a scene and a path");
    return Guarded(error, KVD_CANNOT_WRITE, [&] {
        FileOutput out(PathFromUtf8(path));
        if (!out.Open())
            return Report(error, KVD_CANNOT_WRITE, out.error());
        const kvd_result result = Save(scene, error, out);
        if (result != KVD_OK)
            return result;
        if (!out.Commit())
            return Report(error, KVD_CANNOT_WRITE, out.error());
        return Succeed(error);
    });
}

KVD_API kvd_result kvd_save_memory(const kvd_scene* scene, void** data, size_t* size, kvd_error* error)
{
    if (data != nullptr)
        *data = nullptr;
    if (size != nullptr)
        *size = 0;
    if (scene == nullptr || data == nullptr || size == nullptr)
        return Refuse(error, "kvd_save_memory needs a scene and places for the bytes and their size");
    return Guarded(error, KVD_CANNOT_WRITE, [&] {
        kvdfile::MemoryOutput out;
        const kvd_result result = Save(scene, error, out);
        if (result != KVD_OK)
            return result;
        const std::vector<uint8_t>& bytes = out.bytes();
        // malloc, so that kvd_free is free and the caller's C runtime need not match ours.
        void* copy = std::malloc(bytes.empty() ? 1 : bytes.size());
        if (copy == nullptr)
            return Report(error, KVD_OUT_OF_MEMORY, "out of memory");
        if (!bytes.empty())
            std::memcpy(copy, bytes.data(), bytes.size());
        *data = copy;
        *size = bytes.size();
        return Succeed(error);
    });
}

KVD_API void kvd_free(void* data)
{
    std::free(data);
}

}  // extern "C"

