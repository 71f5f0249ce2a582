// kvd convert: the direction chosen by the output's extension. A kvd scene
// is read into a destination that writes each mesh as it arrives, as glTF
// 2.0 (.glb, .gltf) or OBJ with MTL (.obj); a model file (glTF, OBJ, or any
// kind the general importer reads) is written as a kvd scene (.kvd) with
// its images beside it. Or many files into an output folder.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "tools/export/CleanupOnSignal.h"
#include "tools/kvd/BatchOptions.h"
#include "tools/kvd/BatchRunner.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/kvd/SceneConversion.h"
#include "tools/models/AssimpModel.h"
#include "tools/models/ModelConversion.h"
#include "tools/scene/ProgressBar.h"

namespace {

// A model to kvd: the current mesh's placed points and the tables of its
// triangles, plus the model's own data (counted in the file's size).
constexpr MemoryNeed kModelConvertMemory{24, 64};

struct ConvertOptions {
    std::vector<std::string> paths;   // FILE OUT, or the inputs of a batch
    BatchOptions batch;
    std::string to = "glb";
    bool toGiven = false;
    ConvertSettings settings;
};

bool IsKvdPath(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == ".kvd";
}

int ConvertModel(const std::string& file, const std::string& out, const ConvertSettings& options, bool batch,
                 JobOutput& output)
{
    const std::optional<ModelKind> kind = ModelKindOf(file);
    if (!kind) {
        if (IsKvdPath(file))
            output.Err("kvd: %s is a kvd scene: it converts to .glb, .gltf or .obj\n", file.c_str());
        else
            output.Err("kvd: %s: not a kind of model kvd convert reads (see kvd convert --help)\n", file.c_str());
        return kExitUsage;
    }
    AxisOptions axes;
    axes.keepAxes = options.keepAxes;
    axes.scale = options.scale;
    ModelConversionReport report;
    std::unique_ptr<TerminalProgressBar> bar;
    if (ShowsProgress(file, options.quiet || batch))
        bar = std::make_unique<TerminalProgressBar>(stderr);
    try {
        report = ConvertModelToKvd(file, *kind, out, axes, bar.get());
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(file, "converting " + file, kModelConvertMemory, output);
    }
    for (const std::string& warning : report.warnings)
        output.Err("kvd: %s: %s\n", file.c_str(), warning.c_str());
    for (const std::string& damage : report.damage)
        output.Err("kvd: %s: damaged: %s\n", file.c_str(), damage.c_str());
    if (report.outcome == ModelConversionOutcome::CannotRead) {
        output.Err("kvd: %s: %s\n", file.c_str(), report.error.c_str());
        return kExitFailure;
    }
    if (report.outcome == ModelConversionOutcome::CannotWrite) {
        output.Err("kvd: cannot write %s: %s\n", out.c_str(), report.error.c_str());
        return kExitCannotWrite;
    }
    for (const std::string& note : report.written.notes)
        output.Err("kvd: %s: %s\n", out.c_str(), note.c_str());
    if (!options.quiet) {
        output.Out("%s: %llu objects, %llu triangles, %llu vertices, %zu materials, %zu cameras, %zu images\n",
                   out.c_str(), static_cast<unsigned long long>(report.written.meshes),
                   static_cast<unsigned long long>(report.written.triangles),
                   static_cast<unsigned long long>(report.written.points), report.materials, report.cameras,
                   report.imagesWritten);
    }
    if (!report.damage.empty())
        return kExitDamaged;
    if (options.strict && report.imagesLeftOut > 0)
        return kExitMissingImages;
    return 0;
}

int ConvertFile(const std::string& file, const std::string& out, const ConvertSettings& settings, bool batch,
                JobOutput& output)
{
    if (IsKvdPath(out))
        return ConvertModel(file, out, settings, batch, output);
    return ConvertSceneFile(file, out, settings, batch, output);
}

// An option that cannot apply to the conversion asked for is a usage error
// that names it; nothing is converted.
bool OptionsApply(const ConvertOptions& options)
{
    auto refuse = [](const char* text) {
        std::fprintf(stderr, "kvd: %s\n", text);
        return false;
    };
    const bool toKvd = options.batch.outputFolder.empty()
                           ? options.paths.size() == 2 && IsKvdPath(options.paths[1])
                           : options.to == "kvd";
    if (options.batch.outputFolder.empty() && options.toGiven)
        return refuse("--to is for -o OUTDIR; with FILE OUT the format comes from OUT's extension");
    if (!(options.settings.scale > 0.0) || !std::isfinite(options.settings.scale))
        return refuse("--scale takes a positive number");
    if (toKvd) {
        if (options.settings.embed)
            return refuse("--embed is for .gltf outputs; a kvd scene's images go beside it");
        if (options.settings.noImages)
            return refuse("--no-images is for kvd scenes going out; a model's images always go beside the .kvd");
        if (!options.settings.textureFolders.empty())
            return refuse("--textures is for kvd scenes going out; a model's images are found beside the model");
    }
    return true;
}

// Model files of every kind kvd convert reads, for a batch to kvd.
SceneFileKinds ModelFiles()
{
    return {[](const std::filesystem::path& path) { return ModelKindOf(path).has_value(); }, "model files"};
}

int RunConvert(const ConvertOptions& options)
{
    if (!OptionsApply(options))
        return kExitUsage;
    // Ctrl-C, a closed terminal or kill leave no temporary file behind.
    RemoveTemporariesOnSignal();
    return RunFileOrBatch(
        options.paths, options.batch, options.settings.quiet, "convert takes FILE OUT, or -o OUTDIR and files or folders",
        "." + options.to, "converted",
        [&options](const std::string& in, const std::string& out, bool inBatch, JobOutput& output) {
            return ConvertFile(in, out, options.settings, inBatch, output);
        },
        options.to == "kvd" ? ModelFiles() : KvdSceneFiles());
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = app.add_subcommand(
        "convert", "Convert FILE to OUT, the direction chosen by OUT's extension: a kvd scene to glTF 2.0\n"
        "(.glb, .gltf) or OBJ with its .mtl (.obj); a model (glTF, OBJ, FBX, ...) to a kvd scene (.kvd)\n"
        "with its images beside it. Or many files and folders into OUTDIR:\n"
        "kvd convert -o OUTDIR FILES_OR_FOLDERS... [--to glb|gltf|obj|kvd]");
    command->add_option("PATHS", options->paths,
                        "FILE OUT: the input and the output, whose extension chooses the format;\n"
                        "with -o: files and folders (kvd scenes, or models with --to kvd)")
        ->required();
    AddBatchOptions(*command, options->batch);
    command->add_option("--to", options->to, "With -o: the output format (kvd: models to kvd scenes)")
        ->check(CLI::IsMember({"glb", "gltf", "obj", "kvd"}))
        ->capture_default_str()
        ->each([options](const std::string&) { options->toGiven = true; });
    command->add_flag("--keep-axes", options->settings.keepAxes,
                      "Keep the coordinates' axes: a kvd scene is Z-up, glTF and OBJ are Y-up, and without it\n"
                      "(x, y, z) goes out as (x, z, -y) and a model's (x, y, z) comes in as (x, -z, y)");
    command->add_option("--scale", options->settings.scale, "Multiply every coordinate by F, in both directions")
        ->option_text("F");
    command->add_flag("--quiet", options->settings.quiet, "No progress bar and no summary; errors and warnings only");
    command->add_option("--textures", options->settings.textureFolders,
                        "Also look for texture images in DIR (repeatable), after FILE's folder and its\n"
                        "maps/ and textures/ subfolders")
        ->option_text("DIR")
        ->allow_extra_args(false);
    CLI::Option* embed = command->add_flag(
        "--embed", options->settings.embed, ".gltf: images inside the file as data URIs instead of files beside it");
    command->add_flag("--no-images", options->settings.noImages,
                      "Refer to the texture names as stored instead of finding and storing the images")
        ->excludes(embed);
    command->add_flag("--strict", options->settings.strict,
                      "Exit with status 5 when a texture image is not found or cannot be read");
    // Not in the help: the tests' way to meet the .glb size limit with a small scene.
    command->add_option("--max-glb-bytes", options->settings.maxGlbBytes)->group("");
    // Not in the help either: the benchmark's way to time merging on and off.
    command->add_option("--merge-vertex-limit", options->settings.mergeVertexLimit)->group("");
    // Built when the help is shown: listing the general importer's kinds
    // loads it, which no other use of the command should pay for.
    command->footer([] {
        return ExitCodeHelp() +
                    "\n\nModels read: glTF 2.0 (.gltf, .glb) and OBJ (.obj with its .mtl) by the tool itself;\n"
                    "through the general importer (assimp):\n" + AssimpExtensionList() + "\n"
                    "Going to .kvd: in world space, Z up ((x, y, z) of a Y-up model becomes (x, -z, y)); the\n"
                    "images beside OUT.kvd (JPEG, BMP and TIFF as they are, others re-encoded as BMP).\n"
                    "\nImages: a .glb holds them; a .gltf and an .obj get them as files beside them\n"
                    "(PNG and JPEG as they are, other formats as PNG). A texture not found is named\n"
                    "on standard error and left out; the material keeps its colours.\n"
                    "\nThe output is written beside OUT under temporary names and renamed into place,\n"
                    "so a failed or interrupted conversion never leaves a half-written OUT.\n"
                    "A .glb holds at most 4 GiB; a .gltf keeps its geometry in a .bin beside it, of any size.";
    });
    command->callback([options, &exitCode] { exitCode = RunConvert(*options); });
}
