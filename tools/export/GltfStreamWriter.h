// The scene as glTF 2.0, written while it is read: one node and one mesh per
// object with one indexed triangle primitive, one material per material given,
// and one perspective camera on a node per camera, the first camera first.
//
// Positions, texture coordinates, indices and any other data (images) each go
// to a temporary file beside the output as they come (GltfBinaryData), with
// each accessor's bounds kept on the way. Finish writes the JSON document and
// puts the output together (GltfFileAssembly).
#pragma once

#include <string>
#include <vector>

#include "tools/export/GltfBinaryData.h"
#include "tools/export/GltfDocument.h"
#include "tools/export/GltfMaterials.h"
#include "tools/export/SceneWriter.h"
#include "tools/scene/Bounds.h"

class GltfStreamWriter final : public SceneWriter, private IndexedMeshSink {
public:
    // binary: a .glb; otherwise .gltf with its geometry in a .bin beside it.
    GltfStreamWriter(std::string path, bool binary, const ExportOptions& options, const WriterLimits& limits = {});

    bool Open() override;
    int AddMaterial(const SceneMaterial& material) override;
    void BeginMesh(const float* points, size_t pointCount, int material) override;
    void AddTriangles(const uint32_t* corners, size_t triangleCount) override;
    void EndMesh() override;
    void AddCamera(const SceneCamera& camera) override;
    bool Finish(ProgressSink* progress) override;

    // Stores bytes in the binary data (an image, say) and returns the number
    // of their buffer view, or -1 after a failure.
    int AddBlob(const void* data, size_t size);

private:
    void AddVertices(const float* positions, const float* texCoords, size_t count) override;
    void AddIndices(const uint32_t* indices, size_t count) override;

    bool WriteSpilledIndices();
    int AddAccessor(GltfJson accessor);
    std::string DocumentJson(uint64_t binaryLength);

    std::string path_;
    bool binary_;
    ExportOptions options_;
    WriterLimits limits_;
    GltfJson document_;
    GltfBinaryData data_;
    GltfMaterials materials_;
    std::vector<SceneCamera> cameras_;
    Bounds sceneBounds_;

    // The mesh being written.
    StreamedMesh mesh_;
    bool meshOpen_ = false;
    int meshMaterial_ = 0;
    bool meshTextured_ = false;
    uint64_t positionsStart_ = 0;
    uint64_t texCoordsStart_ = 0;
    uint64_t indicesStart_ = 0;
    float boxMin_[3] = {};
    float boxMax_[3] = {};
    // Indices wait here while few, so that a small mesh gets 16-bit ones.
    std::vector<uint32_t> heldIndices_;
    bool indicesSpilled_ = false;
    uint64_t indexCount_ = 0;
};
