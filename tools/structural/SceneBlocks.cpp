#include "tools/structural/SceneBlocks.h"

#include <utility>

namespace kvdwriter {

GeometryDescription Triangle()
{
    GeometryDescription geometry;
    geometry.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    geometry.faces = {{0, 1, 2}};
    return geometry;
}

NodeDescription MeshNode(const std::string& name, GeometryDescription geometry,
                         std::optional<uint16_t> materialIndex, Vertex colour)
{
    MeshDescription mesh;
    mesh.name.name = name;
    mesh.materialIndex = materialIndex;
    mesh.colour = colour;
    mesh.geometry = std::move(geometry);
    NodeDescription node;
    node.label = name;
    node.mesh = std::move(mesh);
    return node;
}

NodeDescription PlacedMeshNode(const std::string& name, std::vector<Vertex> vertices, std::vector<Face> faces,
                               std::optional<uint16_t> materialIndex, Vertex colour)
{
    GeometryDescription geometry;
    geometry.vertices = std::move(vertices);
    geometry.faces = std::move(faces);
    NodeDescription node = MeshNode(name, std::move(geometry), materialIndex, colour);
    node.mesh->transform = TransformDescription::At(0.0f, 0.0f, 0.0f);
    node.mesh->transform.name = name;
    return node;
}

CameraDescription CameraLookingAt(const std::string& name, Vertex eye, Vertex target)
{
    CameraDescription camera;
    camera.name.name = name;
    CameraPlacementDescription placement;
    placement.target = TransformDescription::At(target[0], target[1], target[2]);
    placement.eye = TransformDescription::At(eye[0], eye[1], eye[2]);
    camera.placement = placement;
    return camera;
}

MapDescription ImageMap(uint16_t kind, const std::string& imageFile)
{
    return {.kind = kind, .imageFile = imageFile, .imageCode = 3};
}

}  // namespace kvdwriter
