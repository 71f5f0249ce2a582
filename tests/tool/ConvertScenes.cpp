#include "ConvertScenes.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>

#include "tools/samples/SampleScenes.h"
#include "tools/structural/SceneBlocks.h"

using namespace kvdwriter;

namespace {

// Meshes of the tests have a colour of their own, seen when they name no material.
NodeDescription Mesh(const char* name, std::vector<Vertex> vertices, std::vector<Face> faces,
                     std::optional<uint16_t> materialIndex)
{
    return PlacedMeshNode(name, std::move(vertices), std::move(faces), materialIndex, {0.2f, 0.4f, 0.6f});
}

MaterialDescription TexturedMaterial(const char* name, const char* texture)
{
    MaterialDescription material;
    material.name = name;
    material.colour2 = {0.5f, 0.25f, 1.0f};
    MapDescription map;
    map.kind = kFirstTextureMap;
    map.imageFile = texture;
    material.maps = std::vector<MapDescription>{map};
    return material;
}

// "木纹 乗.jpg": a space, and a character whose second GBK byte is 0x5C.
SceneDescription GbkNames()
{
    SceneDescription scene;
    MaterialDescription wood = TexturedMaterial("\xc4\xbe\xce\xc6", "\xc4\xbe\xce\xc6 \x81\x5c.jpg");
    MaterialDescription bright = TexturedMaterial("bright", "C:\\maps\\bright.jpg");
    bright.colour2 = {1.5f, -0.25f, std::numeric_limits<float>::quiet_NaN()};
    scene.materials.materials = {wood, bright};
    scene.cameras = {CameraLookingAt("\xcf\xe0\xbb\xfa" "2", {10.0f, -20.0f, 5.0f}, {0.0f, 0.0f, 0.0f})};
    scene.nodes = {Mesh("\xc8\xfd\xbd\xc7", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                        {{0, 1, 2}, {0, 1, 3}}, 0),
                   Mesh("bright", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}}, 1),
                   Mesh("\xb2\xa3\xc1\xa7", {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}}, {{0, 1, 2}}, std::nullopt)};
    return scene;
}

// More corners than 16-bit indices can number.
SceneDescription LargeGrid()
{
    constexpr int kSide = 260;
    std::vector<Vertex> vertices;
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column)
            vertices.push_back({static_cast<float>(column) * 0.5f, static_cast<float>(row) * 0.5f,
                                static_cast<float>((row * column) % 7) * 0.125f});
    }
    std::vector<Face> faces = GridSurface{.rows = kSide, .columns = kSide}.Faces();
    SceneDescription scene;
    scene.nodes = {Mesh("grid", std::move(vertices), std::move(faces), std::nullopt)};
    return scene;
}

// Corners the output cannot hold or the reader must not follow.
SceneDescription Hostile()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    SceneDescription scene;
    scene.cameras = {CameraLookingAt("same", {1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}),
                     CameraLookingAt("down", {0.0f, 0.0f, 50.0f}, {0.0f, 0.0f, 0.0f})};
    NodeDescription broken = Mesh("broken", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {nan, 0, 0}, {0, infinity, 0}, {-0.0f, 0, 0}},
                                  {{0, 1, 2}, {0, 3, 1}, {4, 1, 2}, {0, 1, 9}, {-1, 0, 1}, {5, 1, 2}}, std::nullopt);
    NodeDescription empty = Mesh("empty", {}, {}, std::nullopt);
    // Material 7 does not exist: the mesh gets a neutral default material.
    NodeDescription stray = Mesh("stray", {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {{2, 1, 0}}, 7);
    empty.children = {std::move(stray)};
    scene.nodes = {std::move(broken), std::move(empty)};
    return scene;
}

// Camera entries that are not cameras, and no objects: nothing to place.
SceneDescription Nothing()
{
    SceneDescription scene;
    CameraDescription notCamera;
    notCamera.entryTag = 100;
    scene.cameras = {notCamera};
    return scene;
}

