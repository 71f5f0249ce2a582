// Scenes whose pictures are known from the camera alone: where a shape must
// land, what hides what, and pictures from cameras and scenes at the edges.
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "tools/render/SceneRenderer.h"
#include "tools/render/ViewProjection.h"

namespace {

using Colour = std::array<int, 3>;
using Point = std::array<double, 3>;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
const Colour kBackground = {kBackgroundColour[0], kBackgroundColour[1], kBackgroundColour[2]};

// A mesh and the arrays it refers to.
struct OwnedMesh {
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    std::array<float, 3> colour{};
    std::vector<float> texCoords;
    const RgbaImage* texture = nullptr;

    RenderMesh View() const { return {positions, indices, colour, texture, texCoords}; }
};

// A square of the given half size around centre, across the two axes
// other than normalAxis.
OwnedMesh Square(const Point& centre, double half, int normalAxis, std::array<float, 3> colour)
{
    OwnedMesh mesh;
    const int a = (normalAxis + 1) % 3, b = (normalAxis + 2) % 3;
    const double corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    for (const auto& corner : corners) {
        Point p = centre;
        p[a] += corner[0];
        p[b] += corner[1];
        mesh.positions.insert(mesh.positions.end(), {float(p[0]), float(p[1]), float(p[2])});
    }
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.colour = colour;
    return mesh;
}

RgbImage Render(const std::vector<const OwnedMesh*>& meshes, const RenderCamera& camera, int width = kWidth,
                int height = kHeight)
{
    RenderScene scene;
    for (const OwnedMesh* mesh : meshes)
        scene.meshes.push_back(mesh->View());
    RenderOutcome outcome = RenderPicture(scene, camera, width, height);
    EXPECT_TRUE(outcome.picture.has_value()) << outcome.error;
    return outcome.picture ? *outcome.picture : RgbImage{};
}

Colour PixelAt(const RgbImage& picture, int x, int y)
{
    const uint8_t* p = picture.at(x, y);
    return {p[0], p[1], p[2]};
}

// A face seen head-on is lit to its full colour.
Colour FullColour(std::array<float, 3> colour)
{
    return {int(std::lround(colour[0] * 255)), int(std::lround(colour[1] * 255)), int(std::lround(colour[2] * 255))};
}

void ExpectNear(const Colour& actual, const Colour& expected, int tolerance, const char* where)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance) << where << " channel " << c;
}

constexpr std::array<float, 3> kOrange = {1.0f, 0.5f, 0.0f};
constexpr std::array<float, 3> kBlue = {0.1f, 0.2f, 0.9f};

// The host's 22 is a horizontal angle across a 4:3 picture: at distance d
// the picture is 2·d·tan(11°) wide, so a point a quarter of that width to
// the right of the target lands three quarters across the picture.
struct PlacementCase {
    const char* name;
    RenderCamera camera;
    Point atThreeQuarters;   // scene point expected at pixel (600, 300)
    int normalAxis;
};

void PrintTo(const PlacementCase& c, std::ostream* out)
{
    *out << c.name;
}

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, ASquareLandsWhereTheFieldOfViewPutsIt)
{
    const PlacementCase& c = GetParam();
    const OwnedMesh square = Square(c.atThreeQuarters, 50.0, c.normalAxis, kOrange);   // about 20 pixels
    const RgbImage picture = Render({&square}, c.camera);
    ExpectNear(PixelAt(picture, 600, 300), FullColour(kOrange), 3, "three quarters across");
    ExpectNear(PixelAt(picture, 600, 300 - 10), FullColour(kOrange), 3, "just above");
    EXPECT_EQ(PixelAt(picture, 600, 300 - 30), kBackground) << "beyond the square's edge";
    EXPECT_EQ(PixelAt(picture, 400, 300), kBackground) << "centre";
    EXPECT_EQ(PixelAt(picture, 0, 0), kBackground) << "corner";
    EXPECT_EQ(PixelAt(picture, kWidth - 1, kHeight - 1), kBackground) << "corner";
}

