// The host's scene-builder functions, as the plug-in calls them.
//
// All run on the thread that called go. Pointers handed to the host stay
// valid for the call, or for a mesh until its GB_EndObject has returned.
#pragma once

#include "host/HostApi.h"
#include "host/Point3d.h"
#include "host/TagMaterial.h"

#if defined(HOST_BOUND_AT_RUN_TIME)

// Each call goes through the table bound at the start of the session.
inline int GB_SceneEmpty() { return boundHost.sceneEmpty(); }
inline int GB_StartImport() { return boundHost.startImport(); }
inline void GB_EndImport() { boundHost.endImport(); }

inline int GB_SetDefaultCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return boundHost.setDefaultCamera(name, &eye, &target, fov);
}

inline int GB_AddCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return boundHost.addCamera(name, &eye, &target, fov);
}

inline int GB_BeginObject() { return boundHost.beginObject(); }
inline int GB_BeginSurface(tagMaterial* material) { return boundHost.beginSurface(material); }
inline int GB_AddTriangle(Point3d* a, Point3d* b, Point3d* c) { return boundHost.addTriangle(a, b, c); }
inline int GB_EndSurface() { return boundHost.endSurface(); }
inline int GB_EndObject() { return boundHost.endObject(); }

#else

extern HOST_FUNCTION_LINKAGE {

// Non-zero: the scene is empty and no confirmation is needed.
HOST_API int GB_SceneEmpty();
// 0: the host refuses the import and nothing may be sent.
HOST_API int GB_StartImport();
// Once per chosen file, whatever became of the import.
HOST_API void GB_EndImport();

HOST_API int GB_SetDefaultCamera(char* name, const Point3d& eye, const Point3d& target, double fov);
HOST_API int GB_AddCamera(char* name, const Point3d& eye, const Point3d& target, double fov);

// 0: object refused; no surface, triangle or GB_EndObject follows.
HOST_API int GB_BeginObject();
// 0: surface refused; no triangle or GB_EndSurface, but GB_EndObject follows.
HOST_API int GB_BeginSurface(tagMaterial* material);
HOST_API int GB_AddTriangle(Point3d* a, Point3d* b, Point3d* c);
HOST_API int GB_EndSurface();
HOST_API int GB_EndObject();

}

#endif
