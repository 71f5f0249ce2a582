// The C interface over every test scene tells what the kvd tool tells:
// kvd info --json (status, materials with their images, cameras, objects
// with their counts, bounds and materials, messages) and kvd trace (every
// triangle's corners, in order, as the host receives them).
#include <cmath>
#include <limits>
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/library/LibraryScenes.h"
#include "tests/tool/TempFolder.h"
#include "tests/tool/ToolRun.h"

namespace {

using nlohmann::json;

class LibraryAgreement : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder();
        scenes_ = new std::vector<TestScene>(WriteLibraryScenes(folder_->path()));
    }
    static void TearDownTestSuite()
    {
        delete scenes_;
        delete folder_;
    }
    static TempFolder* folder_;
    static std::vector<TestScene>* scenes_;
};
TempFolder* LibraryAgreement::folder_ = nullptr;
std::vector<TestScene>* LibraryAgreement::scenes_ = nullptr;

// JSON has no NaN or infinity: kvd info writes null for them, kvd trace
// their names as strings.
void ExpectSameNumber(double value, const json& number, const std::string& what)
{
    if (number.is_null()) {
        EXPECT_FALSE(std::isfinite(value)) << what;
    } else if (number.is_string()) {
        const std::string name = std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity";
        EXPECT_EQ(std::isfinite(value) ? "a finite number" : name, number.get<std::string>()) << what;
    } else {
        EXPECT_EQ(value, number.get<double>()) << what;
    }
}

template <class Values>
void ExpectSameTriple(const Values& values, const json& triple, const std::string& what)
{
    ASSERT_TRUE(triple.is_array()) << what;
    for (int i = 0; i < 3; ++i)
        ExpectSameNumber(static_cast<double>(values[i]), triple[i], what + "[" + std::to_string(i) + "]");
}

struct Box {
    std::array<double, 3> min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity()};
    std::array<double, 3> max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    void Add(const float* p)
    {
        for (int i = 0; i < 3; ++i) {
            min[i] = p[i] < min[i] ? p[i] : min[i];
            max[i] = p[i] > max[i] ? p[i] : max[i];
        }
    }
    void Add(const Box& other)
    {
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], other.min[i]);
            max[i] = std::max(max[i], other.max[i]);
        }
    }
    bool empty() const { return !(min[0] <= max[0]); }
};

void ExpectSameBox(const Box& box, const json& bounds, const std::string& what)
{
    if (box.empty()) {
        EXPECT_TRUE(bounds.is_null()) << what;
        return;
    }
    ASSERT_TRUE(bounds.is_object()) << what << ": " << bounds.dump();
    ExpectSameTriple(box.min, bounds.at("min"), what + " min");
    ExpectSameTriple(box.max, bounds.at("max"), what + " max");
}

void ExpectSameImage(const kvd_texture& texture, const json& material, const char* nameKey, const char* imageKey)
{
    EXPECT_EQ(texture.name, material.at(nameKey).get<std::string>());
    if (!material.contains(imageKey) || material.at(imageKey).at("found").is_null())
        EXPECT_EQ(texture.found, nullptr) << nameKey;
    else
        EXPECT_EQ(std::string(texture.found != nullptr ? texture.found : "(not found)"),
                  material.at(imageKey).at("found").get<std::string>());
}