const double kQuarterWidth = 5000.0 * std::tan(11.0 * std::numbers::pi / 180.0) / 2.0;

INSTANTIATE_TEST_SUITE_P(
    Cameras, PlacementTest,
    testing::Values(
        // Looking along +Y with Z up: right in the picture is +X.
        PlacementCase{"along_y", {{0, -5000, 0}, {0, 0, 0}, 22.0}, {kQuarterWidth, 0, 0}, 1},
        // Looking along -X: right is +Y.
        PlacementCase{"along_minus_x", {{7000, 300, 50}, {2000, 300, 50}, 22.0}, {2000, 300 + kQuarterWidth, 50}, 0},
        // Straight down: up in the picture is +X, so right is -Y.
        PlacementCase{"straight_down", {{100, 200, 5000}, {100, 200, 0}, 22.0}, {100, 200 - kQuarterWidth, 0}, 2}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(RendererTest, ANearerFaceHidesAFartherOneWhateverTheOrder)
{
    const OwnedMesh nearer = Square({0, 0, 0}, 300, 1, kOrange);
    const OwnedMesh farther = Square({0, 1000, 0}, 600, 1, kBlue);
    const RenderCamera camera{{0, -5000, 0}, {0, 0, 0}, 22.0};
    for (const auto& order : {std::vector<const OwnedMesh*>{&nearer, &farther}, {&farther, &nearer}}) {
        const RgbImage picture = Render(order, camera);
        ExpectNear(PixelAt(picture, 400, 300), FullColour(kOrange), 3, "centre");
        // Beyond the nearer square the farther one shows.
        const int beside = 400 + int(300.0 / kQuarterWidth * 200.0) + 10;
        ExpectNear(PixelAt(picture, beside, 300), FullColour(kBlue), 6, "beside");
    }
}

TEST(RendererTest, BothSidesOfAFaceAreLit)
{
    const OwnedMesh square = Square({0, 0, 0}, 300, 1, kOrange);
    for (double y : {-5000.0, 5000.0}) {
        const RgbImage picture = Render({&square}, {{0, y, 0}, {0, 0, 0}, 22.0});
        ExpectNear(PixelAt(picture, 400, 300), FullColour(kOrange), 3, y < 0 ? "front" : "back");
    }
}

TEST(RendererTest, AFaceSeenAtAnAngleIsDarkerButNotBlack)
{
    const OwnedMesh square = Square({0, 0, 0}, 2000, 1, kOrange);
    const RgbImage picture = Render({&square}, {{0, -3000, 3000}, {0, 0, 0}, 22.0});
    const Colour centre = PixelAt(picture, 400, 300);
    EXPECT_LT(centre[0], 240);
    EXPECT_GT(centre[0], int(0.35 * 255));
}

TEST(RendererTest, ACameraInsideAClosedMeshSeesItsInside)
{
    // A box of six squares around the eye.
    std::vector<OwnedMesh> sides;
    for (int axis = 0; axis < 3; ++axis) {
        for (double offset : {-500.0, 500.0}) {
            Point centre{0, 0, 0};
            centre[axis] = offset;
            sides.push_back(Square(centre, 500, axis, kBlue));
        }
    }
    std::vector<const OwnedMesh*> meshes;
    for (const OwnedMesh& side : sides)
        meshes.push_back(&side);
    const RgbImage picture = Render(meshes, {{0, 0, 0}, {0, 1, 0}, 22.0});
    ExpectNear(PixelAt(picture, 400, 300), FullColour(kBlue), 3, "centre");
    EXPECT_NE(PixelAt(picture, 0, 0), kBackground);
}

TEST(RendererTest, ScenesWithoutTrianglesGiveTheBackground)
{
    OwnedMesh pointsOnly = Square({0, 0, 0}, 300, 1, kOrange);
    pointsOnly.indices.clear();
    for (const auto& meshes : {std::vector<const OwnedMesh*>{}, {&pointsOnly}}) {
        const RgbImage picture = Render(meshes, {{0, -5000, 0}, {0, 0, 0}, 22.0}, 64, 48);
        ASSERT_EQ(picture.pixels.size(), size_t{64 * 48 * 3});
        for (size_t i = 0; i < picture.pixels.size(); ++i)
            ASSERT_EQ(picture.pixels[i], kBackgroundColour[i % 3]) << "byte " << i;
    }
}

TEST(RendererTest, TrianglesNamingMissingVerticesOrNonFiniteCornersAreLeftOut)
{
    OwnedMesh mesh = Square({0, 0, 0}, 300, 1, kOrange);
    mesh.positions.insert(mesh.positions.end(), {NAN, 0.0f, 0.0f});
    mesh.indices.insert(mesh.indices.end(), {0, 1, 99, 0, 4, 1, 0xFFFFFFFFu, 1, 2});
    mesh.indices.push_back(1);   // an incomplete triangle is no triangle
    RenderScene scene{{mesh.View()}};
    const RenderOutcome outcome = RenderPicture(scene, {{0, -5000, 0}, {0, 0, 0}, 22.0}, 80, 60);
    ASSERT_TRUE(outcome.picture.has_value()) << outcome.error;
    EXPECT_EQ(outcome.trianglesSkipped, 3u);
    ExpectNear(PixelAt(*outcome.picture, 40, 30), FullColour(kOrange), 3, "the good triangles");
}

TEST(RendererTest, ATexturedFaceShowsItsImage)
{
    // Left texel red, right texel green, across the square from left to right.
    const RgbaImage image{2, 1, {255, 0, 0, 255, 0, 255, 0, 255}};
    OwnedMesh mesh = Square({0, 0, 0}, 400, 1, kBlue);
    mesh.texture = &image;
    mesh.texCoords = {0, 0, 0, 1, 1, 1, 1, 0};   // u along x
    const RgbImage picture = Render({&mesh}, {{0, -5000, 0}, {0, 0, 0}, 22.0});
    const int quarter = int(200.0 / kQuarterWidth * 200.0);
    ExpectNear(PixelAt(picture, 400 - quarter, 300), {255, 0, 0}, 4, "left");
    ExpectNear(PixelAt(picture, 400 + quarter, 300), {0, 255, 0}, 4, "right");
}

TEST(RendererTest, ThePictureHasTheAskedSizeWithinTheLimits)
{
    const RenderCamera camera{{0, -5000, 0}, {0, 0, 0}, 22.0};
    for (auto [width, height, drawn] : {std::tuple{1, 1, true}, {320, 200, true}, {0, 10, false},
                                        {10, -1, false}, {kLargestPictureSide + 1, 10, false}}) {
        const RenderOutcome outcome = RenderPicture({}, camera, width, height);
        EXPECT_EQ(outcome.picture.has_value(), drawn) << width << "x" << height;
        if (outcome.picture) {
            EXPECT_EQ(outcome.picture->width, width);
            EXPECT_EQ(outcome.picture->pixels.size(), size_t(width) * size_t(height) * 3);
        } else {
            EXPECT_FALSE(outcome.error.empty());
        }
    }
}

TEST(ViewProjectionTest, TheDepthRangeHoldsTheSceneAndStaysInFrontOfTheEye)
{
    SceneExtent extent{{-100, -100, -100}, {100, 100, 100}, false};
    struct Case {
        Point eye;
        bool inside;
    };
    for (const Case& c : {Case{{0, -5000, 0}, false}, Case{{0, 0, 0}, true}, Case{{0, 99, 0}, true}}) {
        const ViewProjection view = MakeViewProjection({c.eye, {0, 1e4, 0}, 22.0}, 4.0 / 3.0, extent);
        EXPECT_GT(view.nearPlane, 0.0);
        EXPECT_GT(view.farPlane, view.nearPlane);
        if (!c.inside) {
            EXPECT_LE(view.nearPlane, 4900.0);
            EXPECT_GE(view.farPlane, 5100.0);
        }
    }
}

}  // namespace
