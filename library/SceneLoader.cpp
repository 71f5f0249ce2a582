#include "library/SceneLoader.h"

#include <cstring>

#include "base/GbkText.h"
#include "library/Utf8Path.h"
#include "tools/export/ImageLookup.h"
#include "tools/export/MaterialMaps.h"
#include "tools/scene/SceneMaterial.h"

static_assert(sizeof(MeshFace) == 3 * sizeof(uint32_t), "faces are copied as three numbers each");

SceneLoader::SceneLoader(kvd_scene& scene, ImageFolders folders, MeshSink sink)
    : scene_(scene), folders_(std::move(folders)), sink_(std::move(sink))
{
    scene_.streamed = static_cast<bool>(sink_);
}

LoadedTexture SceneLoader::Texture(const std::string& storedName) const
{
    LoadedTexture texture{GbkToUtf8(storedName), std::nullopt};
    if (storedName.empty())
        return texture;
    ImageLookup lookup;
    if (folders_.scene) {
        lookup = FindImage(storedName, *folders_.scene, folders_.extra);
    } else {
        // Without a scene file, each folder given is searched as a scene's own.
        for (const std::filesystem::path& folder : folders_.extra) {
            lookup = FindImage(storedName, folder, {});
            if (lookup.ok())
                break;
        }
    }
    if (lookup.ok())
        texture.found = Utf8FromPath(lookup.found);
    return texture;
}

void SceneLoader::Materials(const MaterialList& fileMaterials)
{
    for (const MaterialRecord& record : fileMaterials) {
        // The same reading of a material record as kvd info's.
        const SceneMaterial file = FileSceneMaterial(record);
        const MaterialMapNames maps = MapNamesOf(file);
        LoadedMaterial& material = scene_.materials.emplace_back();
        material.name = GbkToUtf8(file.name);
        material.ambient = file.ambient;
        material.diffuse = file.diffuse;
        material.specular = file.specular;
        material.shininess = file.scalar1;
        material.texture = Texture(maps.texture);
        material.bump = Texture(maps.bump);
    }
}

void SceneLoader::Camera(const CameraView& camera)
{
    scene_.cameras.push_back({GbkToUtf8(camera.name), camera.eye, camera.target, camera.fov, camera.isFixed});
}

void SceneLoader::BeginNode(const NodeView& node)
{
    const size_t index = scene_.nodes.size();
    scene_.nodes.push_back({GbkToUtf8(node.label), openNodes_.empty() ? KVD_NO_PARENT : openNodes_.back(),
                            KVD_NO_MESH});
    openNodes_.push_back(index);
    meshNode_ = node.isMesh ? std::optional<size_t>(index) : std::nullopt;
}

void SceneLoader::EndNode()
{
    if (!openNodes_.empty())
        openNodes_.pop_back();
    meshNode_.reset();
}

std::byte* SceneLoader::VertexRoom(size_t vertexCount)
{
    room_.clear();   // nothing of the last list is kept when the room grows
    room_.resize(vertexCount * 3);
    return reinterpret_cast<std::byte*>(room_.data());
}

bool SceneLoader::BeginMesh(const MeshView& view)
{
    const size_t index = scene_.meshes.size();
    LoadedMesh& mesh = scene_.meshes.emplace_back();
    mesh.name = GbkToUtf8(view.name);
    if (view.fileMaterial == MeshView::kOwnColour) {
        mesh.material = KVD_OWN_COLOUR;
        mesh.colour = view.colour;
    } else {
        mesh.material = view.fileMaterial;
        mesh.colour = scene_.materials[static_cast<size_t>(view.fileMaterial)].diffuse;
    }

    const size_t floats = view.vertices.size() * 3;
    if (!view.vertices.empty() && reinterpret_cast<const void*>(view.vertices.data()) == room_.data()) {
        // Read straight into the room: it becomes the mesh's array.
        mesh.points = std::move(room_);
        room_ = {};
    } else {
        mesh.points.resize(floats);
        if (floats > 0)
            std::memcpy(mesh.points.data(), view.vertices.data(), view.vertices.size_bytes());
    }
    mesh.pointCount = view.vertices.size();
    // The bound is what the bytes left can hold: no more than the input justifies.
    mesh.triangles = std::move(spareTriangles_);
    spareTriangles_ = {};
    mesh.triangles.clear();
    mesh.triangles.resize(static_cast<size_t>(view.faceCountBound) * 3);
    filled_ = 0;

    if (!meshNode_) {
        // Every mesh comes inside its mesh node; should one not, it gets a node of its own.
        meshNode_ = scene_.nodes.size();
        scene_.nodes.push_back({mesh.name, openNodes_.empty() ? KVD_NO_PARENT : openNodes_.back(), KVD_NO_MESH});
    }
    mesh.node = *meshNode_;
    scene_.nodes[mesh.node].mesh = index;
    meshNode_.reset();
    return true;
}

void SceneLoader::AddFaces(std::span<const MeshFace> faces)
{
    MeshArray<uint32_t>& triangles = scene_.meshes.back().triangles;
    const size_t count = faces.size() * 3;
    if (filled_ + count > triangles.size())
        triangles.resize(filled_ + count);
    std::memcpy(triangles.data() + filled_, faces.data(), faces.size_bytes());
    filled_ += count;
}

void SceneLoader::EndMesh()
{
    LoadedMesh& mesh = scene_.meshes.back();
    mesh.triangles.resize(filled_);
    mesh.triangleCount = filled_ / 3;
    if (!sink_)
        return;
    sink_(scene_.meshes.size() - 1, mesh);
    // The arrays serve the next mesh; the scene keeps the counts.
    room_ = std::move(mesh.points);
    spareTriangles_ = std::move(mesh.triangles);
    mesh.points = {};
    mesh.triangles = {};
}
