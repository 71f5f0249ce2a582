// The only way the reader touches input bytes.
//
// A file is read front to back through one large block buffer filled with
// fread; an in-memory byte string is read in place. Both go through the same
// Read, so the fuzzer exercises exactly the code that reads files. A read that
// meets the end of the input reports false and leaves the buffer exhausted:
// every later read fails too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "reader/ReadProgress.h"

class InputBuffer {
public:
    static constexpr size_t kBlockSize = 256 * 1024;

    // Reads from an open stream; knownSize is the stream's length when known
    // (bounds allocations), or kUnknownSize.
    static constexpr uint64_t kUnknownSize = UINT64_MAX;
    InputBuffer(std::FILE* file, uint64_t knownSize);
    // Reads the bytes in place; they must outlive the buffer.
    InputBuffer(const uint8_t* data, size_t size);

    InputBuffer(const InputBuffer&) = delete;
    InputBuffer& operator=(const InputBuffer&) = delete;

    // Copies n bytes into dest. False when the input ended first.
    bool Read(void* dest, size_t n)
    {
        if (static_cast<size_t>(limit_ - cursor_) >= n) {
            std::memcpy(dest, cursor_, n);
            cursor_ += n;
            return true;
        }
        return ReadSlow(dest, n);
    }

    // The next n bytes in place, or nullptr when fewer are buffered right now
    // (the caller then falls back to Read). Never refills.
    const uint8_t* Peek(size_t n) const
    {
        return static_cast<size_t>(limit_ - cursor_) >= n ? cursor_ : nullptr;
    }
    void Advance(size_t n) { cursor_ += n; }
    // Bytes that Peek can hand out right now.
    size_t buffered() const { return static_cast<size_t>(limit_ - cursor_); }

    // Passes over n bytes without keeping them. False when the input ended first.
    bool Skip(uint64_t n);

    // Told of the position each time a block of the file is about to be read.
    void SetProgress(ReadProgress* progress) { progress_ = progress; }

    // Bytes consumed so far.
    uint64_t position() const { return consumedBefore_ + static_cast<uint64_t>(cursor_ - blockStart_); }
    // An upper bound on the bytes still to come; a count that claims more
    // items than this could hold is not believed when allocating.
    uint64_t remainingBound() const;

private:
    bool ReadSlow(void* dest, size_t n);
    // Whole blocks of the next n bytes straight from the file into out, one
    // fread and one progress report per block; how many were read. Only when
    // the buffer holds nothing.
    uint64_t ReadDirect(uint8_t* out, uint64_t n);
    bool Consume(uint8_t* out, uint64_t n);
    bool Refill();

    std::FILE* file_ = nullptr;
    ReadProgress* progress_ = nullptr;
    uint64_t knownSize_ = kUnknownSize;
    std::unique_ptr<uint8_t[]> block_;
    const uint8_t* blockStart_ = nullptr;
    const uint8_t* cursor_ = nullptr;
    const uint8_t* limit_ = nullptr;
    uint64_t consumedBefore_ = 0;   // bytes of earlier blocks
    bool exhausted_ = false;
};
