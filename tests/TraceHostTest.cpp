// The trace host's lines are compared byte for byte between runs and tools,
// so their exact form is what is checked here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/SceneBuilder.h"
#include "tools/standin/TraceHost.h"
#include "tools/standin/TraceText.h"

namespace {

struct DoubleCase {
    double value;
    const char* text;
};

TEST(TraceText, DoublesAreShortestRoundTripOrNamedStrings)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const DoubleCase cases[] = {
        {1.5, "1.5"},
        {0.0010000000474974513, "0.0010000000474974513"},   // the float 0.001 widened
        {-0.0, "-0"},
        {0.0, "0"},
        {22.0, "22"},
        {2734.0, "2734"},
        {-1836.8, "-1836.8"},
        {1e300, "1e+300"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "\"NaN\""},
        {-std::numeric_limits<double>::quiet_NaN(), "\"NaN\""},
        {infinity, "\"Infinity\""},
        {-infinity, "\"-Infinity\""},
    };
    for (const DoubleCase& c : cases) {
        std::string line;
        trace::AppendDouble(line, c.value);
        EXPECT_EQ(line, c.text) << "value " << c.value;
    }
}

struct StringCase {
    std::string utf8;
    const char* json;
};

TEST(TraceText, StringsEscapeQuotesBackslashAndControlCharacters)
{
    const StringCase cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\scenes\\a.kvd", "\"C:\\\\scenes\\\\a.kvd\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("\x01\x1f\x00", 3), "\"\\u0001\\u001f\\u0000\""},
        {"\x7f/", "\"\x7f/\""},
        {"\xe7\x9b\xb8\xe6\x9c\xba", "\"\xe7\x9b\xb8\xe6\x9c\xba\""},   // UTF-8 kept as is
    };
    for (const StringCase& c : cases) {
        std::string line;
        trace::AppendString(line, c.utf8);
        EXPECT_EQ(line, c.json);
    }
}

TEST(TraceText, HexIsLowercaseTwoDigitsPerByte)
{
    const unsigned char bytes[] = {0x00, 0x0f, 0xa0, 0xff};
    std::string line = "x";
    trace::AppendHex(line, bytes, sizeof bytes);
    EXPECT_EQ(line, "x\"000fa0ff\"");
}

class TraceHostTest : public ::testing::Test {
protected:
    TraceHost MakeHost(HostRefusals refusals = {})
    {
        return TraceHost([this](std::string_view line) { lines.emplace_back(line); }, refusals);
    }

    std::vector<std::string> lines;
};

TEST_F(TraceHostTest, EachCallHasItsLine)
{
    TraceHost host = MakeHost();
    Point3d a;
    Point3d b;
    Point3d c;
    a.set(1.5, -0.0, 2734);
    b.set(0.0010000000474974513, 1e300, -1);
    c.set(std::nan(""), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity());

    EXPECT_EQ(host.SceneEmpty(), 1);
    EXPECT_EQ(host.StartImport(), 1);
    EXPECT_EQ(host.SetDefaultCamera("\xcf\xe0\xbb\xfa" "1", a, b, 22.0), 1);
    EXPECT_EQ(host.AddCamera("cam \"2\"", b, a, 22.0), 1);
    EXPECT_EQ(host.BeginObject(), 1);
    EXPECT_EQ(host.AddTriangle(&a, &b, &c), 1);
    EXPECT_EQ(host.EndSurface(), 1);
    EXPECT_EQ(host.EndObject(), 1);
    host.EndImport();
    host.RecordGo(1);

    const std::vector<std::string> expected = {
        R"({"call":"GB_SceneEmpty","result":1})",
        R"({"call":"GB_StartImport","result":1})",
        "{\"call\":\"GB_SetDefaultCamera\",\"name\":\"\xe7\x9b\xb8\xe6\x9c\xba" "1\","
        R"("name_hex":"cfe0bbfa31","eye":[1.5,-0,2734],"target":[0.0010000000474974513,1e+300,-1],"fov":22})",
        R"({"call":"GB_AddCamera","name":"cam \"2\"","name_hex":"63616d20223222",)"
        R"("eye":[0.0010000000474974513,1e+300,-1],"target":[1.5,-0,2734],"fov":22})",
        R"({"call":"GB_BeginObject","result":1})",
        R"({"call":"GB_AddTriangle","a":[1.5,-0,2734],"b":[0.0010000000474974513,1e+300,-1],)"
        R"("c":["NaN","Infinity","-Infinity"]})",
        R"({"call":"GB_EndSurface"})",
        R"({"call":"GB_EndObject"})",
        R"({"call":"GB_EndImport"})",
        R"({"go":1})",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(TraceHostTest, SurfaceLineHoldsAllOfTheMaterialRecord)
{
    TraceHost host = MakeHost();
    tagMaterial material{};
    std::memcpy(material.name, "wood", 5);
    material.value720 = 1.0f;   // 00 00 80 3f, the record's last written bytes

    EXPECT_EQ(host.BeginSurface(material), 1);

    ASSERT_EQ(lines.size(), 1u);
    const std::string prefix = R"({"call":"GB_BeginSurface","material_hex":")";
    const std::string suffix = R"(","result":1})";
    const std::string& line = lines[0];
    ASSERT_EQ(line.size(), prefix.size() + 2 * sizeof(tagMaterial) + suffix.size());
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    EXPECT_EQ(line.substr(line.size() - suffix.size()), suffix);
    std::string hex = line.substr(prefix.size(), 2 * sizeof(tagMaterial));
    EXPECT_EQ(hex.substr(0, 10), "776f6f6400");
    EXPECT_EQ(hex.substr(2 * 720), "0000803f00000000");
    EXPECT_EQ(hex.find_first_not_of('0', 10), 2 * 720 + 4);
}

