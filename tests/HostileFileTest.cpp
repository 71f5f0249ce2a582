// Files made to hurt a reader: counts that claim far more than the file
// holds, a string count of all ones wherever a string stands, children that
// are all lone values, and floats that are not ordinary numbers. Each import
// must end, keep every rule of the host interface and stay within bounded
// memory. (Nesting far past the bound is in DamagedInputTest.)
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "reader/ImportMessages.h"
#include "tests/support/CheckedImport.h"
#include "tests/support/ScenePieces.h"

namespace {

using namespace kvdwriter;
using pieces::ColourMesh;
using pieces::Triangle;

// No hostile file may make the import's peak address space grow by more.
constexpr uint64_t kMemoryBound = uint64_t{256} << 20;

// The process's peak address space so far (VmPeak): it grows with every
// large allocation, touched or not.
uint64_t PeakVirtualBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmPeak:") {
            uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 0;
}

struct HostileImport {
    CheckedImportResult result;
    CheckingHost host;
};

// Imports bytes with a checking host and checks what every import keeps.
void Import(const std::vector<uint8_t>& bytes, HostileImport& out)
{
    uint64_t peakBefore = PeakVirtualBytes();
    out.result = RunCheckedImport(out.host, bytes);
    EXPECT_LT(PeakVirtualBytes() - peakBefore, kMemoryBound) << "memory grew with the file's claims";
    EXPECT_TRUE(out.host.violations().empty()) << out.host.ViolationReport();
    EXPECT_EQ(out.host.endImports(), 1);
    EXPECT_EQ(out.host.MessageCount(ImportMessage::FileDamaged), out.result.damaged ? 1 : 0);
}

std::vector<HostCall> CallsOf(const CheckingHost& host, HostCall::Kind kind)
{
    std::vector<HostCall> calls;
    for (const HostCall& call : host.calls()) {
        if (call.kind == kind)
            calls.push_back(call);
    }
    return calls;
}

tagMaterial MaterialOf(const HostCall& beginSurface)
{
    tagMaterial material;
    std::memcpy(&material, beginSurface.text.data(), sizeof material);
    return material;
}

uint64_t Widened(float value)
{
    return std::bit_cast<uint64_t>(static_cast<double>(value));
}

TEST(HostileFileTest, VertexCountOfTwoBillionInATwoHundredByteFileAllocatesLittle)
{
    NodeDescription node = ColourMesh("big", {}, Triangle());
    node.mesh->name.openingTag = 0;
    node.mesh->transform.openingTag = 0;
    node.mesh->geometry.vertexCount = 2000000000;
    node.mesh->geometry.faces.clear();
    std::vector<uint8_t> bytes = SceneBytes(pieces::NodeScene({node}));
    ASSERT_LT(bytes.size(), 200u);
    bytes.resize(200, 0x41);   // more vertex bytes, up to 200 in all
    HostileImport import;
    Import(bytes, import);
    EXPECT_TRUE(import.result.damaged);
    EXPECT_EQ(import.host.objectsBegun(), 0);
}

TEST(HostileFileTest, FaceCountOfTwoBillionWithThreeFacesSendsThoseThreeAndClosesTheObject)
{
    GeometryDescription geometry = Triangle();
    geometry.faces = {{0, 1, 2}, {2, 1, 0}, {1, 2, 0}};
    geometry.faceCount = 2000000000;
    std::vector<uint8_t> bytes = SceneBytes(pieces::NodeScene({ColourMesh("many", {}, geometry)}));
    // The file ends after the third face: no geometry closing tag, mesh
    // closing tag or child count.
    bytes.resize(bytes.size() - 6);

    HostileImport accepted;
    Import(bytes, accepted);
    EXPECT_TRUE(accepted.result.damaged);
    EXPECT_EQ(accepted.host.triangles(), 3);
    EXPECT_EQ(CallsOf(accepted.host, HostCall::Kind::EndSurface).size(), 1u);
    EXPECT_EQ(CallsOf(accepted.host, HostCall::Kind::EndObject).size(), 1u);

    // A refused object passes over the faces it will not get, and meets the end.
    HostileImport refused{{}, CheckingHost({.refuseEveryObject = 1})};
    Import(bytes, refused);
    EXPECT_TRUE(refused.result.damaged);
    EXPECT_EQ(refused.host.triangles(), 0);
}

