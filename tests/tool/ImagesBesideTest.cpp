// Images written beside a .gltf or an .obj that goes into the scene's own
// folder: a re-encoded image never takes the place of a source image.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <stb_image_write.h>

#include "TempFolder.h"
#include "ToolRun.h"
#include "tools/writer/SceneBlocks.h"

namespace {

namespace fs = std::filesystem;

void WriteSolid(const fs::path& path, int side, unsigned char red)
{
    const std::vector<unsigned char> rgb(static_cast<size_t>(side * side * 3), red);
    if (path.extension() == ".bmp")
        stbi_write_bmp(path.string().c_str(), side, side, 3, rgb.data());
    else
        stbi_write_png(path.string().c_str(), side, side, 3, rgb.data(), side * 3);
}

TEST(ImagesBesideTest, ConvertingIntoTheScenesFolderLeavesItsImagesAsTheyWere)
{
    TempFolder folder;
    // wall.bmp becomes a PNG, and the scene also names another image, wall.png.
    WriteSolid(folder.path() / "wall.bmp", 4, 200);
    WriteSolid(folder.path() / "wall.png", 2, 50);
    const std::string sourcePng = ReadFile(folder.path() / "wall.png");
    // A scene whose material names both, used by one mesh.
    kvdwriter::SceneDescription scene;
    scene.materials.materials = {{.name = "wall",
                                  .maps = {{kvdwriter::ImageMap(kvdwriter::kFirstTextureMap, "wall.bmp"),
                                            kvdwriter::ImageMap(kvdwriter::kSecondTextureMap, "wall.png")}}}};
    scene.nodes = {kvdwriter::MeshNode("wall", kvdwriter::Triangle(), 0)};
    ASSERT_TRUE(kvdwriter::WriteBytesToFile(folder / "scene.kvd", kvdwriter::SceneBytes(scene)));

    for (const char* output : {"out.gltf", "out.obj"}) {
        const ToolRun run = RunKvd(folder.path(), "convert --quiet " + Quote(folder / "scene.kvd") + " " + Quote(folder / output));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(ReadFile(folder.path() / "wall.png"), sourcePng) << output;
    }
    const nlohmann::json gltf = nlohmann::json::parse(ReadFile(folder.path() / "out.gltf"));
    ASSERT_EQ(gltf["images"].size(), 2u);
    for (const nlohmann::json& image : gltf["images"])
        EXPECT_TRUE(fs::exists(folder.path() / image["uri"].get<std::string>())) << image;
    EXPECT_NE(gltf["images"][0]["uri"], "wall.png") << "the re-encoded BMP is named apart";
    // The bump map, a PNG, is the source's bytes under whatever name it got.
    const std::string mtl = ReadFile(folder.path() / "out.mtl");
    const size_t bump = mtl.find("map_bump ");
    ASSERT_NE(bump, std::string::npos) << mtl;
    const std::string bumpName = mtl.substr(bump + 9, mtl.find('\n', bump) - bump - 9);
    EXPECT_EQ(ReadFile(folder.path() / bumpName), sourcePng) << bumpName;
}

}  // namespace
