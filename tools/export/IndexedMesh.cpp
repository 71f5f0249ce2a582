#include "tools/export/IndexedMesh.h"

#include <cmath>
#include <cstring>

#include "tools/export/BoxProjection.h"
#include "tools/export/EqualPointMerge.h"

namespace {
constexpr size_t kCornerFloats = 3;
constexpr size_t kTriangleFloats = 9;
constexpr size_t kTexCoordFloats = 2;

bool AllFinite(const float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]))
            return false;
    }
    return true;
}

}  // namespace

IndexedMesh BuildIndexedMesh(const std::vector<float>& corners, AxisMode axes, bool withTexCoords)
{
    IndexedMesh mesh;
    // One record per corner of a finite triangle: its position in output
    // axes, then its texture coordinates when asked for.
    const size_t width = withTexCoords ? kTexturedPointFloats : kPointFloats;
    std::vector<float> records;
    records.reserve(corners.size() / kCornerFloats * width);
    for (size_t t = 0; t + kTriangleFloats <= corners.size(); t += kTriangleFloats) {
        const float* triangle = corners.data() + t;
        if (!AllFinite(triangle, kTriangleFloats)) {
            ++mesh.trianglesDropped;
            continue;
        }
        float uv[6];
        if (withTexCoords)
            ProjectTriangle(triangle, uv);
        for (size_t c = 0; c < 3; ++c) {
            const float* p = triangle + c * kCornerFloats;
            // Widened floats round back exactly.
            for (double value : ToOutputAxes(p[0], p[1], p[2], axes))
                records.push_back(static_cast<float>(value));
            if (withTexCoords)
                records.insert(records.end(), uv + c * kTexCoordFloats, uv + (c + 1) * kTexCoordFloats);
        }
    }

    const size_t cornerCount = records.size() / width;
    if (cornerCount == 0)
        return mesh;
    // Corners with the same bytes become one vertex (0.0 and -0.0 stay apart,
    // so no coordinate changes sign).
    mesh.indices.resize(cornerCount);
    const size_t vertexCount = MergeEqualRecords(records.data(), cornerCount, width, mesh.indices.data());
    mesh.positions.resize(vertexCount * kCornerFloats);
    if (withTexCoords)
        mesh.texCoords.resize(vertexCount * kTexCoordFloats);
    for (size_t i = 0; i < cornerCount; ++i) {
        const float* record = &records[i * width];
        const size_t vertex = mesh.indices[i];
        std::memcpy(&mesh.positions[vertex * kCornerFloats], record, sizeof(float) * kCornerFloats);
        if (withTexCoords)
            std::memcpy(&mesh.texCoords[vertex * kTexCoordFloats], record + kCornerFloats,
                        sizeof(float) * kTexCoordFloats);
    }
    return mesh;
}

namespace {
// An object's corners from its vertices.
std::vector<float> ExpandCorners(const SceneObject& object)
{
    std::vector<float> corners;
    corners.reserve(object.indices.size() * kCornerFloats);
    for (uint32_t number : object.indices) {
        const float* p = &object.points[size_t{number} * kCornerFloats];
        corners.insert(corners.end(), p, p + kCornerFloats);
    }
    return corners;
}

// The corner path's result from a vertex list, without a corner list: the
// vertices of the kept triangles are taken in order of first use, equal ones
// merged, and the corners renumbered. Merging the points in that order gives
// the vertices the same order as merging every corner would.
IndexedMesh BuildFromPoints(const LargeVector<float>& points, const LargeVector<uint32_t>& cornerPoints,
                            AxisMode axes)
{
    IndexedMesh mesh;
    const size_t pointCount = points.size() / kCornerFloats;
    std::vector<uint8_t> finite(pointCount);
    for (size_t i = 0; i < pointCount; ++i)
        finite[i] = AllFinite(&points[i * kCornerFloats], kCornerFloats);

    constexpr uint32_t kUnused = UINT32_MAX;
    LargeVector<uint32_t> keptNumber(pointCount, kUnused);
    LargeVector<float> kept;               // x y z per kept point, output axes
    std::vector<uint32_t> corners;         // kept number per kept corner
    kept.reserve(points.size());
    corners.reserve(cornerPoints.size());
    for (size_t t = 0; t + 3 <= cornerPoints.size(); t += 3) {
        const uint32_t* triangle = &cornerPoints[t];
        if (!finite[triangle[0]] || !finite[triangle[1]] || !finite[triangle[2]]) {
            ++mesh.trianglesDropped;
            continue;
        }
        for (size_t c = 0; c < 3; ++c) {
            const uint32_t point = triangle[c];
            if (keptNumber[point] == kUnused) {
                keptNumber[point] = static_cast<uint32_t>(kept.size() / kCornerFloats);
                const float* p = &points[point * kCornerFloats];
                for (double value : ToOutputAxes(p[0], p[1], p[2], axes))
                    kept.push_back(static_cast<float>(value));
            }
            corners.push_back(keptNumber[point]);
        }
    }

    const size_t keptCount = kept.size() / kCornerFloats;
    if (keptCount == 0)
        return mesh;
    LargeVector<uint32_t> remap(keptCount);
    const size_t vertexCount = MergeEqualPoints(kept.data(), keptCount, remap.data());
    mesh.positions.resize(vertexCount * kCornerFloats);
    for (size_t i = 0; i < keptCount; ++i)
        std::memcpy(&mesh.positions[remap[i] * kCornerFloats], &kept[i * kCornerFloats], sizeof(float) * kCornerFloats);
    for (uint32_t& corner : corners)
        corner = remap[corner];
    mesh.indices = std::move(corners);
    return mesh;
}
}  // namespace

IndexedMesh BuildIndexedMesh(const SceneObject& object, AxisMode axes, bool withTexCoords)
{
    // Texture coordinates belong to triangles, not points: such a mesh is
    // indexed from its corners.
    if (withTexCoords)
        return BuildIndexedMesh(ExpandCorners(object), axes, withTexCoords);
    return BuildFromPoints(object.points, object.indices, axes);
}
