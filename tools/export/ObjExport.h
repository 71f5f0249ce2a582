// The scene as Wavefront OBJ with its MTL material library, written while it
// is read: one object per mesh, one material per material given (Ka, Kd, Ks
// from the three colours, map_Kd and map_bump from the two textures), names
// in UTF-8. OBJ has no cameras.
//
// Each mesh's vertices go to the OBJ's temporary file as they are made, its
// texture coordinates and faces to two more that are appended after them
// when the mesh ends, so every object reads v, vt, usemtl, f in that order.
// The .mtl is written in Finish, and renamed into place before the OBJ.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tools/export/SceneWriter.h"
#include "tools/export/TemporaryFile.h"

class ObjStreamWriter final : public SceneWriter, private IndexedMeshSink {
public:
    ObjStreamWriter(std::string path, const ExportOptions& options, const WriterLimits& limits = {});

    bool Open() override;
    int AddMaterial(const SceneMaterial& material) override;
    void BeginMesh(const float* points, size_t pointCount, int material) override;
    void AddTriangles(const uint32_t* corners, size_t triangleCount) override;
    void EndMesh() override;
    void AddCamera(const SceneCamera&) override {}
    bool Finish(ProgressSink* progress) override;

private:
    void AddVertices(const float* positions, const float* texCoords, size_t count) override;
    void AddIndices(const uint32_t* indices, size_t count) override;
    bool Put(TemporaryFile& file, const std::string& text);
    void NameLibrary();

    std::string path_;
    std::string mtlPath_;
    ExportOptions options_;
    WriterLimits limits_;
    TemporaryFile obj_;
    TemporaryFile texCoords_;
    TemporaryFile faces_;
    std::vector<SceneMaterial> materials_;
    std::vector<std::string> materialNames_;
    std::vector<bool> materialTextured_;
    std::set<std::string> takenNames_;
    bool libraryNamed_ = false;

    StreamedMesh mesh_;
    bool meshOpen_ = false;
    size_t meshMaterial_ = 0;
    bool meshTextured_ = false;
    uint64_t objects_ = 0;
    // OBJ counts vertices and texture coordinates from 1 across the file.
    uint64_t firstVertex_ = 1;
    uint64_t firstTexCoord_ = 1;
    std::string text_;
};

// A name usable as one OBJ/MTL token: UTF-8, whitespace and control
// characters replaced by '_', never empty.
std::string ObjToken(const std::string& utf8, const std::string& fallback);
