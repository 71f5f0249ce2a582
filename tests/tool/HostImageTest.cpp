// Images made into the kinds the host shows: JPEG, BMP and TIFF kept as
// they are, every other kind decoded and written lossless, damaged images
// refused; read back by independent readers.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include "tools/models/HostImage.h"
#include "tools/models/LosslessEncoders.h"

namespace {

void Append(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::vector<uint8_t> Pixels()
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 6 * 5; ++i) {
        rgb.push_back(static_cast<uint8_t>(i * 8));
        rgb.push_back(static_cast<uint8_t>(255 - i * 8));
        rgb.push_back(static_cast<uint8_t>(i * 3));
    }
    return rgb;
}

std::vector<uint8_t> Png()
{
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t> rgb = Pixels();
    stbi_write_png_to_func(Append, &bytes, 6, 5, 3, rgb.data(), 6 * 3);
    return bytes;
}

std::vector<uint8_t> Jpeg()
{
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t> rgb = Pixels();
    stbi_write_jpg_to_func(Append, &bytes, 6, 5, 3, rgb.data(), 90);
    return bytes;
}

TEST(HostImage, EachKindBecomesOneTheHostShows)
{
    const std::vector<uint8_t> rgb = Pixels();
    const std::vector<uint8_t> bmp = EncodeBmp(rgb.data(), 6, 5, 3);
    const std::vector<uint8_t> tiff = EncodeTiff(rgb.data(), 6, 5, 3);
    const std::vector<uint8_t> png = Png();
    const std::vector<uint8_t> jpeg = Jpeg();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        HostImageKind wanted;
        const char* extension;   // nullptr: refused
        bool keptAsItIs;
    };
    const Case cases[] = {
        {"JPEG as it is", jpeg, HostImageKind::AsItIs, ".jpg", true},
        {"BMP as it is", bmp, HostImageKind::AsItIs, ".bmp", true},
        {"TIFF as it is", tiff, HostImageKind::AsItIs, ".tif", true},
        {"PNG as BMP", png, HostImageKind::AsItIs, ".bmp", false},
        {"PNG for a stored .tif name", png, HostImageKind::Tiff, ".tif", false},
        {"PNG for a stored .bmp name", png, HostImageKind::Bmp, ".bmp", false},
        {"a truncated PNG", std::vector<uint8_t>(png.begin(), png.begin() + static_cast<ptrdiff_t>(png.size() / 2)),
         HostImageKind::AsItIs, nullptr, false},
        {"no image at all", std::vector<uint8_t>{'n', 'o', 'p', 'e'}, HostImageKind::AsItIs, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HostImage image = PrepareHostImage(c.bytes, c.wanted);
        if (c.extension == nullptr) {
            EXPECT_FALSE(image.ok());
            continue;
        }
        ASSERT_TRUE(image.ok()) << image.error;
        EXPECT_EQ(image.extension, c.extension);
        if (c.keptAsItIs)
            EXPECT_EQ(image.bytes, c.bytes);
        else if (image.extension == ".bmp")
            EXPECT_EQ(image.bytes, bmp);   // the PNG's pixels, lossless
        else
            EXPECT_EQ(image.bytes, tiff);
    }
}

TEST(HostImage, NamesTellTheKindTheHostTakes)
{
    EXPECT_EQ(HostKindOfName("WALL02.BMP"), HostImageKind::Bmp);
    EXPECT_EQ(HostKindOfName("maps\\bump.Tif"), HostImageKind::Tiff);
    EXPECT_EQ(HostKindOfName("photo.jpg"), HostImageKind::Jpeg);
    EXPECT_EQ(HostKindOfName("xjpg"), HostImageKind::Jpeg);
    EXPECT_EQ(HostKindOfName("JPG"), std::nullopt);
    EXPECT_EQ(HostKindOfName("glass.png"), std::nullopt);
    EXPECT_EQ(HostKindOfName("a.tiff"), std::nullopt);
}

}  // namespace
