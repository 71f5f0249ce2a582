// The collected scene as glTF 2.0: one node and one mesh per host object with
// one indexed triangle primitive, one material per distinct host material,
// and one perspective camera on a node per host camera, the first camera
// first.
#pragma once

#include <ostream>

#include <tiny_gltf.h>

#include "tools/export/ExportOptions.h"
#include "tools/scene/SceneModel.h"

// binary: images found go into the buffer (a .glb's binary chunk).
tinygltf::Model BuildGltfModel(const SceneModel& scene, const ExportOptions& options, bool binary,
                               ExportStats& stats);

// binary: a .glb file; otherwise .gltf JSON with its buffer embedded.
// False when the stream failed.
bool WriteGltf(const tinygltf::Model& model, bool binary, std::ostream& out);
