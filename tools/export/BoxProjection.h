// Texture coordinates for meshes that have none: each triangle takes the two
// source axes across which it faces most directly (Z up), one texture tile per
// kTextureTileSize scene units, so texture scale follows the scene and does
// not stretch with the object.
#pragma once

inline constexpr double kTextureTileSize = 500.0;

// t: the triangle's three corners, x y z each, in source axes. Writes u v for
// each corner; the image stands upright on walls and is not mirrored on faces
// that look the other way.
void ProjectTriangle(const float* t, float* uv);
