// kvd convert and kvd info with the images a scene names: found the way the
// exporting machine named them, stored in a .glb, written beside a .gltf or
// an .obj, data URIs with --embed, references only with --no-images, and a
// missing image named once and left out.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "ConvertScenes.h"
#include "TempFolder.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The JSON chunk of a .glb.
json GlbJson(const fs::path& path)
{
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 20)
        return nullptr;
    uint32_t length = 0;
    std::memcpy(&length, bytes.data() + 12, 4);
    return json::parse(bytes.substr(20, length));
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::set<std::string> FilesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class ImageOutputTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(scenes());
        fs::create_directories(out());
        ASSERT_EQ(WriteConvertSceneFiles(scenes(), KVD_SAMPLES_DIR), "");
    }

    fs::path scenes() const { return folder_.path() / "scenes"; }
    fs::path out() const { return folder_.path() / "out"; }
    std::string Scene(const std::string& name) const { return Quote((scenes() / (name + ".kvd")).string()); }
    // The sample beside the images it names.
    static std::string House() { return Quote(std::string(KVD_SAMPLES_DIR) + "/house.kvd"); }
    std::string Out(const std::string& name) const { return Quote((out() / name).string()); }
    ToolRun Kvd(const std::string& arguments) const { return RunKvd(folder_.path(), arguments); }

    TempFolder folder_;
};