TEST_F(TraceHostTest, MessagesShowTheirTextAndBytes)
{
    struct Case {
        const char* gbk;
        const char* line;
    };
    const Case cases[] = {
        {"\xce\xc4\xbc\xfe\xd2\xd1\xc6\xc6\xbb\xb5",
         "{\"message\":\"\xe6\x96\x87\xe4\xbb\xb6\xe5\xb7\xb2\xe7\xa0\xb4\xe5\x9d\x8f\","
         "\"hex\":\"cec4bcfed2d1c6c6bbb5\"}"},
        {"GB_StartImport error",
         R"({"message":"GB_StartImport error","hex":"47425f5374617274496d706f7274206572726f72"})"},
        // A bad byte shows as U+FFFD; the hex keeps what was sent.
        {"a\xff\"\\\n", "{\"message\":\"a\xef\xbf\xbd\\\"\\\\\\n\",\"hex\":\"61ff225c0a\"}"},
        {"", R"({"message":"","hex":""})"},
    };
    TraceHost host = MakeHost();
    for (const Case& c : cases)
        host.ShowMessage(c.gbk);
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(lines[i], cases[i].line);
}

TEST_F(TraceHostTest, CameraNameWithBadBytes)
{
    TraceHost host = MakeHost();
    Point3d origin;
    host.AddCamera("\xce\xc4\xce", origin, origin, 22.0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "{\"call\":\"GB_AddCamera\",\"name\":\"\xe6\x96\x87\xef\xbf\xbd\","
                        "\"name_hex\":\"cec4ce\",\"eye\":[0,0,0],\"target\":[0,0,0],\"fov\":22}");
}

