#include "tools/kvd/SceneConversion.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "tools/export/SceneExport.h"
#include "tools/export/SceneImages.h"
#include "tools/export/StreamingConversion.h"
#include "tools/export/TextureReference.h"
#include "tools/kvd/ExitCodes.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/scene/ProgressBar.h"

namespace {

// The current mesh's vertex list, plus blocks and the document.
constexpr MemoryNeed kConvertMemory{12, 64};

// With --no-images, texture references resolve beside the output; say which
// do not, since the output then shows no image for them.
void NoteMissingTextures(const std::vector<SceneMaterial>& materials, const std::string& out, JobOutput& output)
{
    const std::filesystem::path folder = std::filesystem::path(out).parent_path();
    std::set<std::string> missing;
    for (const SceneMaterial& material : materials) {
        for (const std::string& name : {material.texture, material.bumpTexture}) {
            const std::string path = RelativeTexturePath(name);
            std::error_code error;
            if (!path.empty() && !std::filesystem::exists(folder / path, error))
                missing.insert(path);
        }
    }
    if (missing.empty())
        return;
    std::string list;
    for (const std::string& name : missing)
        list += (list.empty() ? "" : ", ") + name;
    output.Err("kvd: note: textures not found beside %s: %s\n", out.c_str(), list.c_str());
}

enum class ConvertStage { Opening, Reading, Assembling };

int Convert(const std::string& file, const std::string& out, const ConvertSettings& settings, OutputFormat format,
            bool batch, JobOutput& output, ConvertStage& stage)
{
    ExportOptions exportOptions;
    exportOptions.axes = settings.keepAxes ? AxisMode::Keep : AxisMode::ToYUp;
    exportOptions.axes.scale = settings.scale;
    exportOptions.dataUris = settings.embed;
    // Each material's images are found when a mesh first uses it, before
    // the writer hears of the material.
    std::optional<SceneImageGatherer> images;
    if (!settings.noImages) {
        ImageSearch search;
        search.sceneFolder = std::filesystem::path(file).parent_path();
        search.extraFolders.assign(settings.textureFolders.begin(), settings.textureFolders.end());
        images.emplace(std::move(search));
        exportOptions.images = &images->images();
    }
    WriterLimits limits;
    limits.maxGlbBytes = settings.maxGlbBytes;
    limits.mergeVertexLimit = settings.mergeVertexLimit;
    const std::unique_ptr<SceneWriter> writer = MakeSceneWriter(out, format, exportOptions, limits);
    auto cannotWrite = [&] {
        if (writer->failure() == WriteFailure::TooLarge)
            output.Err("kvd: %s: %s\n", out.c_str(), writer->error().c_str());
        else
            output.Err("kvd: cannot write %s: %s\n", out.c_str(), writer->error().c_str());
        return kExitCannotWrite;
    };
    // Before reading: an output that cannot be made is said at once.
    if (!writer->Open())
        return cannotWrite();
    stage = ConvertStage::Reading;

    const bool quiet = settings.quiet || batch;
    StreamingConversion conversion(*writer, images ? &*images : nullptr);
    const ImportReport report = ImportWithProgress(file, conversion, quiet);
    if (!BodyWasRead(report.result))
        return ReportImportFailure(file, report, output);
    // The damage is reported at the end, with the exit code.
    for (const ImportMessage message : report.messages) {
        if (message != ImportMessage::FileDamaged)
            output.Err("kvd: %s: %s\n", file.c_str(), DescribeMessage(message).c_str());
    }
    // Left out of the output, so nothing refers to a file that is not there.
    if (images) {
        for (const UnusableImage& image : images->images().unusable) {
            output.Err("kvd: %s: %s, left out: %s\n", file.c_str(),
                       image.found.empty() ? "texture not found" : "texture cannot be read",
                       DescribeUnusable(image).c_str());
        }
    }

    stage = ConvertStage::Assembling;
    conversion.Complete();
    std::unique_ptr<TerminalProgressBar> bar;
    if (ShowsProgress(file, quiet))
        bar = std::make_unique<TerminalProgressBar>(stderr);
    if (!writer->Finish(bar.get()))
        return cannotWrite();
    const ExportStats& stats = writer->stats();
    if (stats.trianglesDropped > 0) {
        output.Err("kvd: %llu triangles with coordinates that are not numbers were left out\n",
                   static_cast<unsigned long long>(stats.trianglesDropped));
    }
    if (!settings.quiet) {
        output.Out("%s: %zu objects, %llu triangles, %llu vertices, %zu materials, %zu cameras\n", out.c_str(),
                   conversion.meshCount(), static_cast<unsigned long long>(stats.triangles),
                   static_cast<unsigned long long>(stats.vertices), conversion.materials().size(),
                   format == OutputFormat::Obj ? size_t{0} : conversion.cameraCount());
        if (settings.noImages)
            NoteMissingTextures(conversion.materials(), out, output);
    }
    // A damaged body is converted as far as it was read, and still reported.
    const int importExit = ReportImportFailure(file, report, output);
    if (importExit == 0 && settings.strict && images && !images->images().unusable.empty())
        return kExitMissingImages;
    return importExit;
}

}  // namespace

int ConvertSceneFile(const std::string& file, const std::string& out, const ConvertSettings& settings, bool batch,
                     JobOutput& output)
{
    const std::optional<OutputFormat> format = FormatFromPath(out);
    if (!format) {
        output.Err("kvd: %s: the output must end in .glb, .gltf, .obj or .kvd\n", out.c_str());
        return kExitUsage;
    }
    if (settings.embed && *format == OutputFormat::Obj) {
        output.Err("kvd: --embed is for .gltf and .glb; an OBJ's images go beside its .mtl\n");
        return kExitUsage;
    }
    ConvertStage stage = ConvertStage::Opening;
    try {
        return Convert(file, out, settings, *format, batch, output, stage);
    } catch (const std::bad_alloc&) {
        // Every temporary file is gone by now: their owners were unwound.
        const std::string doing = stage == ConvertStage::Assembling ? "writing " + out : "reading " + file;
        return ReportOutOfMemory(file, doing, kConvertMemory, output);
    }
}
