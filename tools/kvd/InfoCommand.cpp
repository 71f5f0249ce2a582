// kvd info: reads a file into a destination that keeps only counts and
// bounds, and prints what the scene holds. The text and the --json output are made
// from one JSON document, so they always agree.
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include <nlohmann/json.hpp>

#include "plugin/GbkText.h"
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
    std::string file;
    bool json = false;
};

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

json MaterialJson(const SceneMaterial& material)
{
    return {{"name", GbkToUtf8(material.name)},
            {"ambient", Triple(material.ambient)},
            {"diffuse", Triple(material.diffuse)},
            {"specular", Triple(material.specular)},
            {"texture", GbkToUtf8(material.texture)},
            {"bumpTexture", GbkToUtf8(material.bumpTexture)}};
}

// Which file material an object's surface is, or the mesh's own colour.
json ObjectMaterialJson(const ObjectSummary& object)
{
    if (object.fileMaterial != MeshView::kOwnColour)
        return {{"file", object.fileMaterial}};
    return {{"ownColour", Triple(object.colour)}, {"name", GbkToUtf8(object.name)}};
}

const char* StatusName(ImportStatus status)
{
    switch (status) {
    case ImportStatus::Complete:
        return "complete";
    case ImportStatus::CannotOpen:
        return "cannot-open";
    case ImportStatus::Rejected:
        return "rejected";
    case ImportStatus::Damaged:
        return "damaged";
    }
    return "unknown";
}

json InfoJson(const std::string& file, const ImportReport& report, const SceneSummaryResult& summary)
{
    json info = {{"file", file}, {"status", StatusName(report.status)}};
    if (report.status == ImportStatus::CannotOpen) {
        info["error"] = report.openError;
        return info;
    }
    info["size"] = report.fileSize;
    json messages = json::array();
    for (const std::string& message : report.messages)
        messages.push_back({{"text", GbkToUtf8(message)}, {"meaning", EnglishGloss(message)}});

    json header = {{"accepted", report.status != ImportStatus::Rejected}};
    if (report.status == ImportStatus::Rejected && !report.messages.empty())
        header["reason"] = DescribeMessage(report.messages.back());
    info["header"] = header;
    if (report.status == ImportStatus::Rejected) {
        info["messages"] = messages;
        return info;
    }

    json materials = json::array();
    for (const SceneMaterial& material : summary.materials)
        materials.push_back(MaterialJson(material));
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

void PrintMaterials(const json& materials)
{
    std::printf("materials: %zu\n", materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        const json& m = materials[i];
        std::printf("  [%zu] %s  ambient %s  diffuse %s  specular %s\n", i, Quoted(m["name"]).c_str(),
                    FormatTriple(m["ambient"]).c_str(), FormatTriple(m["diffuse"]).c_str(),
                    FormatTriple(m["specular"]).c_str());
        if (!m["texture"].get<std::string>().empty())
            std::printf("       texture %s\n", m["texture"].get<std::string>().c_str());
        if (!m["bumpTexture"].get<std::string>().empty())
            std::printf("       bump texture %s\n", m["bumpTexture"].get<std::string>().c_str());
    }
}

void PrintCameras(const json& cameras)
{
    std::printf("cameras: %zu\n", cameras.size());
    for (size_t i = 0; i < cameras.size(); ++i) {
        const json& c = cameras[i];
        std::printf("  [%zu] %s  eye %s  target %s%s\n", i, Quoted(c["name"]).c_str(), FormatTriple(c["eye"]).c_str(),
                    FormatTriple(c["target"]).c_str(), i == 0 ? "  (default camera)" : "");
    }
}

std::string FormatBounds(const json& bounds)
{
    if (bounds.is_null())
        return "none";
    return FormatTriple(bounds["min"]) + " to " + FormatTriple(bounds["max"]);
}

void PrintObjects(const json& objects, const json& materials)
{
    std::printf("objects: %zu, %s triangles, %s vertices\n", objects["count"].get<size_t>(),
                objects["triangles"].dump().c_str(), objects["vertices"].dump().c_str());
    std::printf("  bounds %s\n", FormatBounds(objects["bounds"]).c_str());
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
        std::printf("  [%zu] %s triangles, %s vertices, %s\n", i, o["triangles"].dump().c_str(),
                    o["vertices"].dump().c_str(), material.c_str());
    }
    if (list.size() > kListedObjects)
        std::printf("  ... and %zu more (kvd info --json lists every object)\n", list.size() - kListedObjects);
}

void PrintText(const json& info)
{
    std::printf("file: %s, %s bytes\n", info["file"].get<std::string>().c_str(), info["size"].dump().c_str());
    if (!info["header"]["accepted"].get<bool>()) {
        std::printf("header: rejected: %s\n",
                    info["header"].value("reason", std::string("no reason given")).c_str());
        return;
    }
    std::printf("header: accepted\n");
    if (info["status"] == "damaged")
        std::printf("body: damaged; below is what was read before the damage\n");
    PrintMaterials(info["materials"]);
    PrintCameras(info["cameras"]);
    PrintObjects(info["objects"], info["materials"]);
    const json& messages = info["messages"];
    if (messages.empty()) {
        std::printf("messages: none\n");
        return;
    }
    std::printf("messages: %zu\n", messages.size());
    for (const json& m : messages) {
        const std::string meaning = m["meaning"].get<std::string>();
        std::printf("  %s%s\n", m["text"].get<std::string>().c_str(),
                    meaning.empty() || meaning == m["text"] ? "" : (" (" + meaning + ")").c_str());
    }
}

int RunInfo(const InfoOptions& options)
{
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    ImportReport report;
    json info;
    try {
        report = ImportWithProgress(options.file, destination, options.json);
        info = InfoJson(options.file, report, summary);
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(options.file, "reading " + options.file, kInfoMemory, "nothing was printed");
    }

    // The reason goes to standard error in both forms; the JSON still holds it.
    const int exitCode = ReportImportFailure(options.file, report);
    if (options.json)
        std::printf("%s\n", info.dump(2, ' ', false, json::error_handler_t::replace).c_str());
    else if (report.status != ImportStatus::CannotOpen)
        PrintText(info);
    if (std::fflush(stdout) != 0)
        return kExitFailure;
    return exitCode;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand(
        "info", "Import FILE and summarise it: header, materials, cameras, objects, messages");
    command->add_option("FILE", options->file, "kvd scene file")->required();
    command->add_flag("--json", options->json, "Print the summary as one JSON document");
    command->footer(ExitCodeHelp());
    command->callback([options, &exitCode] { exitCode = RunInfo(*options); });
}
