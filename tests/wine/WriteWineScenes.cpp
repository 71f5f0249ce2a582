// Writes the scenes that the Windows end-to-end test imports through the
// file dialog: a whole scene (materials with textures, two cameras, a node
// tree of meshes, GBK names) and a file whose first tag is wrong.
//
//   kvd_wine_scenes FOLDER   writes FOLDER/scene.kvd and FOLDER/damaged.kvd
#include <cstdio>
#include <string>
#include <vector>

#include "tools/writer/KvdWriter.h"

using namespace kvdwriter;

namespace {

// "前视": front view.
constexpr char kFrontCameraName[] = "\xc7\xb0\xca\xd3";
// "地板": floor.
constexpr char kFloorName[] = "\xb5\xd8\xb0\xe5";
// "木纹.jpg": wood grain.
constexpr char kWoodImage[] = "\xc4\xbe\xce\xc6.jpg";

NodeDescription MeshNode(const char* name, MeshDescription mesh)
{
    mesh.name.name = name;
    NodeDescription node;
    node.label = name;
    node.mesh = std::move(mesh);
    return node;
}

CameraDescription Camera(const char* name, Vertex eye, Vertex target)
{
    return {.name = {.name = name},
            .placement = CameraPlacementDescription{
                .target = TransformDescription::At(target[0], target[1], target[2]),
                .eye = TransformDescription::At(eye[0], eye[1], eye[2]),
            }};
}

// A rows x columns grid in the z = height plane, two triangles per cell.
GeometryDescription Grid(int rows, int columns, float height)
{
    GeometryDescription grid;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            grid.vertices.push_back({0.5f * static_cast<float>(c), 0.25f * static_cast<float>(r), height});
    }
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            int32_t corner = r * columns + c;
            grid.faces.push_back({corner, corner + 1, corner + columns + 1});
            grid.faces.push_back({corner, corner + columns + 1, corner + columns});
        }
    }
    return grid;
}

SceneDescription WholeScene()
{
    SceneDescription scene;
    scene.header.text = "wine end-to-end scene";

    MaterialDescription brick{
        .name = "brick",
        .className = "Standard",
        .colour1 = {0.1f, 0.2f, 0.3f},
        .colour2 = {0.6f, 0.3f, 0.2f},
        .colour3 = {0.9f, 0.9f, 0.9f},
        .scalar1 = 12.5f,
        .standard = StandardBlockDescription{.value1 = 1},
        .maps = {{{.kind = kFirstTextureMap, .imageFile = kWoodImage, .imageCode = 3},
                  {.kind = kSecondTextureMap, .imageFile = "bump.bmp", .imageCode = 3}}},
    };
    MaterialDescription glass{.name = "glass", .colour2 = {0.0f, 0.5f, 1.0f}, .scalar1 = -3.7f};
    scene.materials.materials = {brick, glass};

    scene.cameras = {Camera(kFrontCameraName, {0.5f, -200.0f, 50.0f}, {1.0f, 2.0f, 3.0f}),
                     Camera("top", {0.0f, 0.0f, 500.0f}, {0.0f, 0.0f, 0.0f})};

    GeometryDescription triangle;
    triangle.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    triangle.faces = {{0, 1, 2}};

    NodeDescription tinted = MeshNode("tinted", {.colour = {0.2f, 0.4f, 0.6f}, .geometry = triangle});
    tinted.children = {MeshNode("leaf", {.materialIndex = 1, .geometry = triangle})};
    NodeDescription group{.label = "group",
                          .children = {MeshNode("wall", {.materialIndex = 0, .geometry = Grid(4, 5, 2.0f)}),
                                       tinted}};
    NodeDescription floor = MeshNode(kFloorName, {.materialIndex = 1, .geometry = Grid(8, 8, -0.125f)});
    floor.mesh->transform = TransformDescription::At(10.0f, 20.0f, 30.0f);
    scene.nodes = {group, floor};
    return scene;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: kvd_wine_scenes FOLDER\n", stderr);
        return 2;
    }
    std::string folder = argv[1];

    SceneDescription damaged = WholeScene();
    damaged.header.firstTag = kFileStart + 1;

    if (!WriteFile(folder + "/scene.kvd", SceneBytes(WholeScene())) ||
        !WriteFile(folder + "/damaged.kvd", SceneBytes(damaged))) {
        std::fprintf(stderr, "kvd_wine_scenes: cannot write to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
