// The collector keeps a mesh's vertex list and faces, and the exporters index
// them without a corner list: the result must be the corner path's, byte for
// byte, whatever the vertices hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <meshoptimizer.h>

#include "tools/export/EqualPointMerge.h"
#include "tools/export/IndexedMesh.h"
#include "tools/scene/SceneModel.h"

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

// What the collector keeps when the reader hands it the mesh.
SceneObject Collect(const PointMesh& mesh)
{
    SceneObject object;
    for (const auto& point : mesh.points)
        object.points.insert(object.points.end(), point.begin(), point.end());
    for (const auto& face : mesh.faces)
        object.indices.insert(object.indices.end(), face.begin(), face.end());
    return object;
}

void ExpectSameMesh(const IndexedMesh& got, const IndexedMesh& want)
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
        const SceneObject object = Collect(mesh);
        EXPECT_EQ(object.triangleCount(), mesh.faces.size());
        const std::vector<float> corners = CornersOf(mesh);
        for (AxisMode axes : {AxisMode::Keep, AxisMode::ToYUp}) {
            for (bool textured : {false, true})
                ExpectSameMesh(BuildIndexedMesh(object, axes, textured), BuildIndexedMesh(corners, axes, textured));
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

}  // namespace
