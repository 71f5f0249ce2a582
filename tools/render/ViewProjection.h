// The view and projection of a host camera over a scene: where a scene
// point lands in the picture. The renderer draws with these matrices and
// the tests use them to say where a point must appear.
#pragma once

#include <array>
#include <optional>

#include "tools/render/RenderInput.h"

// Column-major 4x4, as OpenGL takes it.
using Matrix4 = std::array<float, 16>;

struct SceneExtent {
    std::array<double, 3> min{};
    std::array<double, 3> max{};
    bool empty = true;
};

// The extent of every finite position of the scene's meshes.
SceneExtent MeasureScene(const RenderScene& scene);

struct ViewProjection {
    Matrix4 view{};
    Matrix4 projection{};
    double nearPlane = 0.0;
    double farPlane = 0.0;
};

// The host's value (22.0) is a horizontal field of view in degrees on its
// 4:3 view, so the vertical field is that of a 4:3 view; a picture of
// another shape shows more or less to the sides. Up is +Z (looking straight
// down or up, +X). The depth range is fitted to the scene's extent, and
// stays positive with the eye inside it.
ViewProjection MakeViewProjection(const RenderCamera& camera, double aspectRatio, const SceneExtent& extent);

// The pixel (x right, y down, from the top-left corner) where a point lands,
// or nothing when it is behind the eye or outside the picture.
std::optional<std::array<double, 2>> ProjectToPixel(const ViewProjection& view, const std::array<double, 3>& point,
                                                    int width, int height);
