// The streaming writers' own parts: a mesh indexed while its faces arrive
// (the same result as indexing it whole, or the file's own indexing for a
// large mesh), the .glb size limit, data appended beside the geometry, and
// temporary files that never outlive a failure.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include "IndexedMeshes.h"
#include "TempFolder.h"
#include "tools/export/GltfStreamWriter.h"
#include "tools/export/ObjExport.h"
#include "tools/export/SceneExport.h"
#include "tools/export/StreamedMesh.h"
#include "tools/export/TemporaryFile.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();

struct MeshCase {
    const char* name;
    std::vector<float> points;
    std::vector<uint32_t> faces;
};

void PrintTo(const MeshCase& c, std::ostream* out)
{
    *out << c.name;
}

// A grid of side x side points with every point given twice, so merging
// has work to do, and faces over the second copy of each row.
MeshCase DuplicatedGrid(int side)
{
    MeshCase c{"duplicated_grid", {}, {}};
    for (int copy = 0; copy < 2; ++copy) {
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x)
                c.points.insert(c.points.end(), {float(x) * 250.0f, float(y) * 250.0f, float(x * y % 7) * 100.0f});
        }
    }
    const auto point = [&](int x, int y, int copy) { return uint32_t(copy * side * side + y * side + x); };
    for (int y = 0; y + 1 < side; ++y) {
        for (int x = 0; x + 1 < side; ++x) {
            c.faces.insert(c.faces.end(), {point(x, y, 0), point(x + 1, y, 1), point(x, y + 1, 0)});
            c.faces.insert(c.faces.end(), {point(x + 1, y, 0), point(x + 1, y + 1, 1), point(x, y + 1, 1)});
        }
    }
    return c;
}

std::vector<MeshCase> MeshCases()
{
    return {
        {"shared_edge", {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 2, 1, 3}},
        // Point 3 is never used; points 4 and 5 are not numbers.
        {"unused_and_not_finite",
         {0, 0, 0, 1, 0, 0, 0, 1, 0, 9, 9, 9, kNan, 0, 0, 0, std::numeric_limits<float>::infinity(), 0},
         {0, 1, 2, 4, 1, 2, 2, 1, 0, 0, 5, 1}},
        {"first_point_not_finite", {kNan, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 2, 3, 0, 1, 2}},
        {"signed_zeros_apart", {0, 0, 0, -0.0f, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 2, 3, 1, 2, 3}},
        {"walls_and_floor", {0, 0, 0, 500, 0, 0, 0, 500, 0, 0, 0, 500, 500, 0, 500}, {0, 1, 2, 0, 3, 1, 1, 3, 4}},
        DuplicatedGrid(12),
    };
}

// The corners of the kept triangles, for comparing two indexings.
std::vector<float> Corners(const CollectedMesh& mesh)
{
    std::vector<float> corners;
    for (uint32_t index : mesh.indices)
        corners.insert(corners.end(), &mesh.positions[index * 3], &mesh.positions[index * 3] + 3);
    return corners;
}

CollectedMesh Streamed(const MeshCase& c, bool textured, size_t mergeLimit, size_t facesPerBlock,
                       uint64_t* dropped = nullptr)
{
    CollectedMesh out = StreamIndexed(c.points, c.faces, AxisMode::ToYUp, textured, mergeLimit, facesPerBlock);
    if (dropped != nullptr)
        *dropped = out.trianglesDropped;
    return out;
}

class StreamedMeshTest : public testing::TestWithParam<MeshCase> {};

