// Writing: a built scene comes back as it was built, a loaded sample
// written again gives the host the same calls, and a file is written whole
// or not at all.
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/library/LibraryScenes.h"
#include "tests/tool/TempFolder.h"
#include "tests/tool/ToolRun.h"

namespace {

namespace fs = std::filesystem;

struct BuiltScene {
    const char* name;
    void (*build)(kvd_scene* scene);
};

void AddOrFail(kvd_result result)
{
    ASSERT_EQ(result, KVD_OK);
}

void BuildHouse(kvd_scene* scene)
{
    kvd_material wood{"木材", {0.2f, 0.15f, 0.1f}, {0.8f, 0.6f, 0.4f}, {0.3f, 0.3f, 0.3f}, 12.0f,
                      {"maps\\wood.jpg", nullptr}, {"wood_bump.bmp", nullptr}};
    kvd_material glass{"glass", {0, 0, 0}, {0.5f, 0.7f, 0.9f}, {1, 1, 1}, 0.0f, {"", nullptr}, {"", nullptr}};
    AddOrFail(kvd_add_material(scene, &wood, nullptr, nullptr));
    AddOrFail(kvd_add_material(scene, &glass, nullptr, nullptr));
    kvd_camera front{"相机1", {9000, -12000, 5000}, {0, 0, 1500}, 0, 0, 0};
    kvd_camera top{"top", {0.5, 0.25, 30000}, {0, 0, 0}, 0, 0, 0};
    AddOrFail(kvd_add_camera(scene, &front, nullptr, nullptr));
    AddOrFail(kvd_add_camera(scene, &top, nullptr, nullptr));

    size_t house = 0, upstairs = 0;
    AddOrFail(kvd_add_group(scene, "房子", KVD_NO_PARENT, &house, nullptr));
    const float quad[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const uint32_t twoTriangles[] = {0, 1, 2, 0, 2, 3};
    kvd_mesh door{"门", 0, {0, 0, 0}, 4, quad, 2, twoTriangles, 0};
    AddOrFail(kvd_add_mesh(scene, &door, house, nullptr, nullptr));
    AddOrFail(kvd_add_group(scene, "upstairs", house, &upstairs, nullptr));
    // Points no triangle uses, -0.0 and the largest float are kept as they are.
    const float odd[] = {-0.0f, 3.4028235e38f, -1e-38f, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    const uint32_t one[] = {3, 2, 1};
    kvd_mesh window{"window", 1, {0, 0, 0}, 4, odd, 1, one, 0};
    AddOrFail(kvd_add_mesh(scene, &window, upstairs, nullptr, nullptr));
    kvd_mesh ground{"地面", KVD_OWN_COLOUR, {0.35f, 0.55f, 0.25f}, 4, quad, 2, twoTriangles, 0};
    AddOrFail(kvd_add_mesh(scene, &ground, KVD_NO_PARENT, nullptr, nullptr));
    kvd_mesh empty{"nothing", KVD_OWN_COLOUR, {1, 0, 0}, 0, nullptr, 0, nullptr, 0};
    AddOrFail(kvd_add_mesh(scene, &empty, KVD_NO_PARENT, nullptr, nullptr));
}

void BuildNothing(kvd_scene*) {}

TEST(LibraryWriting, BuiltScenesComeBackAsBuilt)
{
    const BuiltScene scenes[] = {{"house", BuildHouse}, {"nothing", BuildNothing}};
    for (const BuiltScene& built : scenes) {
        SCOPED_TRACE(built.name);
        SceneHandle scene;
        scene.scene = kvd_scene_create();
        ASSERT_NE(scene.scene, nullptr);
        built.build(scene.scene);
        void* bytes = nullptr;
        size_t size = 0;
        kvd_error error;
        ASSERT_EQ(kvd_save_memory(scene.scene, &bytes, &size, &error), KVD_OK) << error.message;
        SceneHandle loaded;
        const kvd_result result = kvd_load_memory(bytes, size, nullptr, &loaded.scene, &error);
        kvd_free(bytes);
        ASSERT_EQ(result, KVD_OK) << error.message;

        SceneCopy expected = CopyScene(scene.scene);
        SceneCopy got = CopyScene(loaded.scene);
        // A scene written without cameras opens in the host's fixed view.
        if (expected.cameras.empty()) {
            ASSERT_EQ(got.cameras.size(), 1u);
            EXPECT_EQ(got.cameras[0].isFixed, 1);
            got.cameras.clear();
        }
        EXPECT_TRUE(got.materials == expected.materials);
        EXPECT_TRUE(got.cameras == expected.cameras);
        EXPECT_TRUE(got.meshes == expected.meshes);
        EXPECT_TRUE(got.nodes == expected.nodes);
        EXPECT_TRUE(got.messages.empty());
    }
}

std::string FileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LibraryWriting, WrittenSamplesGiveTheHostTheSameCalls)
{
    TempFolder folder;
    for (const char* sample : {"house", "triangle"}) {
        SCOPED_TRACE(sample);
        const fs::path original = fs::path(KVD_SAMPLES_DIR) / (std::string(sample) + ".kvd");
        SceneHandle scene;
        ASSERT_EQ(kvd_load_file(original.c_str(), nullptr, &scene.scene, nullptr), KVD_OK);
        const fs::path written = folder.path() / (std::string(sample) + ".kvd");
        kvd_error error;
        ASSERT_EQ(kvd_save_file(scene.scene, written.c_str(), &error), KVD_OK) << error.message;
        const ToolRun before = RunKvd(folder.path(), "trace " + Quote(original.string()));
        const ToolRun after = RunKvd(folder.path(), "trace " + Quote(written.string()));
        ASSERT_EQ(before.exitCode, 0);
        EXPECT_EQ(after.out, before.out);
    }
}

// Names in folder, to see that nothing was left beside a failed write.
std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LibraryWriting, AFileIsWrittenWholeOrNotAtAll)
{
    TempFolder folder;
    SceneHandle house;
    ASSERT_EQ(kvd_load_file(KVD_SAMPLES_DIR "/house.kvd", nullptr, &house.scene, nullptr), KVD_OK);
    SceneHandle streamed;
    ASSERT_EQ(kvd_stream_file(KVD_SAMPLES_DIR "/house.kvd", nullptr, nullptr, nullptr, &streamed.scene, nullptr),
              KVD_OK);
    const fs::path existing = folder.path() / "existing.kvd";
    const std::string before = "what was there";
    std::ofstream(existing, std::ios::binary) << before;
    fs::create_directories(folder.path() / "a-folder" / "inside");

    struct Case {
        const char* name;
        const kvd_scene* scene;
        fs::path path;
        kvd_result expected;
    };
    const Case cases[] = {
        {"into a missing folder", house.scene, folder.path() / "missing" / "out.kvd", KVD_CANNOT_WRITE},
        {"onto a folder", house.scene, folder.path() / "a-folder", KVD_CANNOT_WRITE},
        {"a streamed scene", streamed.scene, existing, KVD_INVALID_ARGUMENT},
    };
    const std::vector<std::string> entries = Entries(folder.path());
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        kvd_error error;
        EXPECT_EQ(kvd_save_file(test.scene, test.path.c_str(), &error), test.expected);
        EXPECT_EQ(error.result, test.expected);
        EXPECT_NE(error.message[0], '\0');
        EXPECT_EQ(Entries(folder.path()), entries);
        EXPECT_EQ(FileText(existing), before);
    }

    // The disk fills (here a file-size limit) in the middle of the file.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(kvd_save_file(house.scene, existing.c_str(), nullptr));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), KVD_CANNOT_WRITE);
    EXPECT_EQ(Entries(folder.path()), entries);
    EXPECT_EQ(FileText(existing), before);

    // Written whole, it replaces the file.
    ASSERT_EQ(kvd_save_file(house.scene, existing.c_str(), nullptr), KVD_OK);
    EXPECT_EQ(Entries(folder.path()), entries);
    SceneHandle again;
    ASSERT_EQ(kvd_load_file(existing.c_str(), nullptr, &again.scene, nullptr), KVD_OK);
    EXPECT_TRUE(CopyScene(again.scene).meshes == CopyScene(house.scene).meshes);
}

}  // namespace
