// The scene behind a kvd_scene handle: what a load read, or what a caller
// built, in the C interface's terms (UTF-8 texts, materials in file order,
// each mesh's arrays whole). Every pointer the interface hands out points
// into it, so nothing handed out moves until the handle is freed: items are
// only ever appended, and each item's texts and arrays are its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/LargePageAllocator.h"
#include "library/include/kvd.h"
#include "reader/ImportMessages.h"

template <class T>
using MeshArray = std::vector<T, UninitialisedLargePageAllocator<T>>;

struct LoadedTexture {
    std::string name;                   // UTF-8 as stored; empty for none
    std::optional<std::string> found;   // UTF-8 path where the image was found
};

struct LoadedMaterial {
    std::string name;
    std::array<float, 3> ambient{};
    std::array<float, 3> diffuse{};
    std::array<float, 3> specular{};
    float shininess = 0.0f;
    LoadedTexture texture;
    LoadedTexture bump;
};

struct LoadedCamera {
    std::string name;
    std::array<double, 3> eye{};
    std::array<double, 3> target{};
    double fov = 0.0;
    bool isFixed = false;   // the host's fixed default camera of a file without cameras
};

struct LoadedMesh {
    std::string name;
    int64_t material = KVD_OWN_COLOUR;
    std::array<float, 3> colour{};
    // Counts stay when a streamed load drops the arrays.
    size_t pointCount = 0;
    size_t triangleCount = 0;
    MeshArray<float> points;         // x y z per point
    MeshArray<uint32_t> triangles;   // three point numbers per triangle
    size_t node = KVD_NO_MESH;
};

struct LoadedNode {
    std::string name;
    size_t parent = KVD_NO_PARENT;
    size_t mesh = KVD_NO_MESH;
};

struct LoadedMessage {
    ImportMessage code;
    std::string text;   // UTF-8 of the GBK text the host shows
};

struct kvd_scene {
    kvd_result result = KVD_OK;
    // A streamed load: meshes keep their counts but no arrays.
    bool streamed = false;
    // Deques: appending never moves what an earlier call handed out.
    std::deque<LoadedMaterial> materials;
    std::deque<LoadedCamera> cameras;
    std::deque<LoadedMesh> meshes;
    std::deque<LoadedNode> nodes;
    std::vector<LoadedMessage> messages;
};
