#include "tests/support/ScenePieces.h"

namespace pieces {

NodeDescription ColourMesh(const std::string& name, Vertex colour, GeometryDescription geometry)
{
    return MeshNode(name, std::move(geometry), std::nullopt, colour);
}

NodeDescription IndexedMesh(const std::string& name, uint16_t materialIndex, GeometryDescription geometry)
{
    return MeshNode(name, std::move(geometry), materialIndex);
}

SceneDescription MaterialScene(std::vector<MaterialDescription> materials)
{
    SceneDescription scene;
    for (size_t i = 0; i < materials.size(); ++i)
        scene.nodes.push_back(IndexedMesh("mesh" + std::to_string(i), static_cast<uint16_t>(i)));
    scene.materials.materials = std::move(materials);
    return scene;
}

SceneDescription NodeScene(std::vector<NodeDescription> nodes)
{
    SceneDescription scene;
    scene.nodes = std::move(nodes);
    return scene;
}

SceneDescription SampleScene()
{
    SceneDescription scene;
    scene.header.text = "exported scene";
    scene.header.words = {1, 2, 3, 65535};
    scene.header.values = {{1.0f, 2.0f, 3.0f}};

    MapDescription wood = ImageMap(kFirstTextureMap, "maps\\wood.jpg");
    wood.name = "diffuse";
    wood.className = "Bitmap";
    wood.imageBlock = ImageBlockDescription{.code = 7, .values = {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    wood.nestedMaps = {{ImageMap(kFirstTextureMap, "inner.tif")}};
    MaterialDescription brick{
        .code1 = 10,
        .code2 = 11,
        .name = "brick",
        .className = "Standard",
        .colour1 = {0.1f, 0.2f, 0.3f},
        .colour2 = {0.4f, 0.5f, 0.6f},
        .colour3 = {0.7f, 0.8f, 0.9f},
        .scalar1 = 25.9f,
        .standard = StandardBlockDescription{.value1 = 5, .code1 = 6},
        .maps = {{wood, ImageMap(kSecondTextureMap, "bump.BMP")}},
        .subMaterials = {{{.name = "sub", .maps = {{ImageMap(kFirstTextureMap, "sub.jpg")}}}}},
    };
    MaterialDescription glass{.name = "glass", .colour2 = {0.0f, 0.5f, 1.0f}, .scalar1 = -3.7f};
    scene.materials.materials = {brick, glass};

    CameraDescription top = CameraLookingAt("top", {0, 0, 500}, {0, 0, 0});
    top.placement->target.reset();
    top.placement->targetSlot = 7;
    scene.cameras = {CameraLookingAt("front", {0.1f, -200, 50}, {1, 2, 3}), top};

    GeometryDescription square;
    square.vertices = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    square.faces = {{0, 1, 2}, {0, 2, 3}};
    NodeDescription tri = ColourMesh("tri", {0.2f, 0.4f, 0.6f}, Triangle());
    tri.children = {IndexedMesh("leaf", 1, Triangle())};
    NodeDescription group{.label = "group", .children = {IndexedMesh("box", 0, square), tri}};

    GeometryDescription floor;
    floor.vertices = {{1.5f, -2.25f, 0.001f}, {4, 0, 0}, {0, 4, 0}};
    floor.faces = {{2, 0, 1}};
    NodeDescription floorNode = IndexedMesh("floor", 1, floor);
    floorNode.mesh->transform = TransformDescription::At(1000, 2000, 3000);
    scene.nodes = {group, floorNode};
    return scene;
}

}  // namespace pieces
