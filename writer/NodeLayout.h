// How a scene's node tree is laid out in a kvd file within what the format
// can count and the reader will follow:
// - a list of entries (top-level objects, a node's children) is counted in
//   16 bits, so a longer list goes into group nodes of at most 65535 entries;
// - a group node's child count is also its node type, and the type 257 means
//   a mesh, so a group never gets exactly 257 children;
// - nodes deeper than kMaxNodeDepth keep their meshes as direct children of
//   their ancestor at that depth (every point is in world space, so nothing
//   moves), and the reader's bound on nesting is never reached.
#pragma once

#include <cstddef>
#include <vector>

#include "writer/SceneToWrite.h"

namespace kvdfile {

inline constexpr size_t kMaxListEntries = 65535;
inline constexpr size_t kMeshNodeType = 257;
inline constexpr int kMaxNodeDepth = 64;

struct LaidNode {
    const NodeToWrite* source = nullptr;   // nullptr: a group made to hold entries
    std::vector<LaidNode> children;

    bool isGroup() const { return source == nullptr || source->mesh == NodeToWrite::kGroup; }
};

struct NodeLayout {
    std::vector<LaidNode> roots;
    size_t flattenedNodes = 0;   // nodes below kMaxNodeDepth whose meshes moved up
    size_t addedGroups = 0;      // groups made because a list was too long
};

NodeLayout LayOutNodes(const std::vector<NodeToWrite>& roots);

}  // namespace kvdfile
