// The decoder of PNG, JPEG, BMP, TGA and GIF files: stb_image, compiled
// into this unit with only those decoders, no file access, and every
// allocation it makes counted against a budget and zero-filled.
#pragma once

#include <cstdint>
#include <span>

#include "tools/image/DecodedImage.h"
#include "tools/image/ImageLayout.h"

// Decodes bytes, whose structure check gave layout, to RGB (pictures
// without alpha) or RGBA. The decoder may hold at most
// kDecoderWorkFactor times the RGBA picture plus kDecoderSlackBytes at once.
DecodeOutcome DecodeWithStb(std::span<const uint8_t> bytes, const ImageLayout& layout);
