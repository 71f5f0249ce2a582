// A host that keeps only counts and bounds: cameras, and per object its
// triangles, distinct vertices, box and material. Memory stays small however
// large the meshes are.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/scene/Bounds.h"
#include "tools/scene/CameraKeepingHost.h"
#include "tools/scene/DistinctPointCount.h"
#include "tools/scene/MaterialTable.h"
#include "tools/scene/SceneModel.h"

struct ObjectCensus {
    int material = SceneObject::kNoSurface;   // position in SceneCensusResult::materials
    uint64_t triangles = 0;
    uint64_t vertices = 0;
    Bounds bounds;
};

struct SceneCensusResult {
    std::vector<SceneCamera> cameras;
    std::vector<tagMaterial> materials;   // distinct surface materials
    std::vector<ObjectCensus> objects;
    uint64_t triangles = 0;
    uint64_t vertices = 0;
    Bounds bounds;
};

class SceneCensus final : public CameraKeepingHost {
public:
    explicit SceneCensus(SceneCensusResult& result)
        : CameraKeepingHost(result.cameras), result_(result), materials_(result.materials)
    {
    }

    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override;
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;
    int EndObject() override;

private:
    [[gnu::noinline]] void AddToBounds(const Point3d& point);

    SceneCensusResult& result_;
    MaterialTable materials_;
    DistinctPointCount points_;
    bool objectOpen_ = false;
};
