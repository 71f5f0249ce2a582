// The host's functions as the Windows plug-in calls them: one table, filled
// at the start of each session from the names the host's main module
// exports (plugin/HostBinding.cpp), and used by every GB_ call and Point3d
// member of the plug-in.
#pragma once

class Point3d;
struct tagMaterial;

// Member functions of the host's Point3d take their first argument in ECX
// on x86 (thiscall) with the rest on the stack, popped by the callee; x64
// has one convention. GCC applies thiscall to plain function types as
// asked, and only -Wpedantic notes that they are not members.
#if defined(__i386__)
#  define HOST_MEMBER_CALL __attribute__((thiscall))
#  pragma GCC diagnostic push
#  pragma GCC diagnostic ignored "-Wattributes"
#else
#  define HOST_MEMBER_CALL
#endif

// A Point3d passed by value to a member compiled in Microsoft's ABI: its
// bytes, copied onto the stack on x86 and to a copy passed by address on x64.
struct PointValue {
    double x;
    double y;
    double z;
};

// The Point3d members under the ABI of the compiler that built the host.
// Both return their copy through a hidden pointer: Microsoft's takes this
// first and that pointer second, GNU's the other way round.
struct MicrosoftPointMembers {
    Point3d* (HOST_MEMBER_CALL* construct)(Point3d* self);
    Point3d* (HOST_MEMBER_CALL* copy)(Point3d* self, const Point3d* other);
    Point3d* (HOST_MEMBER_CALL* assign)(Point3d* self, Point3d* result, PointValue other);
    Point3d* (HOST_MEMBER_CALL* set)(Point3d* self, Point3d* result, double x, double y, double z);
};

struct GnuPointMembers {
    void (HOST_MEMBER_CALL* construct)(Point3d* self);
    void (HOST_MEMBER_CALL* copy)(Point3d* self, const Point3d* other);
    // The argument is a copy made by the caller, passed by address.
    void (HOST_MEMBER_CALL* assign)(Point3d* result, Point3d* self, Point3d* other);
    void (HOST_MEMBER_CALL* set)(Point3d* result, Point3d* self, double x, double y, double z);
};

#if defined(__i386__)
#  pragma GCC diagnostic pop
#endif

enum class PointAbi { None, Microsoft, Gnu };

// Calls the host's members in the ABI they were found under; with none
// found, sets the three doubles itself, which is all the host's do.
struct BoundPointMembers {
    PointAbi abi = PointAbi::None;
    MicrosoftPointMembers microsoft{};
    GnuPointMembers gnu{};

    void Construct(Point3d* self) const;
    void Copy(Point3d* self, const Point3d* other) const;
    void Assign(Point3d* self, Point3d* result, Point3d& other) const;
    void Set(Point3d* self, Point3d* result, double x, double y, double z) const;
};

struct HostFunctionTable {
    int (*sceneEmpty)() = nullptr;
    int (*startImport)() = nullptr;
    void (*endImport)() = nullptr;
    int (*setDefaultCamera)(char* name, const Point3d* eye, const Point3d* target, double fov) = nullptr;
    int (*addCamera)(char* name, const Point3d* eye, const Point3d* target, double fov) = nullptr;
    int (*beginObject)() = nullptr;
    int (*beginSurface)(tagMaterial* material) = nullptr;
    int (*addTriangle)(Point3d* a, Point3d* b, Point3d* c) = nullptr;
    int (*endSurface)() = nullptr;
    int (*endObject)() = nullptr;
    BoundPointMembers point;
};

// The table of the current session (plugin/HostBinding.cpp).
extern HostFunctionTable boundHost;
