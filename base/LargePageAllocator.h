// The allocator of the large arrays of an import: a mesh's vertex list, and
// in the kvd tool the arrays that hold a whole mesh.
//
// On Linux an array of 2 MiB or more gets a mapping of its own, marked for
// transparent huge pages: filling it then costs one page fault per 2 MiB
// instead of one per 4 KiB. For a large mesh those faults cost more than
// reading the file. Smaller arrays, and other systems, use the ordinary heap.
// A mapping that fails throws std::bad_alloc, as operator new does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

template <class T>
class LargePageAllocator {
public:
    using value_type = T;

    LargePageAllocator() = default;
    template <class U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n)
    {
        size_t bytes = n * sizeof(T);   // n is at most max_size(): no overflow
#if defined(__linux__)
        if (bytes >= kHugePage)
            return static_cast<T*>(MapHuge(MappedLength(bytes)));
#endif
        return static_cast<T*>(::operator new(bytes));
    }

    void deallocate(T* p, size_t n) noexcept
    {
        [[maybe_unused]] size_t bytes = n * sizeof(T);   // used on Linux only
#if defined(__linux__)
        if (bytes >= kHugePage) {
            munmap(p, MappedLength(bytes));
            return;
        }
#endif
        ::operator delete(p);
    }

    template <class U>
    bool operator==(const LargePageAllocator<U>&) const noexcept
    {
        return true;
    }

private:
    static constexpr size_t kHugePage = size_t{2} << 20;

    static size_t MappedLength(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

#if defined(__linux__)
    // A mapping of length bytes that starts on a huge-page boundary, so that
    // every 2 MiB of it can be one huge page. Fails as operator new does.
    // Out of line, so that growing a vector stays off its push_back path.
    [[gnu::noinline]] static void* MapHuge(size_t length)
    {
        size_t padded = length + kHugePage;
        void* raw = mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            throw std::bad_alloc();
        auto start = reinterpret_cast<uintptr_t>(raw);
        uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
        if (aligned > start)
            munmap(raw, aligned - start);
        size_t tail = padded - (aligned - start) - length;
        if (tail > 0)
            munmap(reinterpret_cast<void*>(aligned + length), tail);
        // Advice only: without transparent huge pages this is a plain mapping.
        madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
};

// The same allocation, but a vector that grows with resize leaves its new
// trivial elements unset instead of zeroing them: for arrays that are filled
// right after they grow, such as the vertex list read from the file.
template <class T>
class UninitialisedLargePageAllocator : public LargePageAllocator<T> {
public:
    template <class U>
    struct rebind {
        using other = UninitialisedLargePageAllocator<U>;
    };

    UninitialisedLargePageAllocator() = default;
    template <class U>
    UninitialisedLargePageAllocator(const UninitialisedLargePageAllocator<U>&) noexcept
    {
    }

    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
