// The stand-in host's behaviour behind the GB_ functions.
//
// The GB_ functions and Point3d members that the stand-in host library
// defines forward every call to the current SceneHost; programs and tests
// install the one they need (a trace, a checking host, a counting host).
#pragma once

#include "host/Point3d.h"
#include "host/TagMaterial.h"

class SceneHost {
public:
    virtual ~SceneHost() = default;

    virtual int SceneEmpty() { return 1; }
    virtual int StartImport() { return 1; }
    virtual void EndImport() {}
    virtual int SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov);
    virtual int AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov);
    virtual int BeginObject() { return 1; }
    virtual int BeginSurface(const tagMaterial& material);
    virtual int AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c);
    virtual int EndSurface() { return 1; }
    virtual int EndObject() { return 1; }
};

// Installs the host the GB_ functions forward to (nullptr: one that answers
// 1 to everything and keeps nothing). Returns the previous one.
SceneHost* SetSceneHost(SceneHost* host);
