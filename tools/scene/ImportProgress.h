// Progress of one import by bytes read, for large files.
//
// The reader's position is cheap to read but is still only looked at when an
// object begins or ends and every kTrianglesPerCheck triangles (a few hundred
// KiB of faces); the sink hears of it at most once per kReportStep bytes.
#pragma once

#include <cstdint>

#include "tools/host/SceneHost.h"

class SceneReader;

class ProgressSink {
public:
    virtual void Update(uint64_t bytesRead, uint64_t totalBytes) = 0;
    // The import is over; the display, if any, goes away.
    virtual void Finish() = 0;

protected:
    ~ProgressSink() = default;
};

// Forwards every call to inner and reports the reader's position on the way.
class ProgressHost final : public SceneHost {
public:
    static constexpr uint64_t kTrianglesPerCheck = 16384;   // 192 KiB of faces
    static constexpr uint64_t kReportStep = 256 * 1024;

    ProgressHost(SceneHost& inner, const SceneReader& reader, uint64_t totalBytes, ProgressSink& sink);

    int SceneEmpty() override { return inner_.SceneEmpty(); }
    int StartImport() override { return inner_.StartImport(); }
    void EndImport() override { inner_.EndImport(); }
    int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov) override;
    int BeginObject() override;
    int BeginSurface(const tagMaterial& material) override { return inner_.BeginSurface(material); }
    int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c) override;
    int EndSurface() override { return inner_.EndSurface(); }
    int EndObject() override;

private:
    void Check();

    SceneHost& inner_;
    const SceneReader& reader_;
    uint64_t totalBytes_;
    ProgressSink& sink_;
    uint64_t trianglesUntilCheck_ = kTrianglesPerCheck;
    uint64_t lastReported_ = 0;
};
