// A host that keeps the whole scene it is given, for writing it to another
// format afterwards.
#pragma once

#include "tools/scene/CameraKeepingHost.h"
#include "tools/scene/MaterialTable.h"
#include "tools/scene/PointNumbering.h"
#include "tools/scene/SceneModel.h"

class SceneCollector final : public CameraKeepingHost {
public:
    explicit SceneCollector(SceneModel& scene)
        : CameraKeepingHost(scene.cameras), scene_(scene), materials_(scene.materials)
    {
    }

    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override;
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;

private:
    // The point's number in the object's points, adding it when new, or
    // PointNumbering::kNoNumber when points cannot serve.
    uint32_t PointOf(SceneObject& object, const Point3d* point);
    // From here on the object keeps corners.
    void SwitchToCorners(SceneObject& object);

    SceneModel& scene_;
    MaterialTable materials_;
    // Objects keep shared points unless a pointer cannot be numbered, or a
    // point changed under its pointer: then the object keeps corners.
    PointNumbering numbering_;
    bool keepsPoints_ = true;
};
