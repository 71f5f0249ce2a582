#include "tools/image/ImageStructure.h"
#include "tools/image/PsdHeader.h"

std::string CheckPsdStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
{
    PsdHeader header;
    if (std::string why = ReadPsdHeader(bytes, header); !why.empty())
        return why;
    const size_t available = bytes.size() - header.dataOffset;
    const unsigned long long rows = static_cast<unsigned long long>(header.channels) * header.height;
    const unsigned long long rowBytes = static_cast<unsigned long long>(header.width) * (header.depth / 8);
    if (header.compression == 0 && available < rows * rowBytes)
        return "cut off (" + std::to_string(available) + " bytes of the " + std::to_string(rows * rowBytes) +
               " its pixels need)";
    if (header.compression == 1) {
        if (header.packedBytes > available)
            return "cut off (its rows run past the end of the file)";
        // A run of at most 128 bytes costs two.
        if (std::string why = CheckPlausibleData(header.packedBytes, rows * ((header.width + 127) / 128) * 2, 1);
            !why.empty())
            return why;
    }
    layout = {ImageKind::Psd, header.width, header.height};
    return {};
}
