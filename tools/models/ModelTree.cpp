#include "tools/models/ModelTree.h"

#include <algorithm>
#include <cmath>

namespace {

// Groups that hold no mesh, at any depth, are of no use to the host.
bool PruneEmptyGroups(std::vector<kvdfile::NodeToWrite>& nodes)
{
    bool any = false;
    std::vector<kvdfile::NodeToWrite> kept;
    for (kvdfile::NodeToWrite& node : nodes) {
        const bool hasMesh = PruneEmptyGroups(node.children) || node.mesh != kvdfile::NodeToWrite::kGroup;
        if (hasMesh) {
            kept.push_back(std::move(node));
            any = true;
        }
    }
    nodes = std::move(kept);
    return any;
}

}  // namespace

void BuildModelTree(ModelTreeSource& source, const std::vector<int>& roots, ModelScene& model)
{
    struct Step {
        int node;
        Matrix4 parentWorld;
        bool parentIdentity;
        kvdfile::NodeToWrite* parent;   // nullptr: the scene's roots
        int depth;
    };
    std::vector<bool> visited(source.nodeCount(), false);
    std::vector<Step> stack;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        stack.push_back({*it, kIdentity, true, nullptr, 1});
    // Depth first: a node's whole subtree is built before its next sibling
    // joins the same list, so the parents the stack points to never move.
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (step.node < 0 || static_cast<size_t>(step.node) >= visited.size()) {
            model.Damage("a node names node " + std::to_string(step.node) + ", which is not there");
            continue;
        }
        if (visited[static_cast<size_t>(step.node)]) {
            model.Damage("node " + std::to_string(step.node) +
                         " is reached twice (a cycle, or a child of two parents); the second time is left out");
            continue;
        }
        visited[static_cast<size_t>(step.node)] = true;
        Matrix4 local = kIdentity;
        const bool localIdentity = !source.Local(step.node, local);
        const bool identity = step.parentIdentity && localIdentity;
        const Matrix4 world = localIdentity         ? step.parentWorld
                              : step.parentIdentity ? local
                                                    : Multiply(step.parentWorld, local);
        if (!std::all_of(world.begin(), world.end(), [](double v) { return std::isfinite(v); })) {
            model.Damage("node " + std::to_string(step.node) +
                         " has a transform that is not finite; it and its children are left out");
            continue;
        }
        std::vector<kvdfile::NodeToWrite> meshNodes = source.Visit(step.node, world, identity);
        const std::vector<int>& children = source.Children(step.node);
        std::vector<kvdfile::NodeToWrite>& siblings = step.parent ? step.parent->children : model.scene.roots;
        kvdfile::NodeToWrite* self = step.parent;
        if (step.depth < kMaxTreeDepth && meshNodes.size() == 1) {
            siblings.push_back(std::move(meshNodes[0]));
            self = &siblings.back();
        } else if (step.depth < kMaxTreeDepth && (meshNodes.size() > 1 || !children.empty())) {
            kvdfile::NodeToWrite group;
            group.name = source.Name(step.node);
            group.children = std::move(meshNodes);
            siblings.push_back(std::move(group));
            self = &siblings.back();
        } else {
            for (kvdfile::NodeToWrite& mesh : meshNodes)
                siblings.push_back(std::move(mesh));
        }
        const int childDepth = self == step.parent ? step.depth : step.depth + 1;
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.push_back({*child, world, identity, self, childDepth});
    }
    PruneEmptyGroups(model.scene.roots);
}
