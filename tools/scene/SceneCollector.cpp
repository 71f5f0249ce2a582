#include "tools/scene/SceneCollector.h"

#include <cstring>

void SceneCollector::Materials(const MaterialList& fileMaterials, const std::vector<tagMaterial>& hostMaterials)
{
    fileMaterials_.clear();
    for (size_t i = 0; i < fileMaterials.size(); ++i)
        fileMaterials_.push_back(FileSceneMaterial(fileMaterials[i], hostMaterials[i]));
    fileMaterialPositions_.assign(fileMaterials_.size(), -1);
    ownColourPositions_.clear();
}

void SceneCollector::Camera(const CameraView& camera)
{
    if (camera.isDefault)
        scene_.cameras.insert(scene_.cameras.begin(), MakeSceneCamera(camera));
    else
        scene_.cameras.push_back(MakeSceneCamera(camera));
}

int SceneCollector::MaterialOf(const MeshView& mesh)
{
    const auto next = static_cast<int>(scene_.materials.size());
    if (mesh.fileMaterial != MeshView::kOwnColour) {
        int& position = fileMaterialPositions_.at(static_cast<size_t>(mesh.fileMaterial));
        if (position < 0) {
            position = next;
            scene_.materials.push_back(fileMaterials_[static_cast<size_t>(mesh.fileMaterial)]);
        }
        return position;
    }
    // Meshes of one name and colour get the same material.
    std::string key(reinterpret_cast<const char*>(mesh.colour.data()), sizeof mesh.colour);
    key.append(mesh.name);
    auto [where, inserted] = ownColourPositions_.try_emplace(std::move(key), next);
    if (inserted)
        scene_.materials.push_back(OwnColourMaterial(mesh.name, mesh.hostMaterial));
    return where->second;
}

bool SceneCollector::BeginMesh(const MeshView& mesh)
{
    SceneObject& object = scene_.objects.emplace_back();
    object.material = MaterialOf(mesh);
    object.points.resize(mesh.vertices.size() * 3);
    if (!mesh.vertices.empty())
        std::memcpy(object.points.data(), mesh.vertices.data(), mesh.vertices.size_bytes());
    object.indices.reserve(mesh.faceCountBound * 3);
    return true;
}

void SceneCollector::AddFaces(std::span<const MeshFace> faces)
{
    LargeVector<uint32_t>& indices = scene_.objects.back().indices;
    for (const MeshFace& face : faces) {
        indices.push_back(face.a);
        indices.push_back(face.b);
        indices.push_back(face.c);
    }
}