TEST_F(TraceHostTest, RefusalsAnswerZeroWhereTold)
{
    struct Case {
        HostRefusals refusals;
        int sceneEmpty;
        int start;
        std::vector<int> objects;    // answers to four GB_BeginObject calls
        std::vector<int> surfaces;   // answers to four GB_BeginSurface calls
    };
    const Case cases[] = {
        {{}, 1, 1, {1, 1, 1, 1}, {1, 1, 1, 1}},
        {{true, false, 0, 0}, 0, 1, {1, 1, 1, 1}, {1, 1, 1, 1}},
        {{false, true, 0, 0}, 1, 0, {1, 1, 1, 1}, {1, 1, 1, 1}},
        {{false, false, 1, 0}, 1, 1, {0, 1, 1, 1}, {1, 1, 1, 1}},
        {{false, false, 3, 2}, 1, 1, {1, 1, 0, 1}, {1, 0, 1, 1}},
        {{false, false, 0, 4}, 1, 1, {1, 1, 1, 1}, {1, 1, 1, 0}},
    };
    tagMaterial material{};
    for (const Case& c : cases) {
        lines.clear();
        TraceHost host = MakeHost(c.refusals);
        EXPECT_EQ(host.SceneEmpty(), c.sceneEmpty);
        EXPECT_EQ(host.StartImport(), c.start);
        std::vector<int> objects;
        std::vector<int> surfaces;
        for (int i = 0; i < 4; ++i) {
            objects.push_back(host.BeginObject());
            surfaces.push_back(host.BeginSurface(material));
        }
        EXPECT_EQ(objects, c.objects);
        EXPECT_EQ(surfaces, c.surfaces);
        // The trace shows the answer that was given.
        ASSERT_EQ(lines.size(), 10u);
        EXPECT_EQ(lines[0], "{\"call\":\"GB_SceneEmpty\",\"result\":" + std::to_string(c.sceneEmpty) + "}");
        EXPECT_EQ(lines[1], "{\"call\":\"GB_StartImport\",\"result\":" + std::to_string(c.start) + "}");
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(lines[2 + 2 * i],
                      "{\"call\":\"GB_BeginObject\",\"result\":" + std::to_string(c.objects[i]) + "}");
            EXPECT_TRUE(lines[3 + 2 * i].ends_with(",\"result\":" + std::to_string(c.surfaces[i]) + "}"));
        }
    }
}

TEST_F(TraceHostTest, SceneBuilderFunctionsReachTheInstalledHost)
{
    TraceHost host = MakeHost({false, false, 1, 1});
    SceneHost* previous = SetSceneHost(&host);
    Point3d p;
    p.set(1, 2, 3);
    tagMaterial material{};
    char name[] = "n";

    EXPECT_EQ(GB_SceneEmpty(), 1);
    EXPECT_EQ(GB_StartImport(), 1);
    GB_SetDefaultCamera(name, p, p, 22.0);
    GB_AddCamera(name, p, p, 22.0);
    EXPECT_EQ(GB_BeginObject(), 0);
    EXPECT_EQ(GB_BeginSurface(&material), 0);
    GB_AddTriangle(&p, &p, &p);
    GB_EndSurface();
    GB_EndObject();
    GB_EndImport();
    EXPECT_EQ(SetSceneHost(previous), &host);

    std::vector<std::string> calls;
    for (const std::string& line : lines)
        calls.push_back(line.substr(0, line.find(',')));
    const std::vector<std::string> expected = {
        R"({"call":"GB_SceneEmpty")",  R"({"call":"GB_StartImport")", R"({"call":"GB_SetDefaultCamera")",
        R"({"call":"GB_AddCamera")",   R"({"call":"GB_BeginObject")", R"({"call":"GB_BeginSurface")",
        R"({"call":"GB_AddTriangle")", R"({"call":"GB_EndSurface"})", R"({"call":"GB_EndObject"})",
        R"({"call":"GB_EndImport"})",
    };
    EXPECT_EQ(calls, expected);

    // With no host installed, every call is accepted.
    SceneHost* installed = SetSceneHost(nullptr);
    EXPECT_EQ(GB_SceneEmpty(), 1);
    EXPECT_EQ(GB_StartImport(), 1);
    EXPECT_EQ(GB_BeginObject(), 1);
    EXPECT_EQ(GB_BeginSurface(&material), 1);
    EXPECT_EQ(GB_AddTriangle(&p, &p, &p), 1);
    SetSceneHost(installed);
}

TEST(Point3dTest, AssignmentAndSetCopyTheMembers)
{
    Point3d zero;
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_EQ(zero.z, 0.0);
    Point3d p;
    Point3d returned = p.set(1.5, -2.0, 3.25);
    EXPECT_EQ(returned.y, -2.0);
    Point3d q;
    Point3d assigned = (q = p);
    Point3d copy(q);
    for (const Point3d* point : {&q, &assigned, &copy}) {
        EXPECT_EQ(point->x, 1.5);
        EXPECT_EQ(point->y, -2.0);
        EXPECT_EQ(point->z, 3.25);
    }
}

}  // namespace
