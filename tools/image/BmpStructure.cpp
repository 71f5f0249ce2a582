#include "tools/image/BmpHeader.h"
#include "tools/image/ImageStructure.h"

std::string CheckBmpStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    BmpHeader header;
    if (std::string why = ReadBmpHeader(bytes, header); !why.empty())
        return why;
    const unsigned long long stride = (static_cast<unsigned long long>(header.width) * header.bitsPerPixel + 31) / 32 * 4;
    const unsigned long long needed = header.pixelOffset + stride * static_cast<unsigned long long>(header.height);
    if (needed > bytes.size())
        return "cut off (" + std::to_string(bytes.size()) + " bytes of the " + std::to_string(needed) +
               " its pixels need)";
    layout = {ImageKind::Bmp, header.width, header.height};
    return {};
}
