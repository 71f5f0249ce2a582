#include "convert/HostDestination.h"

#include <algorithm>
#include <cstring>

#include "host/SceneBuilder.h"

bool HostDestination::StartImport()
{
    return GB_StartImport() != 0;
}

void HostDestination::EndImport()
{
    GB_EndImport();
}

// The host hears of materials only as the material of each mesh's surface.
void HostDestination::Materials(const MaterialList&, const std::vector<tagMaterial>&) {}

void HostDestination::Camera(const CameraView& camera)
{
    Point3d eye;
    Point3d target;
    eye.set(camera.eye[0], camera.eye[1], camera.eye[2]);
    target.set(camera.target[0], camera.target[1], camera.target[2]);
    // The host takes the name as a writable text.
    char name[64];
    const size_t length = std::min(std::strlen(camera.name), sizeof name - 1);
    std::memcpy(name, camera.name, length);
    name[length] = '\0';
    if (camera.isDefault)
        GB_SetDefaultCamera(name, eye, target, camera.fov);
    else
        GB_AddCamera(name, eye, target, camera.fov);
}

bool HostDestination::BeginMesh(const MeshView& mesh)
{
    // Nothing is allocated once the object is open, so running out of memory
    // never leaves an object open in the host.
    points_.clear();
    points_.reserve(mesh.vertices.size());
    Point3d point;
    for (const MeshVertex& vertex : mesh.vertices) {
        point.x = vertex.x;
        point.y = vertex.y;
        point.z = vertex.z;
        points_.push_back(point);
    }
    material_ = mesh.hostMaterial;

    if (!GB_BeginObject())
        return false;
    if (!GB_BeginSurface(&material_)) {
        GB_EndObject();
        return false;
    }
    return true;
}

void HostDestination::AddFaces(std::span<const MeshFace> faces)
{
    Point3d* base = points_.data();
    for (const MeshFace& face : faces)
        GB_AddTriangle(base + face.a, base + face.b, base + face.c);
}

void HostDestination::EndMesh()
{
    GB_EndSurface();
    GB_EndObject();
}
