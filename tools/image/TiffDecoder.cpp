#include "tools/image/TiffDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "tools/image/ImageLimits.h"
#include "tools/image/TiffLibrary.h"

namespace {

// libtiff reads from memory through these; the bytes outlive the handle.
struct TiffSource {
    std::span<const uint8_t> bytes;
    toff_t position = 0;
};

tsize_t TiffRead(thandle_t handle, tdata_t data, tsize_t size)
{
    auto* source = static_cast<TiffSource*>(handle);
    const toff_t left = source->position < source->bytes.size() ? source->bytes.size() - source->position : 0;
    const toff_t count = std::min<toff_t>(left, static_cast<toff_t>(size < 0 ? 0 : size));
    if (count > 0)
        std::memcpy(data, source->bytes.data() + source->position, count);
    source->position += count;
    return static_cast<tsize_t>(count);
}

tsize_t TiffWrite(thandle_t, tdata_t, tsize_t)
{
    return 0;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* source = static_cast<TiffSource*>(handle);
    const toff_t base = whence == SEEK_CUR ? source->position : whence == SEEK_END ? source->bytes.size() : 0;
    source->position = base + offset;
    return source->position;
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffSize(thandle_t handle)
{
    return static_cast<TiffSource*>(handle)->bytes.size();
}

int TiffMap(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void TiffUnmap(thandle_t, tdata_t, toff_t) {}

// The most bytes of pixels one byte of each coding the tool reads can
// give; 0 for codings it does not read. Bilevel fax coding can give a row
// for one bit; a JPEG block of 64 samples costs a bit at least.
unsigned long long MostBytesPerByte(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_PACKBITS:
        return 64;
    case COMPRESSION_JPEG:
        return 512;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return 1032;
    case COMPRESSION_LZW:
        return 4096;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return 8192;
    default:
        return 0;
    }
}

std::string CheckDirectory(const TiffLibrary& libtiff, TIFF* tiff, std::span<const uint8_t> bytes,
                           ImageLayout& layout)
{
    uint32_t width = 0, height = 0;
    uint16_t compression = COMPRESSION_NONE, samples = 1, bits = 1;
    libtiff.TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    libtiff.TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    libtiff.TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    libtiff.TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    libtiff.TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    if (std::string why = CheckPictureSize(width, height); !why.empty())
        return why;
    const unsigned long long ratio = MostBytesPerByte(compression);
    if (ratio == 0)
        return "a TIFF compression the tool does not read (" + std::to_string(compression) + ")";
    const bool tiled = libtiff.TIFFIsTiled(tiff) != 0;
    const uint64_t pieces = tiled ? libtiff.TIFFNumberOfTiles(tiff) : libtiff.TIFFNumberOfStrips(tiff);
    if (pieces == 0 || pieces > kMaxTiffStrips)
        return "damaged (" + std::to_string(pieces) + (tiled ? " tiles" : " strips") + "; at most " +
               std::to_string(kMaxTiffStrips) + ")";
    uint64_t* counts = nullptr;
    if (!libtiff.TIFFGetField(tiff, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) ||
        counts == nullptr)
        return "damaged (no byte counts)";
    unsigned long long data = 0;
    for (uint64_t i = 0; i < pieces; ++i)
        data += std::min<uint64_t>(counts[i], bytes.size());
    const unsigned long long raw = (static_cast<unsigned long long>(width) * samples * bits + 7) / 8 * height;
    if (std::string why = CheckPlausibleData(std::min<unsigned long long>(data, bytes.size()), raw, ratio);
        !why.empty())
        return why;
    layout = {ImageKind::Tiff, static_cast<int>(width), static_cast<int>(height)};
    return {};
}

DecodedImage FromRaster(const std::vector<uint32_t>& raster, int width, int height)
{
    const bool opaque = std::all_of(raster.begin(), raster.end(), [](uint32_t p) { return TIFFGetA(p) == 255; });
    DecodedImage image{width, height, opaque ? 3 : 4, {}};
    image.pixels.resize(raster.size() * size_t(image.channels));
    uint8_t* out = image.pixels.data();
    // libtiff hands colours premultiplied by alpha; PNG holds them apart.
    for (uint32_t pixel : raster) {
        const uint32_t alpha = TIFFGetA(pixel);
        for (uint32_t colour : {TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel)})
            *out++ = static_cast<uint8_t>(alpha == 255 || alpha == 0 ? colour
                                                                     : std::min<uint32_t>(255, (colour * 255 + alpha / 2) / alpha));
        if (!opaque)
            *out++ = static_cast<uint8_t>(alpha);
    }
    return image;
}

}  // namespace

DecodeOutcome ReadTiff(std::span<const uint8_t> bytes, ImageLayout& layout, bool decode)
{
    std::string error;
    const TiffLibrary* library = LoadTiffLibrary(error);
    if (library == nullptr)
        return {{}, "TIFF images cannot be read here: " + error};
    const TiffLibrary& libtiff = *library;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(libtiff.TIFFOpenOptionsAlloc(),
                                                                         libtiff.TIFFOpenOptionsFree);
    if (!options)
        return {{}, "out of memory"};
    // No single buffer of libtiff's may pass the largest decoded picture.
    libtiff.TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxDecodedBytes));
    TiffSource source{bytes};
    // "m": read through the functions above, never a mapping.
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(
        libtiff.TIFFClientOpenExt("image", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                                  TiffMap, TiffUnmap, options.get()),
        libtiff.TIFFClose);
    if (!tiff)
        return {{}, "damaged (not a readable TIFF file)"};
    if (std::string why = CheckDirectory(libtiff, tiff.get(), bytes, layout); !why.empty())
        return {{}, why};
    if (!decode)
        return {};
    std::vector<uint32_t> raster(size_t(layout.width) * size_t(layout.height));
    // Stops at the first damaged strip or tile, rather than leaving part of
    // the picture unset.
    if (!libtiff.TIFFReadRGBAImageOriented(tiff.get(), uint32_t(layout.width), uint32_t(layout.height),
                                           raster.data(), ORIENTATION_TOPLEFT, 1))
        return {{}, "cannot be decoded (damaged or of a kind libtiff does not turn into RGBA)"};
    return {FromRaster(raster, layout.width, layout.height), {}};
}
