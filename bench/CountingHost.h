// A host that only counts what it receives: no work per corner, so a
// benchmark through it measures the reader and the emission, not the host.
#pragma once

#include <cstdint>

#include "tools/standin/SceneHost.h"

class CountingHost : public SceneHost {
public:
    int BeginObject() override
    {
        ++objects;
        return 1;
    }
    int BeginSurface(const tagMaterial&) override
    {
        ++surfaces;
        return 1;
    }
    int AddTriangle(const Point3d*, const Point3d*, const Point3d*) override
    {
        ++triangles;
        return 1;
    }

    uint64_t objects = 0;
    uint64_t surfaces = 0;
    uint64_t triangles = 0;
};
