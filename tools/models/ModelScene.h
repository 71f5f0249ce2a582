// A model file read for the kvd writer: what every model reader (glTF, OBJ,
// the general importer) hands on, in the writer's terms where they are
// known at once (materials, cameras, the node tree) and as mesh instances
// whose points are turned into the kvd scene's world space only when the
// writer asks for them (ModelFeed.h).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "writer/SceneToWrite.h"

// A 4x4 matrix in column order, as glTF and the general importer keep them
// (transposed for the latter).
using Matrix4 = std::array<double, 16>;
inline constexpr Matrix4 kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
std::array<double, 3> TransformPoint(const Matrix4& m, const std::array<double, 3>& p);
// The direction m turns v to (no translation).
std::array<double, 3> TransformDirection(const Matrix4& m, const std::array<double, 3>& v);
// The determinant of the upper 3x3: negative for a mirroring transform.
double Determinant3(const Matrix4& m);

// One mesh of the source as it stores it: points in its own space and
// triangles as three point numbers, read in blocks.
class SourceMesh {
public:
    virtual ~SourceMesh() = default;
    virtual uint64_t pointCount() const = 0;
    // x y z of points first .. first + count - 1.
    virtual void ReadPoints(uint64_t first, size_t count, double* xyz) const = 0;
    virtual uint64_t triangleCount() const = 0;
    // Three point numbers per triangle; numbers past pointCount may come
    // from a damaged source and are the feed's to check.
    virtual void ReadTriangles(uint64_t first, size_t count, uint32_t* corners) const = 0;
    // True when the triangles name points of a list shared by other meshes
    // (an OBJ's): only the points they use go to the kvd mesh.
    virtual bool keepsOnlyUsedPoints() const { return false; }
};

// One mesh of the kvd file: a source mesh where a node of the source puts it.
struct MeshInstance {
    const SourceMesh* mesh = nullptr;
    Matrix4 world = kIdentity;
    bool identity = true;   // world is the identity: points pass untouched
    kvdfile::MeshHead head;  // name, material or own colour; counts filled by the feed
};

// A camera of the source, in the source's own axes.
struct ModelCamera {
    std::string name;          // UTF-8
    Matrix4 world = kIdentity;  // the camera looks down its local -Z, +Y up
    // The horizontal field of view in degrees, when the source gives one.
    std::optional<double> horizontalFovDegrees;
    // A target point the source stored (world space, source axes), used when
    // it lies along the view.
    std::optional<std::array<double, 3>> storedTarget;
};

// An image a material names, with the file name it is to have beside the kvd.
struct ModelImage {
    std::string name;               // UTF-8 file name wanted (no folder), may be empty
    std::vector<uint8_t> bytes;     // the encoded image as the source holds it
    std::string origin;             // for messages: where it came from
    std::filesystem::path source;   // the file it was read from, if any
};

// A map of a material that refers to an image of the model.
struct ModelMap {
    size_t material;
    size_t image;
    kvdfile::MapRole role;
    // A map name the source stored (a scene written by kvd convert keeps
    // them): the map keeps it, and the image is written under its file name.
    std::string storedName;
};

struct ModelScene {
    kvdfile::SceneToWrite scene;   // cameras are filled from `cameras` by PlaceCameras
    std::vector<std::unique_ptr<SourceMesh>> meshes;
    std::vector<MeshInstance> instances;   // NodeToWrite::mesh numbers these
    std::vector<ModelCamera> cameras;
    std::vector<ModelImage> images;
    std::vector<ModelMap> imageMaps;       // the map names are chosen with the files
    // Said to the user, each once: what was left out or changed on purpose.
    std::vector<std::string> warnings;
    // Images a material names that were not found or cannot be read.
    size_t imagesLeftOut = 0;
    // Parts of the source that are damaged and were left out.
    std::vector<std::string> damage;
    // Whatever the meshes' data lives in (a glTF's buffers), kept alive.
    std::vector<std::shared_ptr<void>> keepAlive;

    void Warn(const std::string& text);
    void Damage(const std::string& text);
};

// How source coordinates become the kvd scene's.
struct AxisOptions {
    bool keepAxes = false;   // otherwise a Y-up source turns Z-up as (x, -z, y)
    double scale = 1.0;
};

// The point of the source (world space, source axes) in the kvd scene, as
// doubles; exact for the axis change, and for a scale of 1.
std::array<double, 3> ToSceneAxes(const std::array<double, 3>& p, const AxisOptions& axes);
