// The fields of a BMP file's headers the decoder goes by, read and checked
// once for both the structure check and the palette padding.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct BmpHeader {
    uint32_t headerSize = 0;    // of the info header: 12 (OS/2) or 40 to 124
    int width = 0;
    int height = 0;             // rows, whichever way they run
    int bitsPerPixel = 0;
    uint32_t pixelOffset = 0;   // where the rows start
    // Pixels of 8 bits or fewer index a palette between the headers and the
    // rows: this many entries of paletteEntryBytes (3 for OS/2, else 4).
    int paletteEntries = 0;
    int paletteEntryBytes = 4;
    size_t paletteOffset = 0;
};

// Empty when the headers are ones the decoder reads (uncompressed or bit
// fields, 1, 4, 8, 16, 24 or 32 bits, a palette of 1 to 256 entries where
// one is used) and the picture size is within the limits; otherwise why not.
std::string ReadBmpHeader(std::span<const uint8_t> bytes, BmpHeader& header);
