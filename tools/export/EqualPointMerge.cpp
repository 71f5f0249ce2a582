#include "tools/export/EqualPointMerge.h"

#include <cstring>
#include <vector>

#include "reader/LargePageAllocator.h"

namespace {
struct Entry {
    uint32_t key[3];
    uint32_t numberPlusOne;   // 0: empty
};

// Fetching the entry this many points ahead hides most of the memory wait.
constexpr size_t kLookAhead = 16;

uint32_t Hash(const uint32_t* key)
{
    uint64_t h = (uint64_t{key[0]} * 0x9E3779B97F4A7C15ull) ^ (uint64_t{key[1]} * 0xC2B2AE3D27D4EB4Full) ^
                 (uint64_t{key[2]} * 0x165667B19E3779F9ull);
    return static_cast<uint32_t>(((h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull) >> 32);
}
}  // namespace

size_t MergeEqualPoints(const float* points, size_t count, uint32_t* numbers)
{
    // At most two thirds full, so probe runs stay short.
    size_t capacity = 16;
    while (capacity < count + count / 2)
        capacity <<= 1;
    std::vector<Entry, LargePageAllocator<Entry>> table(capacity);
    const size_t mask = capacity - 1;

    size_t distinct = 0;
    uint32_t key[3];
    uint32_t ahead[3];
    for (size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count) {
            std::memcpy(ahead, points + (i + kLookAhead) * 3, sizeof ahead);
            __builtin_prefetch(&table[Hash(ahead) & mask]);
        }
        std::memcpy(key, points + i * 3, sizeof key);
        for (size_t slot = Hash(key) & mask;; slot = (slot + 1) & mask) {
            Entry& entry = table[slot];
            if (entry.numberPlusOne == 0) {
                std::memcpy(entry.key, key, sizeof entry.key);
                entry.numberPlusOne = static_cast<uint32_t>(++distinct);
                numbers[i] = entry.numberPlusOne - 1;
                break;
            }
            if (entry.key[0] == key[0] && entry.key[1] == key[1] && entry.key[2] == key[2]) {
                numbers[i] = entry.numberPlusOne - 1;
                break;
            }
        }
    }
    return distinct;
}
