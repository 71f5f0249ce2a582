#include "ConvertScenes.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <stb_image_write.h>
#include <tiffio.h>

namespace {

bool WriteTiff(const std::string& path, const SampleImage& image)
{
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "w"), TIFFClose);
    if (!tiff)
        return false;
    TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, image.width);
    TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, image.height);
    TIFFSetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    for (int row = 0; row < image.height; ++row) {
        auto* line = const_cast<unsigned char*>(image.rgb.data()) + static_cast<size_t>(row) * image.width * 3;
        if (TIFFWriteScanline(tiff.get(), line, static_cast<uint32_t>(row), 0) < 0)
            return false;
    }
    return true;
}

// In the format the file's extension names.
bool WriteImage(const std::filesystem::path& path, const SampleImage& image)
{
    const std::string name = path.string();
    const std::string extension = path.extension().string();
    const unsigned char* rgb = image.rgb.data();
    if (extension == ".bmp")
        return stbi_write_bmp(name.c_str(), image.width, image.height, 3, rgb) != 0;
    if (extension == ".tga")
        return stbi_write_tga(name.c_str(), image.width, image.height, 3, rgb) != 0;
    if (extension == ".png")
        return stbi_write_png(name.c_str(), image.width, image.height, 3, rgb, image.width * 3) != 0;
    if (extension == ".tif")
        return WriteTiff(name, image);
    return stbi_write_jpg(name.c_str(), image.width, image.height, 3, rgb, 90) != 0;
}

}  // namespace

std::string WriteConvertSceneFiles(const std::filesystem::path& folder, const std::filesystem::path& samples)
{
    for (const ConvertScene& scene : ConvertScenes()) {
        const std::string path = (folder / (scene.name + ".kvd")).string();
        if (!kvdwriter::WriteBytesToFile(path, kvdwriter::SceneBytes(scene.scene)))
            return "cannot write " + path;
    }
    for (const std::string& texture : ConvertSceneTextures()) {
        std::error_code error;
        std::filesystem::copy_file(samples / "wood.jpg", folder / texture,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            return texture + ": " + error.message();
    }
    for (const SampleImage& image : ConvertSceneImages()) {
        const std::filesystem::path path = folder / image.path;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (!WriteImage(path, image))
            return "cannot write " + path.string();
    }
    return {};
}
