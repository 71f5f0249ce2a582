// Writes the scenes that the Windows end-to-end test imports through the
// file dialog: a whole scene (materials with textures, two cameras, a node
// tree of meshes, GBK names) and the same scene with a wrong first tag.
//
//   kvd_wine_scenes FOLDER   writes FOLDER/scene.kvd and FOLDER/damaged.kvd
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/ScenePieces.h"

using namespace kvdwriter;

namespace {

// "前视": front view.
constexpr char kFrontCameraName[] = "\xc7\xb0\xca\xd3";
// "地板": floor.
constexpr char kFloorName[] = "\xb5\xd8\xb0\xe5";
// "木纹.jpg": wood grain.
constexpr char kWoodImage[] = "\xc4\xbe\xce\xc6.jpg";

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

// The tests' sample scene, which holds every kind of record, with GBK names
// where the host receives them and a larger mesh.
SceneDescription WholeScene()
{
    SceneDescription scene = pieces::SampleScene();
    scene.cameras.at(0).name.name = kFrontCameraName;
    scene.materials.materials.at(0).maps->at(0).imageFile = kWoodImage;
    scene.nodes.push_back(pieces::IndexedMesh(kFloorName, 0, Grid(8, 8, -0.125f)));
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
