// Models going into kvd scenes: damaged and hostile glTF inputs end with a
// message and their exit code, what is sound is converted and said, and no
// output or temporary file is left where nothing could be; the options that
// cannot apply are usage errors; the axes and the scale are as documented.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "ToolRun.h"

namespace {

std::string Base64(const std::string& bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t group = (uint32_t(uint8_t(bytes[i])) << 16) | (left > 1 ? uint32_t(uint8_t(bytes[i + 1])) << 8 : 0) |
                               (left > 2 ? uint32_t(uint8_t(bytes[i + 2])) : 0);
        text += kDigits[(group >> 18) & 63];
        text += kDigits[(group >> 12) & 63];
        text += left > 1 ? kDigits[(group >> 6) & 63] : '=';
        text += left > 2 ? kDigits[group & 63] : '=';
    }
    return text;
}

std::string Floats(std::initializer_list<float> values)
{
    std::string bytes;
    for (float v : values)
        bytes.append(reinterpret_cast<const char*>(&v), 4);
    return bytes;
}

std::string Shorts(std::initializer_list<uint16_t> values)
{
    std::string bytes;
    for (uint16_t v : values)
        bytes.append(reinterpret_cast<const char*>(&v), 2);
    return bytes;
}

// Two meshes of one triangle each, on nodes "a" and "b": the first reads
// points and indices from buffer views 0 and 1, the second from 2 and 3.
struct TwoMeshes {
    std::string pointsA = Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
    std::string indicesA = Shorts({0, 1, 2, 0});
    std::string pointsB = Floats({0, 0, 5, 1, 0, 5, 0, 1, 5});
    std::string indicesB = Shorts({0, 1, 2, 0});
    std::string nodes = R"([{"name":"a","mesh":0},{"name":"b","mesh":1}])";
    std::string scenes = R"([{"nodes":[0,1]}])";
    std::string countA = "3";
    std::string bufferUri;   // empty: a data URI of the bytes

    std::string Json() const
    {
        const std::string bytes = pointsA + indicesA + pointsB + indicesB;
        const std::string uri = bufferUri.empty() ? "data:application/octet-stream;base64," + Base64(bytes) : bufferUri;
        return R"({"asset":{"version":"2.0"},"scene":0,"scenes":)" + scenes + R"(,"nodes":)" + nodes +
               R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]},)"
               R"({"primitives":[{"attributes":{"POSITION":2},"indices":3}]}],)"
               R"("accessors":[{"bufferView":0,"componentType":5126,"count":)" + countA +
               R"(,"type":"VEC3"},{"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"},)"
               R"({"bufferView":2,"componentType":5126,"count":3,"type":"VEC3"},)"
               R"({"bufferView":3,"componentType":5123,"count":3,"type":"SCALAR"}],)"
               R"("bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":8},)"
               R"({"buffer":0,"byteOffset":44,"byteLength":36},{"buffer":0,"byteOffset":80,"byteLength":8}],)"
               R"("buffers":[{"byteLength":)" + std::to_string(bytes.size()) + R"(,"uri":")" + uri + R"("}]})";
    }
};

// A .glb of a JSON document (no binary chunk).
std::string Glb(std::string json)
{
    while (json.size() % 4 != 0)
        json += ' ';
    std::string glb = "glTF";
    auto u32 = [&](uint32_t v) { glb.append(reinterpret_cast<const char*>(&v), 4); };
    u32(2);
    u32(static_cast<uint32_t>(20 + json.size()));
    u32(static_cast<uint32_t>(json.size()));
    glb += "JSON";
    return glb + json;
}

bool LeftoverTemporaries(const std::filesystem::path& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            return true;
    }
    return false;
}

struct HostileCase {
    const char* name;
    std::string bytes;
    const char* extension;
    int exitCode;
    const char* message;
    bool written;
};

