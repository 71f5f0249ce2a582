// The scene's cameras as glTF cameras: one perspective camera on a node per
// camera, with the host's field of view on a 4:3 view, placed at the eye and
// looking at the target, and a clip range that holds the whole scene.
#pragma once

#include "tools/export/ExportOptions.h"
#include "tools/export/GltfDocument.h"
#include "tools/scene/Bounds.h"
#include "tools/scene/SceneModel.h"

// sceneBounds: of every vertex written, in output axes.
void AddCameraNode(GltfJson& document, const SceneCamera& camera, AxisMode axes, const Bounds& sceneBounds);
