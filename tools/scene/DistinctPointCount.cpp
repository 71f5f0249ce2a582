#include "tools/scene/DistinctPointCount.h"

void DistinctPointCount::Reset()
{
    hasBase_ = false;
    after_.clear();
    before_.clear();
    count_ = 0;
}

bool DistinctPointCount::AddNew(const Point3d* point)
{
    const auto address = reinterpret_cast<uintptr_t>(point);
    if (!hasBase_) {
        base_ = address;
        hasBase_ = true;
    }
    bool added = address >= base_ ? Mark(after_, (address - base_) / sizeof(Point3d))
                                  : Mark(before_, (base_ - address) / sizeof(Point3d) - 1);
    if (added)
        ++count_;
    return added;
}

bool DistinctPointCount::Mark(std::vector<uint64_t>& bits, uint64_t slot)
{
    const uint64_t word = slot / 64;
    const uint64_t mask = uint64_t{1} << (slot % 64);
    if (word >= bits.size())
        bits.resize(word + 1 + word / 2, 0);
    if (bits[word] & mask)
        return false;
    bits[word] |= mask;
    return true;
}
