// One mesh turned into an indexed output mesh while its faces arrive: the
// file's vertex list is given first and stays with the caller, the faces come
// in blocks, and the output's vertices and indices leave in blocks as they
// are made. Nothing in proportion to the face count is held.
//
// Equal points are merged while it is cheap: a mesh of at most
// kMergeVertexLimit points has corners with the same position (and texture
// coordinates) stored once, numbered in order of first use, with points no
// kept triangle uses left out. A larger mesh keeps the file's own indexing,
// which is already shared: its vertices are the file's points as they are,
// which costs no memory beyond the vertex list the caller holds.
//
// A triangle with a corner that is not a finite number is left out and
// counted. Where the file's points are kept as they are, such a point is
// replaced by the mesh's first finite point, so every stored vertex is a
// number and lies within the mesh's bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "tools/export/ExportOptions.h"

// 4 Mi points: merging one costs about 40 bytes a point for a moment.
inline constexpr size_t kMergeVertexLimit = size_t{1} << 22;

// Receives the output mesh in blocks.
class IndexedMeshSink {
public:
    // x y z per vertex in output axes; u v per vertex, or null when the mesh
    // has no texture coordinates.
    virtual void AddVertices(const float* positions, const float* texCoords, size_t count) = 0;
    // Three per triangle, numbering the vertices given so far from 0.
    virtual void AddIndices(const uint32_t* indices, size_t count) = 0;

protected:
    ~IndexedMeshSink() = default;
};

class StreamedMesh {
public:
    // points: x y z per point, source axes, valid and unchanged until End.
    // textured: make texture coordinates by box projection.
    void Begin(const float* points, size_t pointCount, AxisMode axes, bool textured, IndexedMeshSink& sink,
               size_t mergeLimit = kMergeVertexLimit);
    // corners: three point numbers per triangle, each below pointCount.
    void AddTriangles(const uint32_t* corners, size_t triangleCount);
    // Hands on what is still held and lets go of the tables.
    void End();

    bool merging() const { return merging_; }
    uint64_t vertexCount() const { return vertexCount_; }
    uint64_t trianglesKept() const { return trianglesKept_; }
    uint64_t trianglesDropped() const { return trianglesDropped_; }
    // The mesh needs more vertices than 32-bit indices can number; the
    // triangles past that point were dropped.
    bool overflowed() const { return overflowed_; }

private:
    struct CornerKey {
        uint32_t point;
        uint32_t u;
        uint32_t v;
        bool operator==(const CornerKey&) const = default;
    };
    struct CornerKeyHash {
        size_t operator()(const CornerKey& key) const;
    };

    bool Finite(uint32_t point) const;
    uint32_t NewVertex(uint32_t point, const float* uv);
    void AddPlainTriangle(const uint32_t* corner);
    void AddTexturedTriangle(const uint32_t* corner);
    void WriteAllPoints();
    void FlushVertices();
    void FlushIndices();

    const float* points_ = nullptr;
    size_t pointCount_ = 0;
    AxisMode axes_ = AxisMode::ToYUp;
    bool textured_ = false;
    bool merging_ = false;
    IndexedMeshSink* sink_ = nullptr;

    // Merging: the equal-point class of each point, and the output vertex of
    // each class once a kept triangle used it.
    std::vector<uint32_t> classOf_;
    std::vector<uint32_t> vertexOfClass_;
    // Merging with texture coordinates: the output vertex of each class and
    // coordinate pair.
    std::unordered_map<CornerKey, uint32_t, CornerKeyHash> vertexOfCorner_;
    // Not merging: whether every point is finite, the first finite point,
    // and the file's points written out yet.
    bool allFinite_ = true;
    uint32_t substitute_ = 0;
    bool pointsWritten_ = false;

    uint64_t vertexCount_ = 0;
    uint64_t trianglesKept_ = 0;
    uint64_t trianglesDropped_ = 0;
    bool overflowed_ = false;

    std::vector<float> positionBlock_;
    std::vector<float> texCoordBlock_;
    std::vector<uint32_t> indexBlock_;
};
