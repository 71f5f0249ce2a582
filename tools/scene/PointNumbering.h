// Numbers the host points of one object in the order of their first use,
// from the pointers the host is given. The reader hands the host the same
// pointer for corners that share a vertex, and a mesh's points lie in one
// array, so a point's number is kept in a table indexed by its distance from
// the first pointer seen: no hashing, and neighbours in the file stay
// neighbours in the table. A pointer that is not a whole number of points
// from the first, or too far from it for a table, gets no number.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Point3d.h"

class PointNumbering {
public:
    static constexpr uint32_t kNoNumber = UINT32_MAX;
    // Farthest a pointer may lie from the first, in points, on either side:
    // the vertex list of a mesh of 800 MB. Bounds the table's memory when
    // pointers come from anywhere else.
    static constexpr uint64_t kMaxDistance = uint64_t{1} << 26;

    void Reset();
    // The point's number, or kNoNumber; isNew says it was numbered just now.
    // A point numbered before, the common case, is one table look-up here.
    uint32_t Number(const Point3d* point, bool& isNew)
    {
        const auto address = reinterpret_cast<uintptr_t>(point);
        if (hasBase_ && address >= base_) {
            const uintptr_t distance = address - base_;
            const uint64_t slot = distance / sizeof(Point3d);
            if (distance % sizeof(Point3d) == 0 && slot < after_.size() && after_[slot] != 0) {
                isNew = false;
                return after_[slot] - 1;
            }
        }
        return NumberSlow(point, isNew);
    }
    uint32_t count() const { return count_; }

private:
    uint32_t NumberSlow(const Point3d* point, bool& isNew);

    uintptr_t base_ = 0;
    bool hasBase_ = false;
    // Number + 1 per slot (0: not seen) at or after the first pointer, and
    // before it.
    std::vector<uint32_t> after_;
    std::vector<uint32_t> before_;
    uint32_t count_ = 0;
};
