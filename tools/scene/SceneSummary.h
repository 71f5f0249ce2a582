// A destination that keeps only what kvd info prints: the file's materials,
// the cameras, and per mesh its triangles, the vertices they use, their box
// and the mesh's material. Besides the reader's vertex list of the mesh
// being read, memory is one bit per vertex.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/SceneDestination.h"
#include "tools/scene/Bounds.h"
#include "tools/scene/SceneMaterial.h"
#include "tools/scene/SceneModel.h"

struct ObjectSummary {
    // Position of the mesh's material in the file's list, or
    // MeshView::kOwnColour with the mesh's name and colour.
    int32_t fileMaterial = MeshView::kOwnColour;
    std::string name;   // GBK
    std::array<float, 3> colour{};
    uint64_t triangles = 0;
    uint64_t vertices = 0;   // distinct vertices the triangles use
    Bounds bounds;           // of the vertices the triangles use
};

struct SceneSummaryResult {
    std::vector<SceneMaterial> materials;   // the file's, in file order
    std::vector<SceneCamera> cameras;       // the default camera first
    std::vector<ObjectSummary> objects;
    uint64_t triangles = 0;
    uint64_t vertices = 0;
    Bounds bounds;
};

class SceneSummary final : public SceneDestination {
public:
    explicit SceneSummary(SceneSummaryResult& result) : result_(result) {}

    void Materials(const MaterialList& fileMaterials) override;
    void Camera(const CameraView& camera) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override;

private:
    SceneSummaryResult& result_;
    std::span<const MeshVertex> vertices_;
    std::vector<uint64_t> used_;   // one bit per vertex of the open mesh
    uint64_t triangles_ = 0;
};
