#include "tools/models/ModelCameras.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "reader/DefaultCamera.h"

namespace {

using Vector = std::array<double, 3>;

Vector Minus(const Vector& a, const Vector& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

double Dot(const Vector& a, const Vector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double Length(const Vector& v)
{
    return std::sqrt(Dot(v, v));
}

bool Finite(const Vector& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

struct Box {
    Vector min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
               std::numeric_limits<double>::infinity()};
    Vector max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
               -std::numeric_limits<double>::infinity()};
    bool empty() const { return !(min[0] <= max[0]); }
};

// The box of every finite point of every mesh instance, in the kvd scene.
Box SceneBox(const ModelScene& model, const AxisOptions& axes)
{
    Box box;
    std::vector<double> read;
    constexpr size_t kBlock = 4096;
    for (const MeshInstance& instance : model.instances) {
        const uint64_t count = instance.mesh->pointCount();
        read.resize(kBlock * 3);
        for (uint64_t first = 0; first < count; first += kBlock) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, count - first));
            instance.mesh->ReadPoints(first, n, read.data());
            for (size_t i = 0; i < n; ++i) {
                Vector p{read[3 * i], read[3 * i + 1], read[3 * i + 2]};
                if (!instance.identity)
                    p = TransformPoint(instance.world, p);
                p = ToSceneAxes(p, axes);
                if (!Finite(p))
                    continue;
                for (size_t c = 0; c < 3; ++c) {
                    box.min[c] = std::min(box.min[c], p[c]);
                    box.max[c] = std::max(box.max[c], p[c]);
                }
            }
        }
    }
    return box;
}

// A stored target that still lies along the view (or is the eye itself,
// which a camera with no view direction of its own keeps).
bool AlongView(const Vector& eye, const Vector& target, const Vector& view)
{
    if (!Finite(target))
        return false;
    if (target == eye)
        return true;
    const Vector toTarget = Minus(target, eye);
    const double cosine = Dot(toTarget, view) / (Length(toTarget) * Length(view));
    return cosine > std::cos(1e-3);
}

std::array<float, 3> ToFloats(const Vector& v)
{
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

}  // namespace

void PlaceCameras(ModelScene& model, const AxisOptions& axes)
{
    std::optional<Box> box;
    size_t otherFov = 0;
    AxisOptions directionAxes = axes;
    directionAxes.scale = 1.0;
    for (const ModelCamera& source : model.cameras) {
        // The node's translation itself: no product with zeros to turn a -0 into 0.
        const Vector eye = ToSceneAxes({source.world[12], source.world[13], source.world[14]}, axes);
        const Vector view = ToSceneAxes(TransformDirection(source.world, {0.0, 0.0, -1.0}), directionAxes);
        if (!Finite(eye) || !Finite(view) || Length(view) == 0.0) {
            model.Warn("cameras placed where no finite point is were left out");
            continue;
        }
        Vector target{};
        std::optional<Vector> stored;
        if (source.storedTarget)
            stored = ToSceneAxes(*source.storedTarget, axes);
        if (stored && AlongView(eye, *stored, view)) {
            target = *stored;
        } else {
            if (!box)
                box = SceneBox(model, axes);
            const double viewLength = Length(view);
            double distance = 1.0;
            if (!box->empty()) {
                const Vector centre{(box->min[0] + box->max[0]) / 2, (box->min[1] + box->max[1]) / 2,
                                    (box->min[2] + box->max[2]) / 2};
                distance = Dot(Minus(centre, eye), view) / viewLength;
                // A scene behind the camera: a target as far as the scene is wide.
                if (!(distance > 0.0))
                    distance = std::max(1.0, Length(Minus(box->max, box->min)));
            }
            for (size_t c = 0; c < 3; ++c)
                target[c] = eye[c] + view[c] / viewLength * distance;
        }
        kvdfile::CameraToWrite camera;
        camera.name = source.name;
        if (eye == kDefaultEye && target == kDefaultTarget) {
            camera.placed = false;
        } else {
            camera.eye = ToFloats(eye);
            camera.target = ToFloats(target);
            if (!Finite({camera.eye[0], camera.eye[1], camera.eye[2]}) ||
                !Finite({camera.target[0], camera.target[1], camera.target[2]})) {
                model.Warn("cameras placed where no finite point is were left out");
                continue;
            }
        }
        if (source.horizontalFovDegrees &&
            std::fabs(*source.horizontalFovDegrees - kHostFovDegrees) > kFovToleranceDegrees)
            ++otherFov;
        model.scene.cameras.push_back(std::move(camera));
    }
    if (otherFov > 0)
        model.Warn(std::to_string(otherFov) + " cameras have another field of view than the host's " +
                   "(every camera is shown at 22 degrees across a 4:3 view)");
}