std::vector<HostileCase> HostileCases()
{
    std::vector<HostileCase> cases;
    TwoMeshes outOfRange;
    outOfRange.indicesA = Shorts({0, 1, 7, 0});
    cases.push_back({"an index past the points", outOfRange.Json(), ".gltf", 3, "points the mesh does not have", true});
    TwoMeshes notANumber;
    notANumber.pointsA = Floats({0, 0, 0, NAN, 0, 0, 0, 1, 0});
    cases.push_back({"a point that is not a number", notANumber.Json(), ".gltf", 3, "not finite", true});
    TwoMeshes missingBin;
    missingBin.bufferUri = "missing.bin";
    cases.push_back({"a missing .bin", missingBin.Json(), ".gltf", 1, "missing.bin", false});
    TwoMeshes escaping;
    escaping.bufferUri = "../../etc/passwd";
    cases.push_back({"a buffer outside the folder", escaping.Json(), ".gltf", 1, "outside the document's folder", false});
    TwoMeshes cycle;
    cycle.nodes = R"([{"name":"a","mesh":0,"children":[1]},{"name":"b","mesh":1,"children":[0]}])";
    cases.push_back({"nodes in a cycle", cycle.Json(), ".gltf", 3, "reached twice", true});
    TwoMeshes shortTranslation;   // found by the fuzzer: tinygltf takes any length
    shortTranslation.nodes = R"([{"name":"a","mesh":0,"translation":[1]},{"name":"b","mesh":1,"rotation":[0,0]}])";
    cases.push_back({"transform parts of the wrong length", shortTranslation.Json(), ".gltf", 3, "wrong length", true});
    std::string missingView = TwoMeshes().Json();   // found by the fuzzer: a view past the list, read nothing of
    missingView.replace(missingView.find(R"({"bufferView":0,"componentType":5126,"count":3,)"),
                        std::strlen(R"({"bufferView":0,"componentType":5126,"count":3,)"),
                        R"({"bufferView":9,"componentType":5126,"count":0,)");
    cases.push_back({"an empty accessor of a view that is not there", missingView, ".gltf", 3, "which is not there", true});
    TwoMeshes tooMany;
    tooMany.countA = "1000000000";
    cases.push_back({"a count larger than the file", tooMany.Json(), ".gltf", 3, "more than its buffer view holds", true});
    std::string zeros = TwoMeshes().Json();
    zeros.replace(zeros.find(R"({"bufferView":0,"componentType":5126,"count":3,)"),
                  std::strlen(R"({"bufferView":0,"componentType":5126,"count":3,)"),
                  R"({"componentType":5126,"count":2000000000,)");
    cases.push_back({"a count of zeros without data", zeros, ".gltf", 3, "without any data", true});
    cases.push_back({"the schema broken", R"({"asset":{"version":"2.0"},"nodes":5})", ".gltf", 1, "not a valid glTF", false});
    cases.push_back({"no asset", R"({"nodes":[]})", ".gltf", 1, "not a glTF 2.0 document", false});
    cases.push_back({"not JSON", "{\"asset\":", ".gltf", 1, "cannot be read", false});
    cases.push_back({"nested without end", std::string(100000, '[') , ".gltf", 1, "nests deeper", false});
    const std::string glb = Glb(TwoMeshes().Json());
    cases.push_back({"a truncated .glb", glb.substr(0, glb.size() / 2), ".glb", 1, "cut short", false});
    cases.push_back({"a .glb header alone", glb.substr(0, 12), ".glb", 1, "ends inside its header", false});
    std::string shortLength = glb;
    std::fill(shortLength.begin() + 8, shortLength.begin() + 12, '\0');
    cases.push_back({"a .glb counting no bytes", shortLength, ".glb", 1, "fewer than the header", false});
    cases.push_back({"a whole .glb", glb, ".glb", 0, nullptr, true});
    std::string draco = TwoMeshes().Json();
    draco.insert(1, R"("extensionsRequired":["KHR_draco_mesh_compression"],)");
    cases.push_back({"compressed geometry", draco, ".gltf", 1, "KHR_draco_mesh_compression", false});
    return cases;
}

