#include "tools/render/PictureFile.h"

#include <filesystem>

#include "tools/export/ReplacingFile.h"
#include "tools/image/ImageDecoder.h"
#include "tools/image/PngEncoder.h"

// A JPEG of this quality shows a rendered picture without visible loss.
constexpr int kJpegQuality = 92;

std::optional<PictureKind> PictureKindOf(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (extension == ".png")
        return PictureKind::Png;
    if (extension == ".jpg" || extension == ".jpeg")
        return PictureKind::Jpeg;
    return std::nullopt;
}

bool WritePng(const RgbImage& picture, const std::string& path, std::string& error)
{
    return WritePicture(picture, PictureKind::Png, path, error);
}

bool WritePicture(const RgbImage& picture, PictureKind kind, const std::string& path, std::string& error)
{
    const std::vector<uint8_t> png =
        kind == PictureKind::Png ? EncodePng(picture.pixels.data(), picture.width, picture.height, 3)
                                 : EncodeJpeg(picture.pixels.data(), picture.width, picture.height, 3, kJpegQuality);
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
