// A host that keeps the whole scene it is given, for writing it to another
// format afterwards.
#pragma once

#include "tools/host/SceneHost.h"
#include "tools/scene/MaterialTable.h"
#include "tools/scene/SceneModel.h"

class SceneCollector final : public SceneHost {
public:
    explicit SceneCollector(SceneModel& scene) : scene_(scene), materials_(scene.materials) {}

    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override;
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;

private:
    SceneModel& scene_;
    MaterialTable materials_;
};
