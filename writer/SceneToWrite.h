// A scene to be written as a kvd file, described in the writer's own plain
// terms: UTF-8 names, float points in the kvd scene's axes (Z up) and world
// space, triangles as three point numbers, materials with colours and image
// file names, cameras by eye and target, and a tree of nodes. The geometry
// is not part of the description: a MeshFeed hands each mesh over when the
// writer reaches it, so a whole scene never has to be held at once.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvdfile {

using Colour = std::array<float, 3>;
using Point = std::array<float, 3>;

// What a map of a material is for; the host shows the images of these two.
enum class MapRole : uint16_t {
    Colour = 537,   // the surface's colour image
    Bump = 550,     // a bump (height) image
};

struct MaterialMap {
    MapRole role = MapRole::Colour;
    // The image file's name as the host is to look for it (UTF-8). The host
    // shows only JPEG, BMP and TIFF images, named so (".jpg", ".bmp", ".tif").
    std::string imageFile;
};

struct MaterialToWrite {
    std::string name;   // UTF-8
    Colour ambient{0.8f, 0.8f, 0.8f};
    Colour diffuse{0.8f, 0.8f, 0.8f};
    Colour specular{0.0f, 0.0f, 0.0f};
    // Stored as the material's first value; the host takes its whole part.
    float shininess = 0.0f;
    // In order; of several maps of one role the host shows the last it can.
    std::vector<MaterialMap> maps;
};

struct CameraToWrite {
    std::string name;   // UTF-8; the host shows at most 31 bytes of GBK
    // Without a placement the host shows the camera from its fixed view.
    bool placed = true;
    Point eye{};
    Point target{};
};

// A node of the scene's tree: a mesh node (mesh >= 0) or a group.
struct NodeToWrite {
    static constexpr int64_t kGroup = -1;

    std::string name;      // UTF-8
    int64_t mesh = kGroup;  // the number MeshFeed knows the mesh by
    std::vector<NodeToWrite> children;
};

struct SceneToWrite {
    std::string title;   // UTF-8, kept in the file's header; may be empty
    std::vector<MaterialToWrite> materials;
    std::vector<CameraToWrite> cameras;   // the first is the host's default camera
    std::vector<NodeToWrite> roots;
};

// What the writer needs to know of a mesh before its geometry.
struct MeshHead {
    static constexpr int64_t kOwnColour = -1;

    // UTF-8: the mesh's name, which the host sees as an own-colour surface's.
    std::string name;
    int64_t material = kOwnColour;    // a position in SceneToWrite::materials
    Colour colour{0.8f, 0.8f, 0.8f};  // the mesh's own colour, without a material
    uint64_t pointCount = 0;
    uint64_t triangleCount = 0;
};

// Hands the writer each mesh's geometry in blocks, in the order the mesh
// nodes come in the tree (depth first). For each mesh the writer calls Begin,
// then Points and Triangles in order over the counts Begin gave, then End.
// Points are finite; a triangle's three numbers are below pointCount.
class MeshFeed {
public:
    // False: the mesh cannot be had (error() says why); the writer stops.
    virtual bool Begin(int64_t mesh, MeshHead& head) = 0;
    // x y z of points first .. first + out.size() / 3 - 1.
    virtual void Points(uint64_t first, std::span<float> out) = 0;
    // Three point numbers of triangles first .. first + out.size() / 3 - 1.
    virtual void Triangles(uint64_t first, std::span<uint32_t> out) = 0;
    virtual void End() = 0;
    virtual std::string error() const { return {}; }

protected:
    ~MeshFeed() = default;
};

}  // namespace kvdfile
