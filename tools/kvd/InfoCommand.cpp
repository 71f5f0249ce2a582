// kvd info: reads a file into a destination that keeps only counts and
// bounds, and prints what the scene holds. The text and the --json output are
// made from one JSON document, so they always agree. Over many files, each
// file's summary is printed whole; with --json, one document per line.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/kvd/BatchOptions.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/kvd/SceneInfo.h"

namespace {

using nlohmann::json;

// Objects listed one by one in the text output; --json lists all.
constexpr size_t kListedObjects = 20;

struct InfoOptions {
    std::vector<std::string> files;
    BatchOptions batch;
    bool json = false;
    std::vector<std::string> textureFolders;
};

std::string FormatNumber(const json& value)
{
    if (value.is_null())
        return "nan";
    char text[32];
    std::snprintf(text, sizeof text, "%g", value.get<double>());
    return text;
}

std::string FormatTriple(const json& triple)
{
    return "(" + FormatNumber(triple[0]) + ", " + FormatNumber(triple[1]) + ", " + FormatNumber(triple[2]) + ")";
}

std::string Quoted(const json& text)
{
    return "\"" + text.get<std::string>() + "\"";
}

std::string ImageText(const json& image)
{
    if (!image["found"].is_null() && image.contains("unreadable"))
        return "(found: " + image["found"].get<std::string>() + ", cannot be read: " +
               image["unreadable"].get<std::string>() + ")";
    if (!image["found"].is_null())
        return "(found: " + image["found"].get<std::string>() + ")";
    std::string folders;
    for (const json& folder : image["lookedIn"])
        folders += (folders.empty() ? "" : ", ") + folder.get<std::string>();
    return "(not found; looked in " + folders + ")";
}

void PrintMaterials(const json& materials, JobOutput& output)
{
    output.Out("materials: %zu\n", materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        const json& m = materials[i];
        output.Out("  [%zu] %s  ambient %s  diffuse %s  specular %s\n", i, Quoted(m["name"]).c_str(),
                   FormatTriple(m["ambient"]).c_str(), FormatTriple(m["diffuse"]).c_str(),
                   FormatTriple(m["specular"]).c_str());
        if (!m["texture"].get<std::string>().empty())
            output.Out("       texture %s  %s\n", m["texture"].get<std::string>().c_str(),
                       ImageText(m["textureImage"]).c_str());
        if (!m["bumpTexture"].get<std::string>().empty())
            output.Out("       bump texture %s  %s\n", m["bumpTexture"].get<std::string>().c_str(),
                       ImageText(m["bumpTextureImage"]).c_str());
    }
}

void PrintCameras(const json& cameras, JobOutput& output)
{
    output.Out("cameras: %zu\n", cameras.size());
    for (size_t i = 0; i < cameras.size(); ++i) {
        const json& c = cameras[i];
        output.Out("  [%zu] %s  eye %s  target %s%s\n", i, Quoted(c["name"]).c_str(), FormatTriple(c["eye"]).c_str(),
                   FormatTriple(c["target"]).c_str(), i == 0 ? "  (default camera)" : "");
    }
}

std::string FormatBounds(const json& bounds)
{
    if (bounds.is_null())
        return "none";
    return FormatTriple(bounds["min"]) + " to " + FormatTriple(bounds["max"]);
}

void PrintObjects(const json& objects, const json& materials, JobOutput& output)
{
    output.Out("objects: %zu, %s triangles, %s vertices\n", objects["count"].get<size_t>(),
               objects["triangles"].dump().c_str(), objects["vertices"].dump().c_str());
    output.Out("  bounds %s\n", FormatBounds(objects["bounds"]).c_str());
    const json& list = objects["list"];
    for (size_t i = 0; i < list.size() && i < kListedObjects; ++i) {
        const json& o = list[i];
        std::string material = "no surface";
        if (o["material"].contains("file")) {
            const size_t index = o["material"]["file"].get<size_t>();
            material = "material [" + std::to_string(index) + "] " + Quoted(materials[index]["name"]);
        } else if (o["material"].contains("ownColour")) {
            material = "own colour " + FormatTriple(o["material"]["ownColour"]) + " of " +
                       Quoted(o["material"]["name"]);
        }
        output.Out("  [%zu] %s triangles, %s vertices, %s\n", i, o["triangles"].dump().c_str(),
                   o["vertices"].dump().c_str(), material.c_str());
    }
    if (list.size() > kListedObjects)
        output.Out("  ... and %zu more (kvd info --json lists every object)\n", list.size() - kListedObjects);
}

void PrintText(const json& info, JobOutput& output)
{
    output.Out("file: %s, %s bytes\n", info["file"].get<std::string>().c_str(), info["size"].dump().c_str());
    if (!info["header"]["accepted"].get<bool>()) {
        output.Out("header: rejected: %s\n",
                   info["header"].value("reason", std::string("no reason given")).c_str());
        return;
    }
    output.Out("header: accepted\n");
    if (info["status"] == "damaged")
        output.Out("body: damaged; below is what was read before the damage\n");
    PrintMaterials(info["materials"], output);
    PrintCameras(info["cameras"], output);
    PrintObjects(info["objects"], info["materials"], output);
    const json& messages = info["messages"];
    if (messages.empty()) {
        output.Out("messages: none\n");
        return;
    }
    output.Out("messages: %zu\n", messages.size());
    for (const json& m : messages) {
        const std::string meaning = m["meaning"].get<std::string>();
        output.Out("  %s%s\n", m["text"].get<std::string>().c_str(),
                   meaning.empty() || meaning == m["text"] ? "" : (" (" + meaning + ")").c_str());
    }
}

int InfoFile(const std::string& file, const InfoOptions& options, bool oneLine, JobOutput& output)
{
    const bool asJson = options.json;
    json info;
    const int exitCode = ReadSceneInfo(file, options.textureFolders, asJson || oneLine, info, output);
    if (info.is_null())
        return exitCode;
    if (asJson) {
        const std::string text = oneLine ? info.dump(-1, ' ', false, json::error_handler_t::replace)
                                         : info.dump(2, ' ', false, json::error_handler_t::replace);
        output.Out("%s\n", text.c_str());
    } else if (info["status"] != "cannot-open") {
        PrintText(info, output);
    }
    return exitCode;
}

int RunInfo(const InfoOptions& options)
{
    if (!IsBatch(options.files)) {
        JobOutput output;
        const int exitCode = InfoFile(options.files[0], options, false, output);
        return output.WriteTo(stdout, stderr) ? exitCode : WorseExitCode(exitCode, kExitFailure);
    }
    const BatchJob job = [&options](const SceneFile& file, JobOutput& output) {
        return InfoFile(file.path, options, true, output);
    };
    return RunSceneBatch(options.files, job, options.batch.Settings("read", options.json));
}

}  // namespace

void AddInfoCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand(
        "info", "Import FILE and summarise it: header, materials, cameras, objects, messages;\n"
        "or many files and folders, each summary printed whole");
    command->add_option("FILES", options->files, "kvd scene files, or folders of them")->required();
    command->add_flag("--json", options->json,
                      "Print the summary as one JSON document; over many files, one document per line");
    command->add_option("--textures", options->textureFolders,
                        "Also look for texture images in DIR (repeatable), as kvd convert does")
        ->option_text("DIR")
        ->allow_extra_args(false);
    AddBatchOptions(*command, options->batch, false);
    command->footer(ExitCodeHelp());
    command->callback([options, &exitCode] { exitCode = RunInfo(*options); });
}
