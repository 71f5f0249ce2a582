// The object section: a forest of node entries read depth first. Mesh nodes
// reach the host while the tree is read, before their children.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

int SceneReader::ReadNode(NodeList& parentList)
{
    NestingLevel level(*this);
    if (!level.allowed())
        return 0;

    NodeRecord node;
    // A lone value other than a node entry counts as an entry read.
    if (ReadTag() != tags::kNodeEntry)
        return damaged_ ? 0 : 1;

    ReadString();
    node.label = Text();
    node.nodeType = ReadTag();
    // A mesh carries its child count after its body; for any other node the
    // node type itself is the child count.
    if (node.nodeType == tags::kMeshNode) {
        ReadMesh(node);
        ReadTag();
    }
    node.childCount = currentTag;

    for (uint32_t i = 0; i < node.childCount; ++i) {
        if (!ReadNode(node.children))
            return 0;
    }
    if (damaged_)
        return 0;
    parentList.push_back(std::move(node));
    return 1;
}
