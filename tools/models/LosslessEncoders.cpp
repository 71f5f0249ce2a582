#include "tools/models/LosslessEncoders.h"

#include <cstddef>

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

bool Fits(int width, int height, uint64_t bytesPerRow)
{
    return width > 0 && height > 0 && bytesPerRow * static_cast<uint64_t>(height) + 1024 <= UINT32_MAX;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const uint8_t* pixels, int width, int height, int channels)
{
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    std::vector<uint8_t> out;
    if (!Fits(width, height, rowBytes) || (channels != 3 && channels != 4))
        return out;
    constexpr uint32_t kHeaders = 14 + 40;
    const auto imageBytes = static_cast<uint32_t>(rowBytes * static_cast<uint64_t>(height));
    out.reserve(kHeaders + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, kHeaders + imageBytes);
    PutU32(out, 0);          // reserved
    PutU32(out, kHeaders);   // where the rows start
    PutU32(out, 40);         // the info header's size
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(height));   // positive: rows bottom up
    PutU16(out, 1);          // planes
    PutU16(out, 24);         // bits a pixel
    PutU32(out, 0);          // no compression
    PutU32(out, imageBytes);
    PutU32(out, 2835);       // 72 dots an inch
    PutU32(out, 2835);
    PutU32(out, 0);          // no palette
    PutU32(out, 0);
    for (int row = height - 1; row >= 0; --row) {
        const uint8_t* p = pixels + static_cast<size_t>(row) * static_cast<size_t>(width) * static_cast<size_t>(channels);
        for (int x = 0; x < width; ++x, p += channels) {
            out.push_back(p[2]);   // blue, green, red
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        for (uint64_t pad = static_cast<uint64_t>(width) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> EncodeTiff(const uint8_t* pixels, int width, int height, int channels)
{
    const uint64_t rowBytes = static_cast<uint64_t>(width) * 3;
    std::vector<uint8_t> out;
    if (!Fits(width, height, rowBytes) || (channels != 3 && channels != 4))
        return out;
    const auto imageBytes = static_cast<uint32_t>(rowBytes * static_cast<uint64_t>(height));
    // Little-endian header, then the pixels, then the directory and the
    // three bits-per-sample values it points to.
    constexpr uint16_t kEntries = 10;
    out.push_back('I');
    out.push_back('I');
    PutU16(out, 42);
    const uint32_t pixelsAt = 8;
    const uint32_t directoryAt = pixelsAt + imageBytes + (imageBytes & 1);
    const uint32_t bitsAt = directoryAt + 2 + kEntries * 12 + 4;
    PutU32(out, directoryAt);
    out.reserve(bitsAt + 6);
    for (int row = 0; row < height; ++row) {
        const uint8_t* p = pixels + static_cast<size_t>(row) * static_cast<size_t>(width) * static_cast<size_t>(channels);
        for (int x = 0; x < width; ++x, p += channels)
            out.insert(out.end(), p, p + 3);
    }
    if (imageBytes & 1)
        out.push_back(0);   // the directory starts on a word boundary
    PutU16(out, kEntries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        PutU16(out, tag);
        PutU16(out, type);
        PutU32(out, count);
        if (type == 3 && count == 1) {   // a SHORT sits in the value's first two bytes
            PutU16(out, value);
            PutU16(out, 0);
        } else {
            PutU32(out, value);
        }
    };
    constexpr uint16_t kShort = 3;
    constexpr uint16_t kLong = 4;
    entry(256, kLong, 1, static_cast<uint32_t>(width));    // ImageWidth
    entry(257, kLong, 1, static_cast<uint32_t>(height));   // ImageLength
    entry(258, kShort, 3, bitsAt);                         // BitsPerSample: 8, 8, 8
    entry(259, kShort, 1, 1);                              // Compression: none
    entry(262, kShort, 1, 2);                              // PhotometricInterpretation: RGB
    entry(273, kLong, 1, pixelsAt);                        // StripOffsets
    entry(277, kShort, 1, 3);                              // SamplesPerPixel
    entry(278, kLong, 1, static_cast<uint32_t>(height));   // RowsPerStrip: all
    entry(279, kLong, 1, imageBytes);                      // StripByteCounts
    entry(284, kShort, 1, 1);                              // PlanarConfiguration: interleaved
    PutU32(out, 0);                                        // no further directory
    for (int sample = 0; sample < 3; ++sample)
        PutU16(out, 8);
    return out;
}
