// The images a scene's materials name, found and made ready for the output
// once each, however many materials name them.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/scene/SceneMaterial.h"
#include "tools/export/ImagePacker.h"

// Where images are looked for: the scene file's folder (with its maps/ and
// textures/ subfolders), then the extra folders in order.
struct ImageSearch {
    std::filesystem::path sceneFolder;
    std::vector<std::filesystem::path> extraFolders;
};

struct OutputImage {
    std::string fileName;   // UTF-8, unique within the output (ignoring case)
    std::filesystem::path source;
    PackedImage packed;
};

// A map whose image is left out of the output.
struct UnusableImage {
    std::string storedName;                    // UTF-8
    std::vector<std::filesystem::path> tried;  // folders looked in
    std::filesystem::path found;               // when found but not readable
    std::string error;                         // why not readable
};

struct SceneImages {
    static constexpr int kNone = -1;
    struct Slots {
        int texture = kNone;   // position in images
        int bump = kNone;
    };
    std::vector<OutputImage> images;
    std::vector<Slots> materials;         // one per material given, in order
    std::vector<UnusableImage> unusable;  // each stored name once
};

// Finds a scene's images a material at a time as the materials come: each
// Add appends the material's slots to images(), finding each image once.
class SceneImageGatherer {
public:
    explicit SceneImageGatherer(ImageSearch search) : search_(std::move(search)) {}

    void Add(const SceneMaterial& material);
    const SceneImages& images() const { return result_; }
    SceneImages& images() { return result_; }

private:
    int ImageFor(const std::string& storedName);
    int Resolve(const std::string& storedName);
    std::string UniqueFileName(const std::filesystem::path& source, const PackedImage& packed);

    ImageSearch search_;
    SceneImages result_;
    std::map<std::string, int> byStoredName_;
    std::map<std::string, int> byFile_;
    std::set<std::string> taken_;
};

// Renames images that are to be written into folder where their file would
// replace one of the images' sources (a TGA re-encoded as wall.png beside a
// source wall.png): a conversion into the scene's own folder never
// overwrites the scene's images. An image written over its own source
// unchanged keeps its name.
void KeepSourcesWhenWritingInto(const std::filesystem::path& folder, SceneImages& images);

// "name (looked in a, b)" or "name (path: why)", for messages.
std::string DescribeUnusable(const UnusableImage& image);
