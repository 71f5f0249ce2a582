// A whole scene held in memory, for drawing it: cameras in the order the
// reader gives them, the materials the meshes use, and each mesh's vertex
// list with its faces. Cameras and materials are also the writers' terms.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/LargePageAllocator.h"
#include "reader/SceneDestination.h"
#include "tools/scene/SceneMaterial.h"

struct SceneCamera {
    std::string name;   // GBK bytes, as the file stores them
    std::array<double, 3> eye{};
    std::array<double, 3> target{};
    double fov = 0.0;
};

inline SceneCamera MakeSceneCamera(const CameraView& camera)
{
    return SceneCamera{std::string(camera.name), camera.eye, camera.target, camera.fov};
}

template <class T>
using LargeVector = std::vector<T, LargePageAllocator<T>>;

struct SceneObject {
    // Position in SceneModel::materials.
    int material = 0;
    // x y z of each vertex as the file stores it, and three vertex numbers
    // per triangle, in the order the file gives them.
    LargeVector<float> points;
    LargeVector<uint32_t> indices;

    size_t triangleCount() const { return indices.size() / 3; }
};

struct SceneModel {
    std::vector<SceneCamera> cameras;   // in the reader's order: the default camera first
    // Each material once, in order of first use by a mesh.
    std::vector<SceneMaterial> materials;
    std::vector<SceneObject> objects;
};
