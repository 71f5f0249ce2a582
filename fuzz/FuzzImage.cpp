// libFuzzer entry for the tool's one image path: any bytes, as a texture
// beside a scene, through the check, the decoder, the PNG re-encoding and
// the converter's packing. It aborts when
// - a check passes a picture outside the limits, or a decoder gives pixels
//   for bytes the check refused, or of another size than the check found;
// - the same bytes decode to other pixels when the stack below the decoder
//   held other values (a pixel taken from memory the file never set);
// - the re-encoded PNG does not decode to the same size and pixels;
// - an image kept as it is (PNG, JPEG) comes out changed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "tools/export/ImagePacker.h"
#include "tools/image/ImageDecoder.h"
#include "tools/image/ImageLimits.h"
#include "tools/image/PngEncoder.h"

namespace {

// Pictures larger than this are checked but not decoded here: decoding
// costs time in proportion to the picture, which random inputs rarely
// need to be large to reach every branch.
constexpr long long kMostFuzzedPixels = 1024 * 1024;

[[noreturn]] void Fail(const char* what, const std::string& details = {})
{
    std::fprintf(stderr, "kvd_image_fuzz: %s %s\n", what, details.c_str());
    std::abort();
}

// Fills the stack the decoder is about to use with value.
__attribute__((noinline)) void ScribbleStack(uint8_t value)
{
    uint8_t area[128 * 1024];
    std::memset(area, value, sizeof area);
    asm volatile("" : : "r"(area) : "memory");
}

__attribute__((noinline)) DecodeOutcome DecodeOverStack(std::span<const uint8_t> bytes, const ImageLayout& layout,
                                                        uint8_t value)
{
    ScribbleStack(value);
    return DecodeCheckedImage(bytes, layout);
}

void CheckPixels(const DecodeOutcome& decoded, const ImageLayout& layout)
{
    const DecodedImage& image = decoded.image;
    if (image.width != layout.width || image.height != layout.height)
        Fail("decoded size differs from the checked size");
    if (image.channels != 3 && image.channels != 4)
        Fail("decoded channels are not RGB or RGBA");
    if (image.pixels.size() != size_t(image.width) * size_t(image.height) * size_t(image.channels))
        Fail("decoded pixel count differs from the size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    const ImageCheck check = CheckImage(bytes);
    const ImageLayout& layout = check.layout;
    if (!check.ok()) {
        if (DecodeImage(bytes).ok())
            Fail("decoded bytes the check refused");
        return 0;
    }
    if (layout.width < 1 || layout.height < 1 || layout.width > kMaxImageSide || layout.height > kMaxImageSide ||
        static_cast<long long>(layout.width) * layout.height > kMaxImagePixels)
        Fail("the check passed a picture outside the limits");
    if (SniffImageKind(bytes) != layout.kind)
        Fail("the check found another kind than the first bytes");
    if (static_cast<long long>(layout.width) * layout.height > kMostFuzzedPixels)
        return 0;

    const DecodeOutcome first = DecodeOverStack(bytes, layout, 0x00);
    if (first.ok()) {
        CheckPixels(first, layout);
        const DecodeOutcome second = DecodeOverStack(bytes, layout, 0xA5);
        if (!second.ok() || second.image.channels != first.image.channels ||
            second.image.pixels != first.image.pixels)
            Fail("the pixels depend on memory the file did not set");
        const std::vector<uint8_t> png = EncodePng(first.image);
        const DecodeOutcome again = DecodeImage(png);
        if (!again.ok())
            Fail("the re-encoded PNG cannot be decoded:", again.error);
        if (again.image.width != first.image.width || again.image.height != first.image.height ||
            again.image.channels != first.image.channels || again.image.pixels != first.image.pixels)
            Fail("the re-encoded PNG holds other pixels");
    }

    // As the converter packs it: kept whole, or re-encoded exactly when it
    // decodes.
    const PackedImage packed = PackImageBytes(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    if (KeptAsItIs(layout.kind)) {
        if (!packed.ok() || packed.reencoded || !std::equal(packed.bytes.begin(), packed.bytes.end(), bytes.begin(),
                                                            bytes.end()))
            Fail("an image kept as it is came out changed");
    } else if (packed.ok() != first.ok() || (packed.ok() && !packed.reencoded)) {
        Fail("packing and decoding disagree:", packed.error + " / " + first.error);
    }
    return 0;
}
