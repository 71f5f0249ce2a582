#include "tools/render/PictureFile.h"

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

bool WritePng(const RgbImage& picture, const std::string& path, std::string& error)
{
    std::string png;
    if (!stbi_write_png_to_func(AppendBytes, &png, picture.width, picture.height, 3, picture.pixels.data(),
                                picture.width * 3)) {
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
