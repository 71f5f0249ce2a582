// The stand-in host's installed SceneHost, which its GB_ functions forward to.
#include "tools/host/SceneHost.h"

#include "tools/host/CurrentSceneHost.h"

int SceneHost::SetDefaultCamera(const char*, const Point3d&, const Point3d&, double) { return 1; }
int SceneHost::AddCamera(const char*, const Point3d&, const Point3d&, double) { return 1; }
int SceneHost::BeginSurface(const tagMaterial&) { return 1; }
int SceneHost::AddTriangle(const Point3d*, const Point3d*, const Point3d*) { return 1; }

SceneHost* installedSceneHost = nullptr;

SceneHost& CooperativeSceneHost()
{
    static SceneHost cooperative;
    return cooperative;
}

SceneHost* SetSceneHost(SceneHost* host)
{
    SceneHost* previous = installedSceneHost;
    installedSceneHost = host;
    return previous;
}
