// Copies of checked BMP and PNG files whose palette holds an entry for every
// index a pixel can carry. A pixel may index past a short palette; the
// decoder would then read a palette entry the file never set. In the copy,
// those entries are the fill colour: opaque black.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Empty when the file has no palette or a full one: use it as it is.
// bytes must have passed its structure check.
std::vector<uint8_t> BmpWithFullPalette(std::span<const uint8_t> bytes);
std::vector<uint8_t> PngWithFullPalette(std::span<const uint8_t> bytes);
