// Writes a scene as a kvd file the plug-in reads exactly as described:
// header, materials, cameras, then the node tree with each mesh's geometry
// drawn from a MeshFeed in blocks, so memory stays small whatever the scene.
//
// Only well-formed files come out. What the format cannot hold is fitted
// and said in the result's notes, once per kind: names become GBK ('?' for
// a character GBK lacks) cut to whole characters within 83 bytes; past
// 65535 materials or cameras the rest are left out (a mesh naming a material
// left out keeps its diffuse colour as its own); long lists of nodes go into
// groups (NodeLayout.h). What breaks the description's own promises (a
// triangle naming a point that does not exist, a point that is not a finite
// number, a mesh beyond the format's 32-bit counts) stops the writing with
// an error: the caller then throws the output away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "writer/ByteOutput.h"
#include "writer/SceneToWrite.h"

namespace kvdfile {

inline constexpr size_t kMaxMaterials = 65535;
inline constexpr size_t kMaxCameras = 65535;
// Vertex and face counts are signed 32-bit numbers in the file.
inline constexpr uint64_t kMaxMeshItems = INT32_MAX;

struct WriteResult {
    bool written = false;
    std::string error;                 // why not, when not written
    std::vector<std::string> notes;    // what was fitted to the format, in English
    uint64_t meshes = 0;
    uint64_t points = 0;
    uint64_t triangles = 0;
    uint64_t bytes = 0;
};

// Told how many bytes have gone out, now and then.
class WriteProgress {
public:
    virtual void Written(uint64_t bytes) = 0;

protected:
    ~WriteProgress() = default;
};

WriteResult WriteKvdScene(const SceneToWrite& scene, MeshFeed& feed, ByteOutput& out,
                          WriteProgress* progress = nullptr);

}  // namespace kvdfile
