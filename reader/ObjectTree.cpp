// The object section: a forest of node entries read depth first. Mesh nodes
// are handed on while the tree is read, before their children; nothing of a
// node is kept once its entry has been read.
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
    // A mesh carries its child count after its body; for any other node the
    // node type itself is the child count.
    if (node.nodeType == tags::kMeshNode) {
        ReadMesh(node);
        ReadTag();
    }
    node.childCount = currentTag;

    for (uint32_t i = 0; i < node.childCount; ++i) {
        if (!ReadNode())
            return 0;
    }
    return damaged_ ? 0 : 1;
}
