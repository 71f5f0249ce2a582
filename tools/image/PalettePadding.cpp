#include "tools/image/PalettePadding.h"

#include <zlib.h>

#include "tools/image/BmpHeader.h"
#include "tools/image/ByteCursor.h"

namespace {

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value, bool bigEndian)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = static_cast<uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
}

void AppendU32Be(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

std::vector<uint8_t> BmpWithFullPalette(std::span<const uint8_t> bytes)
{
    BmpHeader header;
    if (!ReadBmpHeader(bytes, header).empty() || header.bitsPerPixel > 8)
        return {};
    // The decoder counts an OS/2 palette as four entries fewer than it holds
    // (it measures from 24 bytes past the info header), so that kind gets
    // four more.
    const int wanted = 256 + (header.headerSize == 12 ? 4 : 0);
    if (header.paletteEntries >= wanted)
        return {};
    const size_t added = size_t(wanted - header.paletteEntries) * size_t(header.paletteEntryBytes);
    const size_t paletteEnd = header.paletteOffset + size_t(header.paletteEntries) * size_t(header.paletteEntryBytes);
    std::vector<uint8_t> out;
    out.reserve(bytes.size() + added);
    out.insert(out.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(paletteEnd));
    out.insert(out.end(), added, uint8_t{0});
    out.insert(out.end(), bytes.begin() + std::ptrdiff_t(paletteEnd), bytes.end());
    PutU32(out, 10, header.pixelOffset + static_cast<uint32_t>(added), false);
    return out;
}

std::vector<uint8_t> PngWithFullPalette(std::span<const uint8_t> bytes)
{
    constexpr uint32_t kPlte = 0x504C5445;
    constexpr uint32_t kIend = 0x49454E44;
    ByteCursor in(bytes, 8);
    std::vector<uint8_t> out;
    while (in.ok()) {
        const size_t start = in.position();
        const uint32_t length = in.U32Be();
        const uint32_t type = in.U32Be();
        if (!in.Skip(length + 4ull))
            return {};
        if (type == kPlte && length < 768) {
            out.reserve(bytes.size() + 768 - length);
            out.assign(bytes.begin(), bytes.begin() + std::ptrdiff_t(start));
            AppendU32Be(out, 768);
            const size_t typeAt = out.size();
            out.insert(out.end(), bytes.begin() + std::ptrdiff_t(start + 4), bytes.begin() + std::ptrdiff_t(start + 8 + length));
            out.insert(out.end(), 768 - length, uint8_t{0});
            AppendU32Be(out, static_cast<uint32_t>(crc32(0, out.data() + typeAt, 4 + 768)));
            out.insert(out.end(), bytes.begin() + std::ptrdiff_t(in.position()), bytes.end());
            return out;
        }
        if (type == kIend)
            break;
    }
    return {};
}
