#include "tests/support/WholeScenes.h"

#include <utility>

#include "tests/support/ScenePieces.h"

using namespace kvdwriter;

namespace {

// A cube of eight shared corners and twelve triangles.
GeometryDescription Cube(float size)
{
    GeometryDescription geometry;
    for (int i = 0; i < 8; ++i)
        geometry.vertices.push_back({(i & 1) ? size : -size, (i & 2) ? size : -size,
                                     (i & 4) ? size : -size});
    geometry.faces = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
                      {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    return geometry;
}

// What the sample scene leaves out: camera entries that are not cameras or
// have no placement, a secondary name, lone values among nodes, a map with
// nothing but nested maps, sub-materials two levels down, a material index
// beyond the materials and faces outside their mesh.
SceneDescription StrayScene()
{
    SceneDescription scene;
    MapDescription holder{.kind = 1, .nestedMaps = {{pieces::ImageMap(kFirstTextureMap, "n.tif")}}};
    MaterialDescription vein{.name = "vein", .maps = {{pieces::ImageMap(kFirstTextureMap, "vein.jpg")}}};
    MaterialDescription leaf{.name = "leaf", .className = "Multi", .subMaterials = {{vein}}};
    scene.materials.materials = {{.name = "tree", .maps = {{holder}}, .subMaterials = {{leaf, {}}}}};

    CameraDescription unplaced{.name = {.name = "unplaced", .secondaryName = "second"}};
    scene.cameras = {{.entryTag = 100}, unplaced, pieces::CameraLookingAt("side", {1, 2, 3}, {0, 0, 0})};

    GeometryDescription stray = pieces::Triangle();
    stray.faces = {{0, 1, 2}, {0, 1, 3}, {-1, 0, 1}, {2, 1, 0}};
    NodeDescription box = pieces::IndexedMesh("box", 0, Cube(2.0f));
    box.children = {{.label = "group", .children = {pieces::ColourMesh("leaf", {0.2f, 0.4f, 0.6f},
                                                                       pieces::Triangle()),
                                                    {.openingTag = 5}}},
                    pieces::IndexedMesh("far", 9, stray)};
    scene.nodes = {box, {.openingTag = 0}};
    return scene;
}

// No materials, no cameras (the fixed default camera), a camera end tag
// that is not 768, and meshes that stop early or have nothing in them.
SceneDescription PlainScene()
{
    SceneDescription scene;
    scene.materials.sectionTag = 7;
    scene.cameraSectionEnd = 0x301;

    NodeDescription bare = pieces::ColourMesh("bare", {0.5f, 0.5f, 0.5f}, Cube(0.5f));
    bare.mesh->name.openingTag = 0;
    bare.mesh->transform.nameTag = 0;
    GeometryDescription noFaces = pieces::Triangle();
    noFaces.faceTag = 0x121;
    GeometryDescription negative{.vertexCount = -3, .faceCount = -1};
    scene.nodes = {bare, pieces::ColourMesh("empty", {}), pieces::ColourMesh("noFaces", {}, noFaces),
                   pieces::ColourMesh("negative", {}, negative)};
    return scene;
}

// Nodes and sub-materials nested a dozen levels, a mesh at most levels.
SceneDescription DeepScene()
{
    SceneDescription scene;
    MaterialDescription material{.name = "bottom"};
    for (int level = 0; level < 12; ++level)
        material = {.name = "level", .subMaterials = {{std::move(material)}}};
    scene.materials.materials = {material};
    scene.cameras = {pieces::CameraLookingAt("only", {1, 1, 1}, {0, 0, 0})};

    NodeDescription node = pieces::IndexedMesh("leaf", 0, pieces::Triangle());
    for (int level = 0; level < 12; ++level) {
        NodeDescription parent = level % 3 == 0 ? NodeDescription{.label = "group"}
                                                : pieces::IndexedMesh("inner", 0, Cube(1.0f));
        parent.children = {std::move(node)};
        node = std::move(parent);
    }
    scene.nodes = {node};
    return scene;
}

}  // namespace

std::vector<NamedScene> WholeScenes()
{
    return {{"sample", pieces::SampleScene()},
            {"stray", StrayScene()},
            {"plain", PlainScene()},
            {"deep", DeepScene()}};
}
