// The part of a keeping host that records cameras: the default camera first,
// every other one after it in the order given.
#pragma once

#include <vector>

#include "tools/host/SceneHost.h"
#include "tools/scene/SceneModel.h"

class CameraKeepingHost : public SceneHost {
public:
    explicit CameraKeepingHost(std::vector<SceneCamera>& cameras) : cameras_(cameras) {}

    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override
    {
        cameras_.insert(cameras_.begin(), MakeSceneCamera(name, eye, target, fov));
        return 1;
    }

    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override
    {
        cameras_.push_back(MakeSceneCamera(name, eye, target, fov));
        return 1;
    }

private:
    std::vector<SceneCamera>& cameras_;
};
