// Texture images as an attacker would leave them beside a scene: files of
// kinds the tool does not read (crafted to crash, hang or leak through
// other decoders), and for every kind it reads a file cut short, a header
// declaring 65535 x 65535, zero and negative sizes, and pixels indexing
// past a short palette. Each must be refused with a reason, or decoded
// soundly (every pixel from the file or the stated fill), and a scene naming
// it must still convert and render, naming the image once, with the same
// bytes out however the memory was filled before.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "ToolRun.h"
#include "tests/support/ImageFiles.h"
#include "tools/image/ImageDecoder.h"

namespace {

namespace fs = std::filesystem;
using testimages::ImageSpec;
using testimages::MakeImage;

// Survives: a fuzzer's finding, which must neither crash nor leak but may
// be refused or decoded.
enum class Outcome { Refused, Decoded, Survives };

struct ImageCase {
    std::string name;
    std::vector<uint8_t> bytes;
    Outcome outcome;
    std::string reason;   // part of the refusal's reason
    ImageKind kind = ImageKind::Unknown;
    ImageSpec spec;       // what a decoded case's pixels were made from
};

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    const std::string text = ReadFile(path);
    return {text.begin(), text.end()};
}

const ImageKind kKinds[] = {ImageKind::Png, ImageKind::Jpeg, ImageKind::Bmp, ImageKind::Tga,
                            ImageKind::Gif, ImageKind::Psd,  ImageKind::Tiff};

std::vector<ImageCase> AllCases()
{
    std::vector<ImageCase> cases;
    const fs::path hostile = fs::path(KVD_SOURCE_DIR) / "tests/images/hostile";
    // Kinds the tool does not read, and a BMP too large for its 54 bytes.
    for (const char* name : {"pic_null_deref.pic", "hdr_rle_eof_hang.hdr", "hdr_8192_rle_empty.hdr",
                             "pnm16_render_overread.ppm", "pnm_trunc_heap_disclosure.ppm"})
        cases.push_back({name, ReadBytes(hostile / name), Outcome::Refused, "not an image kind the tool reads", ImageKind::Unknown, {}});
    cases.push_back({"bmp_23170_empty32.bmp", ReadBytes(hostile / "bmp_23170_empty32.bmp"), Outcome::Refused,
                     "picture too large", ImageKind::Unknown, {}});
    cases.push_back({"tif_67108864x1_deflate.tif", ReadBytes(hostile / "tif_67108864x1_deflate.tif"),
                     Outcome::Refused, "picture too large", ImageKind::Unknown, {}});
    // 8 bits a pixel with one palette entry: the others are the fill colour.
    cases.push_back({"bmp_pal_oob_8bpp.bmp", ReadBytes(hostile / "bmp_pal_oob_8bpp.bmp"), Outcome::Decoded, "", ImageKind::Unknown, {}});

    const fs::path found = fs::path(KVD_SOURCE_DIR) / "tests/images/found";
    for (const char* name : {"jpeg_dht_over_256_codes.jpg", "png_palette_past_plte.png",
                             "psd_alpha_colour_off_its_matte.psd"})
        cases.push_back({name, ReadBytes(found / name), Outcome::Survives, "", ImageKind::Unknown, {}});

    for (ImageKind kind : kKinds) {
        const std::string prefix = std::string(ImageKindName(kind)) + "_";
        const auto add = [&](const std::string& name, const ImageSpec& spec, Outcome outcome, const char* reason) {
            std::vector<uint8_t> bytes = MakeImage(kind, spec);
            if (!bytes.empty())
                cases.push_back({prefix + name, std::move(bytes), outcome, reason, kind, spec});
        };
        add("valid", {5, 3, 0, false}, Outcome::Decoded, "");
        add("alpha", {3, 5, 0, true}, Outcome::Decoded, "");
        add("declared_65535", {65535, 65535, 0, false}, Outcome::Refused, "picture too large");
        // libtiff itself refuses a directory without a size.
        const char* empty = kind == ImageKind::Tiff ? "TIFF: damaged" : "empty picture";
        add("zero_width", {0, 4, 0, false}, Outcome::Refused, empty);
        add("zero_height", {4, 0, 0, false}, Outcome::Refused, empty);
        // Each field's own width: -1 is the largest value of an unsigned
        // field, and an invalid width of a signed one.
        add("negative_width", {-1, 4, 0, false}, Outcome::Refused, "");
        if (kind == ImageKind::Bmp)
            add("negative_height_rows_down", {4, -3, 0, false}, Outcome::Decoded, "");
        else
            add("negative_height", {4, -1, 0, false}, Outcome::Refused, "picture too large");
        if (kind == ImageKind::Png || kind == ImageKind::Bmp || kind == ImageKind::Tga || kind == ImageKind::Gif)
            add("palette_past_end", {8, 8, 2, false}, Outcome::Decoded, "");
        if (kind == ImageKind::Tga || kind == ImageKind::Psd) {
            add("packed", {40, 3, 0, false, true}, Outcome::Decoded, "");
            add("packed_alpha", {3, 5, 0, true, true}, Outcome::Decoded, "");
            if (kind == ImageKind::Tga)
                add("packed_palette_past_end", {8, 8, 2, false, true}, Outcome::Decoded, "");
            add("packed_declared_65535", {65535, 65535, 0, false, true}, Outcome::Refused, "picture too large");
        }
        std::vector<uint8_t> cut = MakeImage(kind, {5, 3, 0, false});
        cut.resize(cut.size() / 2);
        cases.push_back({prefix + "cut_in_half", cut, Outcome::Refused, "", kind, {}});
    }
    return cases;
}

