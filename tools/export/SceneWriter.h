// A converted scene written to its file while the scene is read: materials
// and cameras as they come, each mesh as its vertex list followed by its faces
// in blocks. Only the current mesh's tables are held; the geometry goes to
// temporary files beside the output, which becomes whole under its name in
// Finish or is never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tools/export/ExportOptions.h"
#include "tools/export/StreamedMesh.h"
#include "tools/scene/SceneMaterial.h"
#include "tools/scene/SceneModel.h"

class ProgressSink;

enum class OutputFormat { Glb, Gltf, Obj };

enum class WriteFailure {
    None,
    Io,         // a file could not be made or written (the system's reason kept)
    TooLarge,   // the output would pass what its format can hold
};

// The first failure of an output, kept: everything after it does nothing.
class WriteStatus {
public:
    void Fail(WriteFailure failure, const std::string& error)
    {
        if (failure_ == WriteFailure::None) {
            failure_ = failure;
            error_ = error;
        }
    }
    bool failed() const { return failure_ != WriteFailure::None; }
    WriteFailure failure() const { return failure_; }
    const std::string& error() const { return error_; }

private:
    WriteFailure failure_ = WriteFailure::None;
    std::string error_;
};

struct WriterLimits {
    // A .glb counts its bytes in 32 bits.
    uint64_t maxGlbBytes = UINT32_MAX;
    size_t mergeVertexLimit = kMergeVertexLimit;
};

class SceneWriter {
public:
    virtual ~SceneWriter() = default;

    // Makes the first temporary file; false (with error()) when it cannot.
    virtual bool Open() = 0;
    // The material's number for BeginMesh, in the order given.
    virtual int AddMaterial(const SceneMaterial& material) = 0;
    // points: x y z per point in source axes, valid until EndMesh. material:
    // a number from AddMaterial (every mesh has a material: a file's or its
    // own colour).
    virtual void BeginMesh(const float* points, size_t pointCount, int material) = 0;
    // corners: three point numbers per triangle, each below pointCount.
    virtual void AddTriangles(const uint32_t* corners, size_t triangleCount) = 0;
    virtual void EndMesh() = 0;
    virtual void AddCamera(const SceneCamera& camera) = 0;
    // Puts the output together under its name; progress hears of the bytes
    // copied. False, with nothing under the output's name touched, on failure.
    virtual bool Finish(ProgressSink* progress) = 0;

    bool failed() const { return status_.failed(); }
    WriteFailure failure() const { return status_.failure(); }
    const std::string& error() const { return status_.error(); }
    const ExportStats& stats() const { return stats_; }

protected:
    void Fail(WriteFailure failure, const std::string& error) { status_.Fail(failure, error); }

    // Ends mesh if open is set, then clears it: counts the triangles the
    // mesh dropped, and fails the output when the mesh needed more vertices
    // than 32-bit numbers can count. False when no mesh was open.
    bool EndOpenMesh(StreamedMesh& mesh, bool& open)
    {
        if (!open)
            return false;
        open = false;
        mesh.End();
        stats_.trianglesDropped += mesh.trianglesDropped();
        if (mesh.overflowed())
            Fail(WriteFailure::TooLarge, "a mesh needs more vertices than 32-bit indices can number");
        return true;
    }

    ExportStats stats_;
    WriteStatus status_;
};

std::unique_ptr<SceneWriter> MakeSceneWriter(const std::string& path, OutputFormat format,
                                             const ExportOptions& options, const WriterLimits& limits = {});
