// Pixels decoded from an image file: rows from the top, eight bits a
// sample, RGB or RGBA.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;             // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels;  // width * height * channels
};

// What a decoder gives: the pixels, or why there are none.
struct DecodeOutcome {
    DecodedImage image;
    std::string error;   // empty on success
    bool ok() const { return error.empty(); }
};
