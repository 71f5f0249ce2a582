#include "tools/image/BmpHeader.h"

#include "tools/image/ByteCursor.h"
#include "tools/image/ImageLayout.h"

namespace {
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kUncompressed = 0, kBitFields = 3;
}  // namespace

std::string ReadBmpHeader(std::span<const uint8_t> bytes, BmpHeader& header)
{
    ByteCursor in(bytes, 10);
    header.pixelOffset = in.U32Le();
    header.headerSize = in.U32Le();
    const uint32_t size = header.headerSize;
    if (size != 12 && size != 40 && size != 56 && size != 108 && size != 124)
        return in.ok() ? "a BMP header the tool does not read" : "cut off (its headers are incomplete)";
    long long width = 0, height = 0;
    uint32_t compression = kUncompressed;
    if (size == 12) {
        width = in.U16Le();
        height = in.U16Le();
    } else {
        width = static_cast<int32_t>(in.U32Le());
        height = static_cast<int32_t>(in.U32Le());
    }
    const uint16_t planes = in.U16Le();
    header.bitsPerPixel = in.U16Le();
    if (size != 12)
        compression = in.U32Le();
    if (!in.ok() || bytes.size() < kFileHeaderBytes + size)
        return "cut off (its headers are incomplete)";
    if (planes != 1)
        return "damaged (its plane count is not 1)";
    // Rows run downwards when the height is negative.
    if (height < 0)
        height = -height;
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);
    const int bits = header.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "a BMP pixel size the tool does not read (" + std::to_string(bits) + " bits)";
    if (compression != kUncompressed && !(compression == kBitFields && (bits == 16 || bits == 32)))
        return "a compressed BMP the tool does not read";
    // A 40-byte header with bit fields has three masks after it.
    const uint32_t masks = size == 40 && compression == kBitFields ? 12 : 0;
    const uint64_t headersEnd = uint64_t{kFileHeaderBytes} + size + masks;
    if (header.pixelOffset < headersEnd || header.pixelOffset > bytes.size())
        return "damaged (its pixel offset is outside the file)";
    if (bits <= 8) {
        header.paletteEntryBytes = size == 12 ? 3 : 4;
        header.paletteOffset = kFileHeaderBytes + size;
        header.paletteEntries = static_cast<int>((header.pixelOffset - headersEnd) / header.paletteEntryBytes);
        if (header.paletteEntries < 1 || header.paletteEntries > 256)
            return "damaged (its palette holds " + std::to_string(header.paletteEntries) + " colours)";
    }
    return {};
}
