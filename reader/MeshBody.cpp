// Mesh bodies: name, placement (read and dropped), material reference, and
// the geometry block, which goes to the host as it is read.
#include "reader/FormatTags.h"
#include "reader/SceneReader.h"

void SceneReader::ReadMesh(NodeRecord& node)
{
    MeshRecord mesh;
    NodeTransform placement;
    ReadNameRecord(node.name, node.secondaryName);
    mesh.name = node.name;
    ReadTransform(placement);
    for (uint32_t& word : mesh.words)
        word = ReadTag();
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
