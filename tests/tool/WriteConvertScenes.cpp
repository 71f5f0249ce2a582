// kvd_convert_scene_files FOLDER SAMPLES: writes the conversion scenes as
// .kvd files into FOLDER with the images they name, so the conversion finds
// them and the glTF clients can load them.
#include <cstdio>

#include "ConvertScenes.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvd_convert_scene_files FOLDER SAMPLES\n");
        return 2;
    }
    const std::string error = WriteConvertSceneFiles(argv[1], argv[2]);
    if (!error.empty()) {
        std::fprintf(stderr, "kvd_convert_scene_files: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
