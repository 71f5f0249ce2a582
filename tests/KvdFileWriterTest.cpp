// The kvd writer, checked through the real reader and a recording host: what
// the host receives is what the description said, and what the format cannot
// count or name is fitted without the reader ever seeing damage.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"
#include "writer/ArrayMeshFeed.h"
#include "writer/KvdFileWriter.h"

using namespace kvdfile;

namespace {

struct Written {
    WriteResult result;
    std::vector<uint8_t> bytes;
    std::vector<std::string> trace;
};

Written Write(const SceneToWrite& scene, std::vector<MeshArrays> meshes)
{
    ArrayMeshFeed feed(std::move(meshes));
    MemoryOutput out;
    Written written;
    written.result = WriteKvdScene(scene, feed, out);
    written.bytes = out.bytes();
    if (written.result.written)
        written.trace = ImportTrace(written.bytes);
    return written;
}

NodeToWrite MeshNode(int64_t mesh, std::string name = "m")
{
    NodeToWrite node;
    node.name = std::move(name);
    node.mesh = mesh;
    return node;
}

const std::vector<float> kTrianglePoints = {0.5f, -2.25f, 0.001f, 1, 0, 0, 0, 1, -0.0f};
const std::vector<uint32_t> kOneTriangle = {2, 0, 1};
const std::vector<uint32_t> kOneTriangleAtZero = {0, 0, 0};
const std::vector<float> kNoPoints;
const std::vector<uint32_t> kNoTriangles;

MeshArrays Triangle(int64_t material = MeshHead::kOwnColour)
{
    return MeshArrays{"tri", material, {0.2f, 0.4f, 0.6f}, kTrianglePoints, kOneTriangle};
}

std::string Text(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

TEST(KvdFileWriter, HostGetsTheDescribedScene)
{
    SceneToWrite scene;
    scene.title = "scene";
    MaterialToWrite wood;
    wood.name = "木材";   // GBK c4 be b2 c4
    wood.ambient = {0.1f, 0.2f, 0.3f};
    wood.diffuse = {0.4f, 0.5f, 0.6f};
    wood.specular = {0.7f, 0.8f, 0.9f};
    wood.shininess = 25.9f;
    wood.maps = {{MapRole::Colour, "a.tif"}, {MapRole::Colour, "b.png"}, {MapRole::Bump, "木纹.BMP"}};
    scene.materials = {wood};
    scene.cameras = {{"相机2", true, {1.5f, -2.0f, 3.0f}, {0.0f, 0.0f, 0.1f}}, {"fixed", false, {}, {}}};
    NodeToWrite group;
    group.name = "group";
    group.children = {MeshNode(0, "child"), MeshNode(1)};
    scene.roots = {MeshNode(0, "first"), group};

    const Written written = Write(scene, {Triangle(0), Triangle()});
    ASSERT_TRUE(written.result.written) << written.result.error;
    EXPECT_TRUE(written.result.notes.empty());
    EXPECT_EQ(written.result.meshes, 3u);
    EXPECT_EQ(written.result.bytes, written.bytes.size());

    const std::vector<std::string> summaries = Summaries(written.trace);
    const std::vector<std::string> expected = {
        "GB_StartImport",
        "GB_SetDefaultCamera 相机2 [1.5,-2,3] [0,0,0.10000000149011612]",
        "GB_AddCamera fixed [2734,-1836.8,3832.7] [9706.5,368.3,3047.6]",
        "GB_BeginObject", "GB_BeginSurface \xc4\xbe\xb2\xc4",
        "GB_AddTriangle [0,1,-0] [0.5,-2.25,0.0010000000474974513] [1,0,0]",
        "GB_EndSurface", "GB_EndObject",
        "GB_BeginObject", "GB_BeginSurface \xc4\xbe\xb2\xc4",
        "GB_AddTriangle [0,1,-0] [0.5,-2.25,0.0010000000474974513] [1,0,0]",
        "GB_EndSurface", "GB_EndObject",
        "GB_BeginObject", "GB_BeginSurface tri",
        "GB_AddTriangle [0,1,-0] [0.5,-2.25,0.0010000000474974513] [1,0,0]",
        "GB_EndSurface", "GB_EndObject"};
    EXPECT_EQ(summaries, expected);

    const std::vector<tagMaterial> surfaces = SurfaceMaterials(written.trace);
    ASSERT_EQ(surfaces.size(), 3u);
    const tagMaterial& file = surfaces[0];
    EXPECT_EQ(Text(file.name, sizeof file.name), "\xc4\xbe\xb2\xc4");
    EXPECT_EQ(file.colour1[2], 0.3f);
    EXPECT_EQ(file.colour2[0], 0.4f);
    EXPECT_EQ(file.colour3[1], 0.8f);
    EXPECT_EQ(file.scalar1, 25);
    EXPECT_EQ(file.shadeCode, 65);
    // The last colour map the host can show, and the bump map as named.
    EXPECT_EQ(Text(file.firstTexture, sizeof file.firstTexture), "a.tif");
    EXPECT_EQ(Text(file.secondTexture, sizeof file.secondTexture), "\xc4\xbe\xce\xc6.BMP");
    const tagMaterial& own = surfaces[2];
    EXPECT_EQ(own.colour2[1], 0.4f);
    EXPECT_EQ(own.shadeCode, 30);
}

// Lists the format cannot count, nodes nested past the reader's bound, and
// a group whose child count would read as a mesh: every mesh still arrives,
// in tree order, and the reader sees no damage.
TEST(KvdFileWriter, TreesTheFormatCannotCountArriveWhole)
{
    struct Case {
        const char* name;
        size_t topLevel;       // meshes at the top
        size_t groupChildren;  // meshes in one group
        size_t depth;          // a chain of groups this deep holding one mesh
        bool notesGroups;
        bool notesDepth;
    };
    const Case cases[] = {
        {"257 top-level meshes", 257, 0, 0, false, false},
        {"a group of 257", 0, 257, 0, true, false},
        {"a group of 256", 0, 256, 0, false, false},
        {"70000 top-level meshes", 70000, 0, 0, true, false},
        {"a group of 65535 + 257", 0, 65792, 0, true, false},
        {"300 levels deep", 0, 0, 300, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneToWrite scene;
        size_t meshes = 0;
        for (size_t i = 0; i < c.topLevel; ++i)
            scene.roots.push_back(MeshNode(static_cast<int64_t>(meshes++)));
        if (c.groupChildren > 0) {
            NodeToWrite group;
            for (size_t i = 0; i < c.groupChildren; ++i)
                group.children.push_back(MeshNode(static_cast<int64_t>(meshes++)));
            scene.roots.push_back(std::move(group));
        }
        if (c.depth > 0) {
            NodeToWrite chain = MeshNode(static_cast<int64_t>(meshes++), "deepest");
            for (size_t level = 1; level < c.depth; ++level) {
                NodeToWrite parent;
                parent.children.push_back(std::move(chain));
                chain = std::move(parent);
            }
            scene.roots.push_back(std::move(chain));
        }
        std::vector<MeshArrays> arrays(meshes, MeshArrays{"e", MeshHead::kOwnColour, {}, kNoPoints, kNoTriangles});
        // Each mesh's single point tells its place in the tree.
        std::vector<std::vector<float>> points(meshes);
        for (size_t i = 0; i < meshes; ++i) {
            points[i] = {static_cast<float>(i), 0.0f, 0.0f};
            arrays[i].points = points[i];
            arrays[i].triangles = kOneTriangleAtZero;
        }
        const Written written = Write(scene, std::move(arrays));
        ASSERT_TRUE(written.result.written) << written.result.error;
        EXPECT_EQ(CountOf(written.trace, "GB_BeginObject"), static_cast<int>(meshes));
        EXPECT_EQ(CountOf(written.trace, "message"), 0);
        std::vector<std::string> order;
        for (const std::string& line : written.trace) {
            if (CallOf(line) == "GB_AddTriangle")
                order.push_back(FieldOf(line, "a"));
        }
        ASSERT_EQ(order.size(), meshes);
        for (size_t i = 0; i < meshes; i += 997)
            EXPECT_EQ(order[i], "[" + std::to_string(i) + ",0,0]");
        const bool notedGroups = std::any_of(written.result.notes.begin(), written.result.notes.end(),
                                             [](const std::string& n) { return n.find("groups") != n.npos; });
        const bool notedDepth = std::any_of(written.result.notes.begin(), written.result.notes.end(),
                                            [](const std::string& n) { return n.find("deeper") != n.npos; });
        EXPECT_EQ(notedGroups, c.notesGroups);
        EXPECT_EQ(notedDepth, c.notesDepth);
    }
}

TEST(KvdFileWriter, NamesAreFittedToWholeGbkCharacters)
{
    struct Case {
        std::string utf8;
        std::string gbk;
        const char* note;   // a word of the note, or nullptr for none
    };
    const std::string fiftyCharacters = [] {
        std::string s;
        for (int i = 0; i < 50; ++i)
            s += "木";
        return s;
    }();
    const std::string fortyOneInGbk = [] {
        std::string s;
        for (int i = 0; i < 41; ++i)
            s += "\xc4\xbe";
        return s;
    }();
    const Case cases[] = {
        {"plain", "plain", nullptr},
        {"a?b", "a?b", nullptr},
        {"emoji 😀", "emoji ?", "GBK lacks"},
        {fiftyCharacters, fortyOneInGbk, "cut"},
        {std::string("nul\0after", 9), "nul", "cut"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        SceneToWrite scene;
        scene.roots = {MeshNode(0)};
        MeshArrays mesh = Triangle();
        mesh.name = c.utf8;
        const Written written = Write(scene, {mesh});
        ASSERT_TRUE(written.result.written) << written.result.error;
        const std::vector<tagMaterial> surfaces = SurfaceMaterials(written.trace);
        ASSERT_EQ(surfaces.size(), 1u);
        EXPECT_EQ(Text(surfaces[0].name, sizeof surfaces[0].name), c.gbk);
        if (c.note == nullptr) {
            EXPECT_TRUE(written.result.notes.empty());
        } else {
            ASSERT_EQ(written.result.notes.size(), 1u);
            EXPECT_NE(written.result.notes[0].find(c.note), std::string::npos) << written.result.notes[0];
        }
    }
}

// What breaks the description's promises stops the writing.
TEST(KvdFileWriter, BrokenDescriptionsAreRefused)
{
    const std::vector<float> nanPoint = {0, 0, 0, std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, 1, 0};
    const std::vector<uint32_t> pastTheEnd = {0, 1, 3};
    struct Case {
        const char* name;
        MeshArrays mesh;
        bool placedCameraAtInfinity;
        const char* error;
    };
    const Case cases[] = {
        {"a point that is not a number", {"m", MeshHead::kOwnColour, {}, nanPoint, kOneTriangle}, false,
         "not a finite number"},
        {"a triangle past the points", {"m", MeshHead::kOwnColour, {}, kTrianglePoints, pastTheEnd}, false,
         "names point 3 of 3"},
        {"a material that is not there", {"m", 1, {}, kTrianglePoints, kOneTriangle}, false, "names material 2"},
        {"a camera at infinity", Triangle(), true, "camera 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneToWrite scene;
        scene.materials.resize(1);
        scene.roots = {MeshNode(0)};
        if (c.placedCameraAtInfinity)
            scene.cameras = {{"c", true, {std::numeric_limits<float>::infinity(), 0, 0}, {}}};
        const Written written = Write(scene, {c.mesh});
        EXPECT_FALSE(written.result.written);
        EXPECT_NE(written.result.error.find(c.error), std::string::npos) << written.result.error;
    }
}

TEST(KvdFileWriter, PastTheMaterialCountMeshesKeepTheirColour)
{
    SceneToWrite scene;
    scene.materials.resize(kMaxMaterials + 2);
    scene.materials.back().name = "last";
    scene.materials.back().diffuse = {0.25f, 0.5f, 0.75f};
    scene.roots = {MeshNode(0, "past")};
    MeshArrays mesh = Triangle(static_cast<int64_t>(kMaxMaterials + 1));
    const Written written = Write(scene, {mesh});
    ASSERT_TRUE(written.result.written) << written.result.error;
    ASSERT_EQ(written.result.notes.size(), 1u);
    EXPECT_NE(written.result.notes[0].find("2 materials"), std::string::npos);
    const std::vector<tagMaterial> surfaces = SurfaceMaterials(written.trace);
    ASSERT_EQ(surfaces.size(), 1u);
    EXPECT_EQ(surfaces[0].shadeCode, 30);
    EXPECT_EQ(surfaces[0].colour2[2], 0.75f);
}

TEST(KvdFileWriter, ImageNamesTheFormatCannotHoldAreLeftOut)
{
    SceneToWrite scene;
    MaterialToWrite material;
    material.name = "m";
    material.maps = {{MapRole::Colour, "good.jpg"}, {MapRole::Colour, std::string(84, 'x') + ".jpg"},
                     {MapRole::Bump, "bad😀.bmp"}};
    scene.materials = {material};
    scene.roots = {MeshNode(0)};
    const Written written = Write(scene, {Triangle(0)});
    ASSERT_TRUE(written.result.written) << written.result.error;
    ASSERT_EQ(written.result.notes.size(), 1u);
    const std::vector<tagMaterial> surfaces = SurfaceMaterials(written.trace);
    ASSERT_EQ(surfaces.size(), 1u);
    EXPECT_EQ(Text(surfaces[0].firstTexture, sizeof surfaces[0].firstTexture), "good.jpg");
    EXPECT_EQ(Text(surfaces[0].secondTexture, sizeof surfaces[0].secondTexture), "");
}

}  // namespace