void ExpectAgreesWithInfo(const kvd_scene* scene, kvd_result result, const json& info)
{
    const std::string status = info.at("status");
    if (status == "cannot-open") {
        EXPECT_EQ(result, KVD_CANNOT_OPEN);
        return;
    }
    if (status == "rejected") {
        const bool notKvd = !info.at("messages").empty() && info.at("messages")[0].at("meaning") == "not a kvd scene file";
        EXPECT_EQ(result, notKvd ? KVD_NOT_KVD_FILE : KVD_HEADER_DAMAGED);
        EXPECT_EQ(scene, nullptr);
        return;
    }
    EXPECT_EQ(result, status == "complete" ? KVD_OK : KVD_DAMAGED) << status;
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(kvd_scene_result(scene), result);

    const json& materials = info.at("materials");
    ASSERT_EQ(kvd_material_count(scene), materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        kvd_material m;
        ASSERT_EQ(kvd_get_material(scene, i, &m), KVD_OK);
        const json& expected = materials[i];
        EXPECT_EQ(m.name, expected.at("name").get<std::string>());
        ExpectSameTriple(m.ambient, expected.at("ambient"), "ambient");
        ExpectSameTriple(m.diffuse, expected.at("diffuse"), "diffuse");
        ExpectSameTriple(m.specular, expected.at("specular"), "specular");
        ExpectSameImage(m.texture, expected, "texture", "textureImage");
        ExpectSameImage(m.bump, expected, "bumpTexture", "bumpTextureImage");
    }

    const json& cameras = info.at("cameras");
    ASSERT_EQ(kvd_camera_count(scene), cameras.size());
    for (size_t i = 0; i < cameras.size(); ++i) {
        kvd_camera c;
        ASSERT_EQ(kvd_get_camera(scene, i, &c), KVD_OK);
        EXPECT_EQ(c.name, cameras[i].at("name").get<std::string>());
        ExpectSameTriple(c.eye, cameras[i].at("eye"), "eye");
        ExpectSameTriple(c.target, cameras[i].at("target"), "target");
        ExpectSameNumber(c.fov, cameras[i].at("fov"), "fov");
        EXPECT_EQ(c.is_default, i == 0 ? 1 : 0);
    }

    const json& objects = info.at("objects");
    ASSERT_EQ(kvd_mesh_count(scene), objects.at("list").size());
    Box all;
    uint64_t triangles = 0, vertices = 0;
    for (size_t i = 0; i < kvd_mesh_count(scene); ++i) {
        SCOPED_TRACE("mesh " + std::to_string(i));
        kvd_mesh mesh;
        ASSERT_EQ(kvd_get_mesh(scene, i, &mesh), KVD_OK);
        const json& object = objects.at("list")[i];
        Box box;
        std::set<uint32_t> used;
        for (size_t k = 0; k < mesh.triangle_count * 3; ++k) {
            ASSERT_LT(mesh.triangles[k], mesh.point_count);
            used.insert(mesh.triangles[k]);
            box.Add(mesh.points + size_t{mesh.triangles[k]} * 3);
        }
        EXPECT_EQ(mesh.triangle_count, object.at("triangles").get<uint64_t>());
        EXPECT_EQ(used.size(), object.at("vertices").get<uint64_t>());
        ExpectSameBox(box, object.at("bounds"), "bounds");
        if (object.at("material").contains("file")) {
            EXPECT_EQ(mesh.material, object.at("material").at("file").get<int64_t>());
        } else {
            EXPECT_EQ(mesh.material, KVD_OWN_COLOUR);
            ExpectSameTriple(mesh.colour, object.at("material").at("ownColour"), "own colour");
            EXPECT_EQ(mesh.name, object.at("material").at("name").get<std::string>());
        }
        kvd_node node;
        ASSERT_EQ(kvd_get_node(scene, mesh.node, &node), KVD_OK);
        EXPECT_EQ(node.mesh, i);
        if (!box.empty())
            all.Add(box);
        triangles += mesh.triangle_count;
        vertices += used.size();
    }
    EXPECT_EQ(triangles, objects.at("triangles").get<uint64_t>());
    EXPECT_EQ(vertices, objects.at("vertices").get<uint64_t>());
    ExpectSameBox(all, objects.at("bounds"), "scene bounds");

    const json& messages = info.at("messages");
    ASSERT_EQ(kvd_message_count(scene), messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        kvd_message m;
        ASSERT_EQ(kvd_get_message(scene, i, &m), KVD_OK);
        EXPECT_EQ(m.text, messages[i].at("text").get<std::string>());
        EXPECT_EQ(m.meaning, messages[i].at("meaning").get<std::string>());
    }
}

// The corners of each object's triangles in a kvd trace, object by object.
std::vector<std::vector<json>> TracedCorners(const std::string& trace)
{
    std::vector<std::vector<json>> objects;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        const json line = json::parse(trace.substr(start, end - start));
        start = end + 1;
        // Lines of the session itself have no call.
        const std::string call = line.value("call", "");
        if (call == "GB_BeginObject")
            objects.emplace_back();
        if (call == "GB_AddTriangle" && !objects.empty()) {
            for (const char* corner : {"a", "b", "c"})
                objects.back().push_back(line[corner]);
        }
    }
    return objects;
}

TEST_F(LibraryAgreement, EveryScene)
{
    for (const TestScene& test : *scenes_) {
        SCOPED_TRACE(test.name);
        SceneHandle handle;
        kvd_error error;
        const kvd_result result = kvd_load_file(test.path.c_str(), nullptr, &handle.scene, &error);
        EXPECT_EQ(error.result, result);
        EXPECT_EQ(result > KVD_DAMAGED, handle.scene == nullptr);

        // kvd info takes a folder as a list of scenes; the library cannot open it.
        if (std::filesystem::is_directory(test.path)) {
            EXPECT_EQ(result, KVD_CANNOT_OPEN);
            EXPECT_NE(std::string(error.message).find("is a directory"), std::string::npos) << error.message;
            continue;
        }
        const ToolRun info = RunKvd(folder_->path(), "info --json " + Quote(test.path.string()));
        ASSERT_NE(info.exitCode, -1) << info.err;
        json parsed;
        ASSERT_NO_THROW(parsed = json::parse(info.out)) << info.out;
        try {
            ExpectAgreesWithInfo(handle.scene, result, parsed);
        } catch (const json::exception& failure) {
            ADD_FAILURE() << failure.what() << "\n" << parsed.dump(1).substr(0, 3000);
        }
        if (handle.scene == nullptr)
            continue;

        const ToolRun trace = RunKvd(folder_->path(), "trace " + Quote(test.path.string()));
        const std::vector<std::vector<json>> traced = TracedCorners(trace.out);
        ASSERT_EQ(traced.size(), kvd_mesh_count(handle.scene));
        for (size_t i = 0; i < traced.size(); ++i) {
            kvd_mesh mesh;
            kvd_get_mesh(handle.scene, i, &mesh);
            ASSERT_EQ(traced[i].size(), mesh.triangle_count * 3) << "mesh " << i;
            for (size_t k = 0; k < traced[i].size(); ++k) {
                const float* point = mesh.points + size_t{mesh.triangles[k]} * 3;
                ExpectSameTriple(point, traced[i][k], "mesh " + std::to_string(i) + " corner " + std::to_string(k));
            }
        }
    }
}

}  // namespace
