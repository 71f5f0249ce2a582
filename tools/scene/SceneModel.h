// A whole imported scene as the host received it, held in memory for the
// file writers: cameras in the order given, the distinct surface materials,
// and each object's triangles as corner positions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/TagMaterial.h"

struct SceneCamera {
    std::string name;   // GBK bytes, as the host received them
    std::array<double, 3> eye{};
    std::array<double, 3> target{};
    double fov = 0.0;
};

struct SceneObject {
    // Position in SceneModel::materials, or kNoSurface when the object got
    // no surface.
    static constexpr int kNoSurface = -1;
    int material = kNoSurface;
    // Three corners per triangle, x y z each, in the order the host got them.
    // Single precision is exact: every coordinate is a widened float.
    std::vector<float> corners;

    size_t triangleCount() const { return corners.size() / 9; }
};

struct SceneModel {
    std::vector<SceneCamera> cameras;   // the default camera first
    // Each distinct record once (compared byte for byte), in order of first use.
    std::vector<tagMaterial> materials;
    std::vector<SceneObject> objects;
};