// Maps as they come from the modelling machine: full paths of that machine
// in upper case, relative maps\ names in another case than the files and
// folders (the folder is the samples' maps/ too), a
// BMP, a TGA, a PNG, a TIFF bump map, and one image that is nowhere.
SceneDescription ExportedMaps()
{
    struct Textured {
        const char* name;
        const char* texture;
        const char* bump;
    };
    static constexpr Textured kMaterials[] = {
        {"WALL", "D:\\3DMAX\\MAPS\\WALL02.BMP", "maps\\Wall02_Bump.Tif"},
        {"STONE", "Maps\\Stone.JPG", nullptr},
        {"ROOF", "maps\\roof.TGA", nullptr},
        {"GLASS", "glass.png", nullptr},
        {"FLOOR", kMissingImageName, nullptr},
    };
    SceneDescription scene;
    std::vector<MaterialDescription> materials;
    for (uint16_t i = 0; i < std::size(kMaterials); ++i) {
        MaterialDescription material = TexturedMaterial(kMaterials[i].name, kMaterials[i].texture);
        material.colour2 = {0.3f + 0.1f * i, 0.5f, 0.7f - 0.1f * i};
        if (kMaterials[i].bump != nullptr) {
            MapDescription bump;
            bump.kind = kSecondTextureMap;
            bump.imageFile = kMaterials[i].bump;
            material.maps->push_back(bump);
        }
        materials.push_back(std::move(material));
        const float x = 1500.0f * i;
        scene.nodes.push_back(Mesh(kMaterials[i].name,
                                   {{x, 0, 0}, {x + 1000, 0, 0}, {x + 1000, 0, 1000}, {x, 0, 1000}},
                                   {{0, 1, 2}, {0, 2, 3}}, i));
    }
    scene.materials.materials = std::move(materials);
    scene.cameras = {CameraLookingAt("front", {3500.0f, -6000.0f, 1500.0f}, {3500.0f, 0.0f, 500.0f})};
    return scene;
}

SampleImage Checker(std::string path, int width, int height, std::array<unsigned char, 3> colour)
{
    SampleImage image{std::move(path), width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool light = (x / 8 + y / 8) % 2 == 0;
            for (unsigned char c : colour)
                image.rgb.push_back(static_cast<unsigned char>(light ? c : c / 2));
        }
    }
    return image;
}

bool Finite(const Vertex& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

void Collect(const NodeDescription& node, std::vector<ExpectedObject>& objects)
{
    if (node.mesh) {
        ExpectedObject object;
        const std::vector<Vertex>& vertices = node.mesh->geometry.vertices;
        for (const Face& face : node.mesh->geometry.faces) {
            bool inRange = true;
            bool finite = true;
            for (int32_t index : face) {
                inRange = inRange && index >= 0 && static_cast<size_t>(index) < vertices.size();
                finite = finite && inRange && Finite(vertices[static_cast<size_t>(index)]);
            }
            if (!inRange || !finite)
                continue;
            for (int32_t index : face)
                object.corners.push_back(vertices[static_cast<size_t>(index)]);
        }
        objects.push_back(std::move(object));
    }
    for (const NodeDescription& child : node.children)
        Collect(child, objects);
}

}  // namespace

std::vector<ConvertScene> ConvertScenes()
{
    std::vector<ConvertScene> scenes;
    for (SampleScene& sample : SampleScenes())
        scenes.push_back({sample.fileName.substr(0, sample.fileName.find('.')), std::move(sample.scene)});
    scenes.push_back({"gbk_names", GbkNames()});
    scenes.push_back({"large_grid", LargeGrid()});
    scenes.push_back({"hostile", Hostile()});
    scenes.push_back({"nothing", Nothing(), false});
    scenes.push_back({"exported_maps", ExportedMaps()});
    return scenes;
}

std::vector<std::string> ConvertSceneTextures()
{
    return {"木纹 乗.jpg", "bright.jpg"};
}

std::vector<SampleImage> ConvertSceneImages()
{
    return {Checker("textures/wall02.bmp", 64, 32, {200, 190, 170}),
            Checker("maps/wall02_bump.tif", 32, 32, {128, 128, 128}),
            Checker("maps/STONE.jpg", 48, 24, {150, 150, 160}),
            Checker("maps/Roof.tga", 40, 40, {170, 60, 40}),
            Checker("glass.png", 16, 32, {120, 180, 230})};
}

std::vector<ExpectedObject> ExpectedObjects(const SceneDescription& scene)
{
    std::vector<ExpectedObject> objects;
    for (const NodeDescription& node : scene.nodes)
        Collect(node, objects);
    return objects;
}
