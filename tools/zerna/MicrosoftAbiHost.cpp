// The Microsoft-ABI part of zerna_msabi.exe: the entry point and the GB_
// functions, exported under Microsoft's C++ names, as a host built by
// Microsoft's compiler exports them. Compiled by clang for the Microsoft
// target without any runtime; its Point3d members are tools/host/Point3d.cpp
// compiled the same way. Everything else is zerna_trace.dll, built by MinGW,
// reached through plain C functions.
//
// STAND_IN_LACKS_GB_ENDSURFACE builds a host without GB_EndSurface, to
// check what the plug-in does with an incomplete host.
#define ZERNA_BUILDING_HOST
#define HOST_FUNCTION_LINKAGE "C++"
#include "host/SceneBuilder.h"

extern "C" {

__declspec(dllimport) int ZernaMain();
__declspec(dllimport) int StandInSceneEmpty();
__declspec(dllimport) int StandInStartImport();
__declspec(dllimport) void StandInEndImport();
__declspec(dllimport) int StandInSetDefaultCamera(char* name, const Point3d* eye, const Point3d* target,
                                                  double fov);
__declspec(dllimport) int StandInAddCamera(char* name, const Point3d* eye, const Point3d* target, double fov);
__declspec(dllimport) int StandInBeginObject();
__declspec(dllimport) int StandInBeginSurface(tagMaterial* material);
__declspec(dllimport) int StandInAddTriangle(Point3d* a, Point3d* b, Point3d* c);
__declspec(dllimport) int StandInEndSurface();
__declspec(dllimport) int StandInEndObject();

[[noreturn]] __declspec(dllimport) void __stdcall ExitProcess(unsigned int exitCode);

// Marks the program as using floating point; the runtime that would define
// it is left out.
int _fltused = 0;

// The program's entry point (lld-link /entry).
[[noreturn]] void HostStart()
{
    ExitProcess(static_cast<unsigned int>(ZernaMain()));
}

}  // extern "C"

int GB_SceneEmpty() { return StandInSceneEmpty(); }
int GB_StartImport() { return StandInStartImport(); }
void GB_EndImport() { StandInEndImport(); }

int GB_SetDefaultCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return StandInSetDefaultCamera(name, &eye, &target, fov);
}

int GB_AddCamera(char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return StandInAddCamera(name, &eye, &target, fov);
}

int GB_BeginObject() { return StandInBeginObject(); }
int GB_BeginSurface(tagMaterial* material) { return StandInBeginSurface(material); }
int GB_AddTriangle(Point3d* a, Point3d* b, Point3d* c) { return StandInAddTriangle(a, b, c); }
#if !defined(STAND_IN_LACKS_GB_ENDSURFACE)
int GB_EndSurface() { return StandInEndSurface(); }
#endif
int GB_EndObject() { return StandInEndObject(); }
