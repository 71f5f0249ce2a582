// The lossless encodings the host's images are written in, read back by
// independent readers (stb_image for BMP, libtiff for TIFF): the same
// pixels, whatever the width's padding and whether there was an alpha.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>
#include <stb_image.h>
#include <tiffio.h>
#include <filesystem>
#include <fstream>

#include "tools/models/LosslessEncoders.h"

namespace {

std::vector<uint8_t> Pattern(int width, int height, int channels)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        for (int c = 0; c < channels; ++c)
            pixels.push_back(static_cast<uint8_t>((i * 37 + c * 91) % 251));
    }
    return pixels;
}

std::vector<uint8_t> Rgb(const std::vector<uint8_t>& pixels, int channels)
{
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < pixels.size(); i += static_cast<size_t>(channels))
        rgb.insert(rgb.end(), pixels.begin() + static_cast<ptrdiff_t>(i), pixels.begin() + static_cast<ptrdiff_t>(i + 3));
    return rgb;
}

std::vector<uint8_t> ReadTiff(const std::vector<uint8_t>& bytes, int& width, int& height)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kvd-tiff-" + std::to_string(::getpid()) + ".tif");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
    std::filesystem::remove(path);
    if (!tiff)
        return {};
    uint32_t w = 0, h = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster(size_t{w} * h);
    if (!TIFFReadRGBAImageOriented(tiff.get(), w, h, raster.data(), ORIENTATION_TOPLEFT, 0))
        return {};
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    std::vector<uint8_t> rgb;
    for (uint32_t p : raster) {
        rgb.push_back(static_cast<uint8_t>(TIFFGetR(p)));
        rgb.push_back(static_cast<uint8_t>(TIFFGetG(p)));
        rgb.push_back(static_cast<uint8_t>(TIFFGetB(p)));
    }
    return rgb;
}

TEST(LosslessEncoders, ReadBackAsWritten)
{
    struct Case {
        int width;
        int height;
        int channels;
    };
    const Case cases[] = {{1, 1, 3}, {3, 2, 3}, {5, 7, 4}, {64, 3, 3}, {7, 1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.channels));
        const std::vector<uint8_t> pixels = Pattern(c.width, c.height, c.channels);
        const std::vector<uint8_t> want = Rgb(pixels, c.channels);

        const std::vector<uint8_t> bmp = EncodeBmp(pixels.data(), c.width, c.height, c.channels);
        int w = 0, h = 0, n = 0;
        stbi_uc* read = stbi_load_from_memory(bmp.data(), static_cast<int>(bmp.size()), &w, &h, &n, 3);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        EXPECT_EQ(std::vector<uint8_t>(read, read + want.size()), want);
        stbi_image_free(read);

        const std::vector<uint8_t> tiff = EncodeTiff(pixels.data(), c.width, c.height, c.channels);
        EXPECT_EQ(ReadTiff(tiff, w, h), want);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
    }
    EXPECT_TRUE(EncodeBmp(nullptr, 0, 5, 3).empty());
    EXPECT_TRUE(EncodeTiff(nullptr, 70000, 70000, 3).empty());
}

}  // namespace
