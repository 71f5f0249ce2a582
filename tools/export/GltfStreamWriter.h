// The scene as glTF 2.0, written while it is read: one node and one mesh per
// object with one indexed triangle primitive, one material per material given,
// and one perspective camera on a node per camera, the first camera first.
//
// Positions, texture coordinates, indices and any other data (images) each go
// to a temporary file beside the output as they come, with each accessor's
// bounds kept on the way. Finish writes the JSON document and then, for .glb,
// the header, the JSON chunk and the binary chunk into one more temporary
// file (the binary data copied in by the kernel where it can), or for .gltf
// the geometry into a .bin beside it, and renames them into place.
#pragma once

#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "tools/export/SceneWriter.h"
#include "tools/export/TemporaryFile.h"
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

    // The .bin a .gltf refers to: the output's name with .bin.
    static std::string BinaryPath(const std::string& gltfPath);

private:
    enum Segment { kPositions, kIndices, kTexCoords, kBlobs, kSegmentCount };

    void AddVertices(const float* positions, const float* texCoords, size_t count) override;
    void AddIndices(const uint32_t* indices, size_t count) override;

    TemporaryFile* SegmentFile(Segment segment);
    bool Put(Segment segment, const void* data, size_t size);
    // A buffer view over what is written next to the segment, 4-byte aligned.
    uint64_t StartView(Segment segment);
    int AddView(Segment segment, uint64_t start, uint64_t length, int target);
    uint64_t SegmentBytes() const;
    bool WriteSpilledIndices();

    int TextureFor(const std::string& uri);
    int TextureForImage(int slot);
    bool WriteImagesBeside();
    void AddCameraNode(const SceneCamera& camera);
    void ClipRange(const std::array<double, 3>& eye, const std::array<double, 3>& target, double& znear,
                   double& zfar) const;
    std::string DocumentJson(uint64_t binaryLength, const std::string& binaryUri);
    bool AssembleGlb(const std::string& json, uint64_t binaryLength, ProgressSink* progress);
    bool AssembleGltf(const std::string& json, uint64_t binaryLength, ProgressSink* progress);

    std::string path_;
    bool binary_;
    ExportOptions options_;
    WriterLimits limits_;
    tinygltf::Model model_;
    std::map<std::string, int> textures_;
    // Found images by their position in options_.images, as textures.
    std::map<int, int> imageTextures_;
    // .gltf: images (model image, found image) and bumps (material, found
    // image) whose files go beside the output, named in Finish.
    std::vector<std::pair<int, int>> besideImages_;
    std::vector<std::pair<int, int>> besideBumps_;
    std::vector<SceneCamera> cameras_;
    Bounds sceneBounds_;

    std::unique_ptr<TemporaryFile> segments_[kSegmentCount];
    // The segment of each buffer view; byteOffset is within it until Finish.
    std::vector<Segment> viewSegments_;

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
