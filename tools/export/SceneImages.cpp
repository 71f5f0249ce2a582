#include "tools/export/SceneImages.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

#include "plugin/GbkText.h"
#include "tools/export/ImageLookup.h"
#include "tools/export/MaterialMaps.h"

namespace {

namespace fs = std::filesystem;

std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return text;
}

class Gatherer {
public:
    explicit Gatherer(const ImageSearch& search) : search_(search) {}

    int ImageFor(const std::string& storedName)
    {
        if (storedName.empty())
            return SceneImages::kNone;
        auto [byName, inserted] = byStoredName_.try_emplace(storedName, SceneImages::kNone);
        if (inserted)
            byName->second = Resolve(storedName);
        return byName->second;
    }

    SceneImages result;

private:
    int Resolve(const std::string& storedName)
    {
        const ImageLookup lookup = FindImage(storedName, search_.sceneFolder, search_.extraFolders);
        if (!lookup.ok()) {
            result.unusable.push_back({GbkToUtf8(storedName), lookup.tried, {}, {}});
            return SceneImages::kNone;
        }
        std::error_code error;
        fs::path identity = fs::weakly_canonical(lookup.found, error);
        if (error)
            identity = lookup.found;
        auto [byFile, inserted] = byFile_.try_emplace(identity.string(), SceneImages::kNone);
        if (!inserted)
            return byFile->second;
        PackedImage packed = PackImage(lookup.found);
        if (!packed.ok()) {
            result.unusable.push_back({GbkToUtf8(storedName), lookup.tried, lookup.found, packed.error});
            return SceneImages::kNone;
        }
        OutputImage image;
        image.fileName = UniqueFileName(lookup.found, packed);
        image.source = lookup.found;
        image.packed = std::move(packed);
        result.images.push_back(std::move(image));
        byFile->second = static_cast<int>(result.images.size()) - 1;
        return byFile->second;
    }

    // The source's file name, with .png when re-encoded, numbered when two
    // different images would share it (on a Windows disk, in any case).
    std::string UniqueFileName(const fs::path& source, const PackedImage& packed)
    {
        fs::path name = source.filename();
        if (packed.reencoded)
            name.replace_extension(packed.extension());
        const std::string stem = name.stem().string();
        const std::string extension = name.extension().string();
        std::string candidate = name.string();
        for (int n = 2; !taken_.insert(LowerAscii(candidate)).second; ++n)
            candidate = stem + "_" + std::to_string(n) + extension;
        return candidate;
    }

    const ImageSearch& search_;
    std::map<std::string, int> byStoredName_;
    std::map<std::string, int> byFile_;
    std::set<std::string> taken_;
};

}  // namespace

SceneImages GatherSceneImages(const std::vector<SceneMaterial>& materials, const ImageSearch& search)
{
    Gatherer gatherer(search);
    for (const SceneMaterial& material : materials) {
        const MaterialMapNames names = MapNamesOf(material);
        SceneImages::Slots slots;
        slots.texture = gatherer.ImageFor(names.texture);
        slots.bump = gatherer.ImageFor(names.bump);
        gatherer.result.materials.push_back(slots);
    }
    return std::move(gatherer.result);
}

void KeepSourcesWhenWritingInto(const fs::path& folder, SceneImages& images)
{
    std::set<std::string> taken;
    for (const OutputImage& image : images.images)
        taken.insert(LowerAscii(image.fileName));
    auto replacesASource = [&](const OutputImage& image, const std::string& name) {
        std::error_code error;
        for (const OutputImage& other : images.images) {
            if (!fs::equivalent(folder / name, other.source, error))
                continue;
            const bool ownUnchanged = &other == &image && !image.packed.reencoded;
            if (!ownUnchanged)
                return true;
        }
        return false;
    };
    for (OutputImage& image : images.images) {
        if (!replacesASource(image, image.fileName))
            continue;
        const fs::path name(image.fileName);
        std::string candidate;
        int n = 2;
        do {
            candidate = name.stem().string() + "_" + std::to_string(n++) + name.extension().string();
        } while (taken.count(LowerAscii(candidate)) > 0 || replacesASource(image, candidate));
        taken.insert(LowerAscii(candidate));
        image.fileName = candidate;
    }
}

std::string DescribeUnusable(const UnusableImage& image)
{
    if (!image.found.empty())
        return image.storedName + " (" + image.found.string() + ": " + image.error + ")";
    std::string folders;
    for (const fs::path& folder : image.tried)
        folders += (folders.empty() ? "" : ", ") + folder.string();
    return image.storedName + " (looked in " + folders + ")";
}
