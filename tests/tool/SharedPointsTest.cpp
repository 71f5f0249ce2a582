// The writers and the renderer index a mesh from its vertex list and faces,
// without a corner list: the result must be what the general remap gives
// over the corners, byte for byte, whatever the vertices hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <meshoptimizer.h>

#include "IndexedMeshes.h"
#include "tools/export/EqualPointMerge.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct PointMesh {
    const char* name;
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<uint32_t, 3>> faces;
};

std::vector<PointMesh> Meshes()
{
    std::vector<PointMesh> meshes = {
        {"shared_edge", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {2, 1, 3}}},
        // Equal points at different places merge; 0.0 and -0.0 do not.
        {"equal_points", {{1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {-0.0f, 0, 0}, {0, 0, 0}, {0, 1, 0}},
         {{0, 1, 4}, {2, 5, 3}, {3, 4, 0}}},
        // A dropped triangle uses points first: they are numbered where a
        // kept triangle first uses them.
        {"dropped_first", {{kNaN, 0, 0}, {5, 5, 5}, {2, 2, 2}, {3, 3, 3}, {1, kInf, 0}},
         {{0, 1, 2}, {3, 2, 1}, {1, 4, 3}, {2, 3, 1}}},
        {"all_dropped", {{kNaN, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}},
        {"degenerate", {{4, 4, 4}, {7, 8, 9}}, {{0, 0, 0}, {1, 0, 1}}},
        // Textured walls: the same points split by their projections.
        {"walls", {{0, 0, 0}, {500, 0, 0}, {500, 0, 500}, {0, 500, 0}, {0, 0, 500}},
         {{0, 1, 2}, {0, 2, 4}, {0, 3, 1}}},
    };
    // A larger mesh with repeated values, to run past every small table size.
    PointMesh random{"random", {}, {}};
    std::mt19937 generator(7);
    auto below = [&](uint32_t n) { return static_cast<uint32_t>(generator() % n); };
    for (int i = 0; i < 3000; ++i)
        random.points.push_back({float(below(9)), float(below(9)), float(below(4))});
    for (int i = 0; i < 5000; ++i)
        random.faces.push_back({below(3000), below(3000), below(3000)});
    meshes.push_back(random);
    return meshes;
}

std::vector<float> CornersOf(const PointMesh& mesh)
{
    std::vector<float> corners;
    for (const auto& face : mesh.faces) {
        for (uint32_t index : face)
            corners.insert(corners.end(), mesh.points[index].begin(), mesh.points[index].end());
    }
    return corners;
}

std::vector<float> PointsOf(const PointMesh& mesh)
{
    std::vector<float> points;
    for (const auto& point : mesh.points)
        points.insert(points.end(), point.begin(), point.end());
    return points;
}

std::vector<uint32_t> FacesOf(const PointMesh& mesh)
{
    std::vector<uint32_t> faces;
    for (const auto& face : mesh.faces)
        faces.insert(faces.end(), face.begin(), face.end());
    return faces;
}

void ExpectSameMesh(const CollectedMesh& got, const CollectedMesh& want)
{
    EXPECT_EQ(got.trianglesDropped, want.trianglesDropped);
    EXPECT_EQ(got.indices, want.indices);
    ASSERT_EQ(got.positions.size(), want.positions.size());
    // memcmp may not be given the null data of an empty vector.
    if (!got.positions.empty()) {
        EXPECT_EQ(std::memcmp(got.positions.data(), want.positions.data(), got.positions.size() * sizeof(float)), 0);
    }
    ASSERT_EQ(got.texCoords.size(), want.texCoords.size());
    if (!got.texCoords.empty()) {
        EXPECT_EQ(std::memcmp(got.texCoords.data(), want.texCoords.data(), got.texCoords.size() * sizeof(float)), 0);
    }
}

TEST(SharedPointsTest, IndexLikeTheCornersInEveryAxisModeWithAndWithoutTextures)
{
    for (const PointMesh& mesh : Meshes()) {
        SCOPED_TRACE(mesh.name);
        const std::vector<float> points = PointsOf(mesh);
        const std::vector<uint32_t> faces = FacesOf(mesh);
        const std::vector<float> corners = CornersOf(mesh);
        for (AxisMode axes : {AxisMode::Keep, AxisMode::ToYUp}) {
            for (bool textured : {false, true})
                ExpectSameMesh(StreamIndexed(points, faces, axes, textured), RemapIndexedCorners(corners, axes, textured));
        }
    }
}

TEST(EqualPointMergeTest, NumbersLikeTheGeneralRemap)
{
    std::mt19937 generator(11);
    for (size_t count : {0u, 1u, 2u, 17u, 1000u, 70000u}) {
        std::vector<float> points(count * 3);
        for (float& value : points)
            value = float(generator() % 5);
        if (count > 2) {
            points[0] = -0.0f;
            points[3] = 0.0f;
            points[6] = kNaN;
        }
        std::vector<uint32_t> numbers(count);
        std::vector<unsigned int> expected(count);
        const size_t distinct = MergeEqualPoints(points.data(), count, numbers.data());
        const size_t expectedDistinct =
            meshopt_generateVertexRemap(expected.data(), nullptr, count, points.data(), count, sizeof(float) * 3);
        EXPECT_EQ(distinct, expectedDistinct) << count;
        EXPECT_TRUE(std::equal(numbers.begin(), numbers.end(), expected.begin())) << count;
    }
}

TEST(EqualPointMergeTest, NumbersTexturedCornersLikeTheGeneralRemapOfTwoStreams)
{
    std::mt19937 generator(13);
    // The general remap takes whole triangles: counts of corners in threes.
    for (size_t count : {0u, 3u, 6u, 3000u}) {
        std::vector<float> records(count * kTexturedPointFloats);
        std::vector<float> positions;
        std::vector<float> texCoords;
        for (size_t i = 0; i < count; ++i) {
            for (size_t k = 0; k < kTexturedPointFloats; ++k)
                records[i * kTexturedPointFloats + k] = float(generator() % 3);
            positions.insert(positions.end(), &records[i * kTexturedPointFloats], &records[i * kTexturedPointFloats + 3]);
            texCoords.insert(texCoords.end(), &records[i * kTexturedPointFloats + 3],
                             &records[(i + 1) * kTexturedPointFloats]);
        }
        std::vector<uint32_t> numbers(count);
        std::vector<unsigned int> expected(count);
        const meshopt_Stream streams[] = {{positions.data(), sizeof(float) * 3, sizeof(float) * 3},
                                          {texCoords.data(), sizeof(float) * 2, sizeof(float) * 2}};
        const size_t distinct = MergeEqualRecords(records.data(), count, kTexturedPointFloats, numbers.data());
        EXPECT_EQ(distinct, meshopt_generateVertexRemapMulti(expected.data(), nullptr, count, count, streams, 2))
            << count;
        EXPECT_TRUE(std::equal(numbers.begin(), numbers.end(), expected.begin())) << count;
    }
}

}  // namespace
