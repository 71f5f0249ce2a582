// Where the reader hands on what it reads, as it reads it.
//
// One import calls, in file order:
//   StartImport once, after an accepted header (false: nothing follows);
//   Materials once, right after the material section;
//   Camera for each camera, or once for the fixed default camera;
//   for each node entry of the object section, BeginNode, then the node's
//   mesh (for a mesh node) and its children's entries, then EndNode;
//   for each mesh whose vertex list the bytes left can hold, VertexRoom
//   before the list is read;
//   for each mesh whose geometry block is complete up to its faces:
//     BeginMesh; when it accepts, AddFaces for each block of faces as the
//     blocks are read, then EndMesh (also when the input ends inside the
//     faces). A refused mesh gets neither: the reader reads past its faces
//     and stays in step with the file.
// Every BeginNode gets its EndNode, also when the input ends inside the node.
//
// Everything handed over (texts, vertex lists, face blocks, records) lives
// only for the call, or for a mesh from BeginMesh until EndMesh has
// returned; a destination copies what it keeps. Memory of the reader stays
// in proportion to the largest vertex list: faces are never held whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "reader/MaterialRecords.h"

// One vertex of a mesh, the three floats as the file stores them.
struct MeshVertex {
    float x;
    float y;
    float z;
};
static_assert(sizeof(MeshVertex) == 12, "a vertex is the file's 12 bytes");

// One triangle: three positions in the mesh's vertex list, corners in file
// order. Every index is below the size of the list: a face that names a
// vertex outside it is left out by the reader.
struct MeshFace {
    uint32_t a;
    uint32_t b;
    uint32_t c;
};

// A camera: the first of an import is the default camera.
struct CameraView {
    std::string_view name;        // GBK, as the file stores it
    std::array<double, 3> eye;    // widened floats, or the fixed default view
    std::array<double, 3> target;
    double fov;
    bool isDefault;
    // The fixed default camera given for a file that has no camera.
    bool isFixed = false;
};

// A node entry of the object section.
struct NodeView {
    std::string_view label;   // GBK
    // A mesh node: its mesh is handed on next (unless its geometry block
    // stops early), before any of its children.
    bool isMesh;
};

// A mesh, handed on once its vertices are read and before its faces.
struct MeshView {
    // The mesh names no material of the file: it has its own colour (it
    // names no material, or a position beyond the file's list).
    static constexpr int32_t kOwnColour = -1;

    std::string_view name;        // GBK
    // Position of the mesh's material in the file's list, or kOwnColour.
    int32_t fileMaterial;
    // With kOwnColour: the mesh's colour (a neutral grey for a position
    // beyond the list). Otherwise unused.
    std::array<float, 3> colour;
    std::span<const MeshVertex> vertices;
    // The face count of the file, believed only as far as the bytes left can
    // hold faces: at least as many faces as will arrive. For reserving.
    uint64_t faceCountBound;
};

class SceneDestination {
public:
    // The import may go on; false: nothing more is read or handed on.
    virtual bool StartImport() { return true; }
    // The file's materials in file order: a mesh's fileMaterial is a
    // position in this list.
    virtual void Materials(const MaterialList& fileMaterials) = 0;
    virtual void Camera(const CameraView& camera) = 0;
    virtual void BeginNode(const NodeView& /*node*/) {}
    virtual void EndNode() {}
    // Room for the vertex list of the next mesh, vertexCount vertices of 12
    // bytes each (the file's floats, as MeshVertex lays them out), or nullptr
    // for the reader to use its own array. A destination that turns the list
    // into something larger can offer part of that, and so spare the memory
    // and page faults of a second copy. When the list was read there,
    // BeginMesh's vertices start at the room, which the destination keeps
    // until EndMesh; the room holds the file's bytes, not MeshVertex objects,
    // so the destination reads it with memcpy. A mesh that goes no further
    // gets no BeginMesh after its VertexRoom.
    virtual std::byte* VertexRoom(size_t /*vertexCount*/) { return nullptr; }
    // True: the faces follow. False: the mesh is refused.
    virtual bool BeginMesh(const MeshView& mesh) = 0;
    // The next faces of the open mesh, in file order; never empty.
    virtual void AddFaces(std::span<const MeshFace> faces) = 0;
    virtual void EndMesh() = 0;

protected:
    ~SceneDestination() = default;
};
