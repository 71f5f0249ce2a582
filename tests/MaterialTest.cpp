// The material section and its conversion: each case is a material section,
// and one mesh per expected host record names it by index. One more mesh
// names the index after the last record, so a record too many or too few,
// or a section read out of step, shows in the trace.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

#include "convert/MaterialConversion.h"
#include "tests/support/CaseName.h"
#include "tests/support/ScenePieces.h"
#include "tests/support/TraceLines.h"
#include "tests/support/TracedImport.h"

using namespace kvdwriter;
using pieces::ImageMap;

namespace {

struct HostRecord {
    std::string name;
    std::string firstTexture = "";
    std::string secondTexture = "";
    int32_t scalar1 = 0;
};

struct MaterialCase {
    const char* name;
    MaterialSectionDescription section;
    std::vector<HostRecord> expected;
};

void PrintTo(const MaterialCase& c, std::ostream* out) { *out << c.name; }

std::string Repeated(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

MaterialSectionDescription Section(std::vector<MaterialDescription> materials)
{
    return {.materials = std::move(materials)};
}

// A material named name with these maps.
MaterialDescription WithMaps(const std::string& name, std::vector<MapDescription> maps)
{
    return {.name = name, .maps = std::move(maps)};
}

MapDescription WithNested(MapDescription map, std::vector<MapDescription> nested)
{
    map.nestedMaps = std::move(nested);
    return map;
}

MaterialDescription WithSubMaterials(MaterialDescription material,
                                     std::vector<MaterialDescription> subMaterials)
{
    material.subMaterials = std::move(subMaterials);
    return material;
}

MapDescription WithBlock(MapDescription map, uint16_t imageCode)
{
    map.imageBlock = ImageBlockDescription{.code = 1, .values = {9, 8, 7}, .trailingValue = 6, .trailingCode = 5};
    map.imageCode = imageCode;
    return map;
}

const MapDescription kAllOnes{.kind = 65535, .code = 65535, .value = 0xffffffff, .imageFile = "w.jpg",
                              .imageCode = 65535, .closingTag = 65535};

const MaterialCase kMaterialCases[] = {
    // The frame.
    {"frame without section tag", {.sectionTag = 263, .materials = {{.name = "lost"}}}, {}},
    {"frame without list tag", {.listTag = 343, .materials = {{.name = "lost"}}}, {}},
    {"empty frame", {}, {}},
    {"end word of any value", {.materials = {{.name = "a"}}, .endWord = 65535}, {{"a"}}},
    // Strings: the text ends at the first NUL within the count, keeps at
    // most 83 bytes, and the next field starts where the count says.
    {"name count 200", Section({{.name = KvdString::Raw(200, std::string(199, 'n') + '\0')}}), {{std::string(83, 'n')}}},
    {"name count 84", Section({{.name = std::string(83, 'n')}}), {{std::string(83, 'n')}}},
    {"name without NUL within its count", Section({{.name = KvdString::Raw(5, "abcde")}}), {{"abcde"}}},
    {"name with bytes after its NUL", Section({{.name = KvdString::Raw(8, std::string_view("ab\0cdefg", 8))}}), {{"ab"}}},
    {"name count 0", Section({{.name = KvdString::Raw(0, "")}}), {{""}}},
    // A text cut to 83 bytes never ends in half a GBK character; only a walk
    // from the start knows that a byte like 0xc6 is a trail, not a lead.
    {"name cut inside a GBK character", Section({{.name = std::string(82, 'n') + "\xce\xc4" "x"}}),
     {{std::string(82, 'n')}}},
    {"name cut after a GBK character", Section({{.name = std::string(81, 'n') + "\xce\xc4" "x"}}),
     {{std::string(81, 'n') + "\xce\xc4"}}},
    {"name of GBK characters whose trail bytes look like leads",
     Section({{.name = "n" + Repeated("\xc6\xc6", 42)}}), {{"n" + Repeated("\xc6\xc6", 41)}}},
    // The record and its optional items.
    {"bare record", Section({{}}), {{""}}},
    {"slots one off their tags", Section({{.nameSlot = 351, .classSlot = 354, .mapSlot = 600, .subMaterialSlot = 345}}),
     {{""}}},
    {"Standard block", Section({{.name = "s", .className = "Standard", .standard = StandardBlockDescription{1, 2, 3, 4, 5}}}),
     {{"s"}}},
    {"lower-case standard has no block", Section({{.name = "s", .className = "standard"}}), {{"s"}}},
    {"Standard2 has no block", Section({{.name = "s", .className = "Standard2"}}), {{"s"}}},
    {"map list of count 0", Section({{.name = "m", .maps = std::vector<MapDescription>{}}}), {{"m"}}},
    {"map without image file", Section({WithMaps("m", {{.kind = 537}, ImageMap(550, "x.bmp")})}), {{"m", "", "x.bmp"}}},
    {"map with names and classes",
     Section({WithMaps("m", {{.kind = 537, .name = "diffuse", .className = "Bitmap", .imageFile = "n.jpg"}})}),
     {{"m", "n.jpg"}}},
    {"image block", Section({WithMaps("m", {WithBlock(ImageMap(537, "blk.tif"), 9)})}), {{"m", "blk.tif"}}},
    {"image code of 517 after a block",
     Section({WithMaps("m", {WithBlock(ImageMap(537, "a.jpg"), 517), ImageMap(550, "after.bmp")})}),
     {{"m", "a.jpg", "after.bmp"}}},
    {"16-bit values of 65535",
     Section({{.code1 = 65535, .code2 = 65535, .maps = {{kAllOnes}}, .closingTag = 65535}, {.name = "next"}}),
     {{""}, {"next"}}},
    {"nested maps give no texture",
     Section({WithMaps("m", {WithNested({.kind = 537}, {ImageMap(537, "n.jpg")}),
                             WithNested(ImageMap(550, "outer.bmp"), {ImageMap(550, "inner.jpg")})})}),
     {{"m", "", "outer.bmp"}}},
    {"three levels of sub-materials give one record",
     Section({WithSubMaterials({.name = "top"},
                               {WithSubMaterials(WithMaps("mid", {ImageMap(537, "mid.jpg")}),
                                                 {WithMaps("low", {ImageMap(550, "low.bmp")})})}),
              {.name = "second"}}),
     {{"top"}, {"second"}}},
    // The texture rule.
    {"first and second texture", Section({WithMaps("t", {ImageMap(537, "wood.jpg"), ImageMap(550, "bump.BMP")})}),
     {{"t", "wood.jpg", "bump.BMP"}}},
    {"last map of a kind wins", Section({WithMaps("t", {ImageMap(537, "a.tif"), ImageMap(537, "b.bmp")})}),
     {{"t", "b.bmp"}}},
    {"ending in any letter case", Section({WithMaps("t", {ImageMap(537, "photo.Jpg")})}), {{"t", "photo.Jpg"}}},
    {"other endings",
     Section({WithMaps("t", {ImageMap(537, "a.tiff"), ImageMap(537, "a.jpeg"), ImageMap(550, "a.png"),
                             ImageMap(550, "a.gif")})}),
     {{"t"}}},
    {"three bytes are too short, four without a dot qualify",
     Section({WithMaps("t", {ImageMap(537, "JPG"), ImageMap(550, "xjpg")})}), {{"t", "", "xjpg"}}},
    {"other map kinds", Section({WithMaps("t", {ImageMap(536, "c.jpg"), ImageMap(538, "d.jpg"), ImageMap(549, "e.bmp")})}),
     {{"t"}}},
    {"no carry-over between materials",
     Section({WithMaps("a", {ImageMap(537, "wood.jpg"), ImageMap(550, "bump.BMP")}), {.name = "b"}}),
     {{"a", "wood.jpg", "bump.BMP"}, {"b"}}},
    // The first scalar, truncated toward zero; NaN gives 0 and values beyond
    // the 32-bit range saturate.
    {"scalar1 truncated",
     Section({{.name = "a", .scalar1 = 25.9f},
              {.name = "b", .scalar1 = -3.7f},
              {.name = "c", .scalar1 = 0.99f},
              {.name = "d", .scalar1 = std::numeric_limits<float>::quiet_NaN()},
              {.name = "e", .scalar1 = 3e9f},
              {.name = "f", .scalar1 = -3e9f}}),
     {{"a", "", "", 25},
      {"b", "", "", -3},
      {"c", "", "", 0},
      {"d", "", "", 0},
      {"e", "", "", std::numeric_limits<int32_t>::max()},
      {"f", "", "", std::numeric_limits<int32_t>::min()}}},
};

class MaterialTest : public testing::TestWithParam<MaterialCase> {};

TEST_P(MaterialTest, GivesOneHostRecordPerTopLevelMaterial)
{
    const MaterialCase& c = GetParam();
    SceneDescription scene;
    scene.materials = c.section;
    for (size_t i = 0; i <= c.expected.size(); ++i)
        scene.nodes.push_back(pieces::IndexedMesh("mesh" + std::to_string(i), static_cast<uint16_t>(i)));

    std::vector<std::string> lines = ImportTrace(SceneBytes(scene));
    EXPECT_EQ(CountOf(lines, "message"), 0);
    std::vector<tagMaterial> surfaces = SurfaceMaterials(lines);
    ASSERT_EQ(surfaces.size(), c.expected.size() + 1);
    for (size_t i = 0; i < c.expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(surfaces[i].name, c.expected[i].name);
        EXPECT_EQ(surfaces[i].firstTexture, c.expected[i].firstTexture);
        EXPECT_EQ(surfaces[i].secondTexture, c.expected[i].secondTexture);
        EXPECT_EQ(surfaces[i].scalar1, c.expected[i].scalar1);
        EXPECT_EQ(surfaces[i].shadeCode, 65);
    }
    // The index after the last record names none: the neutral default.
    const tagMaterial& beyond = surfaces.back();
    EXPECT_EQ(beyond.name, "mesh" + std::to_string(c.expected.size()));
    EXPECT_EQ(beyond.shadeCode, 30);
    EXPECT_EQ(beyond.colour2[1], 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, MaterialTest, testing::ValuesIn(kMaterialCases), CaseName());

// The host record built field by field at the offsets the host reads.
class ExpectedRecord {
public:
    ExpectedRecord& Text(size_t offset, std::string_view text)
    {
        std::memcpy(bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    template <class T>
    ExpectedRecord& Put(size_t offset, T value)
    {
        std::memcpy(bytes.data() + offset, &value, sizeof value);
        return *this;
    }
    ExpectedRecord& Colours(std::array<float, 9> colours)
    {
        for (size_t i = 0; i < colours.size(); ++i)
            Put(168 + 4 * i, colours[i]);
        return *this;
    }
    // The fields both kinds of record set to the same constants.
    ExpectedRecord& Constants()
    {
        return Put(216, int32_t{1}).Put(220, int32_t{30}).Put(480, 1.0).Put(496, 500.0).Put(504, 500.0).Put(720, 1.0f);
    }

    MaterialBytes bytes{};
};

TEST(HostMaterialBytes, ConvertedAndDefaultRecordsHoldEachFieldAtItsOffset)
{
    SceneDescription scene = pieces::NodeScene(
        {pieces::IndexedMesh("a", 0), pieces::ColourMesh("box", {0.2f, 0.4f, 0.6f})});
    scene.materials.materials = {{.name = "brick",
                                  .colour1 = {0.1f, 0.2f, 0.3f},
                                  .colour2 = {0.4f, 0.5f, 0.6f},
                                  .colour3 = {0.7f, 0.8f, 0.9f},
                                  .scalar1 = 25.9f,
                                  .maps = {{ImageMap(537, "wood.jpg"), ImageMap(550, "bump.BMP")}}}};
    std::vector<std::string> lines = ImportTrace(SceneBytes(scene));
    ASSERT_EQ(lines.size(), 10u);
    ASSERT_EQ(Summaries(lines)[3], "GB_BeginSurface brick");
    ASSERT_EQ(Summaries(lines)[7], "GB_BeginSurface box");

    // Every byte no field names is zero.
    ExpectedRecord converted;
    converted.Text(0, "brick")
        .Colours({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f})
        .Put(204, int32_t{25})
        .Put(208, int32_t{65})
        .Text(224, "wood.jpg")
        .Text(349, "bump.BMP")
        .Constants();
    EXPECT_EQ(MaterialBytesOf(lines[3]), converted.bytes);

    ExpectedRecord fromColour;
    fromColour.Text(0, "box")
        .Colours({0.8f, 0.8f, 0.8f, 0.2f, 0.4f, 0.6f, 1.0f, 1.0f, 1.0f})
        .Put(208, int32_t{30})
        .Constants();
    EXPECT_EQ(MaterialBytesOf(lines[7]), fromColour.bytes);
}

std::string Repeat(std::string_view piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct TextCutCase {
    const char* name;
    std::string text;
    size_t keptBytes;   // in the 128-byte name field
};

void PrintTo(const TextCutCase& c, std::ostream* out) { *out << c.name; }

// "相" in GBK: a lead byte and a trail byte kept or dropped together.
constexpr std::string_view kGbkCharacter = "\xcf\xe0";

const TextCutCase kNameCuts[] = {
    {"127 bytes fit", std::string(127, 'n'), 127},
    {"130 bytes cut to 127", std::string(130, 'n'), 127},
    {"65 GBK characters cut to 63", Repeat(kGbkCharacter, 65), 126},
    {"one byte then 64 GBK characters cut to 63", "a" + Repeat(kGbkCharacter, 64), 127},
};

class HostMaterialNameTest : public testing::TestWithParam<TextCutCase> {};

TEST_P(HostMaterialNameTest, IsCutAtItsFieldWithoutSplittingACharacter)
{
    const TextCutCase& c = GetParam();
    MaterialRecord material;
    material.name = c.text;
    std::vector<tagMaterial> host;
    ConvertMaterials({material}, host);
    tagMaterial fromColour{};
    BuildDefaultMaterial(c.text, {0.5f, 0.5f, 0.5f}, fromColour);

    for (const tagMaterial* record : {&host.at(0), &fromColour})
        EXPECT_EQ(std::string(record->name), c.text.substr(0, c.keptBytes));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostMaterialNameTest, testing::ValuesIn(kNameCuts), CaseName());

TEST(HostMaterialTexture, LongImageFileNamesAreCutAtTheirFields)
{
    MaterialRecord material;
    material.maps.resize(2);
    material.maps[0].mapKind = 537;
    material.maps[0].imageFile = "a" + Repeat(kGbkCharacter, 62) + ".jpg";
    material.maps[1].mapKind = 550;
    material.maps[1].imageFile = "a" + Repeat(kGbkCharacter, 65) + ".bmp";
    std::vector<tagMaterial> host;
    ConvertMaterials({material}, host);
    EXPECT_EQ(std::string(host.at(0).firstTexture), "a" + Repeat(kGbkCharacter, 61));
    EXPECT_EQ(std::string(host.at(0).secondTexture), "a" + Repeat(kGbkCharacter, 64));
}

}  // namespace
