#include "tools/image/ByteCursor.h"
#include "tools/image/ImageLimits.h"
#include "tools/image/ImageStructure.h"

std::string CheckPsdStructure(std::span<const uint8_t> bytes, ImageLayout& layout)
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
    if (channels < 1 || channels > kMaxPsdChannels)
        return "damaged (" + std::to_string(channels) + " channels; at most " + std::to_string(kMaxPsdChannels) + ")";
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    if ((depth != 8 && depth != 16) || mode != 3)
        return "a PSD the tool does not read (only 8- or 16-bit RGB)";
    // Colour mode data, image resources, then layers and masks: skipped
    // unread, each by its length.
    for (int section = 0; section < 3; ++section) {
        if (!in.Skip(in.U32Be()))
            return "cut off (a section runs past the end of the file)";
    }
    const uint16_t compression = in.U16Be();
    if (!in.ok())
        return "cut off (no merged picture)";
    const unsigned long long rows = static_cast<unsigned long long>(channels) * height;
    const unsigned long long rowBytes = static_cast<unsigned long long>(width) * (depth / 8);
    if (compression == 0) {
        if (in.remaining() < rows * rowBytes)
            return "cut off (" + std::to_string(in.remaining()) + " bytes of the " + std::to_string(rows * rowBytes) +
                   " its pixels need)";
    } else if (compression == 1 && depth == 8) {
        // A count of two bytes a row, then runs of at most 128 bytes, two
        // bytes each.
        unsigned long long packed = 0;
        for (unsigned long long row = 0; row < rows && in.ok(); ++row)
            packed += in.U16Be();
        if (!in.ok() || packed > in.remaining())
            return "cut off (its rows run past the end of the file)";
        if (std::string why = CheckPlausibleData(packed, rows * ((width + 127) / 128) * 2, 1); !why.empty())
            return why;
    } else {
        return "a PSD compression the tool does not read";
    }
    layout = {ImageKind::Psd, static_cast<int>(width), static_cast<int>(height)};
    return {};
}
