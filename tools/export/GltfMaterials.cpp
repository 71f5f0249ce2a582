#include "tools/export/GltfMaterials.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <sodium.h>

#include "base/GbkText.h"
#include "tools/export/MaterialMaps.h"
#include "tools/export/ReplacingFile.h"
#include "tools/export/SceneImages.h"
#include "tools/export/TextureReference.h"

namespace {

// glTF colour factors lie in [0, 1]; a value the file holds outside it (or
// not a number) is brought to the nearest end. The stored values stay in
// the material's extras.
double UnitInterval(float value)
{
    if (std::isnan(value))
        return 0.0;
    return std::clamp(static_cast<double>(value), 0.0, 1.0);
}

GltfJson Colour(const std::array<float, 3>& colour)
{
    return GltfJson::array(
        {static_cast<double>(colour[0]), static_cast<double>(colour[1]), static_cast<double>(colour[2])});
}

std::string DataUri(const PackedImage& image)
{
    const int variant = sodium_base64_VARIANT_ORIGINAL;
    std::string text(sodium_base64_ENCODED_LEN(image.bytes.size(), variant), '\0');
    sodium_bin2base64(text.data(), text.size(), image.bytes.data(), image.bytes.size(), variant);
    text.pop_back();   // the encoder's terminating NUL
    return "data:" + image.mimeType + ";base64," + text;
}

}  // namespace

GltfMaterials::GltfMaterials(GltfJson& document, GltfBinaryData& binary, bool binaryOutput,
                             const ExportOptions& options)
    : document_(document), binary_(binary), binaryOutput_(binaryOutput), options_(options)
{
}

int GltfMaterials::AddTexture(GltfJson image)
{
    const int source = AppendTo(document_, "images", std::move(image));
    return AppendTo(document_, "textures", {{"source", source}});
}

// The texture of an image file name, shared by every material naming it.
int GltfMaterials::TextureFor(const std::string& uri)
{
    auto [where, inserted] = textures_.try_emplace(uri, 0);
    if (inserted)
        where->second = AddTexture({{"uri", uri}});
    return where->second;
}

// The texture of a found image, shared by every material using it. In a
// .glb the image goes to the binary data at once, in a .gltf it is a data
// URI or a file beside it, named when the output is finished.
int GltfMaterials::TextureForImage(int slot)
{
    auto [where, inserted] = imageTextures_.try_emplace(slot, 0);
    if (!inserted)
        return where->second;
    const OutputImage& source = options_.images->images[static_cast<size_t>(slot)];
    GltfJson image = {{"name", source.fileName}};
    if (binaryOutput_) {
        image["bufferView"] = binary_.AddBlob(document_, source.packed.bytes.data(), source.packed.bytes.size());
        image["mimeType"] = source.packed.mimeType;
    } else if (options_.dataUris) {
        image["uri"] = DataUri(source.packed);
    } else {
        const size_t images = document_.contains("images") ? document_["images"].size() : 0;
        besideImages_.emplace_back(static_cast<int>(images), slot);
    }
    where->second = AddTexture(std::move(image));
    return where->second;
}

int GltfMaterials::Add(const SceneMaterial& source)
{
    const size_t index = textured_.size();
    GltfJson pbr = {{"baseColorFactor",
                     {UnitInterval(source.diffuse[0]), UnitInterval(source.diffuse[1]), UnitInterval(source.diffuse[2]),
                      1.0}},
                    // The host's materials are plain coloured surfaces, not metals.
                    {"metallicFactor", 0.0}};

    // The values as the file stores them: a file material's three colours
    // and first scalar, a mesh's own colour.
    GltfJson extras = {{"diffuseColor", Colour(source.diffuse)}};
    if (!source.ownColour) {
        extras["ambientColor"] = Colour(source.ambient);
        extras["specularColor"] = Colour(source.specular);
        extras["scalar1"] = static_cast<double>(source.scalar1);
    }
    const MaterialMapNames maps = MapNamesOf(source);
    if (!maps.texture.empty())
        extras["firstTexture"] = GbkToUtf8(maps.texture);
    if (!maps.bump.empty())
        extras["secondTexture"] = GbkToUtf8(maps.bump);

    // A bump (height) image is not a normal map: it is kept in extras as a
    // texture (or a reference) that tools can follow, not wired into
    // normalTexture.
    if (options_.images != nullptr && index < options_.images->materials.size()) {
        // With images found: only those go in; a map without one is left out.
        const SceneImages::Slots& slots = options_.images->materials[index];
        if (slots.texture != SceneImages::kNone)
            pbr["baseColorTexture"] = {{"index", TextureForImage(slots.texture)}};
        if (slots.bump != SceneImages::kNone) {
            extras["bumpTexture"] = {{"index", TextureForImage(slots.bump)}};
            if (!binaryOutput_ && !options_.dataUris)
                besideBumps_.emplace_back(static_cast<int>(index), slots.bump);
        }
    } else if (options_.images == nullptr) {
        // Without images: references to the names as stored, relative to the output.
        if (!maps.texture.empty())
            pbr["baseColorTexture"] = {{"index", TextureFor(PathToUri(RelativeTexturePath(maps.texture)))}};
        if (!maps.bump.empty())
            extras["bumpTexture"] = {{"uri", PathToUri(RelativeTexturePath(maps.bump))}};
    }
    textured_.push_back(pbr.contains("baseColorTexture"));
    return AppendTo(document_, "materials",
                    {{"name", GbkToUtf8(source.name)}, {"pbrMetallicRoughness", std::move(pbr)}, {"extras", extras}});
}

// A .gltf's images as files beside it, complete before the document that
// names them, and never over one of the scene's source images.
bool GltfMaterials::WriteImagesBeside(const std::string& outputPath, std::string& error)
{
    if (besideImages_.empty())
        return true;
    SceneImages written = *options_.images;
    const std::filesystem::path folder = std::filesystem::path(outputPath).parent_path();
    KeepSourcesWhenWritingInto(folder.empty() ? "." : folder, written);
    std::vector<bool> done(written.images.size(), false);
    for (const auto& [documentImage, slot] : besideImages_) {
        const OutputImage& image = written.images[static_cast<size_t>(slot)];
        document_["images"][static_cast<size_t>(documentImage)]["uri"] = PathToUri(image.fileName);
        if (done[static_cast<size_t>(slot)])
            continue;
        done[static_cast<size_t>(slot)] = true;
        ReplacingFile file((folder / image.fileName).string());
        if (!file.Open()) {
            error = file.path() + ": " + file.error();
            return false;
        }
        file.stream().write(reinterpret_cast<const char*>(image.packed.bytes.data()),
                            static_cast<std::streamsize>(image.packed.bytes.size()));
        if (!file.Commit()) {
            error = file.path() + ": " + file.error();
            return false;
        }
    }
    for (const auto& [material, slot] : besideBumps_) {
        document_["materials"][static_cast<size_t>(material)]["extras"]["bumpTexture"]["uri"] =
            PathToUri(written.images[static_cast<size_t>(slot)].fileName);
    }
    return true;
}
