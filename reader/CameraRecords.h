// Working records of one camera of the camera section.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "reader/NodeRecords.h"

struct CameraSettings {
    uint32_t kind = 0;
    std::array<uint32_t, 6> parameters{};
};

struct CameraRecord {
    std::string name;
    NodeTransform transform;         // the camera's own placement: the eye
    NodeTransform targetTransform;   // the target's placement
    CameraSettings settings;
};
