// Meshes indexed two ways for the tool tests: by the streamed mesh the
// writers and the renderer use, and, as the reference, by meshoptimizer's
// general remap over the kept triangles' corners.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include <meshoptimizer.h>

#include "tools/export/BoxProjection.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/StreamedMesh.h"

// Collects what the streamed mesh hands on.
struct CollectedMesh final : IndexedMeshSink {
    std::vector<float> positions;   // x y z per vertex
    std::vector<float> texCoords;   // u v per vertex, when textured
    std::vector<uint32_t> indices;  // three per triangle
    uint64_t trianglesDropped = 0;

    size_t vertexCount() const { return positions.size() / 3; }

    void AddVertices(const float* p, const float* t, size_t count) override
    {
        positions.insert(positions.end(), p, p + count * 3);
        if (t != nullptr)
            texCoords.insert(texCoords.end(), t, t + count * 2);
    }
    void AddIndices(const uint32_t* i, size_t count) override { indices.insert(indices.end(), i, i + count); }
};

// points: x y z per point; faces: three point numbers per triangle, handed
// to the streamed mesh facesPerBlock triangles at a time.
inline CollectedMesh StreamIndexed(const std::vector<float>& points, const std::vector<uint32_t>& faces,
                                   AxisMode axes, bool textured, size_t mergeLimit = kMergeVertexLimit,
                                   size_t facesPerBlock = 64)
{
    CollectedMesh out;
    StreamedMesh mesh;
    mesh.Begin(points.data(), points.size() / 3, axes, textured, out, mergeLimit);
    const size_t triangles = faces.size() / 3;
    for (size_t t = 0; t < triangles; t += facesPerBlock)
        mesh.AddTriangles(&faces[t * 3], std::min(facesPerBlock, triangles - t));
    mesh.End();
    out.trianglesDropped = mesh.trianglesDropped();
    return out;
}

// corners: x y z per corner, three per triangle, each corner its own point.
inline CollectedMesh StreamIndexedCorners(const std::vector<float>& corners, AxisMode axes, bool textured = false)
{
    std::vector<uint32_t> faces(corners.size() / 3);
    for (size_t i = 0; i < faces.size(); ++i)
        faces[i] = static_cast<uint32_t>(i);
    return StreamIndexed(corners, faces, axes, textured);
}

// The reference: each kept corner's position in output axes (and its
// box-projected coordinates), equal ones made one vertex, numbered in order
// of first use, by meshoptimizer.
inline CollectedMesh RemapIndexedCorners(const std::vector<float>& corners, AxisMode axes, bool textured)
{
    CollectedMesh out;
    std::vector<float> positions;
    std::vector<float> texCoords;
    for (size_t t = 0; t + 9 <= corners.size(); t += 9) {
        const float* triangle = &corners[t];
        bool finite = true;
        for (size_t k = 0; k < 9; ++k)
            finite = finite && std::isfinite(triangle[k]);
        if (!finite) {
            ++out.trianglesDropped;
            continue;
        }
        float uv[6];
        if (textured)
            ProjectTriangle(triangle, uv);
        for (size_t c = 0; c < 3; ++c) {
            for (double value : ToOutputAxes(triangle[c * 3], triangle[c * 3 + 1], triangle[c * 3 + 2], axes))
                positions.push_back(static_cast<float>(value));
            if (textured)
                texCoords.insert(texCoords.end(), uv + c * 2, uv + c * 2 + 2);
        }
    }
    const size_t count = positions.size() / 3;
    if (count == 0)
        return out;
    std::vector<unsigned int> remap(count);
    const meshopt_Stream streams[] = {{positions.data(), sizeof(float) * 3, sizeof(float) * 3},
                                      {texCoords.data(), sizeof(float) * 2, sizeof(float) * 2}};
    const size_t unique =
        meshopt_generateVertexRemapMulti(remap.data(), nullptr, count, count, streams, textured ? 2 : 1);
    out.positions.resize(unique * 3);
    if (textured)
        out.texCoords.resize(unique * 2);
    for (size_t i = 0; i < count; ++i) {
        std::copy_n(&positions[i * 3], 3, &out.positions[remap[i] * 3]);
        if (textured)
            std::copy_n(&texCoords[i * 2], 2, &out.texCoords[remap[i] * 2]);
    }
    out.indices.assign(remap.begin(), remap.end());
    return out;
}
