// Images made ready for the output: PNG and JPEG byte for byte, other
// formats re-encoded as PNG with the same pixels, and anything else refused
// with a reason rather than decoded at any cost.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>
#include <tiffio.h>

#include "TempFolder.h"
#include "tools/export/ImagePacker.h"

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 4;

std::vector<unsigned char> Pixels()
{
    std::vector<unsigned char> rgb;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        rgb.push_back(static_cast<unsigned char>(i * 7));
        rgb.push_back(static_cast<unsigned char>(255 - i * 5));
        rgb.push_back(static_cast<unsigned char>(i % 3 * 100));
    }
    return rgb;
}

void Append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

std::vector<unsigned char> Encoded(const char* format)
{
    const std::vector<unsigned char> rgb = Pixels();
    std::vector<unsigned char> bytes;
    if (std::strcmp(format, "png") == 0)
        stbi_write_png_to_func(Append, &bytes, kWidth, kHeight, 3, rgb.data(), kWidth * 3);
    else if (std::strcmp(format, "jpg") == 0)
        stbi_write_jpg_to_func(Append, &bytes, kWidth, kHeight, 3, rgb.data(), 90);
    else if (std::strcmp(format, "bmp") == 0)
        stbi_write_bmp_to_func(Append, &bytes, kWidth, kHeight, 3, rgb.data());
    else if (std::strcmp(format, "tga") == 0)
        stbi_write_tga_to_func(Append, &bytes, kWidth, kHeight, 3, rgb.data());
    return bytes;
}

std::vector<unsigned char> TiffBytes()
{
    TempFolder folder;
    const std::string path = folder / "image.tif";
    {
        std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "w"), TIFFClose);
        TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        std::vector<unsigned char> rgb = Pixels();
        for (int row = 0; row < kHeight; ++row)
            TIFFWriteScanline(tiff.get(), rgb.data() + row * kWidth * 3, static_cast<uint32_t>(row), 0);
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> DecodedRgb(const std::vector<unsigned char>& png)
{
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels(
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 3),
        stbi_image_free);
    if (!pixels || width != kWidth || height != kHeight)
        return {};
    return {pixels.get(), pixels.get() + width * height * 3};
}

TEST(ImagePackerTest, PngAndJpegGoInByteForByte)
{
    for (const char* format : {"png", "jpg"}) {
        const std::vector<unsigned char> bytes = Encoded(format);
        const PackedImage image = PackImageBytes(bytes);
        ASSERT_TRUE(image.ok()) << format << ": " << image.error;
        EXPECT_EQ(image.bytes, bytes) << format;
        EXPECT_EQ(image.mimeType, std::strcmp(format, "png") == 0 ? "image/png" : "image/jpeg");
        EXPECT_FALSE(image.reencoded);
        EXPECT_EQ(image.width, kWidth);
        EXPECT_EQ(image.height, kHeight);
    }
}

TEST(ImagePackerTest, OtherFormatsBecomePngWithTheSamePixels)
{
    const std::pair<const char*, std::vector<unsigned char>> sources[] = {
        {"bmp", Encoded("bmp")}, {"tga", Encoded("tga")}, {"tif", TiffBytes()}};
    for (const auto& [format, bytes] : sources) {
        ASSERT_FALSE(bytes.empty()) << format;
        const PackedImage image = PackImageBytes(bytes);
        ASSERT_TRUE(image.ok()) << format << ": " << image.error;
        EXPECT_EQ(image.mimeType, "image/png") << format;
        EXPECT_STREQ(image.extension(), ".png");
        EXPECT_TRUE(image.reencoded);
        EXPECT_EQ(DecodedRgb(image.bytes), Pixels()) << format;
    }
}

TEST(ImagePackerTest, RefusesWhatIsNoImageOrClaimsTooMuch)
{
    std::vector<unsigned char> huge = Encoded("bmp");
    const int32_t side = 100000;
    std::memcpy(huge.data() + 18, &side, 4);   // width and height in the BMP header
    std::memcpy(huge.data() + 22, &side, 4);
    std::vector<unsigned char> cutPng = Encoded("png");
    cutPng.resize(12);
    std::vector<unsigned char> cutTiff = TiffBytes();
    cutTiff.resize(16);
    const std::pair<const char*, std::vector<unsigned char>> cases[] = {
        {"empty", {}},
        {"text", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
        {"huge_bmp", huge},
        {"cut_png", cutPng},
        {"cut_tiff", cutTiff}};
    for (const auto& [name, bytes] : cases) {
        const PackedImage image = PackImageBytes(bytes);
        EXPECT_FALSE(image.ok()) << name;
        EXPECT_FALSE(image.error.empty()) << name;
    }
}

TEST(ImagePackerTest, ReadsAFileAndSaysWhyNot)
{
    TempFolder folder;
    const std::vector<unsigned char> bmp = Encoded("bmp");
    std::ofstream(folder / "a.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                            static_cast<std::streamsize>(bmp.size()));
    EXPECT_TRUE(PackImage(folder / "a.bmp").ok());
    const PackedImage missing = PackImage(folder / "none.bmp");
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error.empty());
}

}  // namespace
