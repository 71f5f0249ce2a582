#include "tools/export/SceneExport.h"

#include <algorithm>
#include <filesystem>

#include "tools/export/GltfStreamWriter.h"
#include "tools/export/ObjExport.h"

namespace {
std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
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
