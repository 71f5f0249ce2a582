// kvd convert: reads a file into a destination that writes each mesh as it
// arrives, as glTF 2.0 (.glb, .gltf) or OBJ with MTL (.obj), the format
// chosen from the output's extension; or many files into an output folder.
#include <memory>
#include <string>
#include <vector>

#include "tools/export/CleanupOnSignal.h"
#include "tools/kvd/BatchOptions.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/kvd/SceneConversion.h"

namespace {

struct ConvertOptions {
    std::vector<std::string> paths;   // FILE OUT, or the inputs of a batch
    BatchOptions batch;
    std::string to = "glb";
    ConvertSettings settings;
};

int RunConvert(const ConvertOptions& options)
{
    // Ctrl-C, a closed terminal or kill leave no temporary file behind.
    RemoveTemporariesOnSignal();
    return RunFileOrBatch(options.paths, options.batch, options.settings.quiet,
                          "convert takes FILE OUT, or -o OUTDIR and files or folders", "." + options.to, "converted",
                          [&options](const std::string& in, const std::string& out, bool inBatch, JobOutput& output) {
                              return ConvertSceneFile(in, out, options.settings, inBatch, output);
                          });
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* command = app.add_subcommand(
        "convert", "Convert FILE to OUT: glTF 2.0 (.glb, .gltf) or OBJ with its .mtl (.obj);\n"
        "or many files and folders into OUTDIR: kvd convert -o OUTDIR FILES_OR_FOLDERS... [--to glb]");
    command->add_option("PATHS", options->paths,
                        "FILE OUT: a kvd scene file and the output, whose extension chooses the format;\n"
                        "with -o: kvd scene files and folders of them")
        ->required();
    AddBatchOptions(*command, options->batch);
    command->add_option("--to", options->to, "With -o: the output format")
        ->check(CLI::IsMember({"glb", "gltf", "obj"}))
        ->capture_default_str();
    command->add_flag("--keep-axes", options->settings.keepAxes,
                      "Keep the scene's Z-up coordinates instead of turning them Y-up as (x, z, -y)");
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
    command->footer(ExitCodeHelp() +
                    "\n\nImages: a .glb holds them; a .gltf and an .obj get them as files beside them\n"
                    "(PNG and JPEG as they are, other formats as PNG). A texture not found is named\n"
                    "on standard error and left out; the material keeps its colours.\n"
                    "\nThe output is written beside OUT under temporary names and renamed into place,\n"
                    "so a failed or interrupted conversion never leaves a half-written OUT.\n"
                    "A .glb holds at most 4 GiB; a .gltf keeps its geometry in a .bin beside it, of any size.");
    command->callback([options, &exitCode] { exitCode = RunConvert(*options); });
}
