// Decoded pixels written as a PNG file's bytes, for outputs that take PNG
// and JPEG only (glTF) and for pictures the tool draws.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/image/DecodedImage.h"

// Empty when the pixels cannot be encoded (more than 2 GiB of them).
std::vector<uint8_t> EncodePng(const uint8_t* pixels, int width, int height, int channels);
inline std::vector<uint8_t> EncodePng(const DecodedImage& image)
{
    return EncodePng(image.pixels.data(), image.width, image.height, image.channels);
}
