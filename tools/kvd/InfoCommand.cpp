// kvd info: reads a file into a destination that keeps only counts and
// bounds, and prints what the scene holds. The text and the --json output are
// made from one JSON document, so they always agree. Over many files, each
// file's summary is printed whole; with --json, one document per line.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/GbkText.h"
#include "tools/export/ImageLookup.h"
#include "tools/export/MaterialMaps.h"
#include "tools/image/ImageDecoder.h"
#include "tools/kvd/BatchOptions.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/kvd/SceneCommands.h"
#include "tools/scene/SceneSummary.h"

namespace {

using nlohmann::json;

// The current mesh's vertex list, plus the reader's blocks.
constexpr MemoryNeed kInfoMemory{12, 16};

// Objects listed one by one in the text output; --json lists all.
constexpr size_t kListedObjects = 20;

struct InfoOptions {
    std::vector<std::string> files;
    BatchOptions batch;
    bool json = false;
    std::vector<std::string> textureFolders;
};

// Where kvd convert would look for images, so info tells what it would find,
// and what it found of each image file: empty when it can be read, else why
// not.
struct ImageFolders {
    std::filesystem::path scene;
    std::vector<std::filesystem::path> extra;
    std::map<std::filesystem::path, std::string> verified;
};

// Why the converter could not put the image into an output, or empty.
const std::string& WhyUnreadable(const std::filesystem::path& found, ImageFolders& folders)
{
    auto [known, inserted] = folders.verified.try_emplace(found);
    if (inserted) {
        std::vector<uint8_t> bytes;
        if (ReadImageFile(found, bytes, known->second))
            known->second = VerifyImage(bytes).error;
    }
    return known->second;
}

// JSON has no NaN or infinity: such values become null.
json Number(double value)
{
    return std::isfinite(value) ? json(value) : json(nullptr);
}

template <typename Sequence>
json Triple(const Sequence& values)
{
    return json::array({Number(values[0]), Number(values[1]), Number(values[2])});
}

json BoundsJson(const Bounds& bounds)
{
    if (bounds.empty())
        return nullptr;
    return {{"min", Triple(bounds.min)}, {"max", Triple(bounds.max)}};
}

// Where a map's image was found (null when not), and the folders looked in;
// for an image found, whether it can be read ("unreadable": why, when not).
json ImageJson(const std::string& storedName, ImageFolders& folders)
{
    const ImageLookup lookup = FindImage(storedName, folders.scene, folders.extra);
    json tried = json::array();
    for (const std::filesystem::path& folder : lookup.tried)
        tried.push_back(folder.string());
    json image = {{"found", lookup.ok() ? json(lookup.found.string()) : json(nullptr)}, {"lookedIn", tried}};
    if (lookup.ok()) {
        const std::string& why = WhyUnreadable(lookup.found, folders);
        image["readable"] = why.empty();
        if (!why.empty())
            image["unreadable"] = why;
    }
    return image;
}

json MaterialJson(const SceneMaterial& material, ImageFolders& folders)
{
    const MaterialMapNames maps = MapNamesOf(material);
    json entry = {{"name", GbkToUtf8(material.name)},
                  {"ambient", Triple(material.ambient)},
                  {"diffuse", Triple(material.diffuse)},
                  {"specular", Triple(material.specular)},
                  {"texture", GbkToUtf8(maps.texture)},
                  {"bumpTexture", GbkToUtf8(maps.bump)}};
    if (!maps.texture.empty())
        entry["textureImage"] = ImageJson(maps.texture, folders);
    if (!maps.bump.empty())
        entry["bumpTextureImage"] = ImageJson(maps.bump, folders);
    return entry;
}

// Which file material an object's surface is, or the mesh's own colour.
json ObjectMaterialJson(const ObjectSummary& object)
{
    if (object.fileMaterial != MeshView::kOwnColour)
        return {{"file", object.fileMaterial}};
    return {{"ownColour", Triple(object.colour)}, {"name", GbkToUtf8(object.name)}};
}

const char* StatusName(ImportResult result)
{
    switch (result) {
    case ImportResult::Imported:
        return "complete";
    case ImportResult::CannotOpen:
        return "cannot-open";
    case ImportResult::NotKvdFile:
    case ImportResult::HeaderDamaged:
    case ImportResult::Declined:
        return "rejected";
    case ImportResult::BodyDamaged:
        return "damaged";
    }
    return "unknown";
}

json InfoJson(const std::string& file, const ImportReport& report, const SceneSummaryResult& summary,
              ImageFolders& folders)
{
    json info = {{"file", file}, {"status", StatusName(report.result)}};
    if (report.result == ImportResult::CannotOpen) {
        info["error"] = report.openError;
        return info;
    }
    info["size"] = report.fileSize;
    json messages = json::array();
    for (const ImportMessage message : report.messages)
        messages.push_back({{"text", GbkToUtf8(MessageText(message))}, {"meaning", MessageMeaning(message)}});

    const bool accepted = BodyWasRead(report.result);
    json header = {{"accepted", accepted}};
    if (!accepted)
        header["reason"] = DescribeResult(report.result);
    info["header"] = header;
    if (!accepted) {
        info["messages"] = messages;
        return info;
    }

    json materials = json::array();
    for (const SceneMaterial& material : summary.materials)
        materials.push_back(MaterialJson(material, folders));
    json cameras = json::array();
    for (const SceneCamera& camera : summary.cameras) {
        cameras.push_back({{"name", GbkToUtf8(camera.name)},
                           {"eye", Triple(camera.eye)},
                           {"target", Triple(camera.target)},
                           {"fov", Number(camera.fov)}});
    }
    json objects = json::array();
    for (const ObjectSummary& object : summary.objects) {
        objects.push_back({{"triangles", object.triangles}, {"vertices", object.vertices},
                           {"bounds", BoundsJson(object.bounds)}, {"material", ObjectMaterialJson(object)}});
    }
    info["materials"] = materials;
    info["cameras"] = cameras;
    info["objects"] = {{"count", summary.objects.size()},
                       {"triangles", summary.triangles},
                       {"vertices", summary.vertices},
                       {"bounds", BoundsJson(summary.bounds)},
                       {"list", objects}};
    info["messages"] = messages;
    return info;
}

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
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    ImportReport report;
    json info;
    try {
        report = ImportWithProgress(file, destination, asJson || oneLine);
        ImageFolders folders{std::filesystem::path(file).parent_path(), {}, {}};
        folders.extra.assign(options.textureFolders.begin(), options.textureFolders.end());
        info = InfoJson(file, report, summary, folders);
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(file, "reading " + file, kInfoMemory, output, "nothing was printed");
    }

    // The reason goes to standard error in both forms; the JSON still holds it.
    const int exitCode = ReportImportFailure(file, report, output);
    if (asJson) {
        const std::string text = oneLine ? info.dump(-1, ' ', false, json::error_handler_t::replace)
                                         : info.dump(2, ' ', false, json::error_handler_t::replace);
        output.Out("%s\n", text.c_str());
    } else if (report.result != ImportResult::CannotOpen) {
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
