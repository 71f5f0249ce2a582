// kvd convert: reads a file into a destination that writes each mesh as it
// arrives, as glTF 2.0 (.glb, .gltf) or OBJ with MTL (.obj), the format
// chosen from the output's extension.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "tools/export/CleanupOnSignal.h"
#include "tools/export/SceneExport.h"
#include "tools/export/StreamingConversion.h"
#include "tools/export/TextureReference.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/scene/ProgressBar.h"

namespace {

// The current mesh's vertex list, plus blocks and the document.
constexpr MemoryNeed kConvertMemory{12, 64};

struct ConvertOptions {
    std::string file;
    std::string out;
    bool keepAxes = false;
    bool quiet = false;
    // Lowered by the tests to check the refusal without a 4 GiB scene.
    uint64_t maxGlbBytes = WriterLimits().maxGlbBytes;
    // Raised or lowered to measure the cost of merging equal points.
    size_t mergeVertexLimit = WriterLimits().mergeVertexLimit;
};

// Texture references resolve beside the output; say which do not, since
// the output then shows no image for them.
void NoteMissingTextures(const std::vector<SceneMaterial>& materials, const std::string& out)
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
    std::fprintf(stderr, "kvd: note: textures not found beside %s: %s\n", out.c_str(), list.c_str());
}

enum class ConvertStage { Opening, Reading, Assembling };

int Convert(const ConvertOptions& options, OutputFormat format, ConvertStage& stage)
{
    ExportOptions exportOptions;
    exportOptions.axes = options.keepAxes ? AxisMode::Keep : AxisMode::ToYUp;
    WriterLimits limits;
    limits.maxGlbBytes = options.maxGlbBytes;
    limits.mergeVertexLimit = options.mergeVertexLimit;
    const std::unique_ptr<SceneWriter> writer = MakeSceneWriter(options.out, format, exportOptions, limits);
    auto cannotWrite = [&] {
        if (writer->failure() == WriteFailure::TooLarge)
            std::fprintf(stderr, "kvd: %s: %s\n", options.out.c_str(), writer->error().c_str());
        else
            std::fprintf(stderr, "kvd: cannot write %s: %s\n", options.out.c_str(), writer->error().c_str());
        return kExitCannotWrite;
    };
    // Before reading: an output that cannot be made is said at once.
    if (!writer->Open())
        return cannotWrite();
    stage = ConvertStage::Reading;

    StreamingConversion conversion(*writer);
    const ImportReport report = ImportWithProgress(options.file, conversion, options.quiet);
    if (report.status == ImportStatus::CannotOpen || report.status == ImportStatus::Rejected)
        return ReportImportFailure(options.file, report);
    // The damage message itself is the last one; it is reported at the end.
    size_t shown = report.messages.size();
    if (report.status == ImportStatus::Damaged && shown > 0)
        --shown;
    for (size_t i = 0; i < shown; ++i)
        std::fprintf(stderr, "kvd: %s: %s\n", options.file.c_str(), DescribeMessage(report.messages[i]).c_str());

    stage = ConvertStage::Assembling;
    conversion.Complete();
    std::unique_ptr<TerminalProgressBar> bar;
    if (ShowsProgress(options.file, options.quiet))
        bar = std::make_unique<TerminalProgressBar>(stderr);
    if (!writer->Finish(bar.get()))
        return cannotWrite();
    const ExportStats& stats = writer->stats();
    if (stats.trianglesDropped > 0) {
        std::fprintf(stderr, "kvd: %llu triangles with coordinates that are not numbers were left out\n",
                     static_cast<unsigned long long>(stats.trianglesDropped));
    }
    if (!options.quiet) {
        std::printf("%s: %zu objects, %llu triangles, %llu vertices, %zu materials, %zu cameras\n",
                    options.out.c_str(), conversion.meshCount(), static_cast<unsigned long long>(stats.triangles),
                    static_cast<unsigned long long>(stats.vertices), conversion.materials().size(),
                    format == OutputFormat::Obj ? size_t{0} : conversion.cameraCount());
        NoteMissingTextures(conversion.materials(), options.out);
    }
    // A damaged body is converted as far as it was read, and still reported.
    return ReportImportFailure(options.file, report);
}

int RunConvert(const ConvertOptions& options)
{
    const std::optional<OutputFormat> format = FormatFromPath(options.out);
    if (!format) {
        std::fprintf(stderr, "kvd: %s: the output must end in .glb, .gltf or .obj\n", options.out.c_str());
        return kExitUsage;
    }
    // Ctrl-C, a closed terminal or kill leave no temporary file behind.
    RemoveTemporariesOnSignal();
    ConvertStage stage = ConvertStage::Opening;
    try {
        return Convert(options, *format, stage);
    } catch (const std::bad_alloc&) {
        // Every temporary file is gone by now: their owners were unwound.
        const std::string doing = stage == ConvertStage::Assembling ? "writing " + options.out
                                                                    : "reading " + options.file;
        return ReportOutOfMemory(options.file, doing, kConvertMemory);
    }
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = app.add_subcommand(
        "convert", "Convert FILE to OUT: glTF 2.0 (.glb, .gltf) or OBJ with its .mtl (.obj)");
    command->add_option("FILE", options->file, "kvd scene file")->required();
    command->add_option("OUT", options->out, "Output file; its extension chooses the format")->required();
    command->add_flag("--keep-axes", options->keepAxes,
                      "Keep the scene's Z-up coordinates instead of turning them Y-up as (x, z, -y)");
    command->add_flag("--quiet", options->quiet, "No progress bar and no summary; errors and warnings only");
    // Not in the help: the tests' way to meet the .glb size limit with a small scene.
    command->add_option("--max-glb-bytes", options->maxGlbBytes)->group("");
    // Not in the help either: the benchmark's way to time merging on and off.
    command->add_option("--merge-vertex-limit", options->mergeVertexLimit)->group("");
    command->footer(ExitCodeHelp() +
                    "\n\nThe output is written beside OUT under temporary names and renamed into place,\n"
                    "so a failed or interrupted conversion never leaves a half-written OUT.\n"
                    "A .glb holds at most 4 GiB; a .gltf keeps its geometry in a .bin beside it, of any size.");
    command->callback([options, &exitCode] { exitCode = RunConvert(*options); });
}
