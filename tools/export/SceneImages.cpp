#include "tools/export/SceneImages.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

#include "base/GbkText.h"
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

}  // namespace

int SceneImageGatherer::ImageFor(const std::string& storedName)
{
    if (storedName.empty())
        return SceneImages::kNone;
    auto [byName, inserted] = byStoredName_.try_emplace(storedName, SceneImages::kNone);
    if (inserted)
        byName->second = Resolve(storedName);
    return byName->second;
}

int SceneImageGatherer::Resolve(const std::string& storedName)
{
    const ImageLookup lookup = FindImage(storedName, search_.sceneFolder, search_.extraFolders);
    if (!lookup.ok()) {
        result_.unusable.push_back({GbkToUtf8(storedName), lookup.tried, {}, {}});
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
        result_.unusable.push_back({GbkToUtf8(storedName), lookup.tried, lookup.found, packed.error});
        return SceneImages::kNone;
    }
    OutputImage image;
    image.fileName = UniqueFileName(lookup.found, packed);
    image.source = lookup.found;
    image.packed = std::move(packed);
    result_.images.push_back(std::move(image));
    byFile->second = static_cast<int>(result_.images.size()) - 1;
    return byFile->second;
}

// The source's file name, with .png when re-encoded, numbered when two
// different images would share it (on a Windows disk, in any case).
std::string SceneImageGatherer::UniqueFileName(const fs::path& source, const PackedImage& packed)
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

void SceneImageGatherer::Add(const SceneMaterial& material)
{
    const MaterialMapNames names = MapNamesOf(material);
    SceneImages::Slots slots;
    slots.texture = ImageFor(names.texture);
    slots.bump = ImageFor(names.bump);
    result_.materials.push_back(slots);
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
