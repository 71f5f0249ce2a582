// What the renderer draws: plain meshes and cameras, in the scene's own
// Z-up axes, with no knowledge of files or hosts. Meshes refer to arrays
// their caller keeps alive for the length of the render.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Rows from the top, four bytes per pixel.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Rows from the top, three bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* at(int x, int y) const { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

// A camera as the host gets it: eye, target and its field-of-view value.
struct RenderCamera {
    std::array<double, 3> eye{};
    std::array<double, 3> target{};
    double fov = 22.0;
};

struct RenderMesh {
    std::span<const float> positions;     // x y z per vertex
    std::span<const uint32_t> indices;    // three per triangle
    std::array<float, 3> colour{};        // diffuse RGB, 0..1
    // When set, drawn instead of the colour, with u v per vertex.
    const RgbaImage* texture = nullptr;
    std::span<const float> texCoords;
};

struct RenderScene {
    std::vector<RenderMesh> meshes;
};
