// Cameras of models as the host's: the eye where the node puts it, the
// target stored by kvd convert while it lies along the view, else as far
// along the view as the scene's middle; the host's fixed view unplaced.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/DefaultCamera.h"
#include "tools/models/ModelCameras.h"

namespace {

using Vector = std::array<double, 3>;

// A node at eye (glTF axes, Y up) whose -Z looks toward target.
Matrix4 LookingAt(const Vector& eye, const Vector& target)
{
    Vector back{eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    const double length = std::sqrt(back[0] * back[0] + back[1] * back[1] + back[2] * back[2]);
    for (double& c : back)
        c /= length;
    const Vector up0 = std::fabs(back[1]) > 0.99 ? Vector{1, 0, 0} : Vector{0, 1, 0};
    Vector right{up0[1] * back[2] - up0[2] * back[1], up0[2] * back[0] - up0[0] * back[2],
                 up0[0] * back[1] - up0[1] * back[0]};
    const double r = std::sqrt(right[0] * right[0] + right[1] * right[1] + right[2] * right[2]);
    for (double& c : right)
        c /= r;
    const Vector up{back[1] * right[2] - back[2] * right[1], back[2] * right[0] - back[0] * right[2],
                    back[0] * right[1] - back[1] * right[0]};
    return {right[0], right[1], right[2], 0, up[0], up[1], up[2], 0, back[0], back[1], back[2], 0,
            eye[0], eye[1], eye[2], 1};
}

// A mesh of two points, making the scene's box.
class TwoPoints final : public SourceMesh {
public:
    uint64_t pointCount() const override { return 2; }
    void ReadPoints(uint64_t, size_t count, double* xyz) const override
    {
        const double points[6] = {-2, -2, -2, 2, 2, 2};
        std::copy(points, points + count * 3, xyz);
    }
    uint64_t triangleCount() const override { return 0; }
    void ReadTriangles(uint64_t, size_t, uint32_t*) const override {}
};

TEST(ModelCameras, EyesTargetsAndTheFixedView)
{
    struct Case {
        const char* name;
        Vector eye;                      // glTF axes
        Vector lookAt;                   // glTF axes
        std::optional<Vector> stored;    // glTF axes
        double fov;
        bool placed;
        std::array<float, 3> kvdEye;
        std::array<float, 3> kvdTarget;
        bool notesFov;
    };
    const Case cases[] = {
        {"looking at the middle", {0, 0, 10}, {0, 0, 0}, std::nullopt, 22.0, true, {0, -10, 0}, {0, 0, 0}, false},
        {"a stored target along the view", {0, 0, 10}, {0, 0, 0}, Vector{0, 0, 3}, 22.0, true, {0, -10, 0},
         {0, -3, 0}, false},
        {"a stored target off the view", {0, 0, 10}, {0, 0, 0}, Vector{5, 0, 3}, 22.0, true, {0, -10, 0},
         {0, 0, 0}, false},
        {"the scene behind", {0, 0, 10}, {0, 0, 20}, std::nullopt, 22.0, true, {0, -10, 0},
         {0, -10 - static_cast<float>(std::sqrt(48.0)), 0}, false},
        {"another field of view", {0, 0, 10}, {0, 0, 0}, std::nullopt, 60.0, true, {0, -10, 0}, {0, 0, 0}, true},
        {"the host's fixed view", {kDefaultEye[0], kDefaultEye[2], -kDefaultEye[1]},
         {kDefaultTarget[0], kDefaultTarget[2], -kDefaultTarget[1]},
         Vector{kDefaultTarget[0], kDefaultTarget[2], -kDefaultTarget[1]}, 22.0, false, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelScene model;
        TwoPoints points;
        MeshInstance instance;
        instance.mesh = &points;
        model.instances.push_back(instance);
        ModelCamera camera;
        camera.name = "c";
        camera.world = LookingAt(c.eye, c.lookAt);
        camera.horizontalFovDegrees = c.fov;
        camera.storedTarget = c.stored;
        model.cameras.push_back(camera);
        PlaceCameras(model, AxisOptions{});
        ASSERT_EQ(model.scene.cameras.size(), 1u);
        const kvdfile::CameraToWrite& placed = model.scene.cameras[0];
        EXPECT_EQ(placed.placed, c.placed);
        if (c.placed) {
            for (size_t i = 0; i < 3; ++i) {
                EXPECT_NEAR(placed.eye[i], c.kvdEye[i], 1e-4) << i;
                EXPECT_NEAR(placed.target[i], c.kvdTarget[i], 1e-4) << i;
            }
        }
        EXPECT_EQ(!model.warnings.empty(), c.notesFov);
    }
}

}  // namespace
