// The host's point: three doubles, nothing else.
#pragma once

#include "host/HostApi.h"

#if defined(HOST_BOUND_AT_RUN_TIME)
#  include "host/HostFunctionTable.h"
#endif

class HOST_API Point3d {
public:
    double x;
    double y;
    double z;

#if defined(HOST_BOUND_AT_RUN_TIME)
    // Each member calls the host's through the bound table, or does what the
    // host's does when the host exports none.
    Point3d() { boundHost.point.Construct(this); }
    Point3d(const Point3d& other) { boundHost.point.Copy(this, &other); }
    Point3d operator=(Point3d other)
    {
        Point3d result{Unset{}};
        boundHost.point.Assign(this, &result, other);
        return result;
    }
    Point3d set(double newX, double newY, double newZ)
    {
        Point3d result{Unset{}};
        boundHost.point.Set(this, &result, newX, newY, newZ);
        return result;
    }

private:
    // Storage for a copy that the host constructs.
    struct Unset {};
    explicit Point3d(Unset) {}
#else
    Point3d();
    Point3d(const Point3d& other);
    // The host's assignment and set return a copy, which callers drop.
    Point3d operator=(Point3d other);
    Point3d set(double newX, double newY, double newZ);
#endif
};

static_assert(sizeof(Point3d) == 24, "the host lays Point3d out as three doubles");

#if defined(HOST_BOUND_AT_RUN_TIME)
inline void BoundPointMembers::Construct(Point3d* self) const
{
    switch (abi) {
    case PointAbi::Microsoft:
        microsoft.construct(self);
        break;
    case PointAbi::Gnu:
        gnu.construct(self);
        break;
    case PointAbi::None:
        self->x = self->y = self->z = 0.0;
        break;
    }
}

inline void BoundPointMembers::Copy(Point3d* self, const Point3d* other) const
{
    switch (abi) {
    case PointAbi::Microsoft:
        microsoft.copy(self, other);
        break;
    case PointAbi::Gnu:
        gnu.copy(self, other);
        break;
    case PointAbi::None:
        self->x = other->x;
        self->y = other->y;
        self->z = other->z;
        break;
    }
}

// other is the by-value argument of the caller's operator=, already a copy.
inline void BoundPointMembers::Assign(Point3d* self, Point3d* result, Point3d& other) const
{
    switch (abi) {
    case PointAbi::Microsoft:
        microsoft.assign(self, result, PointValue{other.x, other.y, other.z});
        break;
    case PointAbi::Gnu:
        gnu.assign(result, self, &other);
        break;
    case PointAbi::None:
        self->x = other.x;
        self->y = other.y;
        self->z = other.z;
        result->x = other.x;
        result->y = other.y;
        result->z = other.z;
        break;
    }
}

inline void BoundPointMembers::Set(Point3d* self, Point3d* result, double newX, double newY,
                                   double newZ) const
{
    switch (abi) {
    case PointAbi::Microsoft:
        microsoft.set(self, result, newX, newY, newZ);
        break;
    case PointAbi::Gnu:
        gnu.set(result, self, newX, newY, newZ);
        break;
    case PointAbi::None:
        self->x = result->x = newX;
        self->y = result->y = newY;
        self->z = result->z = newZ;
        break;
    }
}
#endif
