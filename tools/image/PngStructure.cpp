#include <zlib.h>

#include "tools/image/ByteCursor.h"
#include "tools/image/ImageStructure.h"

namespace {

constexpr uint32_t ChunkType(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(uint8_t(a)) << 24 | static_cast<uint32_t>(uint8_t(b)) << 16 |
           static_cast<uint32_t>(uint8_t(c)) << 8 | uint8_t(d);
}

constexpr uint32_t kIhdr = ChunkType('I', 'H', 'D', 'R');
constexpr uint32_t kPlte = ChunkType('P', 'L', 'T', 'E');
constexpr uint32_t kIdat = ChunkType('I', 'D', 'A', 'T');
constexpr uint32_t kIend = ChunkType('I', 'E', 'N', 'D');

// A deflate stream packs at most 1032 bytes into one.
constexpr unsigned long long kDeflateRatio = 1032;

// Samples a pixel has for each colour type, 0 for an invalid type.
int SamplesOf(uint8_t colourType)
{
    switch (colourType) {
    case 0:
    case 3:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 0;
    }
}

bool DepthAllowed(uint8_t colourType, uint8_t depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default:
        return depth == 8 || depth == 16;
    }
}

}  // namespace

std::string CheckPngStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    ByteCursor in(bytes, 8);
    bool first = true;
    uint8_t colourType = 0, depth = 0;
    uint32_t width = 0, height = 0, paletteEntries = 0;
    unsigned long long imageData = 0;
    while (true) {
        const size_t start = in.position();
        const uint32_t length = in.U32Be();
        const uint32_t type = in.U32Be();
        if (!in.ok() || length > 0x7FFFFFFFu || length + 4ull > in.remaining())
            return "cut off (a chunk runs past the end of the file)";
        ByteCursor data(bytes.subspan(start + 8, length));
        in.Skip(length);
        const uint32_t storedCrc = in.U32Be();
        const uLong crc = crc32(0, bytes.data() + start + 4, length + 4);
        if (crc != storedCrc)
            return "damaged (a chunk's checksum is wrong)";
        if (first != (type == kIhdr))
            return "damaged (IHDR is not the first chunk, or comes twice)";
        first = false;
        if (type == kIhdr) {
            width = data.U32Be();
            height = data.U32Be();
            depth = data.U8();
            colourType = data.U8();
            const uint8_t compression = data.U8(), filter = data.U8(), interlace = data.U8();
            if (length != 13 || SamplesOf(colourType) == 0 || !DepthAllowed(colourType, depth) || compression != 0 ||
                filter != 0 || interlace > 1)
                return "damaged (its IHDR chunk is not valid)";
            if (std::string why = CheckPictureSize(width, height); !why.empty())
                return why;
        } else if (type == kPlte) {
            if (length == 0 || length % 3 != 0 || length > 768 || paletteEntries != 0 || imageData != 0)
                return "damaged (its PLTE chunk is not valid)";
            paletteEntries = length / 3;
        } else if (type == kIdat) {
            imageData += length;
        } else if (type == kIend) {
            break;
        } else if ((type & 0x20000000u) == 0) {
            return "uses a critical chunk the tool does not know";
        }
    }
    if (imageData == 0)
        return "damaged (no image data)";
    if (colourType == 3 && paletteEntries == 0)
        return "damaged (a palette image without a palette)";
    // Without interlacing each row is a filter byte and its samples; the
    // interlaced passes need a little more.
    const unsigned long long rowBytes = (static_cast<unsigned long long>(width) * SamplesOf(colourType) * depth + 7) / 8;
    if (std::string why = CheckPlausibleData(imageData, height * (rowBytes + 1), kDeflateRatio); !why.empty())
        return why;
    layout = {ImageKind::Png, static_cast<int>(width), static_cast<int>(height)};
    return {};
}
