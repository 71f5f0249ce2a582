#include "tools/render/PictureFile.h"

#include <filesystem>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "tools/export/ReplacingFile.h"

namespace {
void AppendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::string*>(context);
    bytes->append(static_cast<const char*>(data), static_cast<size_t>(size));
}
}  // namespace

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
    std::string png;
    const bool encoded =
        kind == PictureKind::Png
            ? stbi_write_png_to_func(AppendBytes, &png, picture.width, picture.height, 3, picture.pixels.data(),
                                     picture.width * 3) != 0
            : stbi_write_jpg_to_func(AppendBytes, &png, picture.width, picture.height, 3, picture.pixels.data(),
                                     kJpegQuality) != 0;
    if (!encoded) {
        error = path + ": the picture cannot be encoded";
        return false;
    }
    ReplacingFile out(path);
    if (!out.Open()) {
        error = path + ": " + out.error();
        return false;
    }
    out.stream().write(png.data(), static_cast<std::streamsize>(png.size()));
    if (!out.Commit()) {
        error = path + ": " + (out.error().empty() ? "writing failed" : out.error());
        return false;
    }
    return true;
}

std::optional<RgbaImage> LoadRgbaImage(const std::string& path)
{
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr)
        return std::nullopt;
    RgbaImage image{width, height, std::vector<uint8_t>(pixels, pixels + size_t(width) * size_t(height) * 4)};
    stbi_image_free(pixels);
    return image;
}