TEST_F(ImageOutputTest, AGlbHoldsEveryImageAndNeedsNothingBesideIt)
{
    const ToolRun run = Kvd("convert --quiet " + House() + " " + Out("house.glb"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(FilesIn(out()), std::set<std::string>{"house.glb"});
    const json gltf = GlbJson(out() / "house.glb");
    // wood.jpg, maps\bricks.jpg, roof tiles.jpg and the bump map wood_bump.bmp as PNG.
    ASSERT_EQ(gltf["images"].size(), 4u);
    std::multiset<std::string> mimeTypes;
    for (const json& image : gltf["images"]) {
        EXPECT_FALSE(image.contains("uri"));
        EXPECT_TRUE(image.contains("bufferView"));
        mimeTypes.insert(image["mimeType"].get<std::string>());
    }
    EXPECT_EQ(mimeTypes, (std::multiset<std::string>{"image/jpeg", "image/jpeg", "image/jpeg", "image/png"}));
    const json& wood = gltf["materials"][1];
    EXPECT_EQ(wood["name"], "木材");
    ASSERT_TRUE(wood["extras"]["bumpTexture"].contains("index"));
    EXPECT_FALSE(wood["extras"]["bumpTexture"].contains("uri"));
}

TEST_F(ImageOutputTest, ExportedMapsAreFoundAndTheMissingOneIsNamedOnceAndLeftOut)
{
    for (const char* name : {"maps.gltf", "maps.obj"}) {
        const ToolRun run = Kvd("convert --quiet " + Scene("exported_maps") + " " + Out(name));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Occurrences(run.err, "not found"), 1u) << run.err;
        EXPECT_NE(run.err.find("FLOOR01.JPG"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("textures"), std::string::npos) << "names the folders looked in: " << run.err;
    }
    // The BMP, the TGA and the TIFF bump map as PNG, the JPEG and the PNG as
    // they are, beside the outputs: every map the file names, whatever the
    // host would take.
    const std::set<std::string> images = {"wall02.png", "wall02_bump.png", "STONE.jpg", "Roof.png", "glass.png"};
    for (const std::string& image : images)
        EXPECT_TRUE(fs::exists(out() / image)) << image;

    const json gltf = json::parse(ReadFile(out() / "maps.gltf"));
    std::set<std::string> uris;
    for (const json& image : gltf["images"])
        uris.insert(image["uri"].get<std::string>());
    EXPECT_EQ(uris, images) << "every reference is to a file that is there";
    const json& floor = gltf["materials"][4];
    EXPECT_EQ(floor["name"], "FLOOR");
    EXPECT_FALSE(floor["pbrMetallicRoughness"].contains("baseColorTexture"));
    EXPECT_TRUE(floor["pbrMetallicRoughness"].contains("baseColorFactor"));

    const std::string mtl = ReadFile(out() / "maps.mtl");
    EXPECT_NE(mtl.find("map_Kd wall02.png"), std::string::npos) << mtl;
    EXPECT_NE(mtl.find("map_bump wall02_bump.png"), std::string::npos) << mtl;
    EXPECT_EQ(mtl.find("FLOOR01"), std::string::npos) << mtl;
}

TEST_F(ImageOutputTest, StrictFailsOnAMissingImageWithStatus5AndStillWrites)
{
    const ToolRun strict = Kvd("convert --quiet --strict " + Scene("exported_maps") + " " + Out("maps.glb"));
    EXPECT_EQ(strict.exitCode, 5) << strict.err;
    EXPECT_TRUE(fs::exists(out() / "maps.glb"));
    const ToolRun complete = Kvd("convert --quiet --strict " + House() + " " + Out("house.glb"));
    EXPECT_EQ(complete.exitCode, 0) << complete.err;
}

TEST_F(ImageOutputTest, EmbedPutsDataUrisInTheGltf)
{
    const ToolRun run = Kvd("convert --quiet --embed " + House() + " " + Out("house.gltf"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FilesIn(out()), (std::set<std::string>{"house.gltf", "house.bin"}));
    const json gltf = json::parse(ReadFile(out() / "house.gltf"));
    ASSERT_EQ(gltf["images"].size(), 4u);
    for (const json& image : gltf["images"])
        EXPECT_EQ(image["uri"].get<std::string>().rfind("data:image/", 0), 0u);
    EXPECT_EQ(Kvd("convert --embed " + House() + " " + Out("house.obj")).exitCode, 2);
    EXPECT_EQ(Kvd("convert --embed --no-images " + House() + " " + Out("house.gltf")).exitCode, 2);
}

TEST_F(ImageOutputTest, NoImagesKeepsTheNamesAsReferences)
{
    const ToolRun run = Kvd("convert --quiet --no-images " + House() + " " + Out("house.gltf"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FilesIn(out()), (std::set<std::string>{"house.gltf", "house.bin"}));
    const json gltf = json::parse(ReadFile(out() / "house.gltf"));
    std::set<std::string> uris;
    for (const json& image : gltf["images"])
        uris.insert(image["uri"].get<std::string>());
    EXPECT_EQ(uris, (std::set<std::string>{"wood.jpg", "maps/bricks.jpg", "roof%20tiles.jpg"}));
}

TEST_F(ImageOutputTest, TexturesFolderIsSearchedLast)
{
    const fs::path extra = folder_.path() / "extra";
    fs::create_directories(extra);
    fs::copy_file(fs::path(KVD_SAMPLES_DIR) / "wood.jpg", extra / "floor01.jpg");
    const ToolRun run = Kvd("convert --quiet --strict --textures " + Quote(extra.string()) + " " +
                            Scene("exported_maps") + " " + Out("maps.glb"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(GlbJson(out() / "maps.glb")["images"].size(), 6u);
}

TEST_F(ImageOutputTest, InfoSaysWhereEachMapWasFound)
{
    const ToolRun run = Kvd("info --json " + Scene("exported_maps"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json info = json::parse(run.out);
    const json& wall = info["materials"][0];
    EXPECT_EQ(wall["texture"], "D:\\3DMAX\\MAPS\\WALL02.BMP");
    EXPECT_EQ(fs::path(wall["textureImage"]["found"].get<std::string>()), scenes() / "textures/wall02.bmp");
    EXPECT_EQ(fs::path(wall["bumpTextureImage"]["found"].get<std::string>()), scenes() / "maps/wall02_bump.tif");
    const json& floor = info["materials"][4];
    EXPECT_TRUE(floor["textureImage"]["found"].is_null());
    EXPECT_EQ(floor["textureImage"]["lookedIn"].size(), 3u);

    const ToolRun text = Kvd("info " + Scene("exported_maps"));
    EXPECT_NE(text.out.find("(found: "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("(not found; looked in "), std::string::npos) << text.out;
}

}  // namespace
