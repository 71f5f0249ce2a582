// What the file writers are asked to do, and what they report back.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The kvd scene is Z-up; glTF and most OBJ readers are Y-up.
enum class AxisMode {
    ToYUp,   // (x, y, z) becomes (x, z, -y): a rotation, so winding is kept
    Keep,    // coordinates as stored
};

inline std::array<double, 3> ToOutputAxes(double x, double y, double z, AxisMode axes)
{
    if (axes == AxisMode::ToYUp)
        return {x, z, -y};
    return {x, y, z};
}

struct SceneImages;

struct ExportOptions {
    AxisMode axes = AxisMode::ToYUp;
    std::string generator = "kvd convert";
    // The images found for the scene's materials (one slot set per material),
    // stored in a .glb, written beside a .gltf or an OBJ's .mtl. Null: the
    // output only refers to the names as stored.
    const SceneImages* images = nullptr;
    // .gltf: the images inside the JSON as data URIs instead of beside it.
    bool dataUris = false;
};

struct ExportStats {
    uint64_t triangles = 0;
    uint64_t vertices = 0;
    // Triangles with a corner that is not a finite number: no output format
    // here can hold them, so they are left out and counted.
    uint64_t trianglesDropped = 0;
};