TEST_P(StreamedMeshTest, MergedGivesWhatTheGeneralRemapGivesOverTheCorners)
{
    const MeshCase& c = GetParam();
    std::vector<float> corners;
    for (uint32_t point : c.faces)
        corners.insert(corners.end(), &c.points[point * 3], &c.points[point * 3] + 3);
    for (bool textured : {false, true}) {
        const CollectedMesh whole = RemapIndexedCorners(corners, AxisMode::ToYUp, textured);
        uint64_t dropped = 0;
        // Blocks of one face and of all faces must not change anything.
        for (size_t block : {size_t{1}, c.faces.size()}) {
            const CollectedMesh streamed = Streamed(c, textured, kMergeVertexLimit, block, &dropped);
            EXPECT_EQ(streamed.indices, whole.indices) << "textured " << textured;
            ASSERT_EQ(streamed.positions.size(), whole.positions.size());
            EXPECT_EQ(std::memcmp(streamed.positions.data(), whole.positions.data(),
                                  whole.positions.size() * sizeof(float)), 0);
            EXPECT_EQ(streamed.texCoords, whole.texCoords);
            EXPECT_EQ(dropped, whole.trianglesDropped);
        }
    }
}

TEST_P(StreamedMeshTest, UnmergedKeepsTheFilesIndexingAndTheSameTriangles)
{
    const MeshCase& c = GetParam();
    const CollectedMesh merged = Streamed(c, false, kMergeVertexLimit, 7);
    uint64_t dropped = 0;
    const CollectedMesh own = Streamed(c, false, 0, 7, &dropped);
    EXPECT_EQ(Corners(own), Corners(merged));
    EXPECT_EQ(own.positions.size(), dropped * 9 == c.faces.size() * 3 ? 0 : c.points.size());
    for (float value : own.positions)
        EXPECT_TRUE(std::isfinite(value)) << "a point that is not a number is stored as a finite one";
    size_t kept = 0;
    for (size_t t = 0; t < c.faces.size(); t += 3) {
        bool finite = true;
        for (size_t k = 0; k < 9; ++k)
            finite = finite && std::isfinite(c.points[c.faces[t + k / 3] * 3 + k % 3]);
        if (!finite)
            continue;
        ASSERT_LE(kept + 3, own.indices.size());
        EXPECT_EQ((std::vector<uint32_t>(&own.indices[kept], &own.indices[kept] + 3)),
                  (std::vector<uint32_t>(&c.faces[t], &c.faces[t] + 3)));
        kept += 3;
    }
    // Textured without merging: every corner its own vertex, same corners.
    const CollectedMesh texturedOwn = Streamed(c, true, 0, 5);
    EXPECT_EQ(Corners(texturedOwn), Corners(merged));
    EXPECT_EQ(texturedOwn.texCoords.size(), texturedOwn.indices.size() * 2);
}

