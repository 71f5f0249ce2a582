// The host as a destination of the reader: the one place that calls the
// host's scene-builder functions and makes host points.
//
// The file's materials become host material records once per import
// (hostMaterials). A mesh becomes one host object with one surface, in a
// copy of its file material's record or in a default material built from
// its name and own colour. Its vertices are widened into host points, kept
// until the object is closed, and each face becomes one GB_AddTriangle with
// the points of its three corners: corners that share a vertex share a point.
// Cameras reach the host with their names cut to the host's field.
//
// The reader reads a vertex list into the upper half of the points' own
// storage, and the points are widened in place from the front: the list
// takes no memory of its own, so a large mesh faults in a third fewer fresh
// pages, which cost more than the widening.
#pragma once

#include <cstddef>
#include <vector>

#include "host/Point3d.h"
#include "host/TagMaterial.h"
#include "base/LargePageAllocator.h"
#include "reader/SceneDestination.h"

class HostDestination final : public SceneDestination {
public:
    HostDestination() = default;
    ~HostDestination();
    HostDestination(const HostDestination&) = delete;
    HostDestination& operator=(const HostDestination&) = delete;

    bool StartImport() override;
    void Materials(const MaterialList& fileMaterials) override;
    void Camera(const CameraView& camera) override;
    std::byte* VertexRoom(size_t vertexCount) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override;

    // Ends the host's import: once per chosen file, whatever became of it.
    static void EndImport();

private:
    // Record i is made from material i of the file's list.
    std::vector<tagMaterial> hostMaterials;
    // The working host material handed to GB_BeginSurface; the host may keep
    // its address until the object is closed.
    tagMaterial material_{};

    // Storage for pointCapacity_ points, kept for the next mesh; the points
    // of the open mesh are constructed at its front.
    Point3d* StorageFor(size_t pointCount);
    void WidenInPlace(size_t pointCount);
    void Widen(std::span<const MeshVertex> vertices);
    Point3d* points_ = nullptr;
    size_t pointCapacity_ = 0;
    // The room offered for the vertex list of the next mesh, or nullptr.
    std::byte* vertexRoom_ = nullptr;
};
