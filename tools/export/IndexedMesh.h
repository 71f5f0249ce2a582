// One object's triangles as an indexed list: each distinct corner is stored
// once, corners refer to it by index, and the triangle order and the corner
// order within each triangle are kept.
//
// The host's meshes have no texture coordinates: a textured host surface is
// mapped by the host itself. For writers that need coordinates, they are made
// by box projection: each triangle takes the two source axes across which it
// faces most directly, one texture tile per kTextureTileSize scene units,
// so texture scale follows the scene and does not stretch with the object.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/export/BoxProjection.h"
#include "tools/export/ExportOptions.h"
#include "tools/scene/SceneModel.h"

struct IndexedMesh {
    std::vector<float> positions;   // x y z per vertex, in output axes
    std::vector<float> texCoords;   // u v per vertex, when asked for
    std::vector<uint32_t> indices;  // three per triangle
    uint64_t trianglesDropped = 0;  // triangles with a non-finite corner

    size_t vertexCount() const { return positions.size() / 3; }
};

// corners: x y z per corner, three corners per triangle, in source axes.
// Corners are one vertex when their position (and coordinates) are equal.
IndexedMesh BuildIndexedMesh(const std::vector<float>& corners, AxisMode axes, bool withTexCoords = false);
// The same mesh from an object in either of its forms.
IndexedMesh BuildIndexedMesh(const SceneObject& object, AxisMode axes, bool withTexCoords = false);
