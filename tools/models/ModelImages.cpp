#include "tools/models/ModelImages.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

#include "tools/models/HostImage.h"
#include "tools/models/ModelFiles.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The last part of a name stored with either kind of slash.
std::string FilePart(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// A file name any file system and the host take: letters, digits, '-', '_'
// and '.', the rest as '_'.
std::string SafeStem(const std::string& name)
{
    std::string stem = fs::path(FilePart(name)).stem().string();
    for (char& c : stem) {
        const auto byte = static_cast<unsigned char>(c);
        if (!(std::isalnum(byte) || c == '-' || c == '_') || byte >= 0x80)
            c = '_';
    }
    if (stem.size() > 60)
        stem.resize(60);
    return stem.empty() ? "texture" : stem;
}

}  // namespace

std::optional<ModelImage> LoadModelImage(const fs::path& folder, const std::string& name, ModelScene& model)
{
    std::vector<fs::path> candidates;
    const std::string portable = [&] {
        std::string s = name;
        std::replace(s.begin(), s.end(), '\\', '/');
        return s;
    }();
    const fs::path relative = fs::path(portable).lexically_normal();
    if (!portable.empty() && !relative.is_absolute() && !relative.has_root_name() &&
        (relative.empty() || *relative.begin() != ".."))
        candidates.push_back(folder / relative);
    if (!FilePart(portable).empty())
        candidates.push_back(folder / FilePart(portable));
    for (const fs::path& path : candidates) {
        std::error_code error;
        if (!fs::is_regular_file(path, error))
            continue;
        ModelImage image;
        std::string why;
        if (!ReadWholeFile(path, image.bytes, why))
            continue;
        image.name = FilePart(portable);
        image.origin = path.string();
        image.source = path;
        return image;
    }
 ++model.imagesLeftOut;
    model.Warn("texture image not found, left out: " + name + " (looked in " + folder.string() + ")");
    return std::nullopt;
}

std::vector<ImageFile> PlaceModelImages(ModelScene& model, const fs::path& folder, const std::string& stem)
{
    std::vector<ImageFile> files;
    std::set<std::string> taken;   // lower case
    std::set<fs::path> sources;
    for (const ModelImage& image : model.images) {
        if (!image.source.empty())
            sources.insert(fs::weakly_canonical(image.source));
    }
    // A name free in the output, and not one of the model's own images
    // unless the file there would be the same bytes.
    auto claim = [&](std::string name, const std::vector<uint8_t>& bytes) {
        const std::string stem = fs::path(name).stem().string();
        const std::string extension = fs::path(name).extension().string();
        for (int n = 2;; ++n) {
            const fs::path path = folder / name;
            bool free = taken.count(Lower(name)) == 0;
            if (free && sources.count(fs::weakly_canonical(path)) > 0) {
                std::vector<uint8_t> there;
                std::string why;
                free = ReadWholeFile(path, there, why) && there == bytes;
            }
            if (free) {
                taken.insert(Lower(name));
                return name;
            }
            name = stem + "_" + std::to_string(n) + extension;
        }
    };
    // One file per image and kind, however many maps show it.
    std::map<std::pair<size_t, std::string>, std::string> written;
    for (const ModelMap& map : model.imageMaps) {
        if (map.image >= model.images.size() || map.material >= model.scene.materials.size())
            continue;
        const ModelImage& image = model.images[map.image];
        // A stored name keeps its kind; any other image becomes the kind it
        // is, or the one the host takes best.
        const std::string wanted = map.storedName.empty() ? std::string() : FilePart(map.storedName);
        const std::optional<HostImageKind> kind =
            wanted.empty() ? std::optional<HostImageKind>(HostImageKind::AsItIs) : HostKindOfName(wanted);
        if (!kind) {
            // The host cannot show an image of that name; the map keeps it.
            continue;
        }
        const auto key = std::make_pair(map.image, wanted.empty() ? std::string() : Lower(fs::path(wanted).extension().string()));
        auto done = written.find(key);
        std::string fileName;
        if (done != written.end()) {
            fileName = done->second;
        } else {
            HostImage prepared = PrepareHostImage(image.bytes, *kind);
            if (!prepared.ok()) {
                ++model.imagesLeftOut;
                model.Warn("texture image cannot be read, left out: " + image.origin + ": " + prepared.error);
                written[key] = "";
                continue;
            }
            fileName = wanted.empty() ? SafeStem(stem) + "_" + SafeStem(image.name) + prepared.extension : wanted;
            fileName = claim(fileName, prepared.bytes);
            files.push_back({fileName, std::move(prepared.bytes)});
            written[key] = fileName;
        }
        if (fileName.empty() || !map.storedName.empty())
            continue;   // a stored name is in the material's maps already
        model.scene.materials[map.material].maps.push_back({map.role, fileName});
    }
    return files;
}
