#include "tools/render/ViewProjection.h"

#include <algorithm>
#include <cmath>

#include "tools/export/CameraPose.h"

namespace {
// The nearest plane is never closer than this share of the farthest, which
// keeps depth resolution when the eye is inside the scene.
constexpr double kNearestShareOfFar = 1.0 / 10000.0;
// A little room beyond the scene's extent, so nothing touches the planes.
constexpr double kDepthMargin = 1.01;

double Dot(const Vector3& a, const Vector3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The depth of the points nearest and farthest along the view.
std::array<double, 2> DepthRange(const Vector3& eye, const Vector3& forward, const SceneExtent& extent)
{
    double nearest = INFINITY, farthest = -INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p{corner & 1 ? extent.max[0] : extent.min[0], corner & 2 ? extent.max[1] : extent.min[1],
                        corner & 4 ? extent.max[2] : extent.min[2]};
        const double depth = Dot({p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]}, forward);
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
    }
    return {nearest, farthest};
}
}  // namespace

SceneExtent MeasureScene(const RenderScene& scene)
{
    SceneExtent extent;
    for (const RenderMesh& mesh : scene.meshes) {
        for (size_t i = 0; i + 3 <= mesh.positions.size(); i += 3) {
            const float* p = &mesh.positions[i];
            if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
                continue;
            for (int axis = 0; axis < 3; ++axis) {
                if (extent.empty) {
                    extent.min[axis] = extent.max[axis] = p[axis];
                } else {
                    extent.min[axis] = std::min(extent.min[axis], double(p[axis]));
                    extent.max[axis] = std::max(extent.max[axis], double(p[axis]));
                }
            }
            extent.empty = false;
        }
    }
    return extent;
}

ViewProjection MakeViewProjection(const RenderCamera& camera, double aspectRatio, const SceneExtent& extent)
{
    const Quaternion rotation = LookAtRotation(camera.eye, camera.target, {0.0, 0.0, 1.0});
    const Vector3 right = Rotate(rotation, {1.0, 0.0, 0.0});
    const Vector3 up = Rotate(rotation, {0.0, 1.0, 0.0});
    const Vector3 back = Rotate(rotation, {0.0, 0.0, 1.0});
    const Vector3& eye = camera.eye;

    ViewProjection result;
    const Vector3* rows[3] = {&right, &up, &back};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            result.view[column * 4 + row] = static_cast<float>((*rows[row])[column]);
        result.view[12 + row] = static_cast<float>(-Dot(*rows[row], eye));
    }
    result.view[15] = 1.0f;

    // Depth range from the extent; any positive range will do without one.
    double nearPlane = 1.0, farPlane = 1000.0;
    if (!extent.empty) {
        const auto [nearest, farthest] = DepthRange(eye, {-back[0], -back[1], -back[2]}, extent);
        if (farthest > 0.0 && std::isfinite(farthest)) {
            farPlane = farthest * kDepthMargin;
            nearPlane = std::max(nearest / kDepthMargin, farPlane * kNearestShareOfFar);
        }
    }
    result.nearPlane = nearPlane;
    result.farPlane = farPlane;

    const double verticalFov = VerticalFovRadians(camera.fov, kCameraAspectRatio);
    const double focal = 1.0 / std::tan(verticalFov / 2.0);
    result.projection = {};
    result.projection[0] = static_cast<float>(focal / aspectRatio);
    result.projection[5] = static_cast<float>(focal);
    result.projection[10] = static_cast<float>((farPlane + nearPlane) / (nearPlane - farPlane));
    result.projection[11] = -1.0f;
    result.projection[14] = static_cast<float>(2.0 * farPlane * nearPlane / (nearPlane - farPlane));
    return result;
}

std::optional<std::array<double, 2>> ProjectToPixel(const ViewProjection& view, const std::array<double, 3>& point,
                                                    int width, int height)
{
    double eyeSpace[4];
    for (int row = 0; row < 4; ++row) {
        eyeSpace[row] = view.view[12 + row];
        for (int column = 0; column < 3; ++column)
            eyeSpace[row] += view.view[column * 4 + row] * point[column];
    }
    if (!(eyeSpace[2] < 0.0))
        return std::nullopt;
    const double x = view.projection[0] * eyeSpace[0] / -eyeSpace[2];
    const double y = view.projection[5] * eyeSpace[1] / -eyeSpace[2];
    if (std::fabs(x) > 1.0 || std::fabs(y) > 1.0)
        return std::nullopt;
    return std::array<double, 2>{(x + 1.0) / 2.0 * width, (1.0 - y) / 2.0 * height};
}
