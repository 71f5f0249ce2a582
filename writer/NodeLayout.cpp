#include "writer/NodeLayout.h"

#include <utility>

namespace kvdfile {

namespace {

// The mesh nodes below nodes, depth first, as childless entries; without
// recursion, so no depth of the description reaches the stack.
void CollectMeshes(const std::vector<NodeToWrite>& nodes, std::vector<LaidNode>& out, size_t& visited)
{
    std::vector<std::pair<const std::vector<NodeToWrite>*, size_t>> stack{{&nodes, 0}};
    while (!stack.empty()) {
        auto& [list, next] = stack.back();
        if (next == list->size()) {
            stack.pop_back();
            continue;
        }
        const NodeToWrite& node = (*list)[next++];
        ++visited;
        if (node.mesh != NodeToWrite::kGroup)
            out.push_back(LaidNode{&node, {}});
        if (!node.children.empty())
            stack.emplace_back(&node.children, 0);
    }
}

bool Fits(const std::vector<LaidNode>& entries, bool groupParent)
{
    return entries.size() <= kMaxListEntries && !(groupParent && entries.size() == kMeshNodeType);
}

// Puts entries into groups until their number can be counted, and a group
// parent's is not the mesh type.
void Pack(std::vector<LaidNode>& entries, bool groupParent, size_t& addedGroups)
{
    while (!Fits(entries, groupParent)) {
        std::vector<LaidNode> groups;
        size_t start = 0;
        while (start < entries.size()) {
            size_t size = std::min(kMaxListEntries, entries.size() - start);
            // A group of 257 would read as a mesh: one entry goes to the next.
            if (size == kMeshNodeType)
                --size;
            LaidNode group;
            group.children.assign(std::make_move_iterator(entries.begin() + static_cast<ptrdiff_t>(start)),
                                  std::make_move_iterator(entries.begin() + static_cast<ptrdiff_t>(start + size)));
            groups.push_back(std::move(group));
            ++addedGroups;
            start += size;
        }
        entries = std::move(groups);
    }
}

std::vector<LaidNode> LayOut(const std::vector<NodeToWrite>& nodes, bool groupParent, int depth, NodeLayout& layout)
{
    std::vector<LaidNode> entries;
    entries.reserve(nodes.size());
    for (const NodeToWrite& node : nodes) {
        LaidNode laid{&node, {}};
        const bool group = node.mesh == NodeToWrite::kGroup;
        if (depth < kMaxNodeDepth) {
            laid.children = LayOut(node.children, group, depth + 1, layout);
        } else {
            CollectMeshes(node.children, laid.children, layout.flattenedNodes);
            Pack(laid.children, group, layout.addedGroups);
        }
        entries.push_back(std::move(laid));
    }
    Pack(entries, groupParent, layout.addedGroups);
    return entries;
}

}  // namespace

NodeLayout LayOutNodes(const std::vector<NodeToWrite>& roots)
{
    NodeLayout layout;
    // The object count is a count, not a node type: 257 top-level entries are fine.
    layout.roots = LayOut(roots, false, 1, layout);
    return layout;
}

}  // namespace kvdfile
