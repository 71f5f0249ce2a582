// Refers to every host function and Point3d member through the host's own
// declarations, so that the names a compiler gives them can be read off the
// object (llvm-nm). Compiled by clang for each Windows target, never linked.
// PROBE_CXX_LINKAGE: the GB_ functions as a host with C++ linkage exports them.
#if defined(PROBE_CXX_LINKAGE)
#  define HOST_FUNCTION_LINKAGE "C++"
#endif
#include "host/SceneBuilder.h"

void UseEveryHostFunction(char* name, tagMaterial* material)
{
    Point3d a;
    Point3d b(a);
    a = b;
    a.set(1.0, 2.0, 3.0);
    GB_SceneEmpty();
    GB_StartImport();
    GB_EndImport();
    GB_SetDefaultCamera(name, a, b, 22.0);
    GB_AddCamera(name, a, b, 22.0);
    GB_BeginObject();
    GB_BeginSurface(material);
    GB_AddTriangle(&a, &b, &a);
    GB_EndSurface();
    GB_EndObject();
}
