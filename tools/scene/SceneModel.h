// A whole imported scene as the host received it, held in memory for the
// file writers: cameras in the order given, the distinct surface materials,
// and each object's triangles as corner positions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/Point3d.h"
#include "convert/LargePageAllocator.h"
#include "host/TagMaterial.h"

struct SceneCamera {
    std::string name;   // GBK bytes, as the host received them
    std::array<double, 3> eye{};
    std::array<double, 3> target{};
    double fov = 0.0;
};

// A camera as the host's camera calls give it.
inline SceneCamera MakeSceneCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return SceneCamera{name, {eye.x, eye.y, eye.z}, {target.x, target.y, target.z}, fov};
}

struct SceneObject {
    // Position in SceneModel::materials, or kNoSurface when the object got
    // no surface.
    static constexpr int kNoSurface = -1;
    int material = kNoSurface;
    // The triangles in the order the host got them, in one of two forms.
    // Single precision is exact: every coordinate is a widened float.
    // Corners: three per triangle, x y z each.
    std::vector<float> corners;
    // Or shared points: x y z of each distinct host point, in the order of
    // first use, and three point numbers per triangle. The collector keeps
    // this form, which holds a mesh's shared vertices once.
    std::vector<float, LargePageAllocator<float>> points;
    std::vector<uint32_t, LargePageAllocator<uint32_t>> cornerPoints;

    size_t triangleCount() const { return corners.size() / 9 + cornerPoints.size() / 3; }
};

struct SceneModel {
    std::vector<SceneCamera> cameras;   // the default camera first
    // Each distinct record once (compared byte for byte), in order of first use.
    std::vector<tagMaterial> materials;
    std::vector<SceneObject> objects;
};
