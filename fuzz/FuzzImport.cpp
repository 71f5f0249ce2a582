// libFuzzer entry. A glTF input (a .glb, or a JSON document) goes the way
// kvd convert takes a model to a kvd scene (FuzzGltf.h); any other input is
// imported as one import session imports a file, through the same reader and input buffer, with a host that checks
// every rule of the host interface, and reads them into the kvd tool's
// destinations as kvd info, kvd convert and kvd render do, and into the
// kvd library through its C interface.
//
// Each input is imported twice into the host: once with a host that accepts
// everything, once with one that refuses some objects and surfaces. A
// refused object still has its faces passed over, so both imports must read
// the same objects, and every object both accepted must have reached them
// alike. The tool's destinations must see the objects and triangles the
// accepting host saw, and everything they keep must be indexable.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzGltf.h"
#include "fuzz/FuzzLibrary.h"
#include "reader/SceneReader.h"
#include "reader/ImportMessages.h"
#include "tests/support/CheckedImport.h"
#include "tools/export/SceneWriter.h"
#include "tools/export/StreamingConversion.h"
#include "tools/scene/SceneCollector.h"
#include "tools/scene/SceneSummary.h"

namespace {

struct ImportOutcome {
    bool damaged = false;
    int objects = 0;
    int triangles = 0;
    std::vector<uint64_t> digests;
};

class SilentMessages final : public MessageSink {
public:
    void ShowMessage(ImportMessage) override {}
};

[[noreturn]] void Fail(const char* what, const std::string& details)
{
    std::fprintf(stderr, "kvd_fuzz: %s\n%s", what, details.c_str());
    std::abort();
}

ImportOutcome Import(const uint8_t* data, size_t size, CheckingHostOptions options)
{
    options.keepCalls = false;
    CheckingHost host(options);
    CheckedImportResult result = RunCheckedImport(host, data, size);
    if (!host.violations().empty())
        Fail("host rule broken", host.ViolationReport());
    if (result.damaged && host.MessageCount(ImportMessage::FileDamaged) != 1)
        Fail("damaged import without its one message", "");
    return {result.damaged, host.objectsBegun(), host.triangles(), host.objectDigests()};
}

// kvd convert's writer without files: each mesh indexed as the real writers
// index it, every index it hands out checked against the vertices handed out
// before it. Meshes alternate between a merge limit of a few points and the
// real one, so both ways of indexing see every input.
class CheckingWriter final : public SceneWriter, private IndexedMeshSink {
public:
    bool Open() override { return true; }
    int AddMaterial(const SceneMaterial&) override { return materials_++; }
    void BeginMesh(const float* points, size_t pointCount, int material) override
    {
        if (material < 0 || material >= materials_)
            ::Fail("the conversion named a material it never added", "");
        vertices_ = 0;
        const size_t mergeLimit = meshes_++ % 2 == 0 ? 8 : kMergeVertexLimit;
        mesh_.Begin(points, pointCount, AxisMode::ToYUp, meshes_ % 3 == 0, *this, mergeLimit);
    }
    void AddTriangles(const uint32_t* corners, size_t triangleCount) override
    {
        trianglesGiven_ += triangleCount;
        mesh_.AddTriangles(corners, triangleCount);
    }
    void EndMesh() override
    {
        mesh_.End();
        if (mesh_.vertexCount() != vertices_)
            ::Fail("the indexed mesh miscounted its vertices", "");
        trianglesAccounted_ += mesh_.trianglesKept() + mesh_.trianglesDropped();
    }
    void AddCamera(const SceneCamera&) override {}
    bool Finish(ProgressSink*) override { return true; }

    uint64_t trianglesGiven() const { return trianglesGiven_; }
    uint64_t trianglesAccounted() const { return trianglesAccounted_; }

private:
    void AddVertices(const float*, const float*, size_t count) override { vertices_ += count; }
    void AddIndices(const uint32_t* indices, size_t count) override
    {
        if (count % 3 != 0)
            ::Fail("the indexed mesh handed out part of a triangle", "");
        for (size_t i = 0; i < count; ++i) {
            if (indices[i] >= vertices_)
                ::Fail("the indexed mesh named a vertex not yet handed out", "");
        }
    }

    StreamedMesh mesh_;
    int materials_ = 0;
    size_t meshes_ = 0;
    uint64_t vertices_ = 0;
    uint64_t trianglesGiven_ = 0;
    uint64_t trianglesAccounted_ = 0;
};

// kvd info's, kvd convert's and kvd render's destinations over the same bytes.
void CheckToolDestinations(const uint8_t* data, size_t size, const ImportOutcome& host)
{
    SilentMessages messages;
    SceneSummaryResult summary;
    SceneSummary summaryDestination(summary);
    SceneReader(messages, summaryDestination).ImportBytes(data, size);
    SceneModel model;
    SceneCollector collector(model);
    SceneReader(messages, collector).ImportBytes(data, size);
    CheckingWriter writer;
    StreamingConversion conversion(writer);
    SceneReader(messages, conversion).ImportBytes(data, size);
    conversion.Complete();

    if (conversion.meshCount() != static_cast<size_t>(host.objects) ||
        writer.trianglesGiven() != static_cast<uint64_t>(host.triangles) ||
        writer.trianglesAccounted() != writer.trianglesGiven())
        Fail("the conversion lost or invented triangles", "");

    if (summary.objects.size() != static_cast<size_t>(host.objects) || model.objects.size() != summary.objects.size())
        Fail("the tool's destinations saw other objects than the host", "");
    if (summary.triangles != static_cast<uint64_t>(host.triangles))
        Fail("the summary counted other triangles than the host got", "");
    for (size_t i = 0; i < model.objects.size(); ++i) {
        const SceneObject& object = model.objects[i];
        const ObjectSummary& counted = summary.objects[i];
        const size_t vertexCount = object.points.size() / 3;
        if (object.triangleCount() != counted.triangles || counted.vertices > vertexCount)
            Fail("the summary and the collector disagree on an object", "");
        if (static_cast<size_t>(object.material) >= model.materials.size())
            Fail("an object names a material the collector does not have", "");
        if (counted.fileMaterial != MeshView::kOwnColour &&
            static_cast<size_t>(counted.fileMaterial) >= summary.materials.size())
            Fail("an object names a file material beyond the list", "");
        for (uint32_t index : object.indices) {
            if (index >= vertexCount)
                Fail("a kept face names a vertex outside its list", "");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (LooksLikeGltf(data, size)) {
        FuzzGltf(data, size);
        return 0;
    }
    ImportOutcome accepting = Import(data, size, {});
    CheckToolDestinations(data, size, accepting);
    FuzzLibrary(data, size, accepting.objects, accepting.triangles);
    CheckingHostOptions refusing;
    refusing.refuseEveryObject = 3;
    refusing.refuseEverySurface = 2;
    ImportOutcome refused = Import(data, size, refusing);

    if (accepting.damaged != refused.damaged || accepting.objects != refused.objects)
        Fail("a refused object or surface changed what was read after it", "");
    for (size_t i = 0; i < refused.digests.size(); ++i) {
        if (refused.digests[i] != 0 && refused.digests[i] != accepting.digests[i])
            Fail("an object reached the host differently after a refusal", "");
    }
    return 0;
}
