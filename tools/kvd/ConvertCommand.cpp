// kvd convert: imports a file through a host that keeps the whole scene and
// writes it as glTF 2.0 (.glb, .gltf) or OBJ with MTL (.obj), the format
// chosen from the output's extension.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include "tools/export/SceneExport.h"
#include "tools/export/TextureReference.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/scene/SceneCollector.h"

namespace {

struct ConvertOptions {
    std::string file;
    std::string out;
    bool keepAxes = false;
    bool quiet = false;
};

// Texture references resolve beside the output; say which do not, since
// the output then shows no image for them.
void NoteMissingTextures(const SceneModel& scene, const std::string& out)
{
    const std::filesystem::path folder = std::filesystem::path(out).parent_path();
    std::set<std::string> missing;
    for (const SceneMaterial& material : scene.materials) {
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

int RunConvert(const ConvertOptions& options)
{
    const std::optional<OutputFormat> format = FormatFromPath(options.out);
    if (!format) {
        std::fprintf(stderr, "kvd: %s: the output must end in .glb, .gltf or .obj\n", options.out.c_str());
        return kExitUsage;
    }

    SceneModel scene;
    SceneCollector collector(scene);
    const ImportReport report = ImportWithProgress(options.file, collector, options.quiet);
    if (report.status == ImportStatus::CannotOpen || report.status == ImportStatus::Rejected)
        return ReportImportFailure(options.file, report);
    // The damage message itself is the last one; it is reported at the end.
    size_t shown = report.messages.size();
    if (report.status == ImportStatus::Damaged && shown > 0)
        --shown;
    for (size_t i = 0; i < shown; ++i)
        std::fprintf(stderr, "kvd: %s: %s\n", options.file.c_str(), DescribeMessage(report.messages[i]).c_str());

    ExportOptions exportOptions;
    exportOptions.axes = options.keepAxes ? AxisMode::Keep : AxisMode::ToYUp;
    const ExportResult result = ExportScene(scene, options.out, *format, exportOptions);
    if (!result.written) {
        std::fprintf(stderr, "kvd: cannot write %s\n", result.error.c_str());
        return kExitCannotWrite;
    }
    if (result.stats.trianglesDropped > 0) {
        std::fprintf(stderr, "kvd: %llu triangles with coordinates that are not numbers were left out\n",
                     static_cast<unsigned long long>(result.stats.trianglesDropped));
    }
    if (!options.quiet) {
        std::printf("%s: %zu objects, %llu triangles, %llu vertices, %zu materials, %zu cameras\n",
                    options.out.c_str(), scene.objects.size(),
                    static_cast<unsigned long long>(result.stats.triangles),
                    static_cast<unsigned long long>(result.stats.vertices), scene.materials.size(),
                    *format == OutputFormat::Obj ? size_t{0} : scene.cameras.size());
        NoteMissingTextures(scene, options.out);
    }
    // A damaged body is converted as far as it was read, and still reported.
    return ReportImportFailure(options.file, report);
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
    command->footer(ExitCodeHelp() +
                    "\n\nThe output is written beside OUT under a temporary name and renamed into place,\n"
                    "so a failed conversion never leaves a half-written OUT.");
    command->callback([options, &exitCode] { exitCode = RunConvert(*options); });
}
