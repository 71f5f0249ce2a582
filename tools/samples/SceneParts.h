// Building blocks of scene descriptions shared by the samples and the
// conversion tests: a placed mesh node and a camera looking at a target.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "tools/writer/KvdWriter.h"

// A mesh node at the origin; colour is the mesh's own colour, used when it
// names no material.
kvdwriter::NodeDescription MeshNode(const char* name, std::vector<kvdwriter::Vertex> vertices,
                                    std::vector<kvdwriter::Face> faces, std::optional<uint16_t> materialIndex,
                                    std::array<float, 3> colour = {});

kvdwriter::CameraDescription CameraLookingAt(const char* name, std::array<float, 3> eye,
                                             std::array<float, 3> target);