// The colour a decoded case must show at (x, y), RGBA.
void ExpectedPixel(const ImageCase& c, int x, int y, uint8_t rgba[4])
{
    rgba[3] = 255;
    if (c.kind == ImageKind::Unknown) {
        // The reproducer: 8 bits a pixel, one palette entry (blue, green,
        // red at byte 54); its other indices are the fill colour, black.
        const size_t stride = (size_t(c.bytes[18]) + 3) / 4 * 4;
        const size_t row = size_t(c.bytes[22]) - 1 - size_t(y);
        const uint8_t index = c.bytes[c.bytes[10] + row * stride + size_t(x)];
        for (int s = 0; s < 3; ++s)
            rgba[s] = index == 0 ? c.bytes[56 - s] : 0;
        return;
    }
    if (c.kind == ImageKind::Jpeg) {
        rgba[0] = rgba[1] = rgba[2] = 128;   // the made JPEG is flat grey
        return;
    }
    const bool palette = c.spec.paletteEntries > 0 || c.kind == ImageKind::Gif;
    if (!palette) {
        testimages::TrueColourAt(x, y, rgba);
        if (!c.spec.alpha)
            rgba[3] = 255;
        return;
    }
    // A made GIF in true colour indexes its 256 colours by position.
    const int index = c.spec.paletteEntries > 0 ? uint8_t(x * 7 + y * 13) : uint8_t(x * 16 + y);
    const int entries = c.spec.paletteEntries > 0 ? c.spec.paletteEntries : 256;
    if (index < entries) {
        rgba[0] = uint8_t(index * 37 + 5);
        rgba[1] = uint8_t(index * 11 + 90);
        rgba[2] = uint8_t(255 - index * 3);
        return;
    }
    // Past the palette: the stated fill, opaque black; a TGA decoder takes
    // entry 0; what a GIF colour table does not set is transparent black.
    rgba[0] = rgba[1] = rgba[2] = 0;
    if (c.kind == ImageKind::Tga)
        ExpectedPixel(c, 0, 0, rgba);
    if (c.kind == ImageKind::Gif)
        rgba[3] = 0;
}

// How far a sample may be off: colours under partial alpha go through a
// premultiplied form in the TIFF decoder, and in a PSD are stored blended
// on white (both rounded).
int Tolerance(const ImageCase& c, const uint8_t want[4], int sample)
{
    if (sample == 3 || want[3] == 255)
        return 0;
    const bool blended = c.kind == ImageKind::Tiff || c.kind == ImageKind::Psd;
    return blended ? 255 / std::max<int>(want[3], 1) + 1 : 0;
}

class HostileImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(HostileImageTest, IsRefusedWithAReasonOrDecodedSoundly)
{
    const ImageCase& c = GetParam();
    // An exact-size copy, so that any read past the end is seen.
    const std::vector<uint8_t> bytes(c.bytes);
    const DecodeOutcome decoded = DecodeImage(bytes);
    const ImageCheck verified = VerifyImage(bytes);
    if (c.outcome == Outcome::Survives) {
        const DecodeOutcome again = DecodeImage(bytes);
        EXPECT_EQ(again.error, decoded.error);
        EXPECT_TRUE(again.image.pixels == decoded.image.pixels);
        EXPECT_EQ(verified.ok(), decoded.ok());
        return;
    }
    if (c.outcome == Outcome::Refused) {
        ASSERT_FALSE(decoded.ok());
        EXPECT_NE(decoded.error.find(c.reason), std::string::npos) << decoded.error;
        EXPECT_FALSE(verified.ok());
        return;
    }
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_TRUE(verified.ok()) << verified.error;
    const DecodedImage& image = decoded.image;
    ASSERT_EQ(image.pixels.size(), size_t(image.width) * size_t(image.height) * size_t(image.channels));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            uint8_t want[4];
            ExpectedPixel(c, x, y, want);
            const uint8_t* got = &image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * size_t(image.channels)];
            for (int s = 0; s < image.channels; ++s)
                ASSERT_LE(std::abs(got[s] - want[s]), Tolerance(c, want, s))
                    << "pixel " << x << "," << y << " sample " << s << ": " << int(got[s]) << " for " << int(want[s]);
        }
    }
}

