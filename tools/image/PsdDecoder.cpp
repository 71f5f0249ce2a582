#include "tools/image/PsdDecoder.h"

#include <algorithm>

#include "tools/image/ByteCursor.h"
#include "tools/image/PsdHeader.h"

namespace {

// One channel's samples, each stride bytes apart from the next; false when
// the data ends first.
bool ReadRawChannel(ByteCursor& in, int bytesPerSample, size_t count, uint8_t* out, int stride)
{
    for (size_t i = 0; i < count; ++i) {
        out[i * size_t(stride)] = in.U8();
        if (bytesPerSample == 2)
            in.U8();
    }
    return in.ok();
}

// PackBits runs, across rows, until count samples; false when the data
// ends first or a run passes the channel's end.
bool ReadPackedChannel(ByteCursor& in, size_t count, uint8_t* out, int stride)
{
    size_t done = 0;
    while (done < count) {
        const uint8_t length = in.U8();
        if (!in.ok())
            return false;
        if (length == 128)
            continue;
        if (length < 128) {
            const size_t n = size_t(length) + 1;
            if (n > count - done)
                return false;
            for (size_t i = 0; i < n; ++i)
                out[(done + i) * size_t(stride)] = in.U8();
            done += n;
        } else {
            const size_t n = 257 - size_t(length);
            if (n > count - done)
                return false;
            const uint8_t value = in.U8();
            for (size_t i = 0; i < n; ++i)
                out[(done + i) * size_t(stride)] = value;
            done += n;
        }
        if (!in.ok())
            return false;
    }
    return true;
}

// Colours of a partly transparent pixel, stored blended with white, taken
// back off it (clamped: a colour the blend could not have made is kept in
// range).
void RemoveWhiteMatte(std::vector<uint8_t>& pixels)
{
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const int alpha = pixels[i + 3];
        if (alpha == 0 || alpha == 255)
            continue;
        for (size_t c = 0; c < 3; ++c) {
            const int colour = (int(pixels[i + c]) * 255 - 255 * (255 - alpha) + alpha / 2) / alpha;
            pixels[i + c] = static_cast<uint8_t>(std::clamp(colour, 0, 255));
        }
    }
}

}  // namespace

DecodeOutcome DecodePsd(std::span<const uint8_t> bytes)
{
    PsdHeader header;
    if (std::string why = ReadPsdHeader(bytes, header); !why.empty())
        return {{}, why};
    DecodedImage image;
    image.width = header.width;
    image.height = header.height;
    image.channels = header.channels >= 4 ? 4 : 3;
    const size_t count = size_t(header.width) * size_t(header.height);
    image.pixels.resize(count * size_t(image.channels));
    ByteCursor in(bytes, header.dataOffset);
    for (int channel = 0; channel < image.channels; ++channel) {
        uint8_t* out = image.pixels.data() + channel;
        const bool read = header.compression == 0 ? ReadRawChannel(in, header.depth / 8, count, out, image.channels)
                                                  : ReadPackedChannel(in, count, out, image.channels);
        if (!read)
            return {{}, "cut off (its pixel data ends early)"};
    }
    if (image.channels == 4)
        RemoveWhiteMatte(image.pixels);
    return {std::move(image), {}};
}
