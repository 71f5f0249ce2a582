// The host's point operations, exported for the plug-in.
#include "host/Point3d.h"

Point3d::Point3d() : x(0.0), y(0.0), z(0.0) {}

Point3d::Point3d(const Point3d& other) = default;

Point3d Point3d::operator=(Point3d other)
{
    x = other.x;
    y = other.y;
    z = other.z;
    return *this;
}

Point3d Point3d::set(double newX, double newY, double newZ)
{
    x = newX;
    y = newY;
    z = newZ;
    return *this;
}
