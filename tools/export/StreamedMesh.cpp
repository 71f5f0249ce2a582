#include "tools/export/StreamedMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/export/BoxProjection.h"
#include "tools/export/EqualPointMerge.h"

namespace {
constexpr uint32_t kNoVertex = UINT32_MAX;
// Vertices and indices leave in blocks of this many.
constexpr size_t kBlockItems = 16384;

bool AllFinite(const float* p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
}  // namespace

size_t StreamedMesh::CornerKeyHash::operator()(const CornerKey& key) const
{
    const uint64_t h = (uint64_t{key.point} * 0x9E3779B97F4A7C15ull) ^ (uint64_t{key.u} * 0xC2B2AE3D27D4EB4Full) ^
                       (uint64_t{key.v} * 0x165667B19E3779F9ull);
    return static_cast<size_t>(h ^ (h >> 31));
}

void StreamedMesh::Begin(const float* points, size_t pointCount, AxisMode axes, bool textured,
                         IndexedMeshSink& sink, size_t mergeLimit)
{
    *this = StreamedMesh();
    points_ = points;
    pointCount_ = pointCount;
    axes_ = axes;
    textured_ = textured;
    sink_ = &sink;
    merging_ = pointCount <= mergeLimit;
    // A small mesh, the common case in a scene of many, reserves only what
    // its points can fill; the blocks grow if box projection splits corners.
    const size_t blockVertices = std::min(kBlockItems, std::max<size_t>(pointCount, 1));
    positionBlock_.reserve(blockVertices * 3);
    indexBlock_.reserve(kBlockItems);
    if (textured_)
        texCoordBlock_.reserve(blockVertices * 2);

    if (merging_) {
        classOf_.resize(pointCount);
        const size_t classes = MergeEqualPoints(points, pointCount, classOf_.data());
        if (!textured_)
            vertexOfClass_.assign(classes, kNoVertex);
        return;
    }
    size_t firstFinite = 0;
    while (firstFinite < pointCount && !AllFinite(points + firstFinite * 3))
        ++firstFinite;
    substitute_ = static_cast<uint32_t>(firstFinite);
    allFinite_ = firstFinite == 0;
    for (size_t i = firstFinite; allFinite_ && i < pointCount; ++i)
        allFinite_ = AllFinite(points + i * 3);
}

bool StreamedMesh::Finite(uint32_t point) const
{
    return AllFinite(points_ + size_t{point} * 3);
}

uint32_t StreamedMesh::NewVertex(uint32_t point, const float* uv)
{
    const float* p = points_ + size_t{point} * 3;
    for (double value : ToOutputAxes(p[0], p[1], p[2], axes_))
        positionBlock_.push_back(static_cast<float>(value));
    if (uv != nullptr) {
        texCoordBlock_.push_back(uv[0]);
        texCoordBlock_.push_back(uv[1]);
    }
    if (positionBlock_.size() >= kBlockItems * 3)
        FlushVertices();
    return static_cast<uint32_t>(vertexCount_++);
}

void StreamedMesh::WriteAllPoints()
{
    pointsWritten_ = true;
    for (size_t i = 0; i < pointCount_; ++i)
        NewVertex(allFinite_ || Finite(static_cast<uint32_t>(i)) ? static_cast<uint32_t>(i) : substitute_, nullptr);
}

void StreamedMesh::AddPlainTriangle(const uint32_t* corner)
{
    if (!merging_) {
        if (!pointsWritten_)
            WriteAllPoints();
        indexBlock_.insert(indexBlock_.end(), corner, corner + 3);
        return;
    }
    for (int c = 0; c < 3; ++c) {
        uint32_t& vertex = vertexOfClass_[classOf_[corner[c]]];
        if (vertex == kNoVertex)
            vertex = NewVertex(corner[c], nullptr);
        indexBlock_.push_back(vertex);
    }
}

void StreamedMesh::AddTexturedTriangle(const uint32_t* corner)
{
    float triangle[9];
    for (int c = 0; c < 3; ++c)
        std::memcpy(triangle + c * 3, points_ + size_t{corner[c]} * 3, sizeof(float) * 3);
    float uv[6];
    ProjectTriangle(triangle, uv);
    for (int c = 0; c < 3; ++c) {
        if (!merging_) {
            indexBlock_.push_back(NewVertex(corner[c], uv + c * 2));
            continue;
        }
        const CornerKey key{classOf_[corner[c]], Bits(uv[c * 2]), Bits(uv[c * 2 + 1])};
        auto [where, inserted] = vertexOfCorner_.try_emplace(key, 0);
        if (inserted)
            where->second = NewVertex(corner[c], uv + c * 2);
        indexBlock_.push_back(where->second);
    }
}

void StreamedMesh::AddTriangles(const uint32_t* corners, size_t triangleCount)
{
    for (size_t t = 0; t < triangleCount; ++t) {
        const uint32_t* corner = corners + t * 3;
        const bool finite = (!merging_ && allFinite_) ||
                            (Finite(corner[0]) && Finite(corner[1]) && Finite(corner[2]));
        // Up to three new vertices; numbers stay below the largest 32-bit
        // value, which marks no vertex here and a restart in some readers.
        if (!finite || overflowed_ || (textured_ && vertexCount_ + 3 >= UINT32_MAX)) {
            overflowed_ = overflowed_ || finite;
            ++trianglesDropped_;
            continue;
        }
        if (textured_)
            AddTexturedTriangle(corner);
        else
            AddPlainTriangle(corner);
        ++trianglesKept_;
        if (indexBlock_.size() >= kBlockItems)
            FlushIndices();
    }
}

void StreamedMesh::FlushVertices()
{
    if (positionBlock_.empty())
        return;
    sink_->AddVertices(positionBlock_.data(), textured_ ? texCoordBlock_.data() : nullptr,
                       positionBlock_.size() / 3);
    positionBlock_.clear();
    texCoordBlock_.clear();
}

void StreamedMesh::FlushIndices()
{
    // Indices never refer to a vertex not handed on yet.
    FlushVertices();
    if (indexBlock_.empty())
        return;
    sink_->AddIndices(indexBlock_.data(), indexBlock_.size());
    indexBlock_.clear();
}

void StreamedMesh::End()
{
    if (sink_ != nullptr)
        FlushIndices();
    std::vector<uint32_t>().swap(classOf_);
    std::vector<uint32_t>().swap(vertexOfClass_);
    decltype(vertexOfCorner_)().swap(vertexOfCorner_);
    std::vector<float>().swap(positionBlock_);
    std::vector<float>().swap(texCoordBlock_);
    std::vector<uint32_t>().swap(indexBlock_);
    sink_ = nullptr;
}
