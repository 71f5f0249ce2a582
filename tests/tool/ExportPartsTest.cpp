// The pieces the writers are made of: camera placement, texture references,
// meshes indexed from their corners and the replace-when-complete output file.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "IndexedMeshes.h"
#include "TempFolder.h"
#include "tools/export/CameraPose.h"
#include "tools/export/ReplacingFile.h"
#include "tools/export/TextureReference.h"

namespace {

Vector3 Normalized(Vector3 v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

double Dot(const Vector3& a, const Vector3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

struct LookCase {
    const char* name;
    Vector3 eye;
    Vector3 target;
};

class LookAtTest : public testing::TestWithParam<LookCase> {};

TEST_P(LookAtTest, TurnsMinusZTowardTheTargetAndKeepsTheViewUpright)
{
    const Vector3 up{0.0, 1.0, 0.0};
    const LookCase& c = GetParam();
    const Quaternion q = LookAtRotation(c.eye, c.target, up);
    EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0, 1e-12);

    const Vector3 forward = Rotate(q, {0.0, 0.0, -1.0});
    const Vector3 want = Normalized({c.target[0] - c.eye[0], c.target[1] - c.eye[1], c.target[2] - c.eye[2]});
    EXPECT_NEAR(Dot(forward, want), 1.0, 1e-9);

    const Vector3 cameraUp = Rotate(q, {0.0, 1.0, 0.0});
    const Vector3 cameraRight = Rotate(q, {1.0, 0.0, 0.0});
    EXPECT_NEAR(Dot(cameraUp, forward), 0.0, 1e-9);
    // No roll: the camera's right stays level, its up points upward.
    if (std::fabs(Dot(want, up)) < 1.0 - 1e-9) {
        EXPECT_NEAR(Dot(cameraRight, up), 0.0, 1e-9);
        EXPECT_GT(Dot(cameraUp, up), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LookAtTest,
    testing::Values(LookCase{"along_minus_z", {0, 0, 0}, {0, 0, -5}}, LookCase{"along_plus_z", {0, 0, 0}, {0, 0, 5}},
                    LookCase{"along_x", {1, 2, 3}, {10, 2, 3}}, LookCase{"down_slope", {9000, 5000, 12000}, {0, 1500, 0}},
                    LookCase{"straight_down", {0, 30000, 0}, {0, 0, 0}}, LookCase{"straight_up", {0, -1, 0}, {0, 1, 0}},
                    LookCase{"far_away", {1e7, -3e6, 2e7}, {-1e7, 4e6, 0}}),
    [](const testing::TestParamInfo<LookCase>& info) { return std::string(info.param.name); });

TEST(LookAtTest, AnEyeOnItsTargetKeepsTheNodeAxes)
{
    const Quaternion q = LookAtRotation({1, 2, 3}, {1, 2, 3}, {0, 1, 0});
    EXPECT_EQ(q, (Quaternion{0, 0, 0, 1}));
}

TEST(VerticalFovTest, ConvertsTheHorizontalAngleThroughItsTangent)
{
    // A square view has equal angles; 90 degrees across a 2:1 view is 2·atan(1/2) high.
    EXPECT_NEAR(VerticalFovRadians(60.0, 1.0), std::numbers::pi / 3.0, 1e-12);
    EXPECT_NEAR(VerticalFovRadians(90.0, 2.0), 2.0 * std::atan(0.5), 1e-12);
    EXPECT_NEAR(VerticalFovRadians(22.0, 4.0 / 3.0), 0.2895308, 1e-6);
}

struct TextureCase {
    const char* stored;   // GBK
    const char* path;     // UTF-8
    const char* uri;
};

class TextureReferenceTest : public testing::TestWithParam<TextureCase> {};

TEST_P(TextureReferenceTest, GivesARelativeForwardSlashedPathAndItsUri)
{
    EXPECT_EQ(RelativeTexturePath(GetParam().stored), GetParam().path);
    EXPECT_EQ(PathToUri(GetParam().path), GetParam().uri);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TextureReferenceTest,
    testing::Values(TextureCase{"wood.jpg", "wood.jpg", "wood.jpg"},
                    TextureCase{"maps\\Bricks.JPG", "maps/Bricks.JPG", "maps/Bricks.JPG"},
                    TextureCase{"D:\\3dmax\\maps\\roof tiles.jpg", "roof tiles.jpg", "roof%20tiles.jpg"},
                    TextureCase{"c:wood.bmp", "wood.bmp", "wood.bmp"},
                    TextureCase{"\\\\server\\share\\a#1.tif", "a#1.tif", "a%231.tif"},
                    TextureCase{"/mnt/maps/100%.jpg", "100%.jpg", "100%25.jpg"},
                    // 乗 is 0x81 0x5C: its second byte is not a backslash.
                    TextureCase{"\xc4\xbe\xce\xc6\\\x81\x5c.jpg", "木纹/乗.jpg", "%E6%9C%A8%E7%BA%B9/%E4%B9%97.jpg"},
                    TextureCase{"", "", ""}));

TEST(CornerIndexingTest, StoresSharedCornersOnceInFirstUseOrder)
{
    // Two triangles sharing an edge, the second given as (2, 1, 3).
    const std::vector<float> corners = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0};
    const CollectedMesh mesh = StreamIndexedCorners(corners, AxisMode::Keep);
    EXPECT_EQ(mesh.vertexCount(), 4u);
    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(mesh.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}));
}

TEST(CornerIndexingTest, TurnsZUpIntoYUpAndKeepsSignedZeros)
{
    const std::vector<float> corners = {1, 2, 3, -0.0f, 0, 0, 0, 0, 0};
    const CollectedMesh mesh = StreamIndexedCorners(corners, AxisMode::ToYUp);
    ASSERT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ((std::vector<float>(mesh.positions.begin(), mesh.positions.begin() + 3)),
              (std::vector<float>{1, 3, -2}));
    EXPECT_TRUE(std::signbit(mesh.positions[3]));
    EXPECT_FALSE(std::signbit(mesh.positions[6]));
}

TEST(CornerIndexingTest, LeavesOutTrianglesWithCornersThatAreNotNumbers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> corners = {0, 0, 0, 1, 0, 0, 0, 1, 0,     // kept
                                        nan, 0, 0, 1, 0, 0, 0, 1, 0,   // dropped
                                        0, 0, 0, 1, 0, -inf, 0, 1, 0,  // dropped
                                        0, 0, 0, 0, 1, 0, 1, 0, 0};    // kept
    const CollectedMesh mesh = StreamIndexedCorners(corners, AxisMode::ToYUp);
    EXPECT_EQ(mesh.trianglesDropped, 2u);
    EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 1}));
}