INSTANTIATE_TEST_SUITE_P(Meshes, StreamedMeshTest, testing::ValuesIn(MeshCases()),
                         [](const testing::TestParamInfo<MeshCase>& info) { return std::string(info.param.name); });

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FileNames(const TempFolder& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One mesh of grid x grid quads, one material, one camera.
void WriteGrid(SceneWriter& writer, int grid)
{
    std::vector<float> points;
    std::vector<uint32_t> faces;
    for (int y = 0; y <= grid; ++y)
        for (int x = 0; x <= grid; ++x)
            points.insert(points.end(), {float(x), float(y), 0.0f});
    for (int y = 0; y < grid; ++y) {
        for (int x = 0; x < grid; ++x) {
            const uint32_t p = uint32_t(y * (grid + 1) + x);
            faces.insert(faces.end(), {p, p + 1, p + uint32_t(grid) + 1, p + 1, p + uint32_t(grid) + 2,
                                       p + uint32_t(grid) + 1});
        }
    }
    SceneMaterial material;
    material.name = "grey";
    const int number = writer.AddMaterial(material);
    writer.BeginMesh(points.data(), points.size() / 3, number);
    for (size_t t = 0; t < faces.size() / 3; t += 1000)
        writer.AddTriangles(&faces[t * 3], std::min<size_t>(1000, faces.size() / 3 - t));
    writer.EndMesh();
    SceneCamera camera{"camera", {0, -10, 5}, {0, 0, 0}, 22.0};
    writer.AddCamera(camera);
}

TEST(GltfStreamWriterTest, RefusesAGlbPastItsLimitAndLeavesTheOldFile)
{
    // The limit is met while the geometry streams (a small limit) or only
    // once the document is added (a limit just under the whole file).
    TempFolder folder;
    const std::string path = folder / "out.glb";
    {
        GltfStreamWriter writer(path, true, ExportOptions{});
        ASSERT_TRUE(writer.Open());
        WriteGrid(writer, 20);
        ASSERT_TRUE(writer.Finish(nullptr)) << writer.error();
    }
    const uint64_t whole = std::filesystem::file_size(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "old";
    for (uint64_t limit : {uint64_t{1000}, whole - 1}) {
        GltfStreamWriter writer(path, true, ExportOptions{}, WriterLimits{limit, kMergeVertexLimit});
        ASSERT_TRUE(writer.Open());
        WriteGrid(writer, 20);
        EXPECT_FALSE(writer.Finish(nullptr)) << limit;
        EXPECT_EQ(writer.failure(), WriteFailure::TooLarge);
        EXPECT_NE(writer.error().find("convert to .gltf instead"), std::string::npos) << writer.error();
    }
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(FileNames(folder), std::vector<std::string>{"out.glb"});

    // The same scene as .gltf has no such limit.
    GltfStreamWriter gltf(folder / "out.gltf", false, ExportOptions{}, WriterLimits{1000, kMergeVertexLimit});
    ASSERT_TRUE(gltf.Open());
    WriteGrid(gltf, 20);
    EXPECT_TRUE(gltf.Finish(nullptr)) << gltf.error();
}

struct LoadedGltf {
    tinygltf::Model model;
    bool loaded = false;
    std::string error;
};

LoadedGltf Load(const std::string& path, bool binary)
{
    LoadedGltf result;
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(
        [](tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
            return true;
        },
        nullptr);
    std::string warning;
    result.loaded = binary ? loader.LoadBinaryFromFile(&result.model, &result.error, &warning, path)
                           : loader.LoadASCIIFromFile(&result.model, &result.error, &warning, path);
    return result;
}

template <class T>
std::vector<T> AccessorValues(const tinygltf::Model& model, int index)
{
    const tinygltf::Accessor& accessor = model.accessors[static_cast<size_t>(index)];
    const tinygltf::BufferView& view = model.bufferViews[static_cast<size_t>(accessor.bufferView)];
    const auto* data = model.buffers[0].data.data() + view.byteOffset;
    std::vector<T> values(view.byteLength / sizeof(T));
    std::memcpy(values.data(), data, values.size() * sizeof(T));
    return values;
}

TEST(GltfStreamWriterTest, LargeMeshesAndAppendedDataReadBackInBothForms)
{
    // 300 x 300 quads: 180 000 triangles, more indices than are held back,
    // so they go out as 32-bit numbers while the faces arrive.
    const std::string blob = "bytes of an image, not a multiple of four";
    for (bool binary : {true, false}) {
        TempFolder folder;
        const std::string path = folder / (binary ? "out.glb" : "out.gltf");
        GltfStreamWriter writer(path, binary, ExportOptions{});
        ASSERT_TRUE(writer.Open());
        WriteGrid(writer, 300);
        const int view = writer.AddBlob(blob.data(), blob.size());
        ASSERT_TRUE(writer.Finish(nullptr)) << writer.error();
        const std::vector<std::string> expected =
            binary ? std::vector<std::string>{"out.glb"} : std::vector<std::string>{"out.bin", "out.gltf"};
        EXPECT_EQ(FileNames(folder), expected);

        const LoadedGltf loaded = Load(path, binary);
        ASSERT_TRUE(loaded.loaded) << loaded.error;
        const tinygltf::Model& model = loaded.model;
        ASSERT_EQ(model.meshes.size(), 1u);
        const tinygltf::Primitive& primitive = model.meshes[0].primitives[0];
        const tinygltf::Accessor& indexAccessor = model.accessors[static_cast<size_t>(primitive.indices)];
        EXPECT_EQ(indexAccessor.componentType, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
        const std::vector<uint32_t> indices = AccessorValues<uint32_t>(model, primitive.indices);
        ASSERT_EQ(indices.size(), 300u * 300u * 6u);
        EXPECT_EQ((std::vector<uint32_t>(indices.begin(), indices.begin() + 6)),
                  (std::vector<uint32_t>{0, 1, 2, 1, 3, 2}));
        const std::vector<float> positions = AccessorValues<float>(model, primitive.attributes.at("POSITION"));
        const tinygltf::Accessor& positionAccessor =
            model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))];
        EXPECT_EQ(positionAccessor.minValues, (std::vector<double>{0, 0, -300}));
        EXPECT_EQ(positionAccessor.maxValues, (std::vector<double>{300, 0, 0}));
        EXPECT_EQ(positions.size(), 301u * 301u * 3u);
        // The last triangle's corners, in output axes.
        const uint32_t last = indices.back();
        EXPECT_EQ((std::vector<float>(&positions[last * 3], &positions[last * 3] + 3)),
                  (std::vector<float>{299, 0, -300}));

        const tinygltf::BufferView& blobView = model.bufferViews[static_cast<size_t>(view)];
        EXPECT_EQ(blobView.byteOffset % 4, 0u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(model.buffers[0].data.data()) + blobView.byteOffset,
                              blobView.byteLength),
                  blob);
    }
}

