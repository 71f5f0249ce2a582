#include "tools/image/StbDecoder.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "tools/image/ImageLimits.h"
#include "tools/image/PalettePadding.h"

namespace {

// The decoder's allocations on this thread: what is live, and how much may
// be. Every block is zero-filled, so a byte the decoder never writes is 0 in
// any output, never what the memory held before.
struct DecoderBudget {
    size_t live = 0;
    size_t limit = 0;
    bool exceeded = false;
};
thread_local DecoderBudget tBudget;

// Each block starts with its size, keeping the caller's part 16-aligned.
constexpr size_t kBlockHeader = 16;

void* BudgetAllocate(size_t size)
{
    if (size > tBudget.limit - tBudget.live) {
        tBudget.exceeded = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::calloc(1, size + kBlockHeader));
    if (block == nullptr)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    tBudget.live += size;
    return block + kBlockHeader;
}

size_t BlockSize(void* pointer)
{
    size_t size = 0;
    std::memcpy(&size, static_cast<unsigned char*>(pointer) - kBlockHeader, sizeof size);
    return size;
}

void BudgetFree(void* pointer)
{
    if (pointer == nullptr)
        return;
    tBudget.live -= BlockSize(pointer);
    std::free(static_cast<unsigned char*>(pointer) - kBlockHeader);
}

// Growth is a fresh zero-filled block and a copy, so the new tail is zero too.
void* BudgetReallocate(void* pointer, size_t size)
{
    if (pointer == nullptr)
        return BudgetAllocate(size);
    void* grown = BudgetAllocate(size);
    if (grown == nullptr)
        return nullptr;
    const size_t old = BlockSize(pointer);
    std::memcpy(grown, pointer, old < size ? old : size);
    BudgetFree(pointer);
    return grown;
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_GIF
#define STBI_MAX_DIMENSIONS 8192
#define STBI_MALLOC(size) BudgetAllocate(size)
#define STBI_REALLOC_SIZED(pointer, oldSize, newSize) BudgetReallocate(pointer, newSize)
#define STBI_FREE(pointer) BudgetFree(pointer)
#include <stb/stb_image.h>

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide);

namespace {

// The decoder's channels (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA) as RGB
// or RGBA.
DecodedImage Widened(const stbi_uc* pixels, int width, int height, int channels)
{
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.channels = channels == 2 || channels == 4 ? 4 : 3;
    const size_t count = size_t(width) * size_t(height);
    image.pixels.resize(count * size_t(image.channels));
    if (channels == image.channels) {
        std::memcpy(image.pixels.data(), pixels, image.pixels.size());
        return image;
    }
    uint8_t* out = image.pixels.data();
    for (size_t i = 0; i < count; ++i) {
        const stbi_uc* in = pixels + i * size_t(channels);
        *out++ = in[0];
        *out++ = channels >= 3 ? in[1] : in[0];
        *out++ = channels >= 3 ? in[2] : in[0];
        if (image.channels == 4)
            *out++ = in[channels - 1];
    }
    return image;
}

}  // namespace

DecodeOutcome DecodeWithStb(std::span<const uint8_t> bytes, const ImageLayout& layout)
{
    // A pixel past a short palette takes the fill colour, not whatever the
    // decoder's palette array held.
    std::vector<uint8_t> padded;
    if (layout.kind == ImageKind::Bmp)
        padded = BmpWithFullPalette(bytes);
    else if (layout.kind == ImageKind::Png)
        padded = PngWithFullPalette(bytes);
    if (!padded.empty())
        bytes = padded;
    if (bytes.size() > static_cast<size_t>(INT32_MAX))
        return {{}, "file too large"};

    const size_t picture = size_t(layout.width) * size_t(layout.height) * 4;
    tBudget = {0, kDecoderWorkFactor * picture + 2 * bytes.size() + kDecoderSlackBytes, false};
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 0),
        BudgetFree);
    const bool exceeded = tBudget.exceeded;
    if (!pixels) {
        if (exceeded)
            return {{}, "needs more memory to decode than its picture size allows"};
        return {{}, std::string("cannot be decoded (") + stbi_failure_reason() + ")"};
    }
    if (width != layout.width || height != layout.height || channels < 1 || channels > 4)
        return {{}, "cannot be decoded (its size changed while it was read)"};
    return {Widened(pixels.get(), width, height, channels), {}};
}
