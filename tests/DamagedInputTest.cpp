// Files that nest too deep or claim more than they hold: each import ends
// as damaged, at once and within its memory, keeping what the host already
// received and closing what is open.
#include <gtest/gtest.h>

#include "tests/support/CaseName.h"
#include "tests/support/ScenePieces.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"

using namespace kvdwriter;

namespace {

constexpr int kDeep = 100000;
constexpr int kBound = 256;   // nesting levels a file may use

using Trace = std::vector<std::string>;

// Everything before the object section: no materials, no cameras.
KvdWriter& NoMaterialsNoCameras(KvdWriter& writer, uint16_t objectCount)
{
    return writer.Header({}).MaterialSection({}).U16(objectCount).U16(0).U16(kCameraSectionEnd);
}

std::string Bytes(const KvdWriter& writer) { return {writer.bytes().begin(), writer.bytes().end()}; }

// The record without its last tail bytes, into which the nested record goes.
std::string Opening(const std::string& record, size_t tail) { return record.substr(0, record.size() - tail); }

// depth node entries, each the only child of the one before; the deepest is
// a mesh.
std::vector<uint8_t> NodeChain(int depth)
{
    KvdWriter writer;
    NoMaterialsNoCameras(writer, 1);
    for (int level = 1; level < depth; ++level)
        writer.Node({.label = "n", .nodeType = 1});
    writer.Node(pieces::ColourMesh("deep", {}));
    return writer.bytes();
}

// depth materials, each the only sub-material of the one before, and one
// mesh naming the top one.
std::vector<uint8_t> SubMaterialChain(int depth)
{
    KvdWriter link;
    link.Material({.name = "top", .subMaterials = std::vector<MaterialDescription>{}, .subMaterialCount = 1});
    std::string opening = Opening(Bytes(link), 2);

    KvdWriter writer;
    writer.Header({}).U16(kMaterialSection).U16(kMaterialList).U16(1);
    for (int level = 1; level < depth; ++level)
        writer.Bytes(opening);
    writer.Material({});
    for (int level = 1; level < depth; ++level)
        writer.U16(0);
    writer.U16(0).U16(1).U16(0).U16(kCameraSectionEnd).Node(pieces::IndexedMesh("m", 0));
    return writer.bytes();
}

// A material named top with maps nested depth deep, and one mesh naming it.
std::vector<uint8_t> MapChain(int depth)
{
    KvdWriter material;
    material.Material({.name = "top", .maps = std::vector<MapDescription>{}, .mapCount = 1});
    std::string materialBytes = Bytes(material);
    KvdWriter link;
    link.Map({.nestedMaps = std::vector<MapDescription>{}, .nestedMapCount = 1});
    std::string opening = Opening(Bytes(link), 2);

    KvdWriter writer;
    writer.Header({}).U16(kMaterialSection).U16(kMaterialList).U16(1);
    writer.Bytes(Opening(materialBytes, 4));   // up to the map count
    for (int level = 1; level < depth; ++level)
        writer.Bytes(opening);
    writer.Map({});
    for (int level = 1; level < depth; ++level)
        writer.U16(0);
    writer.Bytes(materialBytes.substr(materialBytes.size() - 4));   // sub-material slot, closing tag
    writer.U16(0).U16(1).U16(0).U16(kCameraSectionEnd).Node(pieces::IndexedMesh("m", 0));
    return writer.bytes();
}

std::vector<uint8_t> OneMesh(GeometryDescription geometry)
{
    return SceneBytes(pieces::NodeScene({pieces::ColourMesh("m", {}, std::move(geometry))}));
}

const Trace kStart = {kStartSummary, kDefaultCameraSummary};
const Trace kStartDamaged = {kStartSummary, kDefaultCameraSummary, kDamagedSummary};
const Trace kMaterialsDamaged = {kStartSummary, kDamagedSummary};

Trace WithObject(const std::string& material)
{
    return {kStartSummary, kDefaultCameraSummary, "GB_BeginObject", "GB_BeginSurface " + material,
            "GB_EndSurface", "GB_EndObject"};
}

struct DamagedCase {
    const char* name;
    std::vector<uint8_t> bytes;
    HostRefusals refusals;
    Trace expected;
};

void PrintTo(const DamagedCase& c, std::ostream* out) { *out << c.name; }

const DamagedCase kDamagedCases[] = {
    {"nodes nested at the bound", NodeChain(kBound), {}, WithObject("deep")},
    {"nodes nested past the bound", NodeChain(kBound + 1), {}, kStartDamaged},
    {"nodes nested 100000 deep", NodeChain(kDeep), {}, kStartDamaged},
    {"sub-materials nested at the bound", SubMaterialChain(kBound), {}, WithObject("top")},
    {"sub-materials nested past the bound", SubMaterialChain(kBound + 1), {}, kMaterialsDamaged},
    {"sub-materials nested 100000 deep", SubMaterialChain(kDeep), {}, kMaterialsDamaged},
    {"maps nested at the bound below a material", MapChain(kBound - 1), {}, WithObject("top")},
    {"maps nested past the bound below a material", MapChain(kBound), {}, kMaterialsDamaged},
    {"maps nested 100000 deep", MapChain(kDeep), {}, kMaterialsDamaged},
    {"vertex count 2000000000 in a short file", OneMesh({.vertexCount = 2000000000}), {}, kStartDamaged},
    {"face count 2000000000 in a short file", OneMesh({.faceCount = 2000000000}), {},
     {kStartSummary, kDefaultCameraSummary, "GB_BeginObject", "GB_BeginSurface m", "GB_EndSurface", "GB_EndObject",
      kDamagedSummary}},
    {"face count 2000000000 of a refused object", OneMesh({.faceCount = 2000000000}), {.refuseObject = 1},
     {kStartSummary, kDefaultCameraSummary, "GB_BeginObject -> 0", kDamagedSummary}},
    {"label count 4294967295",
     SceneBytes(pieces::NodeScene({{.label = KvdString::Raw(4294967295u, "label")}})), {}, kStartDamaged},
    {"material count 65535 in a short file", SceneBytes({.materials = {.count = 65535}}), {}, kMaterialsDamaged},
    {"child count 65535 without children", SceneBytes(pieces::NodeScene({{.label = "g", .nodeType = 65535}})), {},
     kStartDamaged},
    {"object count 65535 with one object", SceneBytes({.objectCount = 65535, .nodes = {pieces::ColourMesh("a", {})}}),
     {},
     {kStartSummary, kDefaultCameraSummary, "GB_BeginObject", "GB_BeginSurface a", "GB_EndSurface", "GB_EndObject",
      kDamagedSummary}},
};

class DamagedInputTest : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedInputTest, EndsTheImportAsDamaged)
{
    const DamagedCase& c = GetParam();
    EXPECT_EQ(Summaries(ImportTrace(c.bytes, c.refusals)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedInputTest, testing::ValuesIn(kDamagedCases), CaseName());

}  // namespace
