// Counts the distinct vertices of one object from the pointers the host is
// given. The reader hands the host the same pointer for corners that share a
// vertex, and the vertices of a mesh lie in one array, so one bit per array
// slot, kept relative to the first pointer seen, is enough.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Point3d.h"

class DistinctPointCount {
public:
    void Reset();
    // True when the point was not seen before in this object. A point seen
    // before, the common case, is one bit test here; the rest is AddNew.
    bool Add(const Point3d* point)
    {
        const auto address = reinterpret_cast<uintptr_t>(point);
        if (hasBase_ && address >= base_) {
            const uint64_t slot = (address - base_) / sizeof(Point3d);
            const uint64_t word = slot / 64;
            if (word < after_.size() && (after_[word] & (uint64_t{1} << (slot % 64))) != 0)
                return false;
        }
        return AddNew(point);
    }
    uint64_t count() const { return count_; }

private:
    bool AddNew(const Point3d* point);
    // Slots at or after the first pointer, and slots before it.
    static bool Mark(std::vector<uint64_t>& bits, uint64_t slot);

    uintptr_t base_ = 0;
    bool hasBase_ = false;
    std::vector<uint64_t> after_;
    std::vector<uint64_t> before_;
    uint64_t count_ = 0;
};
