// Short forms of the writer's building blocks for tests, and the sample
// scene shared by the golden trace and the truncation test. The writer's
// blocks (Triangle, MeshNode, CameraLookingAt, ImageMap) are reachable as
// pieces:: too.
#pragma once

#include <string>
#include <vector>

#include "tools/structural/KvdWriter.h"
#include "tools/structural/SceneBlocks.h"

namespace pieces {

using namespace kvdwriter;

// A childless mesh node named name (label and mesh name alike) with its own
// colour, or with a material index (the writer's MeshNode, for short).
NodeDescription ColourMesh(const std::string& name, Vertex colour, GeometryDescription geometry = {});
NodeDescription IndexedMesh(const std::string& name, uint16_t materialIndex,
                            GeometryDescription geometry = {});

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
