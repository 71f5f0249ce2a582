// The scene body after the header: cameras, the node forest, mesh bodies and
// geometry, each case a scene and the host calls it must give. A case read
// out of step shows as "Output Camera Error", a damaged file or calls that
// differ.
#include <functional>
#include <gtest/gtest.h>

#include "tests/support/CaseName.h"
#include "tests/support/ScenePieces.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"

using namespace kvdwriter;
using namespace pieces;

namespace {

using Trace = std::vector<std::string>;

Trace Concat(std::initializer_list<Trace> parts)
{
    Trace all;
    for (const Trace& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The calls of one mesh whose surface material is named material.
Trace Object(const std::string& material, const Trace& triangles = {})
{
    return Concat({{"GB_BeginObject", "GB_BeginSurface " + material}, triangles, {"GB_EndSurface", "GB_EndObject"}});
}

const Trace kStart = {kStartSummary, kDefaultCameraSummary};
const std::string kTriangle = "GB_AddTriangle [0,0,0] [1,0,0] [0,1,0]";

SceneDescription Cameras(std::vector<CameraDescription> cameras)
{
    return {.cameras = std::move(cameras)};
}

CameraDescription Changed(CameraDescription camera, const std::function<void(CameraDescription&)>& change)
{
    change(camera);
    return camera;
}

NodeDescription Changed(NodeDescription node, const std::function<void(MeshDescription&)>& change)
{
    change(*node.mesh);
    return node;
}

NodeDescription WithChildren(NodeDescription node, std::vector<NodeDescription> children)
{
    node.children = std::move(children);
    return node;
}

NodeDescription Lone(uint16_t value) { return {.openingTag = value}; }

NodeDescription Mesh(const std::string& name, GeometryDescription geometry = {})
{
    return ColourMesh(name, {0.5f, 0.5f, 0.5f}, std::move(geometry));
}

GeometryDescription ThreeVertices(std::vector<Face> faces)
{
    GeometryDescription geometry;
    geometry.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    geometry.faces = std::move(faces);
    return geometry;
}

const CameraDescription kCameraA = CameraLookingAt("a", {1, 2, 3}, {4, 5, 6});
const CameraDescription kCameraB = CameraLookingAt("b", {7, 8, 9}, {0, 0, 1});

struct BodyCase {
    const char* name;
    SceneDescription scene;
    HostRefusals refusals;
    Trace expected;
};

void PrintTo(const BodyCase& c, std::ostream* out) { *out << c.name; }

const BodyCase kBodyCases[] = {
    // Cameras.
    {"camera entries 259, 259, 100",
     Cameras({kCameraA, kCameraB, {.entryTag = 100}}),
     {},
     {kStartSummary, "GB_SetDefaultCamera a [1,2,3] [4,5,6]", "GB_AddCamera b [7,8,9] [0,0,1]"}},
    {"camera entries 100, 259", Cameras({{.entryTag = 100}, kCameraB}), {},
     {kStartSummary, "GB_SetDefaultCamera b [7,8,9] [0,0,1]"}},
    {"two entries without a camera record", Cameras({{.entryTag = 0}, {.entryTag = 258}}), {}, {kStartSummary}},
    {"target tag other than 338",
     Cameras({Changed(kCameraA, [](CameraDescription& c) {
         c.placement->target.reset();
         c.placement->targetSlot = 339;
     })}),
     {},
     {kStartSummary, "GB_SetDefaultCamera a [1,2,3] [0,0,0]"}},
    {"camera without placement", Cameras({{.name = {.name = "bare"}}, kCameraB}), {},
     {kStartSummary, "GB_SetDefaultCamera bare [2734,-1836.8,3832.7] [9706.5,368.3,3047.6]",
      "GB_AddCamera b [7,8,9] [0,0,1]"}},
    {"camera floats widened exactly", Cameras({CameraLookingAt("p", {0.1f, 0, 0}, {0, 0, 0.1f})}), {},
     {kStartSummary, "GB_SetDefaultCamera p [0.10000000149011612,0,0] [0,0,0.10000000149011612]"}},
    {"camera without name record", Cameras({Changed(kCameraA, [](CameraDescription& c) { c.name.openingTag = 266; })}),
     {},
     {kStartSummary, "GB_SetDefaultCamera  [1,2,3] [4,5,6]"}},
    {"camera with secondary name",
     Cameras({Changed(kCameraA, [](CameraDescription& c) { c.name.secondaryName = "alt"; })}),
     {},
     {kStartSummary, "GB_SetDefaultCamera a [1,2,3] [4,5,6]"}},
    {"settings tag other than 323",
     Cameras({Changed(kCameraA, [](CameraDescription& c) { c.placement->settings.tag = 324; }), kCameraB}),
     {},
     {kStartSummary, "GB_SetDefaultCamera a [1,2,3] [4,5,6]", "GB_AddCamera b [7,8,9] [0,0,1]"}},
    {"eye transforms cut after their first or second tag",
     Cameras({Changed(kCameraA, [](CameraDescription& c) { c.placement->eye.openingTag = 263; }),
              Changed(kCameraB, [](CameraDescription& c) { c.placement->eye.nameTag = 266; })}),
     {},
     {kStartSummary, "GB_SetDefaultCamera a [0,0,0] [4,5,6]", "GB_AddCamera b [0,0,0] [0,0,1]"}},
    {"end tag other than 768",
     {.cameraSectionEnd = 769, .nodes = {Mesh("a")}},
     {},
     Concat({kStart, {"message Output Camera Error"}, Object("a")})},
    // The node forest.
    {"lone values at top level", NodeScene({Lone(0), Mesh("a"), Lone(7), Mesh("b")}), {},
     Concat({kStart, Object("a"), Object("b")})},
    {"node of no children", NodeScene({{.label = "empty"}, Mesh("a")}), {}, Concat({kStart, Object("a")})},
    {"node of three children", NodeScene({{.label = "g", .children = {Mesh("a"), Mesh("b"), Mesh("c")}}}), {},
     Concat({kStart, Object("a"), Object("b"), Object("c")})},
    {"lone value among children", NodeScene({{.label = "g", .children = {Mesh("a"), Lone(9), Mesh("c")}}}), {},
     Concat({kStart, Object("a"), Object("c")})},
    {"mesh before its children", NodeScene({WithChildren(Mesh("p"), {Mesh("a"), Mesh("b")})}), {},
     Concat({kStart, Object("p"), Object("a"), Object("b")})},
    {"two parents with one child each",
     NodeScene({WithChildren(Mesh("p1"), {Mesh("c1")}), WithChildren(Mesh("p2"), {Mesh("c2")})}), {},
     Concat({kStart, Object("p1"), Object("c1"), Object("p2"), Object("c2")})},
    {"object count 0 reads no node", {.objectCount = 0, .nodes = {Mesh("a")}}, {}, kStart},
    // Mesh bodies.
    {"material index 0", {.materials = {.materials = {{.name = "stone"}}}, .nodes = {IndexedMesh("m", 0)}}, {},
     Concat({kStart, Object("stone")})},
    {"material index 65535", NodeScene({IndexedMesh("m", 65535), Mesh("next")}), {},
     Concat({kStart, Object("m"), Object("next")})},
    {"material tag other than 343", NodeScene({Changed(Mesh("c"), [](MeshDescription& m) { m.materialTag = 342; })}),
     {},
     Concat({kStart, Object("c")})},
    {"mesh without name record", NodeScene({Changed(Mesh("a"), [](MeshDescription& m) { m.name.openingTag = 0; })}),
     {},
     Concat({kStart, Object("")})},
    {"mesh with secondary name",
     NodeScene({Changed(Mesh("first"), [](MeshDescription& m) { m.name.secondaryName = "second"; })}), {},
     Concat({kStart, Object("first")})},
    {"mesh placement not applied",
     NodeScene({Changed(Mesh("far", Triangle()),
                        [](MeshDescription& m) { m.transform = TransformDescription::At(1e6f, -1e6f, 5.0f); })}),
     {},
     Concat({kStart, Object("far", {kTriangle})})},
    {"mesh transform cut after its first tag",
     NodeScene({Changed(Mesh("a", Triangle()), [](MeshDescription& m) { m.transform.openingTag = 0; }), Mesh("b")}),
     {},
     Concat({kStart, Object("a", {kTriangle}), Object("b")})},
    // Geometry blocks.
    {"no vertices and no faces", NodeScene({Mesh("e")}), {}, Concat({kStart, Object("e")})},
    {"negative counts",
     NodeScene({Mesh("e", {.vertexCount = -5, .faceCount = -1}), Mesh("next", Triangle())}), {},
     Concat({kStart, Object("e"), Object("next", {kTriangle})})},
    {"winding kept", NodeScene({Mesh("w", ThreeVertices({{2, 0, 1}}))}), {},
     Concat({kStart, Object("w", {"GB_AddTriangle [0,1,0] [0,0,0] [1,0,0]"})})},
    {"vertex floats widened exactly",
     NodeScene({Mesh("f", {.vertices = {{1.5f, -2.25f, 0.001f}}, .faces = {{0, 0, 0}}})}), {},
     Concat({kStart, Object("f", {"GB_AddTriangle [1.5,-2.25,0.0010000000474974513] "
                                  "[1.5,-2.25,0.0010000000474974513] [1.5,-2.25,0.0010000000474974513]"})})},
    {"each mesh its own points, lists growing and shrinking",
     NodeScene({Mesh("s", {.vertices = {{1, 1, 1}, {2, 2, 2}}, .faces = {{1, 0, 1}}}),
                Mesh("l", {.vertices = {{3, 3, 3}, {4, 4, 4}, {5, 5, 5}, {6, 6, 6}, {7, 7, 7}},
                           .faces = {{4, 0, 2}, {3, 1, 4}}}),
                Mesh("t", {.vertices = {{8, 8, 8}}, .faces = {{0, 0, 0}}})}),
     {},
     Concat({kStart, Object("s", {"GB_AddTriangle [2,2,2] [1,1,1] [2,2,2]"}),
             Object("l", {"GB_AddTriangle [7,7,7] [3,3,3] [5,5,5]", "GB_AddTriangle [6,6,6] [4,4,4] [7,7,7]"}),
             Object("t", {"GB_AddTriangle [8,8,8] [8,8,8] [8,8,8]"})})},
    {"faces outside the vertex list skipped",
     NodeScene({Mesh("o", ThreeVertices({{0, 1, 2}, {3, 0, 1}, {0, 3, 1}, {0, 1, 3}, {-1, 0, 1}, {0, 2147483647, 1},
                                         {2, 1, 0}}))}),
     {},
     Concat({kStart, Object("o", {kTriangle, "GB_AddTriangle [0,1,0] [1,0,0] [0,0,0]"})})},
    {"faces without vertices", NodeScene({Mesh("n", {.faces = {{0, 0, 0}}}), Mesh("next")}), {},
     Concat({kStart, Object("n"), Object("next")})},
    {"geometry tag other than 276",
     NodeScene({Changed(Mesh("x", Triangle()), [](MeshDescription& m) { m.geometry.openingTag = 277; }),
                Mesh("next", Triangle())}),
     {},
     Concat({kStart, Object("next", {kTriangle})})},
    {"vertex tag other than 280",
     NodeScene({Changed(Mesh("x", Triangle()), [](MeshDescription& m) { m.geometry.vertexTag = 281; }),
                Mesh("next", Triangle())}),
     {},
     Concat({kStart, Object("next", {kTriangle})})},
    {"face tag other than 288",
     NodeScene({Changed(Mesh("x", Triangle()), [](MeshDescription& m) { m.geometry.faceTag = 289; }),
                Mesh("next", Triangle())}),
     {},
     Concat({kStart, Object("next", {kTriangle})})},
    {"refused object", NodeScene({Mesh("a", Triangle()), Mesh("b", Triangle())}), {.refuseObject = 1},
     Concat({kStart, {"GB_BeginObject -> 0"}, Object("b", {kTriangle})})},
    {"refused surface", NodeScene({Mesh("a", Triangle()), Mesh("b", Triangle())}), {.refuseSurface = 1},
     Concat({kStart, {"GB_BeginObject", "GB_BeginSurface a -> 0", "GB_EndObject"}, Object("b", {kTriangle})})},
};

class SceneBodyTest : public testing::TestWithParam<BodyCase> {};

TEST_P(SceneBodyTest, GivesTheHostTheseCalls)
{
    const BodyCase& c = GetParam();
    EXPECT_EQ(Summaries(ImportTrace(SceneBytes(c.scene), c.refusals)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneBodyTest, testing::ValuesIn(kBodyCases), CaseName());

struct SurfaceCase {
    const char* name;
    SceneDescription scene;
    int32_t shadeCode;
    std::array<float, 3> colour2;
};

void PrintTo(const SurfaceCase& c, std::ostream* out) { *out << c.name; }

const MaterialDescription kStone{.name = "stone", .colour2 = {0.1f, 0.2f, 0.3f}};

const SurfaceCase kSurfaceCases[] = {
    {"material index 0", {.materials = {.materials = {kStone}}, .nodes = {IndexedMesh("m", 0)}}, 65, {0.1f, 0.2f, 0.3f}},
    {"material index past the list", {.materials = {.materials = {kStone}}, .nodes = {IndexedMesh("m", 1)}}, 30,
     {0.5f, 0.5f, 0.5f}},
    {"material index 65535", NodeScene({IndexedMesh("m", 65535)}), 30, {0.5f, 0.5f, 0.5f}},
    {"mesh colour", NodeScene({ColourMesh("m", {0.2f, 0.4f, 0.6f})}), 30, {0.2f, 0.4f, 0.6f}},
};

class MeshSurfaceTest : public testing::TestWithParam<SurfaceCase> {};

TEST_P(MeshSurfaceTest, HasTheMaterialTheMeshNames)
{
    const SurfaceCase& c = GetParam();
    std::vector<tagMaterial> surfaces = SurfaceMaterials(ImportTrace(SceneBytes(c.scene)));
    ASSERT_EQ(surfaces.size(), 1u);
    EXPECT_EQ(surfaces[0].shadeCode, c.shadeCode);
    EXPECT_EQ(std::to_array(surfaces[0].colour2), c.colour2);
}

INSTANTIATE_TEST_SUITE_P(Cases, MeshSurfaceTest, testing::ValuesIn(kSurfaceCases), CaseName());

struct CameraNameCase {
    const char* name;
    std::string stored;
    size_t keptBytes;
};

void PrintTo(const CameraNameCase& c, std::ostream* out) { *out << c.name; }

// "相机" in GBK: two characters of a lead and a trail byte each.
const std::string kGbkPair = "\xcf\xe0\xbb\xfa";

const CameraNameCase kCameraNames[] = {
    {"31 bytes whole", "a" + kGbkPair + kGbkPair + kGbkPair + kGbkPair + kGbkPair + kGbkPair + kGbkPair + "\xcf\xe0", 31},
    {"40 GBK bytes cut to 30", std::string(kGbkPair) + kGbkPair + kGbkPair + kGbkPair + kGbkPair + kGbkPair + kGbkPair +
                                   kGbkPair + kGbkPair + kGbkPair,
     30},
    {"32 ASCII bytes cut to 31", std::string(32, 'c'), 31},
};

class CameraNameTest : public testing::TestWithParam<CameraNameCase> {};

TEST_P(CameraNameTest, ReachesTheHostWithinItsBuffer)
{
    const CameraNameCase& c = GetParam();
    std::vector<std::string> lines = ImportTrace(SceneBytes(Cameras({CameraLookingAt(c.stored, {1, 1, 1}, {0, 0, 0})})));
    ASSERT_EQ(lines.size(), 2u);
    std::string kept = c.stored.substr(0, c.keptBytes);
    std::string hex;
    for (unsigned char byte : kept) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    EXPECT_EQ(FieldOf(lines[1], "name_hex"), hex);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraNameTest, testing::ValuesIn(kCameraNames), CaseName());

TEST(SceneBody, EachImportOfOneReaderStartsAfresh)
{
    // The second file has no materials: its mesh's index 0 names nothing,
    // and its first camera is again the default camera.
    SceneDescription first = MaterialScene({kStone});
    first.cameras = {kCameraA, kCameraB};
    SceneDescription second = NodeScene({IndexedMesh("m", 0)});
    second.cameras = {kCameraB, kCameraA};

    TracedImport import;
    import.Import(SceneBytes(first));
    size_t firstLines = import.lines().size();
    import.Import(SceneBytes(second));
    Trace secondTrace = Summaries({import.lines().begin() + static_cast<std::ptrdiff_t>(firstLines), import.lines().end()});
    EXPECT_EQ(secondTrace, Concat({{kStartSummary, "GB_SetDefaultCamera b [7,8,9] [0,0,1]",
                                    "GB_AddCamera a [1,2,3] [4,5,6]"},
                                   Object("m")}));
    std::vector<tagMaterial> surfaces = SurfaceMaterials(import.lines());
    ASSERT_EQ(surfaces.size(), 2u);
    EXPECT_EQ(surfaces[1].shadeCode, 30);
}

}  // namespace
