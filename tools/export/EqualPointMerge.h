// Merges points whose three coordinates are equal bit for bit (0.0 and -0.0
// stay apart, a NaN matches the same NaN), numbering the distinct points in
// order of first appearance: the numbering meshopt_generateVertexRemap gives
// for positions alone, at a fraction of its time on large meshes, because a
// table entry holds its key and the entries ahead are fetched early.
#pragma once

#include <cstddef>
#include <cstdint>

// points: x y z per point. Writes the distinct number of each point to
// numbers and returns how many distinct points there are.
size_t MergeEqualPoints(const float* points, size_t count, uint32_t* numbers);
