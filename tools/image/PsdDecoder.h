// The decoder of PSD files' merged picture: planar channels, raw or
// run-length (PackBits), 8 or 16 bits a sample (the high byte kept). Four
// channels or more give RGBA, the colours taken off the white matte the
// merged picture is stored on; three give RGB.
#pragma once

#include <cstdint>
#include <span>

#include "tools/image/DecodedImage.h"

// bytes must have passed CheckPsdStructure.
DecodeOutcome DecodePsd(std::span<const uint8_t> bytes);
