#include "tools/image/ImageKind.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// The header fields the TGA decoder accepts: a colour map type of 0 or 1,
// an image type of colour-mapped, true-colour or grey (raw or run-length),
// sample sizes it knows, and a colour map exactly when the type needs one.
bool LooksLikeTga(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 18)
        return false;
    const uint8_t mapType = bytes[1];
    const uint8_t type = bytes[2];
    const uint8_t mapBits = bytes[7];
    const uint8_t bits = bytes[16];
    const uint8_t base = type & 7;
    if (mapType > 1 || (type & ~8) == 0 || base > 3 || type > 11)
        return false;
    if ((base == 1) != (mapType == 1))
        return false;
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
        return false;
    if (base == 1)
        return bits == 8 || bits == 16;
    if (base == 3)
        return bits == 8 || bits == 16;
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

ImageKind SniffImageKind(std::span<const uint8_t> bytes)
{
    if (StartsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return ImageKind::Png;
    if (StartsWith(bytes, {0xFF, 0xD8, 0xFF}))
        return ImageKind::Jpeg;
    if (StartsWith(bytes, {'B', 'M'}))
        return ImageKind::Bmp;
    if (StartsWith(bytes, {'G', 'I', 'F', '8', '7', 'a'}) || StartsWith(bytes, {'G', 'I', 'F', '8', '9', 'a'}))
        return ImageKind::Gif;
    if (StartsWith(bytes, {'8', 'B', 'P', 'S'}))
        return ImageKind::Psd;
    if (StartsWith(bytes, {'I', 'I', 42, 0}) || StartsWith(bytes, {'M', 'M', 0, 42}))
        return ImageKind::Tiff;
    if (LooksLikeTga(bytes))
        return ImageKind::Tga;
    return ImageKind::Unknown;
}

const char* ImageKindName(ImageKind kind)
{
    switch (kind) {
    case ImageKind::Png:
        return "PNG";
    case ImageKind::Jpeg:
        return "JPEG";
    case ImageKind::Bmp:
        return "BMP";
    case ImageKind::Tga:
        return "TGA";
    case ImageKind::Gif:
        return "GIF";
    case ImageKind::Psd:
        return "PSD";
    case ImageKind::Tiff:
        return "TIFF";
    case ImageKind::Unknown:
        break;
    }
    return "unknown";
}
