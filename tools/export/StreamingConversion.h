// kvd convert's destination: each part of the scene goes to the writer as
// the reader hands it on, each mesh's faces block by block, so nothing of a
// mesh outlives it. Materials go to the writer on first use; the cameras,
// a handful, are kept and handed on at the end with the default one first.
#pragma once

#include <vector>

#include "reader/SceneDestination.h"
#include "tools/export/SceneImages.h"
#include "tools/export/SceneWriter.h"
#include "tools/scene/SceneModel.h"
#include "tools/scene/UsedMaterials.h"

class StreamingConversion final : public SceneDestination {
public:
    // images: when given, each material's images are found as the material
    // is first used, before the writer hears of it (the writer reads them
    // from the same gatherer's images()).
    explicit StreamingConversion(SceneWriter& writer, SceneImageGatherer* images = nullptr)
        : writer_(writer), images_(images)
    {
    }

    void Materials(const MaterialList& fileMaterials) override;
    void Camera(const CameraView& camera) override;
    // Refused once the writer failed: the reader then skips the faces.
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override;

    // Hands on the cameras; the writer can then finish.
    void Complete();

    size_t meshCount() const { return meshes_; }
    // Every material a mesh used, in the writer's numbering.
    const std::vector<SceneMaterial>& materials() const { return materials_.used(); }
    size_t cameraCount() const { return cameras_.size(); }

private:
    SceneWriter& writer_;
    SceneImageGatherer* images_;
    UsedMaterials materials_;
    std::vector<int> writerMaterials_;   // the writer's number per used material
    std::vector<SceneCamera> cameras_;
    size_t meshes_ = 0;
};
