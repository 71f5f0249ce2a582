// Small image files of every kind the tool reads, made by field so a test
// says what a file holds rather than its bytes: a picture of a declared size
// (which the data need not match, to make a header that lies), a palette of
// a chosen number of entries with pixels indexing all 256, and alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/image/ImageKind.h"

namespace testimages {

struct ImageSpec {
    // As the header declares them, written as the field's own width (a
    // negative value as its two's complement). The pixel data is written
    // for this size when each side is 1 to 64, else for 4 x 4.
    long long width = 4;
    long long height = 4;
    // Palette kinds (PNG, BMP, TGA, GIF): this many entries, pixel values
    // running over 0..255. 0: true colour.
    int paletteEntries = 0;
    bool alpha = false;
    // TGA and PSD: run-length (PackBits) coded, in runs and literal packets.
    bool packed = false;
};

// The file; empty for a kind that cannot hold the spec (a TIFF palette).
std::vector<uint8_t> MakeImage(ImageKind kind, const ImageSpec& spec);

// The pixel a made image holds at (x, y) of its data, RGBA, for true colour.
void TrueColourAt(int x, int y, uint8_t rgba[4]);

}  // namespace testimages
