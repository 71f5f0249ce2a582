// Small building blocks for scene descriptions in tests, and the sample
// scene shared by the golden trace and the truncation test.
#pragma once

#include <string>
#include <vector>

#include "tools/writer/KvdWriter.h"

namespace pieces {

using namespace kvdwriter;

// The triangle (0,0,0), (1,0,0), (0,1,0).
GeometryDescription Triangle();

// A childless mesh node named name (label and mesh name alike) with its own
// colour, or with a material index.
NodeDescription ColourMesh(const std::string& name, Vertex colour, GeometryDescription geometry = {});
NodeDescription IndexedMesh(const std::string& name, uint16_t materialIndex,
                            GeometryDescription geometry = {});

// A camera with placement, eye and target.
CameraDescription PlacedCamera(const std::string& name, Vertex eye, Vertex target);

// A map of kind with an image file and no image block.
MapDescription ImageMap(uint16_t kind, const std::string& imageFile);

// A scene of these materials and one mesh per material, mesh i naming
// material i, with the fixed default camera.
SceneDescription MaterialScene(std::vector<MaterialDescription> materials);

// A scene of these nodes, no materials, the fixed default camera.
SceneDescription NodeScene(std::vector<NodeDescription> nodes);

// Every kind of record once: header text and values, a Standard material
// with maps, image block, nested map and sub-material, a plain material,
// two cameras, a group node, meshes by index and by colour, a mesh child.
SceneDescription SampleScene();

}  // namespace pieces
