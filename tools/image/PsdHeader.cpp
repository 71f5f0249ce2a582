#include "tools/image/PsdHeader.h"

#include "tools/image/ByteCursor.h"
#include "tools/image/ImageLayout.h"
#include "tools/image/ImageLimits.h"

std::string ReadPsdHeader(std::span<const uint8_t> bytes, PsdHeader& header)
{
    ByteCursor in(bytes, 4);
    const uint16_t version = in.U16Be();
    in.Skip(6);
    const uint16_t channels = in.U16Be();
    const uint32_t height = in.U32Be();
    const uint32_t width = in.U32Be();
    const uint16_t depth = in.U16Be();
    const uint16_t mode = in.U16Be();
    if (!in.ok())
        return "cut off (its header is incomplete)";
    if (version != 1)
        return "a PSD version the tool does not read";
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    if ((depth != 8 && depth != 16) || mode != 3)
        return "a PSD the tool does not read (only 8- or 16-bit RGB)";
    if (channels < 3 || channels > kMaxPsdChannels)
        return "damaged (" + std::to_string(channels) + " channels of RGB; 3 to " + std::to_string(kMaxPsdChannels) +
               ")";
    for (int section = 0; section < 3; ++section) {
        if (!in.Skip(in.U32Be()))
            return "cut off (a section runs past the end of the file)";
    }
    const uint16_t compression = in.U16Be();
    if (!in.ok())
        return "cut off (no merged picture)";
    if (compression > 1 || (compression == 1 && depth != 8))
        return "a PSD compression the tool does not read";
    header = {channels, static_cast<int>(width), static_cast<int>(height), depth, compression, 0, 0};
    if (compression == 1) {
        // A count of two bytes for each row of each channel.
        const uint64_t rows = uint64_t{channels} * height;
        for (uint64_t row = 0; row < rows && in.ok(); ++row)
            header.packedBytes += in.U16Be();
        if (!in.ok())
            return "cut off (its row counts are incomplete)";
    }
    header.dataOffset = in.position();
    return {};
}
