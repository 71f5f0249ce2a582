#include "tools/samples/SampleScenes.h"

#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "tools/structural/SceneBlocks.h"

using namespace kvdwriter;

namespace {

// Names are GBK, as the exporter writes them.
constexpr const char* kWood = "\xc4\xbe\xb2\xc4";         // 木材
constexpr const char* kBrick = "\xba\xec\xd7\xa9";        // 红砖
constexpr const char* kRoofTiles = "\xce\xdd\xcd\xdf";    // 屋瓦
constexpr const char* kGlass = "\xb2\xa3\xc1\xa7";        // 玻璃
constexpr const char* kFrontCamera = "\xcf\xe0\xbb\xfa" "1";   // 相机1
constexpr const char* kTopCamera = "\xb8\xa9\xca\xd3";    // 俯视
constexpr const char* kHouse = "\xb7\xbf\xd7\xd3";        // 房子
constexpr const char* kWalls = "\xc7\xbd";                // 墙
constexpr const char* kRoof = "\xce\xdd\xb6\xa5";         // 屋顶
constexpr const char* kDoor = "\xc3\xc5";                 // 门
constexpr const char* kWindow = "\xb4\xb0\xbb\xa7";       // 窗户
constexpr const char* kGround = "\xb5\xd8\xc3\xe6";       // 地面
constexpr const char* kTriangle = "\xc8\xfd\xbd\xc7\xd0\xce";   // 三角形

// A bitmap map with the names an exporter gives it.
MapDescription BitmapMap(uint16_t kind, const char* imageFile)
{
    MapDescription map;
    map.kind = kind;
    map.name = "Map #1";
    map.className = "Bitmap";
    map.imageFile = imageFile;
    return map;
}

MaterialDescription Material(const char* name, std::array<float, 3> ambient, std::array<float, 3> diffuse,
                             std::array<float, 3> specular)
{
    MaterialDescription material;
    material.name = name;
    material.className = "Standard";
    material.standard = StandardBlockDescription{};   // a Standard material carries this block
    material.colour1 = ambient;
    material.colour2 = diffuse;
    material.colour3 = specular;
    material.scalar1 = 25.0f;
    return material;
}

// Four walls without floor or ceiling: eight shared corners, faces outward.
NodeDescription Walls()
{
    std::vector<Vertex> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back({(i & 1) ? 3000.0f : -3000.0f, (i & 2) ? 2000.0f : -2000.0f, (i & 4) ? 2500.0f : 0.0f});
    return PlacedMeshNode(kWalls, corners,
                    {{0, 1, 5}, {0, 5, 4}, {1, 3, 7}, {1, 7, 5}, {3, 2, 6}, {3, 6, 7}, {2, 0, 4}, {2, 4, 6}}, 1);
}

// A gable roof: four eave corners and two ridge ends shared by six faces.
NodeDescription Roof()
{
    return PlacedMeshNode(kRoof,
                    {{-3200.0f, -2200.0f, 2500.0f}, {3200.0f, -2200.0f, 2500.0f}, {3200.0f, 2200.0f, 2500.0f},
                     {-3200.0f, 2200.0f, 2500.0f}, {-3200.0f, 0.0f, 4000.0f}, {3200.0f, 0.0f, 4000.0f}},
                    {{0, 1, 5}, {0, 5, 4}, {2, 3, 4}, {2, 4, 5}, {3, 0, 4}, {1, 2, 5}}, 2);
}

NodeDescription Door()
{
    return PlacedMeshNode(kDoor,
                    {{-500.0f, -2010.0f, 0.0f}, {500.0f, -2010.0f, 0.0f}, {500.0f, -2010.0f, 2000.0f},
                     {-500.0f, -2010.0f, 2000.0f}},
                    {{0, 1, 2}, {0, 2, 3}}, 0);
}

NodeDescription Window()
{
    return PlacedMeshNode(kWindow,
                    {{3010.0f, -800.0f, 1000.0f}, {3010.0f, 800.0f, 1000.0f}, {3010.0f, 800.0f, 1800.0f},
                     {3010.0f, -800.0f, 1800.0f}},
                    {{0, 1, 2}, {0, 2, 3}}, 3);
}

// A gently rolling 9 x 9 grid: every inner corner is shared by six triangles.
NodeDescription Ground()
{
    constexpr int kSide = 9;
    std::vector<Vertex> vertices;
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column) {
            const float x = -8000.0f + 2000.0f * static_cast<float>(column);
            const float y = -8000.0f + 2000.0f * static_cast<float>(row);
            const bool underHouse = std::fabs(x) <= 4000.0f && std::fabs(y) <= 4000.0f;
            const float z = underHouse ? -10.0f : -10.0f - 150.0f * static_cast<float>((row * 7 + column * 3) % 5);
            vertices.push_back({x, y, z});
        }
    }
    const std::vector<Face> faces = GridSurface{.rows = kSide, .columns = kSide}.Faces();
    return PlacedMeshNode(kGround, vertices, faces, std::nullopt, {0.35f, 0.55f, 0.25f});
}

