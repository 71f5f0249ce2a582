// The hosts behind kvd info and kvd convert, fed by the real reader: the
// counting host's vertices and bounds, the collector's shared materials, and
// the progress reports on the way.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/SceneReader.h"
#include "tools/scene/ImportProgress.h"
#include "tools/scene/ProgressBar.h"
#include "tools/scene/SceneCensus.h"
#include "tools/scene/SceneCollector.h"
#include "tools/scene/SceneImport.h"
#include "tools/writer/KvdWriter.h"

using namespace kvdwriter;

namespace {

class NoMessages final : public MessageSink {
public:
    void ShowMessage(const char* text) override { ADD_FAILURE() << text; }
};

NodeDescription Mesh(std::vector<Vertex> vertices, std::vector<Face> faces, std::optional<uint16_t> material)
{
    MeshDescription mesh;
    mesh.name.name = "m";
    mesh.materialIndex = material;
    mesh.colour = {0.2f, 0.4f, 0.6f};
    mesh.geometry.vertices = std::move(vertices);
    mesh.geometry.faces = std::move(faces);
    NodeDescription node;
    node.mesh = std::move(mesh);
    return node;
}

// Imports the scene's bytes into host through the reader.
void Import(const SceneDescription& scene, SceneHost& host, SceneReader& reader)
{
    const std::vector<uint8_t> bytes = SceneBytes(scene);
    SceneHost* previous = SetSceneHost(&host);
    EXPECT_EQ(reader.ImportBytes(bytes.data(), bytes.size()), 1);
    SetSceneHost(previous);
}

TEST(SceneCensusTest, CountsEachUsedVertexOnceAndBoundsWhatTheTrianglesReach)
{
    SceneDescription scene;
    scene.nodes = {
        // Vertex 3 is never used; vertex 0 is used by both faces.
        Mesh({{0, 0, 0}, {4, 0, 0}, {0, 5, 0}, {100, 100, 100}, {0, 0, -2}}, {{2, 0, 1}, {0, 1, 4}}, std::nullopt),
        Mesh({}, {}, std::nullopt),
        Mesh({{-1, -1, -1}}, {{0, 0, 0}}, std::nullopt)};
    SceneCensusResult census;
    SceneCensus host(census);
    NoMessages messages;
    SceneReader reader(messages);
    Import(scene, host, reader);

    ASSERT_EQ(census.objects.size(), 3u);
    EXPECT_EQ(census.objects[0].triangles, 2u);
    EXPECT_EQ(census.objects[0].vertices, 4u);
    EXPECT_EQ(census.objects[0].bounds.min, (std::array<double, 3>{0, 0, -2}));
    EXPECT_EQ(census.objects[0].bounds.max, (std::array<double, 3>{4, 5, 0}));
    EXPECT_TRUE(census.objects[1].bounds.empty());
    EXPECT_EQ(census.objects[2].vertices, 1u);
    EXPECT_EQ(census.triangles, 3u);
    EXPECT_EQ(census.vertices, 5u);
    EXPECT_EQ(census.bounds.min, (std::array<double, 3>{-1, -1, -2}));
    ASSERT_EQ(census.cameras.size(), 1u);   // the fixed default camera
}

TEST(DistinctPointCountTest, CountsPointersOnBothSidesOfTheFirst)
{
    std::vector<Point3d> points(200);
    DistinctPointCount count;
    for (size_t i : {100, 5, 199, 100, 0, 5, 150})
        count.Add(&points[i]);
    EXPECT_EQ(count.count(), 5u);
    count.Reset();
    count.Add(&points[7]);
    EXPECT_EQ(count.count(), 1u);
}

TEST(SceneCollectorTest, GivesMeshesWithTheSameMaterialOneSharedMaterial)
{
    SceneDescription scene;
    MaterialDescription a;
    a.name = "a";
    MaterialDescription b;
    b.name = "b";
    scene.materials.materials = {a, b};
    const std::vector<Vertex> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    scene.nodes = {Mesh(triangle, {{0, 1, 2}}, 1), Mesh(triangle, {{0, 1, 2}}, std::nullopt),
                   Mesh(triangle, {{0, 1, 2}}, 1), Mesh(triangle, {{0, 1, 2}}, std::nullopt)};
    SceneModel model;
    SceneCollector host(model);
    NoMessages messages;
    SceneReader reader(messages);
    Import(scene, host, reader);

    ASSERT_EQ(model.objects.size(), 4u);
    EXPECT_EQ(model.materials.size(), 2u) << "material b, and the meshes' own colour";
    EXPECT_EQ(model.objects[0].material, model.objects[2].material);
    EXPECT_EQ(model.objects[1].material, model.objects[3].material);
    EXPECT_NE(model.objects[0].material, model.objects[1].material);
    EXPECT_STREQ(model.materials[static_cast<size_t>(model.objects[0].material)].name, "b");
}

class RecordingProgress final : public ProgressSink {
public:
    void Update(uint64_t bytesRead, uint64_t totalBytes) override
    {
        positions.push_back(bytesRead);
        total = totalBytes;
    }
    void Finish() override {}
    std::vector<uint64_t> positions;
    uint64_t total = 0;
};

TEST(ProgressReporterTest, ReportsTheFilePositionInStepsWhileAVertexListIsRead)
{
    // One mesh whose vertex list alone is over a MiB: the position must move
    // before the host hears of the mesh at all.
    GeometryDescription geometry;
    geometry.vertices.assign(100000, {1, 2, 3});
    geometry.faces = {Face{0, 1, 2}};
    SceneDescription scene;
    NodeDescription node = Mesh({}, {}, std::nullopt);
    node.mesh->geometry = geometry;
    scene.nodes.push_back(std::move(node));
    const std::vector<uint8_t> bytes = SceneBytes(scene);
    const std::string path = testing::TempDir() + "/progress.kvd";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    SceneCensusResult census;
    SceneCensus counting(census);
    RecordingProgress progress;
    ImportReport report = ImportScene(path, counting, &progress);

    EXPECT_EQ(report.status, ImportStatus::Complete);
    EXPECT_EQ(census.triangles, 1u);
    ASSERT_GE(progress.positions.size(), 3u);
    EXPECT_EQ(progress.total, bytes.size());
    for (size_t i = 1; i < progress.positions.size(); ++i) {
        EXPECT_GE(progress.positions[i] - progress.positions[i - 1], ProgressReporter::kReportStep);
        EXPECT_LE(progress.positions[i], bytes.size());
    }
    std::remove(path.c_str());
}

TEST(ProgressBarTest, DrawsTheShareReadAsABarAndNumbers)
{
    EXPECT_EQ(FormatProgressLine(0, 4 << 20, 10), "[..........]   0%  0.0 / 4.0 MiB");
    EXPECT_EQ(FormatProgressLine(1 << 20, 4 << 20, 10), "[##........]  25%  1.0 / 4.0 MiB");
    EXPECT_EQ(FormatProgressLine(5 << 20, 4 << 20, 10), "[##########] 100%  5.0 / 4.0 MiB");
    EXPECT_EQ(FormatProgressLine(0, 0, 4), "[####] 100%  0.0 / 0.0 MiB");
}

}  // namespace
