// The cameras of a model file as kvd cameras: the eye where the camera's
// node puts it, the target along its view. A target the source stored
// itself (a scene written by kvd convert keeps each camera's in the node's
// extras) is kept when it still lies along the view; otherwise the target
// is as far along the view as the middle of the scene, so the host's camera
// turns about the model. A camera that is the host's own fixed view is
// written without placement, so the host gets that view exactly.
#pragma once

#include "tools/models/ModelScene.h"

// The host shows every camera with a horizontal field of view of this many
// degrees; a camera further from it than the tolerance is noted.
inline constexpr double kHostFovDegrees = 22.0;
inline constexpr double kFovToleranceDegrees = 0.5;

// Fills model.scene.cameras from model.cameras.
void PlaceCameras(ModelScene& model, const AxisOptions& axes);
