// kvd render: a picture of the scene from one of its cameras, drawn
// off-screen and written as PNG; or pictures of many files into a folder.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/kvd/BatchOptions.h"
#include "tools/kvd/BatchRunner.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/render/SceneRenderInput.h"
#include "tools/render/PictureFile.h"
#include "tools/render/SceneRenderer.h"

namespace {

struct RenderOptions {
    std::vector<std::string> paths;   // FILE OUT.png, or the inputs of a batch
    BatchOptions batch;
    int camera = 0;
    std::string size;
    int width = kDefaultPictureWidth;
    int height = kDefaultPictureHeight;
    bool quiet = false;
};

// "WxH", each side from 1 to kLargestPictureSide.
bool ParseSize(const std::string& text, int& width, int& height)
{
    unsigned w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%u%c%u%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 1 || h < 1 || w > unsigned(kLargestPictureSide) || h > unsigned(kLargestPictureSide))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

int RenderFile(const std::string& file, const std::string& out, const RenderOptions& options, bool batch,
               JobOutput& output)
{
    SceneRenderInput input;
    ImportSceneForRender(file, options.quiet || batch, input);
    const ImportReport& report = input.report;
    if (!BodyWasRead(report.result))
        return ReportImportFailure(file, report, output);
    if (options.camera >= static_cast<int>(input.cameras.size())) {
        output.Err("kvd: %s: there is no camera %d; the scene has %zu (numbered from 0)\n", file.c_str(),
                   options.camera, input.cameras.size());
        return kExitUsage;
    }

    const RenderOutcome outcome =
        RenderPicture(input.scene, input.cameras[static_cast<size_t>(options.camera)], options.width, options.height);
    if (!outcome.picture) {
        output.Err("kvd: %s: cannot render: %s\n", file.c_str(), outcome.error.c_str());
        return kExitFailure;
    }
    std::string error;
    if (!WritePng(*outcome.picture, out, error)) {
        output.Err("kvd: cannot write %s\n", error.c_str());
        return kExitCannotWrite;
    }
    for (const auto& [name, why] : input.unreadableTextures)
        output.Err("kvd: %s: texture cannot be read, drawn in its colour: %s (%s)\n", file.c_str(), name.c_str(),
                   why.c_str());
    if (outcome.trianglesSkipped > 0) {
        output.Err("kvd: %s: %llu triangles with a corner that is not a number were left out\n", file.c_str(),
                   static_cast<unsigned long long>(outcome.trianglesSkipped));
    }
    if (!options.quiet) {
        output.Out("%s: %dx%d from camera [%d] \"%s\", %llu triangles\n", out.c_str(), options.width,
                   options.height, options.camera, input.cameraNames[static_cast<size_t>(options.camera)].c_str(),
                   static_cast<unsigned long long>(input.triangles));
        if (!input.missingTextures.empty()) {
            std::string list;
            for (const std::string& name : input.missingTextures)
                list += (list.empty() ? "" : ", ") + name;
            output.Err("kvd: note: textures not found beside %s, drawn in their colour: %s\n", file.c_str(),
                       list.c_str());
        }
    }
    // A damaged body is drawn as far as it was read, and still reported.
    return ReportImportFailure(file, report, output);
}

int RunRender(RenderOptions& options)
{
    if (!options.size.empty() && !ParseSize(options.size, options.width, options.height)) {
        std::fprintf(stderr, "kvd: --size takes WxH, each from 1 to %d, as in 800x600\n", kLargestPictureSide);
        return kExitUsage;
    }
    return RunFileOrBatch(options.paths, options.batch, options.quiet,
                          "render takes FILE OUT.png, or -o OUTDIR and files or folders", ".png", "rendered",
                          [&options](const std::string& in, const std::string& out, bool inBatch, JobOutput& output) {
                              return RenderFile(in, out, options, inBatch, output);
                          });
}

}  // namespace

void AddRenderCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command = app.add_subcommand(
        "render", "Draw FILE's scene from one of its cameras into OUT.png;\n"
                  "or many files and folders into OUTDIR: kvd render -o OUTDIR FILES_OR_FOLDERS...");
    command->add_option("PATHS", options->paths,
                        "FILE OUT.png: a kvd scene file and the picture; with -o: kvd scene files and folders")
        ->required();
    command->add_option("--camera", options->camera,
                        "The camera to look through, numbered from 0 as kvd info lists them (0: the default camera)")
        ->check(CLI::NonNegativeNumber);
    command->add_option("--size", options->size, "Picture size WxH (default 800x600)");
    AddBatchOptions(*command, options->batch);
    command->add_flag("--quiet", options->quiet, "No progress and no summary; errors and warnings only");
    command->footer(ExitCodeHelp() +
                    "\n\nThe picture is written beside OUT under a temporary name and renamed into place.\n"
                    "The scene is seen as the host shows it: field of view 22 degrees across a 4:3 view,\n"
                    "diffuse colours and the textures found beside FILE, lit from the camera.");
    command->callback([options, &exitCode] { exitCode = RunRender(*options); });
}
