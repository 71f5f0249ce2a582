// kvd render on the samples draws the pictures the README shows, on every
// run. Compared with a tolerance: another driver build may round a few
// edge pixels differently.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tools/render/PictureFile.h"

namespace {

struct SamplePicture {
    const char* name;
    const char* sample;
    const char* picture;   // in docs/
    const char* options;
};

void PrintTo(const SamplePicture& c, std::ostream* out)
{
    *out << c.name;
}

class SamplePictureTest : public testing::TestWithParam<SamplePicture> {};

// Each channel of most pixels within a small step, and on average closer.
::testing::AssertionResult AlmostSame(const RgbaImage& a, const RgbaImage& b)
{
    if (a.width != b.width || a.height != b.height)
        return ::testing::AssertionFailure() << "sizes differ";
    size_t farPixels = 0;
    double total = 0.0;
    const size_t pixels = size_t(a.width) * size_t(a.height);
    for (size_t i = 0; i < pixels; ++i) {
        int largest = 0;
        for (int c = 0; c < 3; ++c) {
            const int difference = std::abs(int(a.pixels[i * 4 + c]) - int(b.pixels[i * 4 + c]));
            largest = std::max(largest, difference);
            total += difference;
        }
        farPixels += largest > 16;
    }
    const double mean = total / double(pixels * 3);
    if (farPixels * 200 > pixels || mean > 1.0)
        return ::testing::AssertionFailure() << farPixels << " pixels differ by more than 16, mean " << mean;
    return ::testing::AssertionSuccess();
}

TEST_P(SamplePictureTest, RendersThePictureOfTheReadmeOnEveryRun)
{
    const SamplePicture& c = GetParam();
    std::string error;
    const std::optional<RgbaImage> shown = LoadRgbaImage(std::string(KVD_DOCS_DIR) + "/" + c.picture, error);
    ASSERT_TRUE(shown.has_value()) << c.picture << ": " << error;
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("kvd-render-" + std::to_string(std::random_device()()) + ".png")).string();
    for (int run = 0; run < 2; ++run) {
        const std::string command = std::string(KVD_TOOL) + " render --quiet " + c.options + " '" +
                                    KVD_SAMPLES_DIR + "/" + c.sample + "' '" + out + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::optional<RgbaImage> drawn = LoadRgbaImage(out, error);
        std::filesystem::remove(out);
        ASSERT_TRUE(drawn.has_value()) << error;
        EXPECT_TRUE(AlmostSame(*drawn, *shown)) << "run " << run;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SamplePictureTest,
    testing::Values(SamplePicture{"house", "house.kvd", "render-house.png", ""},
                    SamplePicture{"house_camera_1", "house.kvd", "render-house-camera-1.png", "--camera 1"},
                    SamplePicture{"triangle", "triangle.kvd", "render-triangle.png", ""}),
    [](const testing::TestParamInfo<SamplePicture>& info) { return std::string(info.param.name); });

}  // namespace
