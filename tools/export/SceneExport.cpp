#include "tools/export/SceneExport.h"

#include <algorithm>
#include <filesystem>

#include "tools/export/GltfExport.h"
#include "tools/export/ObjExport.h"
#include "tools/export/ReplacingFile.h"

namespace {
std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

ExportResult Failed(const std::string& path, const std::string& why)
{
    ExportResult result;
    result.error = path + ": " + why;
    return result;
}

ExportResult ExportGltf(const SceneModel& scene, const std::string& path, bool binary,
                        const ExportOptions& options)
{
    ExportResult result;
    const tinygltf::Model model = BuildGltfModel(scene, options, result.stats);
    ReplacingFile out(path);
    if (!out.Open())
        return Failed(path, out.error());
    if (!WriteGltf(model, binary, out.stream()) || !out.Commit())
        return Failed(path, out.error().empty() ? "writing failed" : out.error());
    result.written = true;
    return result;
}

ExportResult ExportObj(const SceneModel& scene, const std::string& path, const ExportOptions& options)
{
    ExportResult result;
    const std::string mtlPath = MaterialLibraryPath(path);
    ReplacingFile obj(path);
    ReplacingFile mtl(mtlPath);
    if (!obj.Open())
        return Failed(path, obj.error());
    if (!mtl.Open())
        return Failed(mtlPath, mtl.error());
    const std::string mtlName = std::filesystem::path(mtlPath).filename().string();
    WriteObj(scene, options, mtlName, obj.stream(), mtl.stream(), result.stats);
    // The library first, so the OBJ never names one that is not there.
    if (!mtl.Commit())
        return Failed(mtlPath, mtl.error());
    if (!obj.Commit())
        return Failed(path, obj.error());
    result.written = true;
    return result;
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

ExportResult ExportScene(const SceneModel& scene, const std::string& path, OutputFormat format,
                         const ExportOptions& options)
{
    switch (format) {
    case OutputFormat::Glb:
        return ExportGltf(scene, path, true, options);
    case OutputFormat::Gltf:
        return ExportGltf(scene, path, false, options);
    case OutputFormat::Obj:
        return ExportObj(scene, path, options);
    }
    return Failed(path, "unknown format");
}
