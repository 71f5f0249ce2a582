#include "tools/scene/ImportProgress.h"

#include "reader/SceneReader.h"

ProgressHost::ProgressHost(SceneHost& inner, const SceneReader& reader, uint64_t totalBytes,
                           ProgressSink& sink)
    : inner_(inner), reader_(reader), totalBytes_(totalBytes), sink_(sink)
{
}

int ProgressHost::SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return inner_.SetDefaultCamera(name, eye, target, fov);
}

int ProgressHost::AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return inner_.AddCamera(name, eye, target, fov);
}

int ProgressHost::BeginObject()
{
    Check();
    return inner_.BeginObject();
}

int ProgressHost::AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c)
{
    if (--trianglesUntilCheck_ == 0) {
        trianglesUntilCheck_ = kTrianglesPerCheck;
        Check();
    }
    return inner_.AddTriangle(a, b, c);
}

int ProgressHost::EndObject()
{
    Check();
    return inner_.EndObject();
}

void ProgressHost::Check()
{
    const uint64_t position = reader_.position();
    if (position - lastReported_ >= kReportStep || (position > lastReported_ && position >= totalBytes_)) {
        lastReported_ = position;
        sink_.Update(position, totalBytes_);
    }
}
