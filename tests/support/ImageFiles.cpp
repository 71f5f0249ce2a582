#include "tests/support/ImageFiles.h"

#include <algorithm>
#include <string>

#include <zlib.h>

namespace testimages {
namespace {

using Bytes = std::vector<uint8_t>;

void Le16(Bytes& out, long long v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Le32(Bytes& out, long long v)
{
    Le16(out, v);
    Le16(out, v >> 16);
}
void Be16(Bytes& out, long long v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
void Be32(Bytes& out, long long v)
{
    Be16(out, v >> 16);
    Be16(out, v);
}
void Text(Bytes& out, const char* text)
{
    out.insert(out.end(), text, text + std::char_traits<char>::length(text));
}

struct DataSize {
    int width;
    int height;
};

DataSize DataFor(const ImageSpec& spec)
{
    const bool small = spec.width >= 1 && spec.width <= 64 && spec.height >= 1 && spec.height <= 64;
    return small ? DataSize{int(spec.width), int(spec.height)} : DataSize{4, 4};
}

uint8_t IndexAt(int x, int y)
{
    return uint8_t(x * 7 + y * 13);
}

void PaletteEntry(int i, uint8_t rgb[3])
{
    rgb[0] = uint8_t(i * 37 + 5);
    rgb[1] = uint8_t(i * 11 + 90);
    rgb[2] = uint8_t(255 - i * 3);
}

void PngChunk(Bytes& out, const char* type, const Bytes& data)
{
    Be32(out, static_cast<long long>(data.size()));
    const size_t start = out.size();
    Text(out, type);
    out.insert(out.end(), data.begin(), data.end());
    Be32(out, static_cast<long long>(crc32(0, out.data() + start, uInt(out.size() - start))));
}

Bytes Png(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    const bool palette = spec.paletteEntries > 0;
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    Be32(ihdr, spec.width);
    Be32(ihdr, spec.height);
    ihdr.push_back(8);
    ihdr.push_back(palette ? 3 : spec.alpha ? 6 : 2);
    ihdr.insert(ihdr.end(), {0, 0, 0});
    PngChunk(out, "IHDR", ihdr);
    if (palette) {
        Bytes plte;
        for (int i = 0; i < spec.paletteEntries; ++i) {
            uint8_t rgb[3];
            PaletteEntry(i, rgb);
            plte.insert(plte.end(), rgb, rgb + 3);
        }
        PngChunk(out, "PLTE", plte);
    }
    Bytes raw;
    for (int y = 0; y < data.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < data.width; ++x) {
            uint8_t rgba[4];
            TrueColourAt(x, y, rgba);
            if (palette)
                raw.push_back(IndexAt(x, y));
            else
                raw.insert(raw.end(), rgba, rgba + (spec.alpha ? 4 : 3));
        }
    }
    uLongf size = compressBound(uLong(raw.size()));
    Bytes idat(size);
    compress2(idat.data(), &size, raw.data(), uLong(raw.size()), 9);
    idat.resize(size);
    PngChunk(out, "IDAT", idat);
    PngChunk(out, "IEND", {});
    return out;
}

// A baseline JPEG of one grey component, coded with tables that give every
// block the DC difference 0 and no AC: a flat mid-grey picture.
Bytes Jpeg(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    Bytes out = {0xFF, 0xD8};
    // Quantisation table 0, all ones.
    out.insert(out.end(), {0xFF, 0xDB, 0x00, 0x43, 0x00});
    out.insert(out.end(), 64, 1);
    // Frame: 8 bits, the declared size, one component sampled 1x1 with table 0.
    out.insert(out.end(), {0xFF, 0xC0, 0x00, 0x0B, 0x08});
    Be16(out, spec.height);
    Be16(out, spec.width);
    out.insert(out.end(), {0x01, 0x01, 0x11, 0x00});
    // DC table 0: one code of length 1 for category 0; AC table 0: one code
    // of length 1 for end-of-block.
    for (uint8_t tableClass : {uint8_t(0x00), uint8_t(0x10)}) {
        out.insert(out.end(), {0xFF, 0xC4, 0x00, 0x14, tableClass, 0x01});
        out.insert(out.end(), 15, 0);
        out.push_back(0x00);
    }
    out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    // Two bits a block (DC category 0, end of block), padded with ones.
    const long long blocks = ((data.width + 7) / 8) * ((data.height + 7) / 8);
    const long long bytes = (blocks * 2 + 7) / 8;
    for (long long i = 0; i < bytes; ++i)
        out.push_back(0x00);
    if (blocks * 2 % 8 != 0)
        out.back() |= uint8_t(0xFF >> (blocks * 2 % 8));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

Bytes Bmp(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    const bool palette = spec.paletteEntries > 0;
    const int bits = palette ? 8 : spec.alpha ? 32 : 24;
    const long long stride = (data.width * bits / 8 + 3) / 4 * 4;
    const long long offset = 14 + 40 + 4ll * spec.paletteEntries;
    Bytes out;
    Text(out, "BM");
    Le32(out, offset + stride * data.height);
    Le32(out, 0);
    Le32(out, offset);
    Le32(out, 40);
    Le32(out, spec.width);
    Le32(out, spec.height);
    Le16(out, 1);
    Le16(out, bits);
    Le32(out, 0);
    Le32(out, stride * data.height);
    Le32(out, 2835);
    Le32(out, 2835);
    Le32(out, spec.paletteEntries);
    Le32(out, 0);
    for (int i = 0; i < spec.paletteEntries; ++i) {
        uint8_t rgb[3];
        PaletteEntry(i, rgb);
        out.insert(out.end(), {rgb[2], rgb[1], rgb[0], 0});
    }
    for (int row = 0; row < data.height; ++row) {
        const int y = spec.height < 0 ? row : data.height - 1 - row;
        const size_t start = out.size();
        for (int x = 0; x < data.width; ++x) {
            uint8_t rgba[4];
            TrueColourAt(x, y, rgba);
            if (palette)
                out.push_back(IndexAt(x, y));
            else
                out.insert(out.end(), {rgba[2], rgba[1], rgba[0]});
            if (bits == 32)
                out.push_back(rgba[3]);
        }
        out.resize(start + size_t(stride), 0);
    }
    return out;
}

// Run-length packets over pixels of pixelBytes: a run of two where two
// neighbours are equal, literal packets of up to 128 otherwise.
Bytes TgaPackets(const Bytes& pixels, size_t pixelBytes)
{
    Bytes out;
    const size_t count = pixels.size() / pixelBytes;
    const auto same = [&](size_t a, size_t b) {
        return std::equal(pixels.begin() + long(a * pixelBytes), pixels.begin() + long((a + 1) * pixelBytes),
                          pixels.begin() + long(b * pixelBytes));
    };
    size_t at = 0;
    while (at < count) {
        if (at + 1 < count && same(at, at + 1)) {
            out.push_back(0x81);
            out.insert(out.end(), pixels.begin() + long(at * pixelBytes), pixels.begin() + long((at + 1) * pixelBytes));
            at += 2;
            continue;
        }
        size_t n = 1;
        while (at + n < count && n < 128 && !(at + n + 1 < count && same(at + n, at + n + 1)))
            ++n;
        out.push_back(uint8_t(n - 1));
        out.insert(out.end(), pixels.begin() + long(at * pixelBytes), pixels.begin() + long((at + n) * pixelBytes));
        at += n;
    }
    return out;
}

Bytes Tga(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    const bool palette = spec.paletteEntries > 0;
    const uint8_t type = uint8_t((palette ? 1 : 2) + (spec.packed ? 8 : 0));
    Bytes out = {0, uint8_t(palette ? 1 : 0), type};
    Le16(out, 0);
    Le16(out, spec.paletteEntries);
    out.push_back(palette ? 24 : 0);
    Le32(out, 0);
    Le16(out, spec.width);
    Le16(out, spec.height);
    out.push_back(palette ? 8 : spec.alpha ? 32 : 24);
    out.push_back(0x20);   // rows from the top
    for (int i = 0; i < spec.paletteEntries; ++i) {
        uint8_t rgb[3];
        PaletteEntry(i, rgb);
        out.insert(out.end(), {rgb[2], rgb[1], rgb[0]});
    }
    Bytes pixels;
    for (int y = 0; y < data.height; ++y) {
        for (int x = 0; x < data.width; ++x) {
            uint8_t rgba[4];
            TrueColourAt(x, y, rgba);
            if (palette)
                pixels.push_back(IndexAt(x, y));
            else
                pixels.insert(pixels.end(), {rgba[2], rgba[1], rgba[0]});
            if (!palette && spec.alpha)
                pixels.push_back(rgba[3]);
        }
    }
    const Bytes coded = spec.packed ? TgaPackets(pixels, palette ? 1 : spec.alpha ? 4 : 3) : pixels;
    out.insert(out.end(), coded.begin(), coded.end());
    return out;
}

// LZW codes of 9 bits, each a pixel's index, with a clear code often
// enough that the code size never grows.
Bytes GifData(const std::vector<uint8_t>& indices)
{
    std::vector<int> codes = {256};
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i > 0 && i % 200 == 0)
            codes.push_back(256);
        codes.push_back(indices[i]);
    }
    codes.push_back(257);
    Bytes packed;
    uint32_t buffer = 0;
    int bits = 0;
    for (int code : codes) {
        buffer |= uint32_t(code) << bits;
        bits += 9;
        while (bits >= 8) {
            packed.push_back(uint8_t(buffer));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.push_back(uint8_t(buffer));
    Bytes out = {8};
    for (size_t at = 0; at < packed.size(); at += 255) {
        const size_t size = std::min<size_t>(255, packed.size() - at);
        out.push_back(uint8_t(size));
        out.insert(out.end(), packed.begin() + long(at), packed.begin() + long(at + size));
    }
    out.push_back(0);
    return out;
}

Bytes Gif(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    // A colour table holds a power of two entries, 2 to 256.
    const int entries = spec.paletteEntries > 0 ? spec.paletteEntries : 256;
    int sizeBits = 0;
    while ((2 << sizeBits) < entries && sizeBits < 7)
        ++sizeBits;
    Bytes out;
    Text(out, "GIF89a");
    Le16(out, spec.width);
    Le16(out, spec.height);
    out.insert(out.end(), {uint8_t(0x80 | 0x70 | sizeBits), 0, 0});
    for (int i = 0; i < (2 << sizeBits); ++i) {
        uint8_t rgb[3];
        PaletteEntry(i, rgb);
        out.insert(out.end(), rgb, rgb + 3);
    }
    out.push_back(0x2C);
    Le32(out, 0);
    Le16(out, data.width);
    Le16(out, data.height);
    out.push_back(0);
    std::vector<uint8_t> indices;
    for (int y = 0; y < data.height; ++y)
        for (int x = 0; x < data.width; ++x)
            indices.push_back(spec.paletteEntries > 0 ? IndexAt(x, y) : uint8_t(x * 16 + y));
    const Bytes lzw = GifData(indices);
    out.insert(out.end(), lzw.begin(), lzw.end());
    out.push_back(0x3B);
    return out;
}

Bytes Psd(const ImageSpec& spec)
{
    const DataSize data = DataFor(spec);
    const int channels = spec.alpha ? 4 : 3;
    Bytes out;
    Text(out, "8BPS");
    Be16(out, 1);
    out.insert(out.end(), 6, 0);
    Be16(out, channels);
    Be32(out, spec.height);
    Be32(out, spec.width);
    Be16(out, 8);
    Be16(out, 3);
    Be32(out, 0);
    Be32(out, 0);
    Be32(out, 0);
    Be16(out, spec.packed ? 1 : 0);
    // The merged picture holds partly transparent colours blended on white.
    std::vector<Bytes> rows;
    for (int c = 0; c < channels; ++c) {
        for (int y = 0; y < data.height; ++y) {
            Bytes row;
            for (int x = 0; x < data.width; ++x) {
                uint8_t rgba[4];
                TrueColourAt(x, y, rgba);
                const int alpha = spec.alpha ? rgba[3] : 255;
                row.push_back(c == 3 ? rgba[3] : uint8_t((rgba[c] * alpha + 255 * (255 - alpha) + 127) / 255));
            }
            rows.push_back(row);
        }
    }
    if (spec.packed) {
        // Each row as PackBits: its first byte repeated once (a run of
        // two covering the first two bytes where they are equal), then
        // literal packets of up to 128.
        for (Bytes& row : rows) {
            Bytes packed;
            size_t at = 0;
            if (row.size() >= 2 && row[0] == row[1]) {
                packed.insert(packed.end(), {uint8_t(257 - 2), row[0]});
                at = 2;
            }
            for (; at < row.size(); at += 128) {
                const size_t n = std::min<size_t>(128, row.size() - at);
                packed.push_back(uint8_t(n - 1));
                packed.insert(packed.end(), row.begin() + long(at), row.begin() + long(at + n));
            }
            row = packed;
        }
        for (const Bytes& row : rows)
            Be16(out, static_cast<long long>(row.size()));
    }
    for (const Bytes& row : rows)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

void TiffEntry(Bytes& out, int tag, int type, long long count, long long value)
{
    Le16(out, tag);
    Le16(out, type);
    Le32(out, count);
    if (type == 3 && count == 1) {
        Le16(out, value);
        Le16(out, 0);
    } else {
        Le32(out, value);
    }
}

Bytes Tiff(const ImageSpec& spec)
{
    if (spec.paletteEntries > 0)
        return {};
    const DataSize data = DataFor(spec);
    const int samples = spec.alpha ? 4 : 3;
    const long long pixelBytes = 1ll * data.width * data.height * samples;
    const int entries = spec.alpha ? 11 : 10;
    const long long ifd = 8;
    const long long bitsAt = ifd + 2 + 12ll * entries + 4;
    const long long pixelsAt = bitsAt + 2 * samples;
    Bytes out = {'I', 'I', 42, 0};
    Le32(out, ifd);
    Le16(out, entries);
    TiffEntry(out, 256, 4, 1, spec.width);
    TiffEntry(out, 257, 4, 1, spec.height);
    TiffEntry(out, 258, 3, samples, bitsAt);
    TiffEntry(out, 259, 3, 1, 1);
    TiffEntry(out, 262, 3, 1, 2);
    TiffEntry(out, 273, 4, 1, pixelsAt);
    TiffEntry(out, 277, 3, 1, samples);
    TiffEntry(out, 278, 4, 1, spec.height);
    TiffEntry(out, 279, 4, 1, pixelBytes);
    TiffEntry(out, 284, 3, 1, 1);
    if (spec.alpha)
        TiffEntry(out, 338, 3, 1, 2);   // unassociated alpha
    Le32(out, 0);
    for (int s = 0; s < samples; ++s)
        Le16(out, 8);
    for (int y = 0; y < data.height; ++y) {
        for (int x = 0; x < data.width; ++x) {
            uint8_t rgba[4];
            TrueColourAt(x, y, rgba);
            out.insert(out.end(), rgba, rgba + samples);
        }
    }
    return out;
}

}  // namespace

void TrueColourAt(int x, int y, uint8_t rgba[4])
{
    rgba[0] = uint8_t(x * 40 + 3);
    rgba[1] = uint8_t(y * 40 + 7);
    rgba[2] = uint8_t((x + y) * 20);
    rgba[3] = uint8_t(255 - x * 10);
}

std::vector<uint8_t> MakeImage(ImageKind kind, const ImageSpec& spec)
{
    switch (kind) {
    case ImageKind::Png:
        return Png(spec);
    case ImageKind::Jpeg:
        return Jpeg(spec);
    case ImageKind::Bmp:
        return Bmp(spec);
    case ImageKind::Tga:
        return Tga(spec);
    case ImageKind::Gif:
        return Gif(spec);
    case ImageKind::Psd:
        return Psd(spec);
    case ImageKind::Tiff:
        return Tiff(spec);
    case ImageKind::Unknown:
        break;
    }
    return {};
}

}  // namespace testimages
