#include "tools/export/ImagePacker.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include <stb_image.h>
#include <stb_image_write.h>

#include "tools/export/TiffLibrary.h"

namespace {

// Image files larger than this are not read into memory.
constexpr std::uintmax_t kMaxImageFileBytes = 256u << 20;

bool StartsWith(const std::vector<unsigned char>& bytes, std::initializer_list<unsigned char> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool IsPng(const std::vector<unsigned char>& bytes)
{
    return StartsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
}

bool IsJpeg(const std::vector<unsigned char>& bytes)
{
    return StartsWith(bytes, {0xFF, 0xD8, 0xFF});
}

bool IsTiff(const std::vector<unsigned char>& bytes)
{
    return StartsWith(bytes, {'I', 'I', 42, 0}) || StartsWith(bytes, {'M', 'M', 0, 42});
}

bool SizeAllowed(int width, int height)
{
    return width > 0 && height > 0 && static_cast<long long>(width) * height <= kMaxImagePixels;
}

PackedImage Failed(std::string why)
{
    PackedImage image;
    image.error = std::move(why);
    return image;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

PackedImage EncodePng(const unsigned char* pixels, int width, int height, int channels)
{
    PackedImage image;
    if (stbi_write_png_to_func(AppendBytes, &image.bytes, width, height, channels, pixels, width * channels) == 0 ||
        image.bytes.empty()) {
        return Failed("cannot encode it as PNG");
    }
    image.mimeType = "image/png";
    image.width = width;
    image.height = height;
    image.reencoded = true;
    return image;
}

// PNG and JPEG pass through once their header gives a sane size.
PackedImage PassThrough(std::vector<unsigned char> bytes, const char* mimeType)
{
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels))
        return Failed(std::string("not a readable ") + (std::strcmp(mimeType, "image/png") == 0 ? "PNG" : "JPEG") +
                      " image");
    if (!SizeAllowed(width, height))
        return Failed("image too large");
    PackedImage image;
    image.bytes = std::move(bytes);
    image.mimeType = mimeType;
    image.width = width;
    image.height = height;
    return image;
}

PackedImage DecodeWithStb(const std::vector<unsigned char>& bytes)
{
    const int size = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), size, &width, &height, &channels))
        return Failed("not an image format that can be read (PNG, JPEG, BMP, TGA, GIF, PSD, TIFF)");
    if (!SizeAllowed(width, height))
        return Failed("image too large");
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), size, &width, &height, &channels, 0), stbi_image_free);
    if (!pixels)
        return Failed(std::string("cannot decode it: ") + stbi_failure_reason());
    return EncodePng(pixels.get(), width, height, channels);
}

// libtiff reads from memory through these; the buffer outlives the handle.
struct TiffSource {
    const std::vector<unsigned char>& bytes;
    toff_t position = 0;
};

tsize_t TiffRead(thandle_t handle, tdata_t data, tsize_t size)
{
    auto* source = static_cast<TiffSource*>(handle);
    const toff_t left = source->position < source->bytes.size() ? source->bytes.size() - source->position : 0;
    const toff_t count = std::min<toff_t>(left, static_cast<toff_t>(size < 0 ? 0 : size));
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
    toff_t base = whence == SEEK_CUR ? source->position : whence == SEEK_END ? source->bytes.size() : 0;
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

PackedImage DecodeTiff(const std::vector<unsigned char>& bytes)
{
    std::string error;
    const TiffLibrary* library = LoadTiffLibrary(error);
    if (library == nullptr)
        return Failed("TIFF images cannot be read here: " + error);
    const TiffLibrary& libtiff = *library;
    TiffSource source{bytes};
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(
        libtiff.TIFFClientOpen("image", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                           TiffUnmap),
        libtiff.TIFFClose);
    if (!tiff)
        return Failed("not a readable TIFF image");
    uint32_t width = 0, height = 0;
    libtiff.TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    libtiff.TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        !SizeAllowed(static_cast<int>(width), static_cast<int>(height)))
        return Failed("TIFF image too large or empty");
    std::vector<uint32_t> raster(static_cast<size_t>(width) * height);
    if (!libtiff.TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return Failed("cannot decode the TIFF image");
    bool opaque = true;
    for (uint32_t pixel : raster)
        opaque = opaque && TIFFGetA(pixel) == 255;
    const int channels = opaque ? 3 : 4;
    std::vector<unsigned char> pixels;
    pixels.reserve(raster.size() * static_cast<size_t>(channels));
    for (uint32_t pixel : raster) {
        pixels.push_back(static_cast<unsigned char>(TIFFGetR(pixel)));
        pixels.push_back(static_cast<unsigned char>(TIFFGetG(pixel)));
        pixels.push_back(static_cast<unsigned char>(TIFFGetB(pixel)));
        if (!opaque)
            pixels.push_back(static_cast<unsigned char>(TIFFGetA(pixel)));
    }
    return EncodePng(pixels.data(), static_cast<int>(width), static_cast<int>(height), channels);
}

}  // namespace

PackedImage PackImageBytes(std::vector<unsigned char> bytes)
{
    if (bytes.empty())
        return Failed("empty file");
    if (IsPng(bytes))
        return PassThrough(std::move(bytes), "image/png");
    if (IsJpeg(bytes))
        return PassThrough(std::move(bytes), "image/jpeg");
    if (IsTiff(bytes))
        return DecodeTiff(bytes);
    return DecodeWithStb(bytes);
}

PackedImage PackImage(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return Failed(error.message());
    if (size > kMaxImageFileBytes)
        return Failed("file too large for an image");
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return Failed("cannot read it");
    return PackImageBytes(std::move(bytes));
}