TEST(ModelInput, DamagedModelsEndWithTheirCodeAndLeaveNothingHalfWritten)
{
    for (const HostileCase& c : HostileCases()) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::filesystem::path in = folder.path() / (std::string("model") + c.extension);
        std::ofstream(in, std::ios::binary) << c.bytes;
        const std::filesystem::path out = folder.path() / "out.kvd";
        const ToolRun run = RunKvd(folder.path(), "convert " + Quote(in.string()) + " " + Quote(out.string()));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.message != nullptr) {
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        }
        EXPECT_EQ(std::filesystem::exists(out), c.written);
        EXPECT_FALSE(LeftoverTemporaries(folder.path()));
        if (c.written) {
            // What was sound arrived: the second mesh, whole.
            const ToolRun trace = RunKvd(folder.path(), "trace " + Quote(out.string()));
            EXPECT_NE(trace.out.find(R"("a":[0,-5,0],"b":[1,-5,0],"c":[0,-5,1])"), std::string::npos) << trace.out;
        }
    }
}

TEST(ModelInput, AxesAndScaleGoBothWays)
{
    struct Case {
        const char* options;
        const char* corner;   // the second point of mesh b in the trace
    };
    const Case cases[] = {
        {"", R"("b":[1,-5,0])"},
        {"--keep-axes", R"("b":[1,0,5])"},
        {"--scale 2", R"("b":[2,-10,0])"},
        {"--keep-axes --scale 0.5", R"("b":[0.5,0,2.5])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        TempFolder folder;
        std::ofstream(folder.path() / "m.gltf") << TwoMeshes().Json();
        const ToolRun run = RunKvd(folder.path(), std::string("convert ") + c.options + " " + Quote(folder / "m.gltf") +
                                                      " " + Quote(folder / "m.kvd"));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const ToolRun trace = RunKvd(folder.path(), "trace " + Quote(folder / "m.kvd"));
        EXPECT_NE(trace.out.find(c.corner), std::string::npos) << trace.out;
    }
}

TEST(ModelInput, OptionsThatCannotApplyAreUsageErrors)
{
    TempFolder folder;
    std::ofstream(folder.path() / "m.gltf") << TwoMeshes().Json();
    const std::string in = Quote(folder / "m.gltf");
    const std::string kvd = Quote(folder / "m.kvd");
    const std::string sample = Quote(std::string(KVD_SAMPLES_DIR) + "/house.kvd");
    struct Case {
        std::string arguments;
        const char* named;
    };
    const Case cases[] = {
        {"convert " + sample + " " + Quote(folder / "h.glb") + " --to obj", "--to"},
        {"convert " + in + " " + kvd + " --embed", "--embed"},
        {"convert " + in + " " + kvd + " --no-images", "--no-images"},
        {"convert " + in + " " + kvd + " --textures " + Quote(folder.path().string()), "--textures"},
        {"convert " + in + " " + kvd + " --scale 0", "--scale"},
        {"convert " + sample + " " + Quote(folder / "h.kvd"), "kvd scene"},
        {"render " + sample + " " + Quote(folder / "h.gif"), ".jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = RunKvd(folder.path(), c.arguments);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "h.glb"));
    EXPECT_FALSE(std::filesystem::exists(folder / "m.kvd"));
}

TEST(ModelInput, BatchesTakeEveryModelOfAFolder)
{
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "in" / "sub");
    std::ofstream(folder.path() / "in" / "a.gltf") << TwoMeshes().Json();
    std::ofstream(folder.path() / "in" / "sub" / "b.GLB", std::ios::binary) << Glb(TwoMeshes().Json());
    std::ofstream(folder.path() / "in" / "notes.txt") << "not a model";
    const ToolRun run =
        RunKvd(folder.path(), "convert --to kvd -o " + Quote(folder / "out") + " " + Quote(folder / "in"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "out" / "a.kvd"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "out" / "sub" / "b.kvd"));
    EXPECT_NE(run.err.find("2 converted"), std::string::npos) << run.err;
}

}  // namespace
