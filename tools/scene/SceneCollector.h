// A destination that keeps the whole scene it is given, for writing it to
// another format afterwards.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "reader/SceneDestination.h"
#include "tools/scene/SceneModel.h"

class SceneCollector final : public SceneDestination {
public:
    explicit SceneCollector(SceneModel& scene) : scene_(scene) {}

    void Materials(const MaterialList& fileMaterials, const std::vector<tagMaterial>& hostMaterials) override;
    void Camera(const CameraView& camera) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override {}

private:
    // The position in the scene's materials of the mesh's material, added on
    // its first use.
    int MaterialOf(const MeshView& mesh);

    SceneModel& scene_;
    std::vector<SceneMaterial> fileMaterials_;
    std::vector<int> fileMaterialPositions_;   // -1: not used yet
    // Own-colour materials by name and colour bits.
    std::map<std::string, int> ownColourPositions_;
};
