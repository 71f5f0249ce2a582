#include "tools/image/ByteCursor.h"
#include "tools/image/ImageStructure.h"

std::string CheckTgaStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    ByteCursor in(bytes);
    const uint8_t idLength = in.U8();
    in.U8();   // colour map type, checked when the kind was told
    const uint8_t type = in.U8();
    in.U16Le();   // first colour map entry
    const uint16_t mapEntries = in.U16Le();
    const uint8_t mapBits = in.U8();
    in.Skip(4);   // origin
    const uint16_t width = in.U16Le();
    const uint16_t height = in.U16Le();
    const uint8_t bits = in.U8();
    in.U8();   // descriptor
    if (!in.ok())
        return "cut off (its header is incomplete)";
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    const bool mapped = (type & 7) == 1;
    if (mapped && mapEntries == 0)
        return "damaged (an empty colour map)";
    if (!in.Skip(idLength + uint64_t{mapEntries} * ((mapBits + 7u) / 8)))
        return "cut off (its colour map is incomplete)";
    const unsigned long long pixelBytes = (bits + 7u) / 8;
    const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    if (type >= 8) {
        // Packets of up to 128 pixels: a count byte, then one pixel for the
        // whole run or each pixel in turn. Walked to the last pixel, so a
        // file cut short is refused rather than decoded with a black end.
        unsigned long long covered = 0;
        while (covered < pixels) {
            const uint8_t count = in.U8();
            const unsigned long long n = (count & 0x7Fu) + 1;
            if (!in.Skip((count & 0x80) != 0 ? pixelBytes : n * pixelBytes))
                return "cut off (its run-length data ends before its last pixel)";
            covered += n;
        }
    } else if (in.remaining() < pixels * pixelBytes) {
        return "cut off (" + std::to_string(in.remaining()) + " bytes of the " + std::to_string(pixels * pixelBytes) +
               " its pixels need)";
    }
    layout = {ImageKind::Tga, width, height};
    return {};
}
