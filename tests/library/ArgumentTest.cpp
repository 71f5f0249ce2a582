// Bad arguments are refused with KVD_INVALID_ARGUMENT, never followed: no
// NULL is read or written, no index past a list, and a refused addition
// leaves the scene as it was.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "tests/library/LibraryScenes.h"

namespace {

struct Call {
    const char* name;
    std::function<kvd_result(kvd_scene*)> call;
};

TEST(LibraryArguments, BadCallsAreRefused)
{
    SceneHandle house;
    ASSERT_EQ(kvd_load_file(KVD_SAMPLES_DIR "/house.kvd", nullptr, &house.scene, nullptr), KVD_OK);
    kvd_material material;
    kvd_camera camera;
    kvd_mesh mesh;
    kvd_node node;
    kvd_message message;
    float uv[6 * 128];
    uint32_t numbers[81];
    size_t distinct = 0;
    const float points[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float nan[] = {0, 0, 0, 1, NAN, 0, 0, 1, 0};
    const uint32_t triangle[] = {0, 1, 2};
    const uint32_t pastTheEnd[] = {0, 1, 3};
    const char* nullFolder[] = {nullptr};
    const kvd_load_options nullFolders{nullFolder, 1};
    const kvd_load_options missingArray{nullptr, 2};
    kvd_scene* out = nullptr;
    void* bytes = nullptr;
    size_t size = 0;
    auto meshOf = [&](int64_t materialIndex, const float* p, size_t pointCount, const uint32_t* t) {
        return kvd_mesh{"m", materialIndex, {0, 0, 0}, pointCount, p, 1, t, 0};
    };

    const Call calls[] = {
        {"material of no scene", [&](kvd_scene*) { return kvd_get_material(nullptr, 0, &material); }},
        {"material past the list", [&](kvd_scene* s) { return kvd_get_material(s, 4, &material); }},
        {"material into NULL", [&](kvd_scene* s) { return kvd_get_material(s, 0, nullptr); }},
        {"camera past the list", [&](kvd_scene* s) { return kvd_get_camera(s, 2, &camera); }},
        {"camera into NULL", [&](kvd_scene* s) { return kvd_get_camera(s, 0, nullptr); }},
        {"mesh past the list", [&](kvd_scene* s) { return kvd_get_mesh(s, 5, &mesh); }},
        {"mesh at SIZE_MAX", [&](kvd_scene* s) { return kvd_get_mesh(s, SIZE_MAX, &mesh); }},
        {"node past the list", [&](kvd_scene* s) { return kvd_get_node(s, kvd_node_count(s), &node); }},
        {"message of a clean scene", [&](kvd_scene* s) { return kvd_get_message(s, 0, &message); }},
        {"texcoords with too little room", [&](kvd_scene* s) { return kvd_mesh_box_texcoords(s, 4, uv, 6 * 127); }},
        {"texcoords into NULL", [&](kvd_scene* s) { return kvd_mesh_box_texcoords(s, 0, nullptr, 100); }},
        {"merge with too little room", [&](kvd_scene* s) { return kvd_mesh_merge_points(s, 4, numbers, 80, &distinct); }},
        {"merge without a count", [&](kvd_scene* s) { return kvd_mesh_merge_points(s, 4, numbers, 81, nullptr); }},
        {"load without a path", [&](kvd_scene*) { return kvd_load_file(nullptr, nullptr, &out, nullptr); }},
        {"load without a place", [&](kvd_scene*) { return kvd_load_file(KVD_SAMPLES_DIR "/house.kvd", nullptr, nullptr, nullptr); }},
        {"load with a NULL folder", [&](kvd_scene*) { return kvd_load_file(KVD_SAMPLES_DIR "/house.kvd", &nullFolders, &out, nullptr); }},
        {"load with no folder array", [&](kvd_scene*) { return kvd_load_file(KVD_SAMPLES_DIR "/house.kvd", &missingArray, &out, nullptr); }},
        {"memory without bytes", [&](kvd_scene*) { return kvd_load_memory(nullptr, 10, nullptr, &out, nullptr); }},
        {"stream without a path", [&](kvd_scene*) { return kvd_stream_file(nullptr, nullptr, nullptr, nullptr, &out, nullptr); }},
        {"add material to no scene", [&](kvd_scene*) { return kvd_add_material(nullptr, &material, nullptr, nullptr); }},
        {"add NULL material", [&](kvd_scene* s) { return kvd_add_material(s, nullptr, nullptr, nullptr); }},
        {"add NULL camera", [&](kvd_scene* s) { return kvd_add_camera(s, nullptr, nullptr, nullptr); }},
        {"group under no node", [&](kvd_scene* s) { return kvd_add_group(s, "g", kvd_node_count(s), nullptr, nullptr); }},
        {"mesh under no node", [&](kvd_scene* s) { auto m = meshOf(KVD_OWN_COLOUR, points, 3, triangle); return kvd_add_mesh(s, &m, 1000, nullptr, nullptr); }},
        {"mesh naming no material", [&](kvd_scene* s) { auto m = meshOf(4, points, 3, triangle); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"mesh naming material -2", [&](kvd_scene* s) { auto m = meshOf(-2, points, 3, triangle); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"mesh with a NaN point", [&](kvd_scene* s) { auto m = meshOf(0, nan, 3, triangle); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"triangle past the points", [&](kvd_scene* s) { auto m = meshOf(0, points, 3, pastTheEnd); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"points without an array", [&](kvd_scene* s) { auto m = meshOf(0, nullptr, 3, triangle); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"more points than the format counts", [&](kvd_scene* s) { auto m = meshOf(0, points, size_t{1} << 31, triangle); return kvd_add_mesh(s, &m, KVD_NO_PARENT, nullptr, nullptr); }},
        {"add NULL mesh", [&](kvd_scene* s) { return kvd_add_mesh(s, nullptr, KVD_NO_PARENT, nullptr, nullptr); }},
        {"save no scene", [&](kvd_scene*) { return kvd_save_file(nullptr, "/tmp/x.kvd", nullptr); }},
        {"save to no path", [&](kvd_scene* s) { return kvd_save_file(s, nullptr, nullptr); }},
        {"save into no buffer", [&](kvd_scene* s) { return kvd_save_memory(s, nullptr, &size, nullptr); }},
        {"save without a size", [&](kvd_scene* s) { return kvd_save_memory(s, &bytes, nullptr, nullptr); }},
    };
    const SceneCopy before = CopyScene(house.scene);
    for (const Call& call : calls) {
        SCOPED_TRACE(call.name);
        EXPECT_EQ(call.call(house.scene), KVD_INVALID_ARGUMENT);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(bytes, nullptr);
    }
    EXPECT_TRUE(CopyScene(house.scene) == before);

    // Counts of no scene are zero; freeing none does nothing.
    EXPECT_EQ(kvd_mesh_count(nullptr), 0u);
    EXPECT_EQ(kvd_scene_result(nullptr), KVD_INVALID_ARGUMENT);
    kvd_scene_free(nullptr);
    kvd_free(nullptr);
}

TEST(LibraryArguments, MessagesAreCutAtAWholeCharacter)
{
    // A path of 300 two-byte characters makes a message longer than the field.
    std::string path = "/a";
    for (int i = 0; i < 300; ++i)
        path += "é";
    kvd_scene* scene = nullptr;
    kvd_error error;
    ASSERT_EQ(kvd_load_file(path.c_str(), nullptr, &scene, &error), KVD_CANNOT_OPEN);
    const std::string message = error.message;
    ASSERT_LT(message.size(), sizeof error.message);
    EXPECT_GT(message.size(), 400u);
    // "cannot open /a" leaves an odd count of bytes for the two-byte
    // characters: the cut falls after a whole "é" (0xC3 0xA9), never between.
    EXPECT_NE(static_cast<unsigned char>(message.back()), 0xC3);
}

}  // namespace

namespace {

TEST(LibraryArguments, BuildingRefusesWhatCouldNotBeKeptTrue)
{
    // A chain of groups deeper than the tree may nest: the tree is walked and
    // freed by recursion, so the first node past the bound is refused.
    SceneHandle deep;
    deep.scene = kvd_scene_create();
    size_t parent = KVD_NO_PARENT;
    kvd_result result = KVD_OK;
    size_t added = 0;
    for (; added < 2000 && result == KVD_OK; ++added)
        result = kvd_add_group(deep.scene, "g", parent, &parent, nullptr);
    EXPECT_EQ(result, KVD_INVALID_ARGUMENT);
    EXPECT_EQ(kvd_node_count(deep.scene), 1024u);   // 1024 deep at the most

    // A scene read from a file without cameras shows the host's fixed view;
    // a camera added to it could not be written as its default, so it is refused.
    SceneHandle empty;
    empty.scene = kvd_scene_create();
    void* bytes = nullptr;
    size_t size = 0;
    ASSERT_EQ(kvd_save_memory(empty.scene, &bytes, &size, nullptr), KVD_OK);
    SceneHandle loaded;
    const kvd_result loadedResult = kvd_load_memory(bytes, size, nullptr, &loaded.scene, nullptr);
    kvd_free(bytes);
    ASSERT_EQ(loadedResult, KVD_OK);
    kvd_camera camera{"front", {1, 2, 3}, {0, 0, 0}, 0, 0, 0};
    kvd_error error;
    EXPECT_EQ(kvd_add_camera(loaded.scene, &camera, nullptr, &error), KVD_INVALID_ARGUMENT);
    EXPECT_EQ(kvd_camera_count(loaded.scene), 1u);
}

}  // namespace
