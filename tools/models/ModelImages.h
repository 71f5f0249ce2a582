// The images a model's materials show, found beside the model and made into
// files the host can show, written beside the kvd file under the names its
// maps give.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/models/ModelScene.h"

// The image a model names, looked for as named within the model's folder
// (a name that leaves the folder is not followed), then by its file name
// alone in that folder. Not found: a warning in model, and nothing.
std::optional<ModelImage> LoadModelImage(const std::filesystem::path& folder, const std::string& name,
                                         ModelScene& model);

struct ImageFile {
    std::string fileName;         // beside the kvd file, UTF-8
    std::vector<uint8_t> bytes;   // JPEG, BMP or TIFF
};

// Makes each image the materials use into a file the host shows (JPEG, BMP
// and TIFF as they are, every other kind re-encoded), names it after the
// output (stem: "chair" gives chair_wood.bmp, so the outputs of a batch into
// one folder never share an image's name) uniquely within folder (never one
// of the model's own source images), and points the materials' maps at it.
// A name the source stored (a scene written by kvd convert) is kept as it
// was. An image that cannot be read is left out, with a warning in model.
std::vector<ImageFile> PlaceModelImages(ModelScene& model, const std::filesystem::path& folder,
                                        const std::string& stem);
