#include "tools/export/EqualPointMerge.h"

#include <cstring>
#include <vector>

#include "base/LargePageAllocator.h"

namespace {
template <size_t kWidth>
struct Entry {
    uint32_t key[kWidth];
    uint32_t numberPlusOne;   // 0: empty
};

// Fetching the entry this many records ahead hides most of the memory wait.
constexpr size_t kLookAhead = 16;

template <size_t kWidth>
uint32_t Hash(const uint32_t* key)
{
    constexpr uint64_t kFactors[] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                                     0x27D4EB2F165667C5ull, 0x94D049BB133111EBull};
    uint64_t h = 0;
    for (size_t i = 0; i < kWidth; ++i)
        h ^= uint64_t{key[i]} * kFactors[i];
    return static_cast<uint32_t>(((h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull) >> 32);
}

template <size_t kWidth>
size_t Merge(const float* records, size_t count, uint32_t* numbers)
{
    // At most two thirds full, so probe runs stay short.
    size_t capacity = 16;
    while (capacity < count + count / 2)
        capacity <<= 1;
    std::vector<Entry<kWidth>, LargePageAllocator<Entry<kWidth>>> table(capacity);
    const size_t mask = capacity - 1;

    size_t distinct = 0;
    uint32_t key[kWidth];
    uint32_t ahead[kWidth];
    for (size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count) {
            std::memcpy(ahead, records + (i + kLookAhead) * kWidth, sizeof ahead);
            __builtin_prefetch(&table[Hash<kWidth>(ahead) & mask]);
        }
        std::memcpy(key, records + i * kWidth, sizeof key);
        for (size_t slot = Hash<kWidth>(key) & mask;; slot = (slot + 1) & mask) {
            Entry<kWidth>& entry = table[slot];
            if (entry.numberPlusOne == 0) {
                std::memcpy(entry.key, key, sizeof entry.key);
                entry.numberPlusOne = static_cast<uint32_t>(++distinct);
                numbers[i] = entry.numberPlusOne - 1;
                break;
            }
            if (std::memcmp(entry.key, key, sizeof key) == 0) {
                numbers[i] = entry.numberPlusOne - 1;
                break;
            }
        }
    }
    return distinct;
}
}  // namespace

size_t MergeEqualRecords(const float* records, size_t count, size_t width, uint32_t* numbers)
{
    return width == kTexturedPointFloats ? Merge<kTexturedPointFloats>(records, count, numbers)
                                         : Merge<kPointFloats>(records, count, numbers);
}
