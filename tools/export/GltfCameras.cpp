#include "tools/export/GltfCameras.h"

#include <algorithm>
#include <cmath>

#include "base/GbkText.h"
#include "tools/export/CameraPose.h"

namespace {

bool Finite(const Vector3& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// Far enough to see the whole scene and the target from the eye, near a small
// fraction of that, so depth precision goes where the scene is.
void ClipRange(const Vector3& eye, const Vector3& target, const Bounds& sceneBounds, double& znear, double& zfar)
{
    double reach = 1.0;
    auto farthest = [&](const Vector3& p) {
        // Not std::hypot: the coordinates are floats, so the squares cannot
        // overflow a double, and a correctly rounded square root gives the
        // same bits with every C library, where hypot's results differ in
        // the last place (the browser viewer must write the same bytes).
        const double dx = p[0] - eye[0], dy = p[1] - eye[1], dz = p[2] - eye[2];
        double d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (std::isfinite(d))
            reach = std::max(reach, d);
    };
    farthest(target);
    if (!sceneBounds.empty()) {
        for (int corner = 0; corner < 8; ++corner) {
            farthest({corner & 1 ? sceneBounds.max[0] : sceneBounds.min[0],
                      corner & 2 ? sceneBounds.max[1] : sceneBounds.min[1],
                      corner & 4 ? sceneBounds.max[2] : sceneBounds.min[2]});
        }
    }
    zfar = 2.0 * reach;
    znear = zfar * 1e-5;
}

}  // namespace

void AddCameraNode(GltfJson& document, const SceneCamera& camera, AxisMode axes, const Bounds& sceneBounds)
{
    const Vector3 eye = ToOutputAxes(camera.eye[0], camera.eye[1], camera.eye[2], axes);
    const Vector3 target = ToOutputAxes(camera.target[0], camera.target[1], camera.target[2], axes);
    const Vector3 up = ToOutputAxes(0.0, 0.0, 1.0, axes);
    const std::string name = GbkToUtf8(camera.name);

    double znear = 0.0;
    double zfar = 0.0;
    ClipRange(eye, target, sceneBounds, znear, zfar);
    GltfJson perspective = {{"aspectRatio", kCameraAspectRatio},
                            {"yfov", VerticalFovRadians(camera.fov, kCameraAspectRatio)},
                            {"zfar", zfar},
                            {"znear", znear}};
    const int number =
        AppendTo(document, "cameras", {{"name", name}, {"perspective", std::move(perspective)}, {"type", "perspective"}});

    GltfJson node = {{"camera", number}, {"name", name}};
    if (Finite(eye)) {
        node["translation"] = eye;
        if (Finite(target)) {
            node["rotation"] = LookAtRotation(eye, target, up);
            // The host's camera has a target, which a glTF camera has not.
            node["extras"] = {{"target", target}};
        }
    }
    AppendTo(document, "nodes", std::move(node));
}
