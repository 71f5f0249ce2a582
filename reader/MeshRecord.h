// Working record of one mesh body.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct MeshRecord {
    // The mesh body holds a colour of its own instead of a material index.
    static constexpr int32_t kOwnColour = -1;

    std::string name;
    // A position in the file's material list, or kOwnColour.
    int32_t materialIndex = kOwnColour;
    std::array<float, 3> colour{};
};
