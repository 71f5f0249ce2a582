#include "tools/export/SceneExport.h"

#include <algorithm>
#include <filesystem>

#include "tools/export/GltfExport.h"
#include "tools/export/ObjExport.h"
#include "tools/export/ReplacingFile.h"
#include "tools/export/SceneImages.h"

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

// Each found image as a file in the output's folder, complete before the
// output that names it, and never over one of the scene's source images
// (images is renamed where it would be). Empty when all were written, else
// why not.
std::string WriteImagesBeside(const std::string& outputPath, SceneImages& images)
{
    const std::filesystem::path folder = std::filesystem::path(outputPath).parent_path();
    KeepSourcesWhenWritingInto(folder.empty() ? "." : folder, images);
    for (const OutputImage& image : images.images) {
        ReplacingFile file((folder / image.fileName).string());
        if (!file.Open())
            return file.path() + ": " + file.error();
        file.stream().write(reinterpret_cast<const char*>(image.packed.bytes.data()),
                            static_cast<std::streamsize>(image.packed.bytes.size()));
        if (!file.Commit())
            return file.path() + ": " + file.error();
    }
    return {};
}

ExportResult ExportGltf(const SceneModel& scene, const std::string& path, bool binary,
                        const ExportOptions& options)
{
    ExportResult result;
    ExportOptions written = options;
    SceneImages beside;
    if (!binary && !options.dataUris && options.images != nullptr) {
        beside = *options.images;
        written.images = &beside;
        const std::string error = WriteImagesBeside(path, beside);
        if (!error.empty()) {
            result.error = error;
            return result;
        }
    }
    const tinygltf::Model model = BuildGltfModel(scene, written, binary, result.stats);
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
    ExportOptions written = options;
    SceneImages beside;
    if (options.images != nullptr) {
        beside = *options.images;
        written.images = &beside;
        const std::string error = WriteImagesBeside(mtlPath, beside);
        if (!error.empty()) {
            result.error = error;
            return result;
        }
    }
    ReplacingFile obj(path);
    ReplacingFile mtl(mtlPath);
    if (!obj.Open())
        return Failed(path, obj.error());
    if (!mtl.Open())
        return Failed(mtlPath, mtl.error());
    const std::string mtlName = std::filesystem::path(mtlPath).filename().string();
    WriteObj(scene, written, mtlName, obj.stream(), mtl.stream(), result.stats);
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
