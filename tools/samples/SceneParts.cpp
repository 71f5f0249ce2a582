#include "tools/samples/SceneParts.h"

#include <utility>

using namespace kvdwriter;

NodeDescription MeshNode(const char* name, std::vector<Vertex> vertices, std::vector<Face> faces,
                         std::optional<uint16_t> materialIndex, std::array<float, 3> colour)
{
    MeshDescription mesh;
    mesh.name.name = name;
    mesh.transform = TransformDescription::At(0.0f, 0.0f, 0.0f);
    mesh.transform.name = name;
    mesh.materialIndex = materialIndex;
    mesh.colour = colour;
    mesh.geometry.vertices = std::move(vertices);
    mesh.geometry.faces = std::move(faces);
    NodeDescription node;
    node.label = name;
    node.mesh = std::move(mesh);
    return node;
}

CameraDescription CameraLookingAt(const char* name, std::array<float, 3> eye, std::array<float, 3> target)
{
    CameraDescription camera;
    camera.name.name = name;
    CameraPlacementDescription placement;
    placement.target = TransformDescription::At(target[0], target[1], target[2]);
    placement.eye = TransformDescription::At(eye[0], eye[1], eye[2]);
    camera.placement = placement;
    return camera;
}
