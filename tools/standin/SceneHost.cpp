// The stand-in host's scene-builder functions: each forwards to the
// installed SceneHost, on the thread that called it.
#include "tools/standin/SceneHost.h"

#include "host/SceneBuilder.h"

int SceneHost::SetDefaultCamera(const char*, const Point3d&, const Point3d&, double) { return 1; }
int SceneHost::AddCamera(const char*, const Point3d&, const Point3d&, double) { return 1; }
int SceneHost::BeginSurface(const tagMaterial&) { return 1; }
int SceneHost::AddTriangle(const Point3d*, const Point3d*, const Point3d*) { return 1; }

namespace {

SceneHost* installedHost = nullptr;

[[gnu::noinline]] SceneHost& CooperativeHost()
{
    static SceneHost cooperative;
    return cooperative;
}

// Runs once per triangle: the installed host is one load, inlined into each
// GB_ function; the guarded static stays out of that path.
SceneHost& CurrentHost()
{
    return installedHost != nullptr ? *installedHost : CooperativeHost();
}

}  // namespace

SceneHost* SetSceneHost(SceneHost* host)
{
    SceneHost* previous = installedHost;
    installedHost = host;
    return previous;
}

extern "C" {

int GB_SceneEmpty() { return CurrentHost().SceneEmpty(); }
int GB_StartImport() { return CurrentHost().StartImport(); }
void GB_EndImport() { CurrentHost().EndImport(); }

int GB_SetDefaultCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return CurrentHost().SetDefaultCamera(name, eye, target, fov);
}

int GB_AddCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return CurrentHost().AddCamera(name, eye, target, fov);
}

int GB_BeginObject() { return CurrentHost().BeginObject(); }
int GB_BeginSurface(tagMaterial* material) { return CurrentHost().BeginSurface(*material); }
int GB_AddTriangle(Point3d* a, Point3d* b, Point3d* c) { return CurrentHost().AddTriangle(a, b, c); }
int GB_EndSurface() { return CurrentHost().EndSurface(); }
int GB_EndObject() { return CurrentHost().EndObject(); }

}  // extern "C"
