// Draws a scene from one camera into a picture, off-screen on the CPU (no
// display, no GPU): depth-tested, both sides of every face lit by a light at
// the eye plus ambient light, textured where a mesh has an image.
//
// Anti-aliasing: the picture is drawn at twice its width and height and
// each pixel is the mean of its four samples (a 2x2 ordered grid), since the
// off-screen driver has no multisampled buffers. The cost is four times the
// pixels, which is small next to the geometry for scenes worth rendering.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tools/render/RenderInput.h"

inline constexpr int kDefaultPictureWidth = 800;
inline constexpr int kDefaultPictureHeight = 600;
// Each side at most this many pixels: the drawing buffers are four times
// the picture and must stay well inside the driver's limits.
inline constexpr int kLargestPictureSide = 4096;
inline constexpr std::array<uint8_t, 3> kBackgroundColour = {58, 64, 74};

struct RenderOutcome {
    std::optional<RgbImage> picture;
    std::string error;   // why there is no picture
    // Triangles left out for naming a vertex the mesh does not have, or
    // for a corner that is not a finite number.
    uint64_t trianglesSkipped = 0;
};

RenderOutcome RenderPicture(const RenderScene& scene, const RenderCamera& camera, int width, int height);
