#include "tools/scene/PointNumbering.h"

void PointNumbering::Reset()
{
    hasBase_ = false;
    after_.clear();
    before_.clear();
    count_ = 0;
}

uint32_t PointNumbering::NumberSlow(const Point3d* point, bool& isNew)
{
    isNew = false;
    const auto address = reinterpret_cast<uintptr_t>(point);
    if (!hasBase_) {
        base_ = address;
        hasBase_ = true;
    }
    const bool onOrAfter = address >= base_;
    const uintptr_t distance = onOrAfter ? address - base_ : base_ - address;
    if (distance % sizeof(Point3d) != 0 || distance / sizeof(Point3d) >= kMaxDistance || count_ == kNoNumber - 1)
        return kNoNumber;
    std::vector<uint32_t>& table = onOrAfter ? after_ : before_;
    const uint64_t slot = onOrAfter ? distance / sizeof(Point3d) : distance / sizeof(Point3d) - 1;
    if (slot >= table.size())
        table.resize(slot + 1 + slot / 2, 0);
    if (table[slot] == 0) {
        table[slot] = ++count_;
        isNew = true;
    }
    return table[slot] - 1;
}
