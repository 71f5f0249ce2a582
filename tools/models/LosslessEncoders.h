// Pixels written as the lossless image files the host shows: BMP (24 bits a
// pixel, rows bottom up, each padded to four bytes) and baseline TIFF (RGB,
// eight bits a sample, uncompressed, one strip). An alpha channel is
// dropped: the host's materials have no transparency.
#pragma once

#include <cstdint>
#include <vector>

// pixels: rows from the top, channels (3 or 4) bytes a pixel. Empty when
// the file would pass what its format can count (4 GiB).
std::vector<uint8_t> EncodeBmp(const uint8_t* pixels, int width, int height, int channels);
std::vector<uint8_t> EncodeTiff(const uint8_t* pixels, int width, int height, int channels);
