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

// The writer's flat grid as an ordinary geometry block.
GeometryDescription GridGeometry(int32_t rows, int32_t columns)
{
    GridSurface grid{rows, columns};
    GeometryDescription geometry;
    geometry.vertices.resize(static_cast<size_t>(grid.vertexCount()));
    geometry.faces.resize(static_cast<size_t>(grid.faceCount()));
    grid.FillVertices(0, geometry.vertices);
    grid.FillFaces(0, geometry.faces);
    return geometry;
}

// The tests' sample scene, which holds every kind of record, with GBK names
// where the host receives them and a larger mesh.
SceneDescription WholeScene()
{
    SceneDescription scene = pieces::SampleScene();
    scene.cameras.at(0).name.name = kFrontCameraName;
    scene.materials.materials.at(0).maps->at(0).imageFile = kWoodImage;
    scene.nodes.push_back(pieces::IndexedMesh(kFloorName, 0, GridGeometry(8, 8)));
    return scene;
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

    if (!WriteBytesToFile(folder + "/scene.kvd", SceneBytes(WholeScene())) ||
        !WriteBytesToFile(folder + "/damaged.kvd", SceneBytes(damaged))) {
        std::fprintf(stderr, "kvd_wine_scenes: cannot write to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
