#include "convert/HostDestination.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "base/TextFit.h"
#include "convert/MaterialConversion.h"
#include "host/SceneBuilder.h"

namespace {
// The most points one array can address; vertex counts near it exist only
// on 32-bit builds.
constexpr size_t kMaxPoints = PTRDIFF_MAX / sizeof(Point3d);
// The host's room for a camera name, its NUL included.
constexpr size_t kCameraNameField = 32;
}  // namespace

HostDestination::~HostDestination()
{
    if (points_ != nullptr)
        LargePageAllocator<Point3d>().deallocate(points_, pointCapacity_);
}

// Point3d is trivially destructible: storage is reused and released without
// ending the lives of the points in it.
Point3d* HostDestination::StorageFor(size_t pointCount)
{
    if (pointCount <= pointCapacity_)
        return points_;
    // Too many points to address is out of memory, as the session reports it.
    if (pointCount > kMaxPoints)
        throw std::bad_alloc();
    if (points_ != nullptr)
        LargePageAllocator<Point3d>().deallocate(points_, pointCapacity_);
    points_ = nullptr;
    pointCapacity_ = 0;
    points_ = LargePageAllocator<Point3d>().allocate(pointCount);
    pointCapacity_ = pointCount;
    return points_;
}

// The upper half of the points' storage, bytes [12n, 24n) for n points.
std::byte* HostDestination::VertexRoom(size_t vertexCount)
{
    if (vertexCount > kMaxPoints)
        return nullptr;
    vertexRoom_ = reinterpret_cast<std::byte*>(StorageFor(vertexCount)) + vertexCount * sizeof(MeshVertex);
    return vertexRoom_;
}

bool HostDestination::StartImport()
{
    return GB_StartImport() != 0;
}

void HostDestination::EndImport()
{
    GB_EndImport();
}

// The host hears of materials only as the material of each mesh's surface.
void HostDestination::Materials(const MaterialList& fileMaterials)
{
    hostMaterials.clear();
    ConvertMaterials(fileMaterials, hostMaterials);
}

void HostDestination::Camera(const CameraView& camera)
{
    Point3d eye;
    Point3d target;
    eye.set(camera.eye[0], camera.eye[1], camera.eye[2]);
    target.set(camera.target[0], camera.target[1], camera.target[2]);
    // The host takes the name as a writable text of its own size.
    char name[kCameraNameField];
    CopyTextToField(camera.name, name, sizeof name);
    if (camera.isDefault)
        GB_SetDefaultCamera(name, eye, target, camera.fov);
    else
        GB_AddCamera(name, eye, target, camera.fov);
}

// Each point is made as the host's own code would: one local point,
// and one copy of it per vertex into the array.
void HostDestination::Widen(std::span<const MeshVertex> vertices)
{
    Point3d* out = StorageFor(vertices.size());
    Point3d point;
    for (const MeshVertex& vertex : vertices) {
        point.x = vertex.x;
        point.y = vertex.y;
        point.z = vertex.z;
        ::new (static_cast<void*>(out++)) Point3d(point);
    }
}

// The same, from the vertex room. Point i takes bytes [24i, 24i + 24), which
// hold only floats of vertices up to i (the room starts at 12n), and vertex i
// is loaded before point i is written: no float is overwritten unread. The
// floats are loaded with memcpy, since the bytes are shared with points.
void HostDestination::WidenInPlace(size_t pointCount)
{
    const std::byte* floats = vertexRoom_;
    Point3d point;
    for (size_t i = 0; i < pointCount; ++i) {
        MeshVertex vertex;
        std::memcpy(&vertex, floats + i * sizeof(MeshVertex), sizeof vertex);
        point.x = vertex.x;
        point.y = vertex.y;
        point.z = vertex.z;
        ::new (static_cast<void*>(points_ + i)) Point3d(point);
    }
}

bool HostDestination::BeginMesh(const MeshView& mesh)
{
    // Nothing is allocated once the object is open, so running out of memory
    // never leaves an object open in the host.
    if (vertexRoom_ != nullptr && static_cast<const void*>(mesh.vertices.data()) == vertexRoom_)
        WidenInPlace(mesh.vertices.size());
    else
        Widen(mesh.vertices);
    vertexRoom_ = nullptr;
    if (mesh.fileMaterial == MeshView::kOwnColour) {
        // Every byte the default material does not define is zero.
        std::memset(&material_, 0, sizeof material_);
        BuildDefaultMaterial(mesh.name, mesh.colour, material_);
    } else {
        material_ = hostMaterials[static_cast<size_t>(mesh.fileMaterial)];
    }
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
    Point3d* base = points_;
    for (const MeshFace& face : faces)
        GB_AddTriangle(base + face.a, base + face.b, base + face.c);
}

void HostDestination::EndMesh()
{
    GB_EndSurface();
    GB_EndObject();
}
