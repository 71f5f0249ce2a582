// The stand-in host's scene-builder functions under their C names: each
// forwards to the installed SceneHost, on the thread that called it.
#include "host/SceneBuilder.h"
#include "tools/host/CurrentSceneHost.h"

extern "C" {

int GB_SceneEmpty() { return CurrentSceneHost().SceneEmpty(); }
int GB_StartImport() { return CurrentSceneHost().StartImport(); }
void GB_EndImport() { CurrentSceneHost().EndImport(); }

int GB_SetDefaultCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return CurrentSceneHost().SetDefaultCamera(name, eye, target, fov);
}

int GB_AddCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return CurrentSceneHost().AddCamera(name, eye, target, fov);
}

int GB_BeginObject() { return CurrentSceneHost().BeginObject(); }
int GB_BeginSurface(tagMaterial* material) { return CurrentSceneHost().BeginSurface(*material); }
int GB_AddTriangle(Point3d* a, Point3d* b, Point3d* c) { return CurrentSceneHost().AddTriangle(a, b, c); }
int GB_EndSurface() { return CurrentSceneHost().EndSurface(); }
int GB_EndObject() { return CurrentSceneHost().EndObject(); }

}  // extern "C"
