// The host as a destination of the reader: the one place that calls the
// host's scene-builder functions and makes host points.
//
// A mesh becomes one host object with one surface. Its vertices are widened
// into host points, kept until the object is closed, and each face becomes
// one GB_AddTriangle with the points of its three corners: corners that
// share a vertex share a point.
#pragma once

#include <vector>

#include "host/Point3d.h"
#include "host/TagMaterial.h"
#include "reader/LargePageAllocator.h"
#include "reader/SceneDestination.h"

class HostDestination final : public SceneDestination {
public:
    bool StartImport() override;
    void Materials(const MaterialList& fileMaterials, const std::vector<tagMaterial>& hostMaterials) override;
    void Camera(const CameraView& camera) override;
    bool BeginMesh(const MeshView& mesh) override;
    void AddFaces(std::span<const MeshFace> faces) override;
    void EndMesh() override;

    // Ends the host's import: once per chosen file, whatever became of it.
    static void EndImport();

private:
    // The working host material handed to GB_BeginSurface; the host may keep
    // its address until the object is closed.
    tagMaterial material_{};
    std::vector<Point3d, LargePageAllocator<Point3d>> points_;
};