TEST(HostileFileTest, StringCountOfAllOnesEndsTheImportWhereverItStands)
{
    const KvdString endless = KvdString::Raw(0xFFFFFFFFu, "text");
    struct Case {
        const char* where;
        std::function<void(SceneDescription&)> plant;
        bool started;
    };
    const Case cases[] = {
        {"signature", [&](SceneDescription& s) { s.header.signature = endless; }, false},
        {"header text", [&](SceneDescription& s) { s.header.text = endless; }, false},
        {"material name", [&](SceneDescription& s) { s.materials.materials[0].name = endless; }, true},
        {"map image file",
         [&](SceneDescription& s) { (*s.materials.materials[0].maps)[0].imageFile = endless; }, true},
        {"camera name", [&](SceneDescription& s) { s.cameras[0].name.name = endless; }, true},
        {"node label", [&](SceneDescription& s) { s.nodes[0].label = endless; }, true},
        {"mesh name", [&](SceneDescription& s) { s.nodes[0].mesh->name.name = endless; }, true},
        {"transform name", [&](SceneDescription& s) { s.nodes[0].mesh->transform.name = endless; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        SceneDescription scene = pieces::NodeScene({ColourMesh("mesh", {}, Triangle())});
        scene.materials.materials = {{.maps = {{pieces::ImageMap(kFirstTextureMap, "a.jpg")}}}};
        scene.cameras = {{.name = {.name = "camera"}}};
        c.plant(scene);

        HostileImport import;
        Import(SceneBytes(scene), import);
        EXPECT_TRUE(import.result.damaged);
        EXPECT_EQ(import.host.startImports(), c.started ? 1 : 0);
        EXPECT_EQ(import.host.MessageCount(ImportMessage::NotKvdFile), 0);
        EXPECT_EQ(import.host.objectsBegun(), 0);
    }
}

TEST(HostileFileTest, SixtyFiveThousandLoneValuesAsChildrenAreReadPast)
{
    KvdWriter writer;
    writer.Header({}).MaterialSection({}).U16(2).U16(0).U16(kCameraSectionEnd);
    writer.Node({.label = "parent", .nodeType = 65535});
    writer.Bytes(std::string(2 * 65535, '\0'));
    writer.Node(ColourMesh("after", {}, Triangle()));
    HostileImport import;
    Import(writer.bytes(), import);
    EXPECT_FALSE(import.result.damaged);
    EXPECT_EQ(import.host.objectsBegun(), 1);
    EXPECT_EQ(import.host.triangles(), 1);
}

TEST(HostileFileTest, NonFiniteAndDenormalFloatsReachTheHostAsStored)
{
    struct Case {
        const char* name;
        float value;
        int32_t scalar1;   // the host record's integer from the material's first scalar
    };
    const Case cases[] = {
        {"NaN", std::numeric_limits<float>::quiet_NaN(), 0},
        {"infinity", std::numeric_limits<float>::infinity(), std::numeric_limits<int32_t>::max()},
        {"minus infinity", -std::numeric_limits<float>::infinity(), std::numeric_limits<int32_t>::min()},
        {"denormal", std::numeric_limits<float>::denorm_min(), 0},
        {"minus zero", -0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const float v = c.value;
        const uint32_t bits = std::bit_cast<uint32_t>(v);
        SceneDescription scene;
        scene.header.values = std::array<float, 3>{v, v, v};
        MaterialDescription material;
        material.colour1 = material.colour2 = material.colour3 = {v, v, v};
        material.scalar1 = v;
        material.scalars = {bits, bits, bits};
        scene.materials.materials = {material};
        CameraDescription camera;
        CameraPlacementDescription placement;
        placement.eye.values.fill(bits);
        placement.target = placement.eye;
        placement.settings.parameters.fill(bits);
        camera.placement = placement;
        scene.cameras = {camera};
        GeometryDescription geometry = Triangle();
        geometry.vertices = {{v, v, v}, {v, v, v}, {v, v, v}};
        NodeDescription coloured = ColourMesh("coloured", {v, v, v}, geometry);
        coloured.mesh->transform.values.fill(bits);
        scene.nodes = {coloured, pieces::IndexedMesh("textured", 0, Triangle())};

        HostileImport import;
        Import(SceneBytes(scene), import);
        EXPECT_FALSE(import.result.damaged);
        std::vector<HostCall> cameras = CallsOf(import.host, HostCall::Kind::SetDefaultCamera);
        ASSERT_EQ(cameras.size(), 1u);
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(cameras[0].values[i], Widened(v));
        std::vector<HostCall> triangles = CallsOf(import.host, HostCall::Kind::AddTriangle);
        ASSERT_EQ(triangles.size(), 2u);
        for (uint64_t corner : triangles[0].values)
            EXPECT_EQ(corner, Widened(v));
        std::vector<HostCall> surfaces = CallsOf(import.host, HostCall::Kind::BeginSurface);
        ASSERT_EQ(surfaces.size(), 2u);
        EXPECT_EQ(std::bit_cast<uint32_t>(MaterialOf(surfaces[0]).colour2[1]), bits);
        EXPECT_EQ(std::bit_cast<uint32_t>(MaterialOf(surfaces[1]).colour1[0]), bits);
        EXPECT_EQ(MaterialOf(surfaces[1]).scalar1, c.scalar1);
    }
}

}  // namespace
