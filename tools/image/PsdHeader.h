// The fields of a PSD file the tool goes by: its header, and where the
// merged picture's data starts past the three sections it skips unread
// (colour mode data, image resources, layers and masks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct PsdHeader {
    int channels = 0;      // 3 (RGB) to kMaxPsdChannels; the first four are read
    int width = 0;
    int height = 0;
    int depth = 8;         // bits a sample: 8 or 16
    int compression = 0;   // 0 raw, 1 run-length (PackBits)
    size_t dataOffset = 0; // the merged picture (after the row counts when run-length)
    uint64_t packedBytes = 0;   // run-length: the sum of the row counts
};

// Empty when the file is a version-1 RGB PSD of 8 or 16 bits, raw or
// run-length (8 bits), its size within the limits and its sections within
// the file; otherwise why not.
std::string ReadPsdHeader(std::span<const uint8_t> bytes, PsdHeader& header);
