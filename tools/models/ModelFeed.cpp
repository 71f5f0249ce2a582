#include "tools/models/ModelFeed.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr size_t kBlock = size_t{1} << 14;
constexpr uint32_t kUnused = UINT32_MAX;
}  // namespace

bool ModelFeed::Kept(const uint32_t* corners) const
{
    for (int c = 0; c < 3; ++c) {
        if (corners[c] >= bad_.size() || bad_[corners[c]])
            return false;
    }
    return true;
}

bool ModelFeed::Begin(int64_t mesh, kvdfile::MeshHead& head)
{
    if (mesh < 0 || static_cast<size_t>(mesh) >= model_.instances.size()) {
        error_ = "the model has no such mesh";
        return false;
    }
    const MeshInstance& instance = model_.instances[static_cast<size_t>(mesh)];
    source_ = instance.mesh;
    mirrored_ = !instance.identity && Determinant3(instance.world) < 0.0;
    const uint64_t pointCount = source_->pointCount();
    points_.assign(pointCount * 3, 0.0f);
    bad_.assign(pointCount, false);
    std::vector<double> read(kBlock * 3);
    uint64_t nonFinite = 0;
    for (uint64_t first = 0; first < pointCount; first += kBlock) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlock, pointCount - first));
        source_->ReadPoints(first, count, read.data());
        for (size_t i = 0; i < count; ++i) {
            std::array<double, 3> p{read[3 * i], read[3 * i + 1], read[3 * i + 2]};
            if (!instance.identity)
                p = TransformPoint(instance.world, p);
            p = ToSceneAxes(p, axes_);
            float* out = &points_[(first + i) * 3];
            bool finite = true;
            for (int c = 0; c < 3; ++c) {
                out[c] = static_cast<float>(p[static_cast<size_t>(c)]);
                finite = finite && std::isfinite(out[c]);
            }
            if (!finite) {
                bad_[first + i] = true;
                out[0] = out[1] = out[2] = 0.0f;
                ++nonFinite;
            }
        }
    }

    // Count what is kept, and with a shared point list number what is used.
    compact_ = source_->keepsOnlyUsedPoints();
    usedPoints_.clear();
    if (compact_)
        renumber_.assign(pointCount, kUnused);
    const uint64_t triangleCount = source_->triangleCount();
    uint64_t kept = 0;
    uint64_t outOfRange = 0;
    uint64_t unplaceable = 0;
    block_.resize(kBlock * 3);
    for (uint64_t first = 0; first < triangleCount; first += kBlock) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlock, triangleCount - first));
        source_->ReadTriangles(first, count, block_.data());
        for (size_t t = 0; t < count; ++t) {
            const uint32_t* corners = &block_[3 * t];
            if (Kept(corners)) {
                ++kept;
                if (compact_) {
                    for (int c = 0; c < 3; ++c) {
                        if (renumber_[corners[c]] == kUnused) {
                            renumber_[corners[c]] = static_cast<uint32_t>(usedPoints_.size());
                            usedPoints_.push_back(corners[c]);
                        }
                    }
                }
            } else if (corners[0] >= pointCount || corners[1] >= pointCount || corners[2] >= pointCount) {
                ++outOfRange;
            } else {
                ++unplaceable;
            }
        }
    }
    const std::string& name = instance.head.name;
    const std::string what = name.empty() ? "a mesh" : "mesh \"" + name + "\"";
    if (outOfRange > 0)
        model_.Damage(what + ": " + std::to_string(outOfRange) +
                      " triangles name points the mesh does not have; left out");
    if (nonFinite > 0)
        model_.Damage(what + ": " + std::to_string(nonFinite) + " points are not finite numbers" +
                      (unplaceable > 0 ? "; their " + std::to_string(unplaceable) + " triangles were left out"
                                       : std::string()));

    head = instance.head;
    head.pointCount = compact_ ? usedPoints_.size() : pointCount;
    head.triangleCount = kept;
    blockFirst_ = 0;
    blockAt_ = 0;
    nextSource_ = 0;
    block_.clear();
    return true;
}

void ModelFeed::Points(uint64_t first, std::span<float> out)
{
    const size_t count = out.size() / 3;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t from = compact_ ? usedPoints_[first + i] : first + i;
        std::copy_n(&points_[from * 3], 3, &out[i * 3]);
    }
}

bool ModelFeed::NextKept(std::array<uint32_t, 3>& corners)
{
    const uint64_t triangleCount = source_->triangleCount();
    for (;;) {
        if (blockAt_ * 3 >= block_.size()) {
            if (nextSource_ >= triangleCount)
                return false;
            const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlock, triangleCount - nextSource_));
            block_.resize(count * 3);
            source_->ReadTriangles(nextSource_, count, block_.data());
            blockFirst_ = nextSource_;
            nextSource_ += count;
            blockAt_ = 0;
        }
        const uint32_t* c = &block_[3 * blockAt_++];
        if (!Kept(c))
            continue;
        corners = mirrored_ ? std::array<uint32_t, 3>{c[0], c[2], c[1]} : std::array<uint32_t, 3>{c[0], c[1], c[2]};
        if (compact_) {
            for (uint32_t& corner : corners)
                corner = renumber_[corner];
        }
        return true;
    }
}

void ModelFeed::Triangles(uint64_t /*first*/, std::span<uint32_t> out)
{
    // The writer asks for the triangles in order, each once.
    std::array<uint32_t, 3> corners{};
    for (size_t i = 0; i + 2 < out.size(); i += 3) {
        if (!NextKept(corners))
            corners = {0, 0, 0};   // cannot happen: the count came from the same source
        std::copy(corners.begin(), corners.end(), out.begin() + static_cast<ptrdiff_t>(i));
    }
}

void ModelFeed::End()
{
    source_ = nullptr;
    std::vector<float>().swap(points_);
    std::vector<bool>().swap(bad_);
    std::vector<uint32_t>().swap(usedPoints_);
    std::vector<uint32_t>().swap(renumber_);
    std::vector<uint32_t>().swap(block_);
}