// Every length short of the whole file, in a buffer of exactly that size: a
// structure that ends before its end marker is refused, and nothing is read
// past the end. A GIF needs only its first frame, not its trailer byte.
TEST_P(HostileImageTest, EveryCutIsRefused)
{
    const ImageCase& c = GetParam();
    // (A negative-height BMP is made with a row more than it declares.)
    if (c.kind == ImageKind::Unknown || c.outcome != Outcome::Decoded || c.spec.height < 0)
        return;
    const size_t whole = c.bytes.size() - (c.kind == ImageKind::Gif ? 1 : 0);
    for (size_t length = 0; length < whole; ++length) {
        const std::vector<uint8_t> cut(c.bytes.begin(), c.bytes.begin() + long(length));
        EXPECT_FALSE(DecodeImage(cut).ok()) << "cut at " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Images, HostileImageTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<ImageCase>& info) {
                             std::string name;
                             for (char ch : info.param.name)
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// Every file, relative to root.
std::map<std::string, std::string> FilesUnder(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
    return files;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// One scene folder per case (the sample house with the case's bytes as its
// wood.jpg), run through kvd as a batch: every scene converts and renders,
// each unreadable image is named once per command, nothing is left behind,
// and the same conversion with the heap filled differently gives the same
// bytes.
TEST(HostileImageScenes, ConvertRenderAndInfoNameEachUnreadableImageOnce)
{
    TempFolder folder;
    const fs::path scenes = folder.path() / "scenes";
    const std::vector<ImageCase> cases = AllCases();
    for (const ImageCase& c : cases) {
        const fs::path scene = scenes / c.name;
        fs::create_directories(scene);
        for (const fs::directory_entry& entry : fs::directory_iterator(KVD_SAMPLES_DIR))
            fs::copy(entry.path(), scene / entry.path().filename(), fs::copy_options::recursive);
        fs::remove(scene / "triangle.kvd");
        std::ofstream(scene / "wood.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
    }
    const std::string in = Quote(scenes.string());
    const fs::path converted = folder.path() / "converted", again = folder.path() / "again";
    const fs::path rendered = folder.path() / "rendered", strict = folder.path() / "strict";

    const ToolRun convert = RunKvd(folder.path(), "convert --quiet -j 2 -o " + Quote(converted.string()) + " " + in);
    EXPECT_EQ(convert.exitCode, 0) << convert.err;
    const ToolRun perturbed =
        RunKvd(folder.path(), "convert --quiet -j 2 -o " + Quote(again.string()) + " " + in, "", "MALLOC_PERTURB_=165");
    EXPECT_EQ(perturbed.exitCode, 0) << perturbed.err;
    const ToolRun strictRun =
        RunKvd(folder.path(), "convert --quiet --strict -o " + Quote(strict.string()) + " " + in);
    EXPECT_EQ(strictRun.exitCode, 5) << strictRun.err;
    const ToolRun render =
        RunKvd(folder.path(), "render --quiet -j 2 --size 64x48 -o " + Quote(rendered.string()) + " " + in);
    EXPECT_EQ(render.exitCode, 0) << render.err;
    const ToolRun info = RunKvd(folder.path(), "info " + in);
    EXPECT_EQ(info.exitCode, 0) << info.err;

    for (const ImageCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(fs::is_regular_file(converted / c.name / "house.glb"));
        EXPECT_TRUE(fs::is_regular_file(rendered / c.name / "house.png"));
        const std::string image = "/" + c.name + "/wood.jpg";
        if (c.outcome == Outcome::Survives)
            continue;
        const size_t named = c.outcome == Outcome::Refused ? 1 : 0;
        EXPECT_EQ(Count(convert.err, "texture cannot be read, left out: wood.jpg (" + scenes.string() + image), named)
            << convert.err;
        EXPECT_EQ(Count(render.err, "texture cannot be read, drawn in its colour: wood.jpg (" + scenes.string() + image),
                  named)
            << render.err;
        EXPECT_EQ(Count(info.out, image + ", cannot be read: "), named);
        EXPECT_EQ(Count(convert.err, image), named);
    }
    // Nothing but the outputs, and the same bytes whatever the heap held.
    const std::map<std::string, std::string> first = FilesUnder(converted), second = FilesUnder(again);
    EXPECT_EQ(first.size(), cases.size());
    for (const auto& [name, bytes] : first) {
        EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
        const auto other = second.find(name);
        ASSERT_NE(other, second.end()) << name;
        EXPECT_TRUE(other->second == bytes) << name << " differs between the two conversions";
    }
}

}  // namespace
