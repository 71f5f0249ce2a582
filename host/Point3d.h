// The host's point: three doubles, nothing else.
#pragma once

#include "host/HostApi.h"

class HOST_API Point3d {
public:
    double x;
    double y;
    double z;

    Point3d();
    Point3d(const Point3d& other);
    // The host's assignment and set return a copy, which callers drop.
    Point3d operator=(Point3d other);
    Point3d set(double newX, double newY, double newZ);
};

static_assert(sizeof(Point3d) == 24, "the host lays Point3d out as three doubles");
