// A destination that keeps the whole scene it is given, for the renderer,
// which needs every mesh at once.
#pragma once

#include "reader/SceneDestination.h"
#include "tools/scene/SceneModel.h"
#include "tools/scene/UsedMaterials.h"

class SceneCollector final : public SceneDestination {
public:
    explicit SceneCollector(SceneModel& scene) : scene_(scene) {}

    void Materials(const MaterialList& fileMaterials) override;
    void Camera(const CameraView& camera) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override {}

private:
    SceneModel& scene_;
    UsedMaterials materials_;
};
