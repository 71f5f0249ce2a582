// Meshes held in arrays by the caller, handed to the writer as they are.
#pragma once

#include <algorithm>
#include <span>
#include <vector>

#include "writer/SceneToWrite.h"

namespace kvdfile {

struct MeshArrays {
    std::string name;                         // UTF-8
    int64_t material = MeshHead::kOwnColour;
    Colour colour{0.8f, 0.8f, 0.8f};
    std::span<const float> points;            // x y z per point
    std::span<const uint32_t> triangles;      // three point numbers per triangle
};

// Mesh n of a node is meshes[n]; the arrays must live until the writer is done.
class ArrayMeshFeed final : public MeshFeed {
public:
    explicit ArrayMeshFeed(std::vector<MeshArrays> meshes) : meshes_(std::move(meshes)) {}

    bool Begin(int64_t mesh, MeshHead& head) override
    {
        if (mesh < 0 || static_cast<size_t>(mesh) >= meshes_.size())
            return false;
        current_ = &meshes_[static_cast<size_t>(mesh)];
        head.name = current_->name;
        head.material = current_->material;
        head.colour = current_->colour;
        head.pointCount = current_->points.size() / 3;
        head.triangleCount = current_->triangles.size() / 3;
        return true;
    }
    void Points(uint64_t first, std::span<float> out) override
    {
        std::copy_n(current_->points.begin() + static_cast<ptrdiff_t>(first * 3), out.size(), out.begin());
    }
    void Triangles(uint64_t first, std::span<uint32_t> out) override
    {
        std::copy_n(current_->triangles.begin() + static_cast<ptrdiff_t>(first * 3), out.size(), out.begin());
    }
    void End() override { current_ = nullptr; }
    std::string error() const override { return "the scene has no such mesh"; }

private:
    std::vector<MeshArrays> meshes_;
    const MeshArrays* current_ = nullptr;
};

}  // namespace kvdfile