TEST(CornerIndexingTest, ProjectsTexturesUprightOntoWallsAndKeepsCornersOnOneFaceShared)
{
    // A wall facing -y (Z up): 500 units wide and high, one texture tile.
    const std::vector<float> wall = {0, 0, 0, 500, 0, 0, 500, 0, 500, 0, 0, 0, 500, 0, 500, 0, 0, 500};
    const CollectedMesh mesh = StreamIndexedCorners(wall, AxisMode::ToYUp, true);
    ASSERT_EQ(mesh.vertexCount(), 4u);
    ASSERT_EQ(mesh.texCoords.size(), 8u);
    // Image u follows +x; image rows run down, so the top edge has v one tile less.
    EXPECT_EQ((std::vector<float>(mesh.texCoords.begin(), mesh.texCoords.begin() + 6)),
              (std::vector<float>{0, 0, 1, 0, 1, -1}));
}

TEST(CornerIndexingTest, SplitsACornerWhereFacesAroundItTakeDifferentProjections)
{
    // A floor triangle and a wall triangle sharing the edge from (0, 0, 0) to
    // (500, 0, 0): the wall's image runs the other way along it, so only
    // (0, 0, 0), at u = 0 in both, stays shared.
    const std::vector<float> corners = {0, 0, 0, 500, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 500, 500, 0, 0};
    EXPECT_EQ(StreamIndexedCorners(corners, AxisMode::Keep).vertexCount(), 4u);
    EXPECT_EQ(StreamIndexedCorners(corners, AxisMode::Keep, true).vertexCount(), 5u);
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t FileCount(const TempFolder& folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++count;
    return count;
}

TEST(ReplacingFileTest, ReplacesTheOldFileOnlyWhenCommitted)
{
    TempFolder folder;
    const std::string path = folder / "out.glb";
    std::ofstream(path) << "old";
    {
        ReplacingFile unfinished(path);
        ASSERT_TRUE(unfinished.Open());
        unfinished.stream() << "half";
    }
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(FileCount(folder), 1u) << "the temporary file is removed";

    ReplacingFile finished(path);
    ASSERT_TRUE(finished.Open());
    finished.stream() << "new";
    ASSERT_TRUE(finished.Commit()) << finished.error();
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(FileCount(folder), 1u);
}

TEST(ReplacingFileTest, SaysWhyItCannotStartInAFolderThatIsNotThere)
{
    TempFolder folder;
    ReplacingFile file(folder / "missing/out.glb");
    EXPECT_FALSE(file.Open());
    EXPECT_FALSE(file.error().empty());
}

}  // namespace
