// One structure check per kind of image file the decoders read (TIFF is
// checked through libtiff as it is opened, TiffDecoder.h). Each walks the
// file's own framing without decoding pixels and returns an empty string
// with layout filled when the file is whole (nothing cut off, every
// checksum right), within the limits (ImageLimits.h) and holding at least
// the data its picture size needs; otherwise the reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/image/ImageLayout.h"

// Chunks and their checksums up to IEND; IHDR first; no unknown critical
// chunk.
std::string CheckPngStructure(std::span<const uint8_t> bytes, ImageLayout& layout);
// Markers and entropy-coded scans up to EOI; baseline, extended or
// progressive Huffman coding; at most kMaxJpegScans scans.
std::string CheckJpegStructure(std::span<const uint8_t> bytes, ImageLayout& layout);
// Headers of 12 to 124 bytes, 1 to 32 bits a pixel, uncompressed or bit
// fields, every row of pixels present.
std::string CheckBmpStructure(std::span<const uint8_t> bytes, ImageLayout& layout);
// The header, colour map and, for raw pixels, every pixel present.
std::string CheckTgaStructure(std::span<const uint8_t> bytes, ImageLayout& layout);
// Blocks up to the end of the first frame's data.
std::string CheckGifStructure(std::span<const uint8_t> bytes, ImageLayout& layout);
// Version 1, RGB, 8 or 16 bits, sections within the file, the merged
// picture's data present.
std::string CheckPsdStructure(std::span<const uint8_t> bytes, ImageLayout& layout);

// The check for a kind; nullptr for Unknown and TIFF.
using StructureCheck = std::string (*)(std::span<const uint8_t>, ImageLayout&);
StructureCheck StructureCheckFor(ImageKind kind);
