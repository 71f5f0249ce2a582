// Merges records of floats that are equal bit for bit (0.0 and -0.0 stay
// apart, a NaN matches the same NaN), numbering the distinct records in
// order of first appearance: the numbering meshopt_generateVertexRemap gives,
// at a fraction of its time on large meshes, because a table entry holds its
// key and the entries ahead are fetched early.
#pragma once

#include <cstddef>
#include <cstdint>

// A record is a position (x y z) or a position with texture coordinates
// (x y z u v).
inline constexpr size_t kPointFloats = 3;
inline constexpr size_t kTexturedPointFloats = 5;

// records: width floats per record, width being kPointFloats or
// kTexturedPointFloats. Writes the distinct number of each record to numbers
// and returns how many distinct records there are.
size_t MergeEqualRecords(const float* records, size_t count, size_t width, uint32_t* numbers);

inline size_t MergeEqualPoints(const float* points, size_t count, uint32_t* numbers)
{
    return MergeEqualRecords(points, count, kPointFloats, numbers);
}
