// The working record of a node entry of the object section (or of a camera
// entry), and the transform record shared by cameras and meshes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct NodeRecord {
    std::string label;
    // 257 for a mesh, 259 for a camera entry; for any other node also its child count.
    uint32_t nodeType = 0;
    std::string name;
    std::string secondaryName;
    uint32_t childCount = 0;
};

struct NodeTransform {
    std::string name;
    std::array<uint32_t, 9> words{};
    // Four-byte values bit for bit; 12, 13 and 14 are the position as floats.
    std::array<uint32_t, 26> values{};
};
