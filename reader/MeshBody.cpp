// Mesh bodies: name, placement (read and dropped), material reference, and
// the geometry block, which goes to the host as it is read.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

namespace {
// Words of a mesh body after its placement, stored and not interpreted.
constexpr int kMeshWords = 3;
}  // namespace

void SceneReader::ReadMesh(NodeRecord& node)
{
    MeshRecord mesh;
    NodeTransform placement;
    ReadNameRecord(node.name);
    mesh.name = node.name;
    ReadTransform(placement);
    for (int i = 0; i < kMeshWords; ++i)
        ReadTag();
    ReadMaterialRef(mesh);
    EmitMeshGeometry(mesh);
    ReadTag();   // closing tag, any value
}

void SceneReader::ReadMaterialRef(MeshRecord& mesh)
{
    if (ReadTag() == tags::kMaterialIndex) {
        mesh.materialIndex = ReadTag();
        return;
    }
    for (float& component : mesh.colour)
        component = ReadFloat();
}
