#include "tools/export/SceneExport.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "tools/export/GltfExport.h"
#include "tools/export/ObjExport.h"

namespace {
std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

void WriteObject(const SceneObject& object, SceneWriter& writer)
{
    writer.BeginMesh(object.points.data(), object.points.size() / 3, object.material);
    writer.AddTriangles(object.indices.data(), object.indices.size() / 3);
    writer.EndMesh();
}
}  // namespace

std::optional<OutputFormat> FormatFromPath(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    if (extension == ".glb")
        return OutputFormat::Glb;
    if (extension == ".gltf")
        return OutputFormat::Gltf;
    if (extension == ".obj")
        return OutputFormat::Obj;
    return std::nullopt;
}

std::string MaterialLibraryPath(const std::string& objPath)
{
    return std::filesystem::path(objPath).replace_extension(".mtl").string();
}

std::unique_ptr<SceneWriter> MakeSceneWriter(const std::string& path, OutputFormat format,
                                             const ExportOptions& options, const WriterLimits& limits)
{
    if (format == OutputFormat::Obj)
        return std::make_unique<ObjStreamWriter>(path, options, limits);
    return std::make_unique<GltfStreamWriter>(path, format == OutputFormat::Glb, options, limits);
}

void WriteScene(const SceneModel& scene, SceneWriter& writer)
{
    for (const SceneMaterial& material : scene.materials)
        writer.AddMaterial(material);
    for (const SceneObject& object : scene.objects)
        WriteObject(object, writer);
    for (const SceneCamera& camera : scene.cameras)
        writer.AddCamera(camera);
}

ExportResult ExportScene(const SceneModel& scene, const std::string& path, OutputFormat format,
                         const ExportOptions& options, const WriterLimits& limits)
{
    ExportResult result;
    std::unique_ptr<SceneWriter> writer = MakeSceneWriter(path, format, options, limits);
    if (writer->Open()) {
        WriteScene(scene, *writer);
        result.written = writer->Finish(nullptr);
    }
    result.failure = writer->failure();
    result.error = writer->failed() ? path + ": " + writer->error() : std::string();
    result.stats = writer->stats();
    return result;
}
