// What the file writers are asked to do, and what they report back.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// How points leave the kvd scene, which is Z-up; glTF and most OBJ readers
// are Y-up. The turn is chosen by name, AxisMode::ToYUp or AxisMode::Keep;
// every coordinate is then multiplied by the scale.
struct AxisMode {
    enum class Turn {
        ToYUp,   // (x, y, z) becomes (x, z, -y): a rotation, so winding is kept
        Keep,    // coordinates as stored
    };
    Turn turn = Turn::ToYUp;
    double scale = 1.0;

    static const AxisMode ToYUp;
    static const AxisMode Keep;
    bool operator==(const AxisMode&) const = default;
};
inline constexpr AxisMode AxisMode::ToYUp{AxisMode::Turn::ToYUp, 1.0};
inline constexpr AxisMode AxisMode::Keep{AxisMode::Turn::Keep, 1.0};

inline std::array<double, 3> ToOutputAxes(double x, double y, double z, AxisMode axes)
{
    std::array<double, 3> out = axes.turn == AxisMode::Turn::ToYUp ? std::array<double, 3>{x, z, -y}
                                                                   : std::array<double, 3>{x, y, z};
    // A scale of 1 leaves the floats' bits alone, -0 included.
    if (axes.scale != 1.0) {
        for (double& c : out)
            c *= axes.scale;
    }
    return out;
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
