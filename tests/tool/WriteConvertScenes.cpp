// kvd_convert_scene_files FOLDER SAMPLES: writes the conversion scenes as
// .kvd files into FOLDER, with a copy of SAMPLES/wood.jpg under the name of
// every texture they name, so the glTF validator can check their references.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "ConvertScenes.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvd_convert_scene_files FOLDER SAMPLES\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const ConvertScene& scene : ConvertScenes()) {
        const std::string path = (folder / (scene.name + ".kvd")).string();
        if (!kvdwriter::WriteBytesToFile(path, kvdwriter::SceneBytes(scene.scene))) {
            std::fprintf(stderr, "kvd_convert_scene_files: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    for (const std::string& texture : ConvertSceneTextures()) {
        std::error_code error;
        std::filesystem::copy_file(std::filesystem::path(argv[2]) / "wood.jpg", folder / texture,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            std::fprintf(stderr, "kvd_convert_scene_files: %s: %s\n", texture.c_str(), error.message().c_str());
            return 1;
        }
    }
    return 0;
}