TEST(GltfStreamWriterTest, SmallMeshesKeepSixteenBitIndices)
{
    TempFolder folder;
    const std::string path = folder / "out.glb";
    GltfStreamWriter writer(path, true, ExportOptions{});
    ASSERT_TRUE(writer.Open());
    WriteGrid(writer, 3);
    ASSERT_TRUE(writer.Finish(nullptr)) << writer.error();
    const LoadedGltf loaded = Load(path, true);
    ASSERT_TRUE(loaded.loaded) << loaded.error;
    const tinygltf::Primitive& primitive = loaded.model.meshes[0].primitives[0];
    EXPECT_EQ(loaded.model.accessors[static_cast<size_t>(primitive.indices)].componentType,
              TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
    EXPECT_EQ(AccessorValues<uint16_t>(loaded.model, primitive.indices).size(), 3u * 3u * 6u);
}

TEST(SceneWriterTest, AFailureBeforeFinishLeavesNoFileBehind)
{
    for (const char* name : {"out.glb", "out.gltf", "out.obj"}) {
        TempFolder folder;
        {
            std::unique_ptr<SceneWriter> writer =
                MakeSceneWriter(folder / name, *FormatFromPath(name), ExportOptions{});
            ASSERT_TRUE(writer->Open());
            WriteGrid(*writer, 50);
            EXPECT_FALSE(FileNames(folder).empty()) << "the geometry is on its way to disk";
        }   // dropped unfinished, as when reading fails or memory runs out
        EXPECT_TRUE(FileNames(folder).empty()) << name;
    }
}

TEST(TemporaryFileTest, AppendsFromItsBufferAndFromDiskAlike)
{
    TempFolder folder;
    TemporaryFile target(folder / "out.bin");
    TemporaryFile small(folder / "out.bin");
    TemporaryFile large(folder / "out.bin");
    ASSERT_TRUE(target.Create() && small.Create() && large.Create());
    const std::string head = "head";
    const std::string smallText = "still in the buffer";
    const std::string largeText(3u << 20, 'x');   // past the buffer: on disk
    ASSERT_TRUE(target.Write(head.data(), head.size()));
    ASSERT_TRUE(small.Write(smallText.data(), smallText.size()));
    ASSERT_TRUE(large.Write(largeText.data(), largeText.size()));
    uint64_t copied = 0;
    const uint64_t total = smallText.size() + largeText.size();
    ASSERT_TRUE(target.Append(small, nullptr, copied, total));
    ASSERT_TRUE(target.Append(large, nullptr, copied, total));
    EXPECT_EQ(copied, total);
    // Emptied, the source is written again from its start.
    ASSERT_TRUE(large.Clear());
    ASSERT_TRUE(large.Write("y", 1));
    ASSERT_TRUE(target.Append(large, nullptr, copied, total));
    ASSERT_TRUE(target.RenameIntoPlace()) << target.error();
    EXPECT_EQ(Contents(folder / "out.bin"), head + smallText + largeText + "y");
    EXPECT_EQ(target.size(), head.size() + total + 1);
}

}  // namespace
