// The node tree of a model file as the kvd file's: walked without recursion
// (a tree as deep as a file likes costs no stack), each node's transform
// applied on its parent's, each node seen once (a cycle or a node with two
// parents is damage, its second visit left out), meshes of nodes deeper than
// kMaxTreeDepth joining their ancestor at that depth (in world space nothing
// moves), and groups that hold no mesh dropped.
#pragma once

#include <string>
#include <vector>

#include "tools/models/ModelScene.h"

inline constexpr int kMaxTreeDepth = 64;

class ModelTreeSource {
public:
    virtual size_t nodeCount() const = 0;
    virtual const std::vector<int>& Children(int node) const = 0;
    // The node's own transform; false when it is the identity (local untouched).
    virtual bool Local(int node, Matrix4& local) const = 0;
    // The node's mesh nodes (usually one; one per part for a mesh of several
    // materials), made with the node's world transform; its camera too.
    virtual std::vector<kvdfile::NodeToWrite> Visit(int node, const Matrix4& world, bool identity) = 0;
    virtual std::string Name(int node) const = 0;

protected:
    ~ModelTreeSource() = default;
};

void BuildModelTree(ModelTreeSource& source, const std::vector<int>& roots, ModelScene& model);
