#include "tools/export/ImagePacker.h"

#include "tools/image/ImageDecoder.h"
#include "tools/image/PngEncoder.h"

namespace {

PackedImage Failed(std::string why)
{
    PackedImage image;
    image.error = std::move(why);
    return image;
}

}  // namespace

PackedImage PackImageBytes(std::vector<unsigned char> bytes)
{
    const ImageCheck check = CheckImage(bytes);
    if (!check.ok())
        return Failed(check.error);
    PackedImage image;
    image.width = check.layout.width;
    image.height = check.layout.height;
    image.mimeType = check.layout.kind == ImageKind::Jpeg ? "image/jpeg" : "image/png";
    if (KeptAsItIs(check.layout.kind)) {
        image.bytes = std::move(bytes);
        return image;
    }
    DecodeOutcome decoded = DecodeCheckedImage(bytes, check.layout);
    std::vector<unsigned char>().swap(bytes);   // the file's bytes are not kept beside its pixels
    if (!decoded.ok())
        return Failed(decoded.error);
    image.bytes = EncodePng(decoded.image);
    if (image.bytes.empty())
        return Failed("cannot be encoded as PNG");
    image.reencoded = true;
    return image;
}

PackedImage PackImage(const std::filesystem::path& path)
{
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadImageFile(path, bytes, error))
        return Failed(error);
    return PackImageBytes(std::move(bytes));
}
