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
    AddCorner(a);
    AddCorner(b);
    AddCorner(c);
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

void SceneCensus::AddCorner(const Point3d* corner)
{
    // A point seen before cannot grow the box.
    if (points_.Add(corner))
        result_.objects.back().bounds.Add(corner->x, corner->y, corner->z);
}
