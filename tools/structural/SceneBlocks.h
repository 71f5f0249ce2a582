// Building blocks of scene descriptions, shared by the samples' generator,
// the tests, the fuzz seeds and the benchmarks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/structural/KvdWriter.h"

namespace kvdwriter {

// The triangle (0,0,0), (1,0,0), (0,1,0).
GeometryDescription Triangle();

// A childless mesh node named name (label and mesh name alike) with a
// material index, or with its own colour when it names none. No transform
// record: the slot holds another value.
NodeDescription MeshNode(const std::string& name, GeometryDescription geometry,
                         std::optional<uint16_t> materialIndex, Vertex colour = {});

// The same with a transform record at the origin named like the mesh, as an
// exporter writes it.
NodeDescription PlacedMeshNode(const std::string& name, std::vector<Vertex> vertices, std::vector<Face> faces,
                               std::optional<uint16_t> materialIndex, Vertex colour = {});

// A camera with placement: its eye, and a target it looks at.
CameraDescription CameraLookingAt(const std::string& name, Vertex eye, Vertex target);

// A map of kind with an image file and no image block.
MapDescription ImageMap(uint16_t kind, const std::string& imageFile);

}  // namespace kvdwriter
