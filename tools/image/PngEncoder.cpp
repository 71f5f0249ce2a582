#include "tools/image/PngEncoder.h"

#include <climits>
#include <cstdlib>

#include <zlib.h>

namespace {

// zlib compresses the rows: several times faster than the writer's own
// deflate, and smaller.
unsigned char* ZlibCompress(unsigned char* data, int length, int* outLength, int)
{
    uLongf size = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (out == nullptr || compress2(out, &size, data, static_cast<uLong>(length), 6) != Z_OK || size > INT_MAX) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(size);
    return out;
}

}  // namespace

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS ZlibCompress
#include <stb/stb_image_write.h>

namespace {
// One filter for every row (Paeth, good on photographs and flat areas
// alike) rather than each row tried with all five: encoding 8192 x 8192
// pixels took about four times as long that way. Set once, before any
// thread encodes.
[[maybe_unused]] const bool kFilterChosen = (stbi_write_force_png_filter = 4, true);

void Append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}
}  // namespace

std::vector<uint8_t> EncodePng(const uint8_t* pixels, int width, int height, int channels)
{
    std::vector<uint8_t> png;
    if (width < 1 || height < 1 || channels < 1 || channels > 4 ||
        static_cast<long long>(width) * channels * height > INT_MAX)
        return png;
    if (stbi_write_png_to_func(Append, &png, width, height, channels, pixels, width * channels) == 0)
        png.clear();
    return png;
}
