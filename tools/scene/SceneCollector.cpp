#include "tools/scene/SceneCollector.h"

namespace {
SceneCamera MakeCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    return SceneCamera{name, {eye.x, eye.y, eye.z}, {target.x, target.y, target.z}, fov};
}

void AppendCorner(std::vector<float>& corners, const Point3d& p)
{
    corners.push_back(static_cast<float>(p.x));
    corners.push_back(static_cast<float>(p.y));
    corners.push_back(static_cast<float>(p.z));
}
}  // namespace

// A second default camera replaces nothing: the host keeps them in the order
// given, and the one given as default is the first.
int SceneCollector::SetDefaultCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    scene_.cameras.insert(scene_.cameras.begin(), MakeCamera(name, eye, target, fov));
    return 1;
}

int SceneCollector::AddCamera(const char* name, const Point3d& eye, const Point3d& target, double fov)
{
    scene_.cameras.push_back(MakeCamera(name, eye, target, fov));
    return 1;
}

int SceneCollector::BeginObject()
{
    scene_.objects.emplace_back();
    return 1;
}

int SceneCollector::BeginSurface(const tagMaterial& material)
{
    if (scene_.objects.empty())
        return 0;
    scene_.objects.back().material = materials_.Intern(material);
    return 1;
}

int SceneCollector::AddTriangle(const Point3d* a, const Point3d* b, const Point3d* c)
{
    if (scene_.objects.empty())
        return 0;
    std::vector<float>& corners = scene_.objects.back().corners;
    AppendCorner(corners, *a);
    AppendCorner(corners, *b);
    AppendCorner(corners, *c);
    return 1;
}
