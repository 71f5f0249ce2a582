// kvd convert writes each material with the values the file stores: a file
// material's three colours and first scalar as stored, a mesh's own colour
// as its one colour; nothing of the host's records (their constants, the
// scalar cut to an integer) reaches the output.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "TempFolder.h"
#include "ToolRun.h"
#include "tools/writer/SceneBlocks.h"

namespace {

using namespace kvdwriter;


const MaterialDescription kStone{.name = "stone",
                                 .colour1 = {0.1f, 0.2f, 0.3f},
                                 .colour2 = {0.4f, 0.5f, 0.6f},
                                 .colour3 = {0.7f, 0.8f, 0.9f},
                                 .scalar1 = 25.9f};

class MaterialOutputTest : public testing::Test {
protected:
    void SetUp() override
    {
        SceneDescription scene;
        scene.materials.materials = {kStone};
        scene.nodes = {MeshNode("walls", Triangle(), 0), MeshNode("lawn", Triangle(), std::nullopt, {0.3f, 0.6f, 0.1f})};
        ASSERT_TRUE(WriteBytesToFile(folder_ / "scene.kvd", SceneBytes(scene)));
    }

    ToolRun Convert(const std::string& output)
    {
        return RunKvd(folder_.path(), "convert --quiet " + Quote(folder_ / "scene.kvd") + " " + Quote(folder_ / output));
    }

    TempFolder folder_;
};

void ExpectColour(const nlohmann::json& value, const std::array<float, 3>& colour, const std::string& what)
{
    ASSERT_TRUE(value.is_array()) << what;
    ASSERT_EQ(value.size(), 3u) << what;
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(value[i].get<double>(), static_cast<double>(colour[i])) << what << " " << i;
}

TEST_F(MaterialOutputTest, GltfExtrasHoldTheFileValues)
{
    const ToolRun run = Convert("scene.gltf");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json gltf = nlohmann::json::parse(ReadFile(folder_ / "scene.gltf"));
    ASSERT_EQ(gltf["materials"].size(), 2u);

    const nlohmann::json& stone = gltf["materials"][0];
    EXPECT_EQ(stone["name"], "stone");
    const nlohmann::json& extras = stone["extras"];
    ExpectColour(extras["ambientColor"], kStone.colour1, "ambient");
    ExpectColour(extras["diffuseColor"], kStone.colour2, "diffuse");
    ExpectColour(extras["specularColor"], kStone.colour3, "specular");
    EXPECT_EQ(extras["scalar1"].get<double>(), static_cast<double>(25.9f)) << "as stored, not cut to 25";
    EXPECT_FALSE(extras.contains("shadeCode"));

    const nlohmann::json& lawn = gltf["materials"][1];
    EXPECT_EQ(lawn["name"], "lawn");
    ExpectColour(lawn["extras"]["diffuseColor"], {0.3f, 0.6f, 0.1f}, "own colour");
    for (const char* hostOnly : {"ambientColor", "specularColor", "scalar1"})
        EXPECT_FALSE(lawn["extras"].contains(hostOnly)) << hostOnly;
}

TEST_F(MaterialOutputTest, MtlGivesAnOwnColourOnlyItsColour)
{
    const ToolRun run = Convert("scene.obj");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string mtl = ReadFile(folder_ / "scene.mtl");
    EXPECT_NE(mtl.find("newmtl stone\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\n"), std::string::npos) << mtl;
    EXPECT_NE(mtl.find("newmtl lawn\nKd 0.3 0.6 0.1\nd 1\n"), std::string::npos) << mtl;
}

}  // namespace