SceneDescription House()
{
    SceneDescription scene;
    scene.header.text = "house";

    MaterialDescription wood = Material(kWood, {0.2f, 0.15f, 0.1f}, {0.8f, 0.6f, 0.4f}, {0.3f, 0.3f, 0.3f});
    wood.maps = std::vector<MapDescription>{BitmapMap(kFirstTextureMap, "wood.jpg"),
                                            BitmapMap(kSecondTextureMap, "wood_bump.bmp")};
    MaterialDescription brick = Material(kBrick, {0.2f, 0.1f, 0.1f}, {0.7f, 0.3f, 0.25f}, {0.1f, 0.1f, 0.1f});
    brick.maps = std::vector<MapDescription>{BitmapMap(kFirstTextureMap, "maps\\bricks.jpg")};
    // Named by the full path on the machine that exported the scene.
    MaterialDescription tiles = Material(kRoofTiles, {0.1f, 0.1f, 0.1f}, {0.45f, 0.2f, 0.15f}, {0.2f, 0.2f, 0.2f});
    tiles.maps = std::vector<MapDescription>{BitmapMap(kFirstTextureMap, "D:\\3dmax\\maps\\roof tiles.jpg")};
    MaterialDescription glass = Material(kGlass, {0.0f, 0.05f, 0.1f}, {0.55f, 0.75f, 0.9f}, {1.0f, 1.0f, 1.0f});
    glass.scalar1 = 80.0f;
    scene.materials.materials = {wood, brick, tiles, glass};

    scene.cameras = {CameraLookingAt(kFrontCamera, {9000.0f, -12000.0f, 5000.0f}, {0.0f, 0.0f, 1500.0f}),
                     CameraLookingAt(kTopCamera, {0.0f, 0.0f, 30000.0f}, {0.0f, 0.0f, 0.0f})};

    NodeDescription walls = Walls();
    walls.children = {Door(), Window()};
    NodeDescription house;
    house.label = kHouse;
    house.children = {std::move(walls), Roof()};
    scene.nodes = {std::move(house), Ground()};
    return scene;
}

SceneDescription TriangleScene()
{
    SceneDescription scene;
    scene.nodes = {PlacedMeshNode(kTriangle, {{0.0f, 0.0f, 0.0f}, {1000.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1000.0f}},
                            {{0, 1, 2}}, std::nullopt, {1.0f, 0.5f, 0.0f})};
    return scene;
}

// Deterministic patterns, so regenerating the samples changes no byte.
SampleImage Draw(std::string path, unsigned char (*shade)(int x, int y, int channel))
{
    constexpr int kSize = 64;
    SampleImage image{std::move(path), kSize, kSize, {}};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            for (int channel = 0; channel < 3; ++channel)
                image.rgb.push_back(shade(x, y, channel));
        }
    }
    return image;
}

unsigned char WoodShade(int x, int y, int channel)
{
    static constexpr int kBase[3] = {150, 105, 60};
    const double grain = std::sin((x + 3.0 * std::sin(y * 0.3)) * 0.6);
    return static_cast<unsigned char>(kBase[channel] + static_cast<int>(35.0 * grain));
}

unsigned char BumpShade(int x, int y, int)
{
    const double grain = std::sin((x + 3.0 * std::sin(y * 0.3)) * 0.6);
    return static_cast<unsigned char>(128 + static_cast<int>(100.0 * grain));
}

unsigned char BrickShade(int x, int y, int channel)
{
    static constexpr int kBrickColour[3] = {165, 70, 50};
    static constexpr int kMortar[3] = {200, 195, 185};
    const int course = y / 16;
    const bool mortar = y % 16 < 2 || (x + (course % 2) * 16) % 32 < 2;
    return static_cast<unsigned char>(mortar ? kMortar[channel] : kBrickColour[channel]);
}

unsigned char TileShade(int x, int y, int channel)
{
    static constexpr int kTile[3] = {120, 55, 40};
    const int row = y % 16;
    const int darken = row * 4 + ((x / 8 + y / 16) % 2) * 10;
    return static_cast<unsigned char>(kTile[channel] - darken / (channel + 1));
}

}  // namespace

std::vector<SampleScene> SampleScenes()
{
    return {{"house.kvd", House()}, {"triangle.kvd", TriangleScene()}};
}

std::vector<SampleImage> SampleImages()
{
    return {Draw("wood.jpg", WoodShade), Draw("wood_bump.bmp", BumpShade), Draw("maps/bricks.jpg", BrickShade),
            Draw("roof tiles.jpg", TileShade)};
}
