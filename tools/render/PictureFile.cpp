#include "tools/render/PictureFile.h"

#include "tools/export/ReplacingFile.h"
#include "tools/image/ImageDecoder.h"
#include "tools/image/PngEncoder.h"

bool WritePng(const RgbImage& picture, const std::string& path, std::string& error)
{
    const std::vector<uint8_t> png = EncodePng(picture.pixels.data(), picture.width, picture.height, 3);
    if (png.empty()) {
        error = path + ": the picture cannot be encoded";
        return false;
    }
    ReplacingFile out(path);
    if (!out.Open()) {
        error = path + ": " + out.error();
        return false;
    }
    out.stream().write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out.Commit()) {
        error = path + ": " + (out.error().empty() ? "writing failed" : out.error());
        return false;
    }
    return true;
}

std::optional<RgbaImage> LoadRgbaImage(const std::string& path, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadImageFile(path, bytes, error))
        return std::nullopt;
    DecodeOutcome decoded = DecodeImage(bytes);
    if (!decoded.ok()) {
        error = decoded.error;
        return std::nullopt;
    }
    DecodedImage& image = decoded.image;
    if (image.channels == 4)
        return RgbaImage{image.width, image.height, std::move(image.pixels)};
    std::vector<uint8_t> rgba(size_t(image.width) * size_t(image.height) * 4);
    for (size_t i = 0, j = 0; j < rgba.size(); i += 3, j += 4) {
        rgba[j] = image.pixels[i];
        rgba[j + 1] = image.pixels[i + 1];
        rgba[j + 2] = image.pixels[i + 2];
        rgba[j + 3] = 255;
    }
    return RgbaImage{image.width, image.height, std::move(rgba)};
}
