#include "tools/render/SceneRenderInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/GbkText.h"
#include "reader/DefaultCamera.h"
#include "tools/export/ImageLookup.h"
#include "tools/export/MaterialMaps.h"
#include "tools/render/PictureFile.h"
#include "tools/scene/SceneCollector.h"

namespace {
float Clamped(float value)
{
    return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

// The image a material names, found as the converter finds it, loaded
// once; nothing when it is not found or cannot be read.
const RgbaImage* FindTexture(const SceneMaterial& material, const std::filesystem::path& folder,
                             SceneRenderInput& input)
{
    const std::string name = MapNamesOf(material).texture;
    if (name.empty())
        return nullptr;
    if (auto known = input.images.find(name); known != input.images.end())
        return known->second.width > 0 ? &known->second : nullptr;
    const ImageLookup lookup = FindImage(name, folder, {});
    std::optional<RgbaImage> image;
    std::string error;
    if (lookup.ok())
        image = LoadRgbaImage(lookup.found.string(), error);
    if (!lookup.ok())
        input.missingTextures.insert(name);
    else if (!image)
        input.unreadableTextures[GbkToUtf8(name)] = lookup.found.string() + ": " + error;
    RgbaImage& kept = input.images[name];
    if (image)
        kept = std::move(*image);
    return kept.width > 0 ? &kept : nullptr;
}

void AddObject(const SceneObject& object, const std::filesystem::path& folder, SceneRenderInput& input)
{
    const SceneMaterial& material = input.model.materials[static_cast<size_t>(object.material)];
    const std::array<float, 3> colour = {Clamped(material.diffuse[0]), Clamped(material.diffuse[1]),
                                         Clamped(material.diffuse[2])};
    const RgbaImage* texture = FindTexture(material, folder, input);
    input.triangles += object.triangleCount();
    if (texture != nullptr) {
        // Texture coordinates belong to triangles: corners are split where
        // the projection changes, as the converter does.
        TexturedMesh& mesh = input.texturedMeshes.emplace_back();
        StreamedMesh indexing;
        indexing.Begin(object.points.data(), object.points.size() / 3, AxisMode::Keep, true, mesh);
        indexing.AddTriangles(object.indices.data(), object.triangleCount());
        indexing.End();
        input.scene.meshes.push_back({mesh.positions, mesh.indices, colour, texture, mesh.texCoords});
        return;
    }
    if (!object.indices.empty())
        input.scene.meshes.push_back({object.points, object.indices, colour, nullptr, {}});
}
}  // namespace

void TexturedMesh::AddVertices(const float* p, const float* t, size_t count)
{
    positions.insert(positions.end(), p, p + count * 3);
    texCoords.insert(texCoords.end(), t, t + count * 2);
}

void TexturedMesh::AddIndices(const uint32_t* i, size_t count)
{
    indices.insert(indices.end(), i, i + count);
}

void ImportSceneForRender(const std::string& path, bool quiet, SceneRenderInput& input)
{
    SceneCollector collector(input.model);
    input.report = ImportWithProgress(path, collector, quiet);

    for (const SceneCamera& camera : input.model.cameras) {
        input.cameras.push_back({camera.eye, camera.target, camera.fov});
        input.cameraNames.push_back(GbkToUtf8(camera.name));
    }
    // The reader gives the fixed default camera to a file without cameras; a
    // file cut before its camera section still gets a view.
    if (input.cameras.empty()) {
        input.cameras.push_back({kDefaultEye, kDefaultTarget, kCameraFov});
        input.cameraNames.push_back("fixed default camera");
    }

    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    for (const SceneObject& object : input.model.objects)
        AddObject(object, folder, input);
}
