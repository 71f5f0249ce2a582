// The destination of the reader that fills a kvd_scene: the file's
// materials in file order with where their images were found, the cameras
// as the reader gives them, the node tree, and each mesh's arrays, read
// straight into the mesh's own array. Streamed, each mesh is handed to a
// sink once read and its arrays are then reused for the next, so memory
// stays in proportion to the largest mesh.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "library/LoadedScene.h"
#include "reader/SceneDestination.h"

// Where a material's images are looked for.
struct ImageFolders {
    // The scene file's own folder, or nothing for a scene read from memory.
    std::optional<std::filesystem::path> scene;
    std::vector<std::filesystem::path> extra;
};

// Told of each mesh once its faces are read; the mesh's arrays are valid
// only during the call.
using MeshSink = std::function<void(size_t index, const LoadedMesh& mesh)>;

class SceneLoader final : public SceneDestination {
public:
    // A sink makes the load a streamed one.
    SceneLoader(kvd_scene& scene, ImageFolders folders, MeshSink sink = {});

    void Materials(const MaterialList& fileMaterials) override;
    void Camera(const CameraView& camera) override;
    void BeginNode(const NodeView& node) override;
    void EndNode() override;
    std::byte* VertexRoom(size_t vertexCount) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override;

private:
    LoadedTexture Texture(const std::string& storedName) const;

    kvd_scene& scene_;
    ImageFolders folders_;
    MeshSink sink_;
    std::vector<size_t> openNodes_;
    std::optional<size_t> meshNode_;   // the mesh node whose mesh comes next
    // The room offered for the next vertex list, and in a streamed load the
    // arrays of the last mesh, kept for the next.
    MeshArray<float> room_;
    MeshArray<uint32_t> spareTriangles_;
    size_t filled_ = 0;   // indices written into the open mesh's triangles
};
