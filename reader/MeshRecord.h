// Working record of one mesh body.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct MeshRecord {
    static constexpr int32_t kNoMaterial = -1;

    std::string name;
    std::array<uint32_t, 3> words{};
    // A position in hostMaterials, or kNoMaterial when the mesh has its own colour.
    int32_t materialIndex = kNoMaterial;
    std::array<float, 3> colour{};
};
