// The names under which a host's main module exports its scene-builder
// functions and Point3d members, for each compiler that may have built it.
//
// The decorated names are the compilers' own, read off objects compiled from
// host/SceneBuilder.h; tests/host_names checks them against clang and
// llvm-nm for every Windows target. The names are as exported, without the
// underscore that 32-bit objects put before C and GNU names.
#pragma once

struct SceneBuilderNames {
    const char* plain;          // C linkage, whatever the compiler
    const char* microsoftX86;   // Microsoft's C++ decoration, 32-bit
    const char* microsoftX64;   // Microsoft's C++ decoration, 64-bit
};

// In the order of HostFunctionTable's fields.
inline constexpr SceneBuilderNames kSceneBuilderNames[] = {
    {"GB_SceneEmpty", "?GB_SceneEmpty@@YAHXZ", "?GB_SceneEmpty@@YAHXZ"},
    {"GB_StartImport", "?GB_StartImport@@YAHXZ", "?GB_StartImport@@YAHXZ"},
    {"GB_EndImport", "?GB_EndImport@@YAXXZ", "?GB_EndImport@@YAXXZ"},
    {"GB_SetDefaultCamera", "?GB_SetDefaultCamera@@YAHPADABVPoint3d@@1N@Z",
     "?GB_SetDefaultCamera@@YAHPEADAEBVPoint3d@@1N@Z"},
    {"GB_AddCamera", "?GB_AddCamera@@YAHPADABVPoint3d@@1N@Z", "?GB_AddCamera@@YAHPEADAEBVPoint3d@@1N@Z"},
    {"GB_BeginObject", "?GB_BeginObject@@YAHXZ", "?GB_BeginObject@@YAHXZ"},
    {"GB_BeginSurface", "?GB_BeginSurface@@YAHPAUtagMaterial@@@Z", "?GB_BeginSurface@@YAHPEAUtagMaterial@@@Z"},
    {"GB_AddTriangle", "?GB_AddTriangle@@YAHPAVPoint3d@@00@Z", "?GB_AddTriangle@@YAHPEAVPoint3d@@00@Z"},
    {"GB_EndSurface", "?GB_EndSurface@@YAHXZ", "?GB_EndSurface@@YAHXZ"},
    {"GB_EndObject", "?GB_EndObject@@YAHXZ", "?GB_EndObject@@YAHXZ"},
};

struct PointMemberNames {
    const char* microsoftX86;
    const char* microsoftX64;
    const char* gnu;   // the same on both architectures
};

// Default constructor, copy constructor, operator=, set.
inline constexpr PointMemberNames kPointMemberNames[] = {
    {"??0Point3d@@QAE@XZ", "??0Point3d@@QEAA@XZ", "_ZN7Point3dC1Ev"},
    {"??0Point3d@@QAE@ABV0@@Z", "??0Point3d@@QEAA@AEBV0@@Z", "_ZN7Point3dC1ERKS_"},
    {"??4Point3d@@QAE?AV0@V0@@Z", "??4Point3d@@QEAA?AV0@V0@@Z", "_ZN7Point3daSES_"},
    {"?set@Point3d@@QAE?AV1@NNN@Z", "?set@Point3d@@QEAA?AV1@NNN@Z", "_ZN7Point3d3setEddd"},
};
