// The scenes the library's tests read, and a scene handle's content copied
// into plain values so that two loads can be compared whole.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "library/include/kvd.h"

struct TestScene {
    std::string name;
    std::filesystem::path path;
};

// Writes into folder, and lists: the samples (read in place), every scene
// of the conversion tests with its images, the whole scenes that hold every
// kind of record, each cut short at several places, and files that are no
// scene (an image, an empty file, a folder, a file that is not there).
std::vector<TestScene> WriteLibraryScenes(const std::filesystem::path& folder);

// Numbers are kept as their bits, so that a NaN equals itself.
struct MaterialCopy {
    std::string name;
    std::array<uint32_t, 9> colours{};   // ambient, diffuse, specular
    uint32_t shininess = 0;
    std::string texture, bump;
    std::optional<std::string> textureFound, bumpFound;
    bool operator==(const MaterialCopy&) const = default;
};

struct CameraCopy {
    std::string name;
    std::array<uint64_t, 6> eyeTarget{};
    uint64_t fov = 0;
    int isDefault = 0, isFixed = 0;
    bool operator==(const CameraCopy&) const = default;
};

struct MeshCopy {
    std::string name;
    int64_t material = 0;
    std::array<uint32_t, 3> colour{};
    size_t pointCount = 0, triangleCount = 0, node = 0;
    std::vector<uint32_t> pointBits;
    std::vector<uint32_t> triangles;
    bool operator==(const MeshCopy&) const = default;
};

struct NodeCopy {
    std::string name;
    size_t parent = 0, mesh = 0;
    bool operator==(const NodeCopy&) const = default;
};

struct MessageCopy {
    int code = 0;
    std::string text, meaning;
    bool operator==(const MessageCopy&) const = default;
};

struct SceneCopy {
    kvd_result result = KVD_OK;
    std::vector<MaterialCopy> materials;
    std::vector<CameraCopy> cameras;
    std::vector<MeshCopy> meshes;
    std::vector<NodeCopy> nodes;
    std::vector<MessageCopy> messages;
    bool operator==(const SceneCopy&) const = default;
};

SceneCopy CopyScene(const kvd_scene* scene);
// Where two copies first differ, in words; empty when they are equal.
std::string FirstDifference(const SceneCopy& a, const SceneCopy& b);
MeshCopy CopyMesh(const kvd_mesh& mesh);

// Frees the handle when the test ends.
struct SceneHandle {
    kvd_scene* scene = nullptr;
    SceneHandle() = default;
    SceneHandle(const SceneHandle&) = delete;
    SceneHandle& operator=(const SceneHandle&) = delete;
    ~SceneHandle() { kvd_scene_free(scene); }
};
