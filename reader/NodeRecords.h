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
    // From the node's name record; its secondary name is read and dropped.
    std::string name;
    uint32_t childCount = 0;
};

// A transform record's values, bit for bit; 12, 13 and 14 are the position
// as floats. Its name and nine words are read and dropped.
struct NodeTransform {
    std::array<uint32_t, 26> values{};
};
