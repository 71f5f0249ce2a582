#include "tools/kvd/SceneInfo.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <new>

#include "base/GbkText.h"
#include "tools/export/ImageLookup.h"
#include "tools/export/MaterialMaps.h"
#include "tools/image/ImageDecoder.h"
#include "tools/kvd/ExitCodes.h"
#include "tools/kvd/ImportDiagnostics.h"
#include "tools/scene/SceneSummary.h"

namespace {

using nlohmann::json;

// The current mesh's vertex list, plus the reader's blocks.
constexpr MemoryNeed kInfoMemory{12, 16};

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

}  // namespace

int ReadSceneInfo(const std::string& file, const std::vector<std::string>& textureFolders, bool quiet,
                  nlohmann::json& info, JobOutput& output)
{
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    ImportReport report;
    try {
        report = ImportWithProgress(file, destination, quiet);
        ImageFolders folders{std::filesystem::path(file).parent_path(), {}, {}};
        folders.extra.assign(textureFolders.begin(), textureFolders.end());
        info = InfoJson(file, report, summary, folders);
    } catch (const std::bad_alloc&) {
        info = nullptr;
        return ReportOutOfMemory(file, "reading " + file, kInfoMemory, output, "nothing was printed");
    }
    // The reason goes to the error stream in both forms; the JSON still holds it.
    return ReportImportFailure(file, report, output);
}
