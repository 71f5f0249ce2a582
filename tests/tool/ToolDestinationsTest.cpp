// The destinations behind kvd info and kvd convert, fed by the real reader:
// the summary's vertices, bounds and materials, the collector's shared
// materials and kept meshes, and the progress reports on the way.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/SceneReader.h"
#include "tools/scene/ImportProgress.h"
#include "tools/scene/ProgressBar.h"
#include "tests/support/CaseName.h"
#include "tools/scene/SceneCollector.h"
#include "tools/scene/SceneImport.h"
#include "tools/scene/SceneSummary.h"
#include "tools/writer/KvdWriter.h"

using namespace kvdwriter;

namespace {

class NoMessages final : public MessageSink {
public:
    void ShowMessage(ImportMessage message) override { ADD_FAILURE() << MessageMeaning(message); }
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

// Reads the scene's bytes into a destination through the reader.
void Import(const SceneDescription& scene, SceneDestination& destination)
{
    const std::vector<uint8_t> bytes = SceneBytes(scene);
    NoMessages messages;
    SceneReader reader(messages, destination);
    EXPECT_EQ(reader.ImportBytes(bytes.data(), bytes.size()), ImportResult::Imported);
}

MaterialDescription Material(const std::string& name, std::vector<MapDescription> maps = {})
{
    MaterialDescription material;
    material.name = name;
    material.maps = std::move(maps);
    return material;
}

MapDescription Map(uint16_t kind, const std::string& imageFile)
{
    MapDescription map;
    map.kind = kind;
    map.imageFile = imageFile;
    return map;
}

TEST(SceneSummaryTest, CountsEachUsedVertexOnceAndBoundsWhatTheTrianglesReach)
{
    SceneDescription scene;
    scene.nodes = {
        // Vertex 3 is never used; vertex 0 is used by both faces; the third
        // face names a vertex outside the list and is left out.
        Mesh({{0, 0, 0}, {4, 0, 0}, {0, 5, 0}, {100, 100, 100}, {0, 0, -2}}, {{2, 0, 1}, {0, 1, 4}, {0, 1, 5}},
             std::nullopt),
        Mesh({}, {}, std::nullopt),
        Mesh({{-1, -1, -1}}, {{0, 0, 0}}, std::nullopt)};
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    Import(scene, destination);

    ASSERT_EQ(summary.objects.size(), 3u);
    EXPECT_EQ(summary.objects[0].triangles, 2u);
    EXPECT_EQ(summary.objects[0].vertices, 4u);
    EXPECT_EQ(summary.objects[0].bounds.min, (std::array<double, 3>{0, 0, -2}));
    EXPECT_EQ(summary.objects[0].bounds.max, (std::array<double, 3>{4, 5, 0}));
    EXPECT_TRUE(summary.objects[1].bounds.empty());
    EXPECT_EQ(summary.objects[2].vertices, 1u);
    EXPECT_EQ(summary.triangles, 3u);
    EXPECT_EQ(summary.vertices, 5u);
    EXPECT_EQ(summary.bounds.min, (std::array<double, 3>{-1, -1, -2}));
    ASSERT_EQ(summary.cameras.size(), 1u);   // the fixed default camera
}

TEST(SceneSummaryTest, BoundsAMeshWhoseWordsOfUsedVerticesAreFullAndPartial)
{
    // 130 vertices on a line: the first 64 all used, then every other one.
    std::vector<Vertex> vertices;
    for (int i = 0; i < 130; ++i)
        vertices.push_back({float(i), float(-i), 1});
    std::vector<Face> faces;
    for (int i = 0; i < 64; ++i)
        faces.push_back({i, i, i});
    for (int i = 64; i < 130; i += 2)
        faces.push_back({i, i, i});
    SceneDescription scene;
    scene.nodes = {Mesh(vertices, faces, std::nullopt)};
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    Import(scene, destination);

    ASSERT_EQ(summary.objects.size(), 1u);
    EXPECT_EQ(summary.objects[0].vertices, 64u + 33u);
    EXPECT_EQ(summary.objects[0].bounds.min, (std::array<double, 3>{0, -128, 1}));
    EXPECT_EQ(summary.objects[0].bounds.max, (std::array<double, 3>{128, 0, 1}));
}

TEST(SceneSummaryTest, NamesTheMaterialByItsIndexEvenWhenTwoFileMaterialsAreAlike)
{
    SceneDescription scene;
    scene.materials.materials = {Material("same"), Material("same")};
    const std::vector<Vertex> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    scene.nodes = {Mesh(triangle, {{0, 1, 2}}, 1), Mesh(triangle, {{0, 1, 2}}, 7),
                   Mesh(triangle, {{0, 1, 2}}, std::nullopt)};
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    Import(scene, destination);

    ASSERT_EQ(summary.objects.size(), 3u);
    EXPECT_EQ(summary.objects[0].fileMaterial, 1);
    // An index beyond the list: the mesh's own neutral grey.
    EXPECT_EQ(summary.objects[1].fileMaterial, MeshView::kOwnColour);
    EXPECT_EQ(summary.objects[1].colour, (std::array<float, 3>{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(summary.objects[2].fileMaterial, MeshView::kOwnColour);
    EXPECT_EQ(summary.objects[2].colour, (std::array<float, 3>{0.2f, 0.4f, 0.6f}));
    EXPECT_EQ(summary.objects[2].name, "m");
}

// Texture names come from the file's maps: every image type the file names,
// the last map of a kind winning, nested maps and other kinds not counting.
struct TextureCase {
    std::string name;
    std::vector<MapDescription> maps;
    std::string texture;
    std::string bumpTexture;
};

void PrintTo(const TextureCase& c, std::ostream* out) { *out << c.name; }

class SceneMaterialTextureTest : public testing::TestWithParam<TextureCase> {};

TEST_P(SceneMaterialTextureTest, TakesTheImageNamesOfTheFileMaps)
{
    SceneDescription scene;
    scene.materials.materials = {Material("m", GetParam().maps)};
    SceneSummaryResult summary;
    SceneSummary destination(summary);
    Import(scene, destination);

    ASSERT_EQ(summary.materials.size(), 1u);
    EXPECT_EQ(summary.materials[0].texture, GetParam().texture);
    EXPECT_EQ(summary.materials[0].bumpTexture, GetParam().bumpTexture);
}

MapDescription WithNested(MapDescription map, MapDescription nested)
{
    map.nestedMaps = {std::move(nested)};
    return map;
}

INSTANTIATE_TEST_SUITE_P(
    Maps, SceneMaterialTextureTest,
    testing::Values(TextureCase{"png_and_jpeg", {Map(537, "a.png"), Map(550, "b.jpeg")}, "a.png", "b.jpeg"},
                    TextureCase{"last_of_a_kind", {Map(537, "a.tif"), Map(537, "b.gif")}, "b.gif", ""},
                    TextureCase{"other_kind", {Map(540, "c.jpg")}, "", ""},
                    TextureCase{"nested", {WithNested(Map(537, "outer.dds"), Map(537, "inner.jpg"))}, "outer.dds", ""},
                    TextureCase{"no_image_file", {Map(537, "a.png"), Map(537, "")}, "a.png", ""},
                    TextureCase{"cut_to_83_bytes", {Map(537, std::string(80, 'x') + ".png")}, std::string(80, 'x') + ".pn", ""}),
    CaseName());

TEST(SceneCollectorTest, GivesMeshesWithTheSameMaterialOneSharedMaterial)
{
    SceneDescription scene;
    scene.materials.materials = {Material("a"), Material("b")};
    const std::vector<Vertex> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    scene.nodes = {Mesh(triangle, {{0, 1, 2}}, 1), Mesh(triangle, {{0, 1, 2}}, std::nullopt),
                   Mesh(triangle, {{0, 1, 2}}, 1), Mesh(triangle, {{0, 1, 2}}, std::nullopt)};
    SceneModel model;
    SceneCollector destination(model);
    Import(scene, destination);

    ASSERT_EQ(model.objects.size(), 4u);
    EXPECT_EQ(model.materials.size(), 2u) << "material b, and the meshes' own colour";
    EXPECT_EQ(model.objects[0].material, model.objects[2].material);
    EXPECT_EQ(model.objects[1].material, model.objects[3].material);
    EXPECT_NE(model.objects[0].material, model.objects[1].material);
    EXPECT_EQ(model.materials[static_cast<size_t>(model.objects[0].material)].name, "b");
}

TEST(SceneCollectorTest, KeepsTheVerticesAsStoredAndTheFacesThatNameThem)
{
    SceneDescription scene;
    scene.nodes = {Mesh({{1.5f, -2.25f, 0.001f}, {4, 5, 6}, {7, 8, 9}}, {{2, 0, 1}, {0, 3, 1}, {1, 1, 0}},
                        std::nullopt)};
    SceneModel model;
    SceneCollector destination(model);
    Import(scene, destination);

    ASSERT_EQ(model.objects.size(), 1u);
    EXPECT_EQ(model.objects[0].points, (LargeVector<float>{1.5f, -2.25f, 0.001f, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(model.objects[0].indices, (LargeVector<uint32_t>{2, 0, 1, 1, 1, 0}));
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

    SceneSummaryResult summary;
    SceneSummary destination(summary);
    RecordingProgress progress;
    ImportReport report = ImportScene(path, destination, &progress);

    EXPECT_EQ(report.result, ImportResult::Imported);
    EXPECT_EQ(summary.triangles, 1u);
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
