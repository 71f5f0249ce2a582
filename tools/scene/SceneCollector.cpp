#include "tools/scene/SceneCollector.h"

#include <cstring>

namespace {
void AppendCorner(std::vector<float>& corners, const Point3d& p)
{
    corners.push_back(static_cast<float>(p.x));
    corners.push_back(static_cast<float>(p.y));
    corners.push_back(static_cast<float>(p.z));
}
}  // namespace

int SceneCollector::BeginObject()
{
    scene_.objects.emplace_back();
    numbering_.Reset();
    keepsPoints_ = true;
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
    SceneObject& object = scene_.objects.back();
    if (keepsPoints_) {
        const uint32_t pa = PointOf(object, a);
        const uint32_t pb = PointOf(object, b);
        const uint32_t pc = PointOf(object, c);
        if (pa != PointNumbering::kNoNumber && pb != PointNumbering::kNoNumber && pc != PointNumbering::kNoNumber) {
            object.cornerPoints.push_back(pa);
            object.cornerPoints.push_back(pb);
            object.cornerPoints.push_back(pc);
            return 1;
        }
        SwitchToCorners(object);
    }
    AppendCorner(object.corners, *a);
    AppendCorner(object.corners, *b);
    AppendCorner(object.corners, *c);
    return 1;
}

uint32_t SceneCollector::PointOf(SceneObject& object, const Point3d* point)
{
    bool isNew = false;
    const uint32_t number = numbering_.Number(point, isNew);
    if (number == PointNumbering::kNoNumber)
        return number;
    const float xyz[3] = {static_cast<float>(point->x), static_cast<float>(point->y), static_cast<float>(point->z)};
    if (isNew) {
        object.points.push_back(xyz[0]);
        object.points.push_back(xyz[1]);
        object.points.push_back(xyz[2]);
        return number;
    }
    // Bit for bit, so a NaN matches itself.
    if (std::memcmp(&object.points[size_t{number} * 3], xyz, sizeof xyz) != 0)
        return PointNumbering::kNoNumber;
    return number;
}

void SceneCollector::SwitchToCorners(SceneObject& object)
{
    keepsPoints_ = false;
    object.corners.reserve(object.corners.size() + object.cornerPoints.size() * 3);
    for (uint32_t number : object.cornerPoints) {
        const float* p = &object.points[size_t{number} * 3];
        object.corners.insert(object.corners.end(), p, p + 3);
    }
    object.points.clear();
    object.points.shrink_to_fit();
    object.cornerPoints.clear();
    object.cornerPoints.shrink_to_fit();
}
