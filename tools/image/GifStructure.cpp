#include "tools/image/ByteCursor.h"
#include "tools/image/ImageStructure.h"

namespace {

constexpr uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;

// Skips data sub-blocks up to their terminator; their total size, or
// fails the cursor when the file ends first.
unsigned long long SkipSubBlocks(ByteCursor& in)
{
    unsigned long long total = 0;
    while (in.ok()) {
        const uint8_t size = in.U8();
        if (size == 0)
            break;
        in.Skip(size);
        total += size;
    }
    return total;
}

// A code of the compressed data is at least 3 bits and adds at most one
// pixel to a string of at most 4096.
constexpr unsigned long long kMostPixelsPerByte = 8 * 4096 / 3;

}  // namespace

std::string CheckGifStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    ByteCursor in(bytes, 6);
    const uint16_t width = in.U16Le();
    const uint16_t height = in.U16Le();
    const uint8_t flags = in.U8();
    in.Skip(2);   // background colour, aspect
    if (!in.ok())
        return "cut off (its header is incomplete)";
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    if ((flags & 0x80) != 0 && !in.Skip(3u << ((flags & 7) + 1)))
        return "cut off (its colour table is incomplete)";
    // Extensions up to the first frame; only that frame is decoded, and
    // nothing after it is read.
    while (true) {
        const uint8_t block = in.U8();
        if (!in.ok())
            return "cut off (no frame)";
        if (block == kTrailer)
            return "damaged (no frame)";
        if (block == kExtension) {
            in.U8();   // label
            SkipSubBlocks(in);
            continue;
        }
        if (block != kImage)
            return "damaged (an unknown block)";
        const uint16_t left = in.U16Le(), top = in.U16Le(), frameWidth = in.U16Le(), frameHeight = in.U16Le();
        const uint8_t frameFlags = in.U8();
        if ((frameFlags & 0x80) != 0)
            in.Skip(3u << ((frameFlags & 7) + 1));
        const uint8_t codeSize = in.U8();
        const unsigned long long data = SkipSubBlocks(in);
        if (!in.ok())
            return "cut off (its first frame is incomplete)";
        if (left + frameWidth > width || top + frameHeight > height || codeSize < 1 || codeSize > 11)
            return "damaged (its first frame's header is not valid)";
        // The picture is the whole screen, what the frame leaves uncovered
        // being transparent: the frame's data must plausibly fill it.
        if (std::string why = CheckPlausibleData(data, static_cast<unsigned long long>(width) * height,
                                                 kMostPixelsPerByte);
            !why.empty())
            return why;
        break;
    }
    layout = {ImageKind::Gif, width, height};
    return {};
}
