// Working record of one camera of the camera section.
#pragma once

#include <string>

#include "reader/NodeRecords.h"

struct CameraRecord {
    std::string name;
    NodeTransform transform;         // the camera's own placement: the eye
    NodeTransform targetTransform;   // the target's placement
};
