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
        // A run-length packet is a count byte and one pixel for up to 128.
        if (std::string why = CheckPlausibleData(in.remaining(), (pixels + 127) / 128 * (1 + pixelBytes), 1);
            !why.empty())
            return why;
    } else if (in.remaining() < pixels * pixelBytes) {
        return "cut off (" + std::to_string(in.remaining()) + " bytes of the " + std::to_string(pixels * pixelBytes) +
               " its pixels need)";
    }
    layout = {ImageKind::Tga, width, height};
    return {};
}
