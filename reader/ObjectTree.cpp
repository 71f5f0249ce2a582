// The object section: a forest of node entries read depth first. Each node
// and its mesh are handed on while the tree is read, before the node's
// children; nothing of a node is kept once its entry has been read.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

int SceneReader::ReadNode()
{
    NestingLevel level(*this);
    if (!level.allowed())
        return 0;

    // A lone value other than a node entry counts as an entry read.
    if (ReadTag() != tags::kNodeEntry)
        return damaged_ ? 0 : 1;

    NodeRecord node;
    ReadString();
    node.label = Text();
    node.nodeType = ReadTag();
    if (damaged_)
        return 0;
    const bool isMesh = node.nodeType == tags::kMeshNode;
    destination_.BeginNode(NodeView{node.label, isMesh});
    // A mesh carries its child count after its body; for any other node the
    // node type itself is the child count.
    if (isMesh) {
        ReadMesh(node);
        ReadTag();
    }
    node.childCount = currentTag;

    bool complete = !damaged_;
    for (uint32_t i = 0; i < node.childCount && complete; ++i)
        complete = ReadNode() != 0;
    destination_.EndNode();
    return complete && !damaged_ ? 1 : 0;
}
