#include "tools/models/HostImage.h"

#include <algorithm>
#include <cctype>

namespace {

std::optional<HostImageKind> KindOfBytes(std::span<const uint8_t> bytes)
{
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return HostImageKind::Jpeg;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return HostImageKind::Bmp;
    if (bytes.size() >= 4 && ((bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) ||
                              (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42)))
        return HostImageKind::Tiff;
    return std::nullopt;
}

const char* ExtensionOf(HostImageKind kind)
{
    switch (kind) {
    case HostImageKind::Jpeg: return ".jpg";
    case HostImageKind::Tiff: return ".tif";
    default: return ".bmp";
    }
}

}  // namespace

std::optional<HostImageKind> HostKindOfName(const std::string& name)
{
    // The host goes by the last three letters of the name.
    if (name.size() <= 3)
        return std::nullopt;
    std::string last = name.substr(name.size() - 3);
    std::transform(last.begin(), last.end(), last.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (last == "JPG")
        return HostImageKind::Jpeg;
    if (last == "BMP")
        return HostImageKind::Bmp;
    if (last == "TIF")
        return HostImageKind::Tiff;
    return std::nullopt;
}

HostImage PrepareHostImage(std::span<const uint8_t> bytes, HostImageKind kind)
{
    HostImage image;
    const std::optional<HostImageKind> is = KindOfBytes(bytes);
    if (is && (kind == HostImageKind::AsItIs || kind == *is)) {
        image.bytes.assign(bytes.begin(), bytes.end());
        image.extension = ExtensionOf(*is);
        return image;
    }
    image.error = "not a JPEG, BMP or TIFF image";
    return image;
}
