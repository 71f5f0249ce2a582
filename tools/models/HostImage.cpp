#include "tools/models/HostImage.h"

#include <algorithm>
#include <cctype>

#include "tools/models/LosslessEncoders.h"

// The tool's one image path: the kind told by the bytes, the structure
// checked whole against the limits, the pixels decoded by that kind's
// decoder alone.
#include "tools/image/ImageDecoder.h"

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

HostImage AsItIs(std::span<const uint8_t> bytes, HostImageKind kind)
{
    HostImage image;
    image.bytes.assign(bytes.begin(), bytes.end());
    image.extension = ExtensionOf(kind);
    return image;
}

HostImage Failed(std::string error)
{
    HostImage image;
    image.error = std::move(error);
    return image;
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

HostImage PrepareHostImage(std::span<const uint8_t> bytes, HostImageKind wanted)
{
    const ImageCheck check = CheckImage(bytes);
    if (!check.ok())
        return Failed(check.error);
    const std::optional<HostImageKind> own = KindOfBytes(bytes);
    if (own && (wanted == HostImageKind::AsItIs || wanted == *own)) {
        // A JPEG passed its check whole, to its end; BMP and TIFF are decoded
        // once, so that what the host gets is an image the tool can read.
        if (*own != HostImageKind::Jpeg) {
            const ImageCheck verified = VerifyImage(bytes);
            if (!verified.ok())
                return Failed(verified.error);
        }
        return AsItIs(bytes, *own);
    }
    // A .jpg name over other bytes was so in the source too: they stay as
    // they were, under that name (no lossy re-encoding).
    if (wanted == HostImageKind::Jpeg)
        return AsItIs(bytes, HostImageKind::Jpeg);
    const DecodeOutcome decoded = DecodeCheckedImage(bytes, check.layout);
    if (!decoded.ok())
        return Failed(decoded.error);
    const DecodedImage& pixels = decoded.image;
    const HostImageKind target = wanted == HostImageKind::Tiff ? HostImageKind::Tiff : HostImageKind::Bmp;
    HostImage image;
    image.bytes = target == HostImageKind::Tiff
                      ? EncodeTiff(pixels.pixels.data(), pixels.width, pixels.height, pixels.channels)
                      : EncodeBmp(pixels.pixels.data(), pixels.width, pixels.height, pixels.channels);
    if (image.bytes.empty())
        return Failed("the picture cannot be encoded");
    image.extension = ExtensionOf(target);
    return image;
}
