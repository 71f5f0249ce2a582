// Hands the kvd writer the mesh instances of a model file, each turned into
// the kvd scene's world space when the writer reaches it: the points of the
// one mesh being written are held (12 bytes each), the triangles are read
// from the source in blocks, twice (once to count, once to write).
//
// A triangle that names a point the mesh does not have, or whose point is
// not a finite number once placed, is left out and counted as damage of the
// source. Where the source's transform mirrors, the corners of every
// triangle are swapped, so the faces keep facing out.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/models/ModelScene.h"
#include "writer/SceneToWrite.h"

class ModelFeed final : public kvdfile::MeshFeed {
public:
    ModelFeed(ModelScene& model, const AxisOptions& axes) : model_(model), axes_(axes) {}

    bool Begin(int64_t mesh, kvdfile::MeshHead& head) override;
    void Points(uint64_t first, std::span<float> out) override;
    void Triangles(uint64_t first, std::span<uint32_t> out) override;
    void End() override;
    std::string error() const override { return error_; }

private:
    // The next triangle of the source that is kept, from the block buffer.
    bool NextKept(std::array<uint32_t, 3>& corners);
    bool Kept(const uint32_t* corners) const;

    ModelScene& model_;
    AxisOptions axes_;
    std::string error_;

    const SourceMesh* source_ = nullptr;
    bool mirrored_ = false;
    std::vector<float> points_;        // the placed points, 0 where not finite
    std::vector<bool> bad_;            // not finite once placed
    std::vector<uint32_t> usedPoints_; // with keepsOnlyUsedPoints: source numbers in order of first use
    std::vector<uint32_t> renumber_;   // source number to written number
    bool compact_ = false;
    // Reading the triangles again while writing.
    std::vector<uint32_t> block_;
    uint64_t blockFirst_ = 0;
    size_t blockAt_ = 0;
    uint64_t nextSource_ = 0;
};
