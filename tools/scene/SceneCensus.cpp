#include "tools/scene/SceneCensus.h"

int SceneCensus::BeginObject()
{
    result_.objects.emplace_back();
    points_.Reset();
    objectOpen_ = true;
    return 1;
}

int SceneCensus::BeginSurface(const tagMaterial& material)
{
    if (!objectOpen_)
        return 0;
    result_.objects.back().material = materials_.Intern(material);
    return 1;
}

int SceneCensus::AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c)
{
    if (!objectOpen_)
        return 0;
    // Most corners name a point seen before: an inline bit test each, and
    // only a new point can grow the box.
    if (points_.Add(a))
        AddToBounds(*a);
    if (points_.Add(b))
        AddToBounds(*b);
    if (points_.Add(c))
        AddToBounds(*c);
    ++result_.objects.back().triangles;
    ++result_.triangles;
    return 1;
}

int SceneCensus::EndObject()
{
    if (!objectOpen_)
        return 0;
    ObjectCensus& object = result_.objects.back();
    object.vertices = points_.count();
    result_.vertices += object.vertices;
    result_.bounds.Add(object.bounds);
    objectOpen_ = false;
    return 1;
}

void SceneCensus::AddToBounds(const Point3d& point)
{
    result_.objects.back().bounds.Add(point.x, point.y, point.z);
}
