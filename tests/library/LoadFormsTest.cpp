// The three ways in read the same scene: from memory as from the file, and
// streamed mesh by mesh as loaded whole.
#include <cstdint>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/library/LibraryScenes.h"
#include "tests/tool/TempFolder.h"

namespace {

std::vector<char> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

SceneCopy ListMeshes(const std::vector<MeshCopy>& meshes)
{
    SceneCopy copy;
    copy.meshes = meshes;
    return copy;
}

struct Streamed {
    std::vector<MeshCopy> meshes;
    std::vector<size_t> indices;
    size_t stopAfter = SIZE_MAX;
};

int KeepMesh(void* user, const kvd_scene* scene, size_t index, const kvd_mesh* mesh)
{
    auto& streamed = *static_cast<Streamed*>(user);
    streamed.meshes.push_back(CopyMesh(*mesh));
    streamed.indices.push_back(index);
    // The scene so far answers while the meshes arrive.
    if (kvd_mesh_count(scene) != index + 1)
        return 2;
    return streamed.meshes.size() >= streamed.stopAfter ? 1 : 0;
}

TEST(LibraryLoadForms, MemoryAndStreamReadWhatTheFileLoadReads)
{
    TempFolder folder;
    for (const TestScene& test : WriteLibraryScenes(folder.path())) {
        SCOPED_TRACE(test.name);
        // Images beside the file are found from memory when its folder is given.
        const std::string sceneFolder = test.path.parent_path().string();
        const char* folders[] = {sceneFolder.c_str()};
        const kvd_load_options options{folders, 1};

        SceneHandle fromFile;
        kvd_error fileError;
        const kvd_result fileResult = kvd_load_file(test.path.c_str(), &options, &fromFile.scene, &fileError);

        if (std::filesystem::is_regular_file(test.path)) {
            const std::vector<char> bytes = FileBytes(test.path);
            SceneHandle fromMemory;
            kvd_error memoryError;
            EXPECT_EQ(kvd_load_memory(bytes.data(), bytes.size(), &options, &fromMemory.scene, &memoryError),
                      fileResult);
            EXPECT_EQ(memoryError.result, fileResult);
            if (fromFile.scene != nullptr) {
                ASSERT_NE(fromMemory.scene, nullptr);
                EXPECT_EQ(FirstDifference(CopyScene(fromMemory.scene), CopyScene(fromFile.scene)), "");
            }
        }

        Streamed streamed;
        SceneHandle fromStream;
        kvd_error streamError;
        EXPECT_EQ(kvd_stream_file(test.path.c_str(), &options, KeepMesh, &streamed, &fromStream.scene, &streamError),
                  fileResult);
        if (fromFile.scene == nullptr) {
            EXPECT_EQ(fromStream.scene, nullptr);
            continue;
        }
        ASSERT_NE(fromStream.scene, nullptr);
        const SceneCopy whole = CopyScene(fromFile.scene);
        SceneCopy rest = CopyScene(fromStream.scene);
        EXPECT_EQ(FirstDifference(ListMeshes(streamed.meshes), ListMeshes(whole.meshes)), "");
        for (size_t i = 0; i < streamed.indices.size(); ++i)
            EXPECT_EQ(streamed.indices[i], i);
        // The streamed scene keeps everything but the arrays.
        for (size_t i = 0; i < rest.meshes.size(); ++i) {
            EXPECT_TRUE(rest.meshes[i].pointBits.empty() && rest.meshes[i].triangles.empty());
            rest.meshes[i].pointBits = whole.meshes[i].pointBits;
            rest.meshes[i].triangles = whole.meshes[i].triangles;
        }
        EXPECT_EQ(FirstDifference(rest, whole), "");
    }
}

TEST(LibraryLoadForms, StreamStopsWhenTheCallbackSaysSo)
{
    Streamed streamed;
    streamed.stopAfter = 2;
    kvd_scene* scene = reinterpret_cast<kvd_scene*>(&streamed);   // must be cleared
    kvd_error error;
    EXPECT_EQ(kvd_stream_file(KVD_SAMPLES_DIR "/house.kvd", nullptr, KeepMesh, &streamed, &scene, &error),
              KVD_CANCELLED);
    EXPECT_EQ(error.result, KVD_CANCELLED);
    EXPECT_EQ(scene, nullptr);
    EXPECT_EQ(streamed.meshes.size(), 2u);
}

}  // namespace
