// kvd_samples FOLDER: writes the sample scenes and the texture images they
// name into FOLDER (the repository's samples/ folder is made this way).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <stb_image_write.h>

#include "tools/samples/SampleScenes.h"

namespace {
constexpr int kJpegQuality = 90;

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool WriteImage(const std::filesystem::path& path, const SampleImage& image)
{
    const std::string name = path.string();
    if (EndsWith(name, ".bmp"))
        return stbi_write_bmp(name.c_str(), image.width, image.height, 3, image.rgb.data()) != 0;
    return stbi_write_jpg(name.c_str(), image.width, image.height, 3, image.rgb.data(), kJpegQuality) != 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvd_samples FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const SampleScene& sample : SampleScenes()) {
        const std::filesystem::path path = folder / sample.fileName;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (!kvdwriter::WriteBytesToFile(path.string(), kvdwriter::SceneBytes(sample.scene))) {
            std::fprintf(stderr, "kvd_samples: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    for (const SampleImage& image : SampleImages()) {
        const std::filesystem::path path = folder / image.path;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (!WriteImage(path, image)) {
            std::fprintf(stderr, "kvd_samples: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
