#include "tools/scene/SceneCollector.h"

#include <cstring>

void SceneCollector::Materials(const MaterialList& fileMaterials)
{
    materials_.Reset(fileMaterials);
}

void SceneCollector::Camera(const CameraView& camera)
{
    scene_.cameras.push_back(MakeSceneCamera(camera));
}

bool SceneCollector::BeginMesh(const MeshView& mesh)
{
    SceneObject& object = scene_.objects.emplace_back();
    const UsedMaterials::Use use = materials_.Of(mesh);
    if (use.first)
        scene_.materials.push_back(materials_.used().back());
    object.material = use.position;
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
