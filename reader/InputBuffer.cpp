#include "reader/InputBuffer.h"

#include <algorithm>

InputBuffer::InputBuffer(std::FILE* file, uint64_t knownSize)
    : file_(file), knownSize_(knownSize), block_(new uint8_t[kBlockSize])
{
    blockStart_ = cursor_ = limit_ = block_.get();
}

InputBuffer::InputBuffer(const uint8_t* data, size_t size)
    : knownSize_(size), blockStart_(data), cursor_(data), limit_(data + size)
{
}

bool InputBuffer::Refill()
{
    consumedBefore_ += static_cast<uint64_t>(limit_ - blockStart_);
    blockStart_ = cursor_ = limit_ = block_.get();
    if (file_ == nullptr || exhausted_)
        return false;
    if (progress_ != nullptr)
        progress_->BlockRead(consumedBefore_);
    size_t got = std::fread(block_.get(), 1, kBlockSize, file_);
    limit_ = blockStart_ + got;
    return got > 0;
}

uint64_t InputBuffer::ReadDirect(uint8_t* out, uint64_t n)
{
    consumedBefore_ += static_cast<uint64_t>(limit_ - blockStart_);
    blockStart_ = cursor_ = limit_ = block_.get();
    uint64_t done = 0;
    while (n - done >= kBlockSize) {
        if (progress_ != nullptr)
            progress_->BlockRead(consumedBefore_);
        const size_t want = kBlockSize;
        const size_t got = std::fread(out + done, 1, want, file_);
        consumedBefore_ += got;
        done += got;
        if (got < want) {
            exhausted_ = true;
            break;
        }
    }
    return done;
}

// Takes n bytes across block boundaries, copying them to out unless it is null.
bool InputBuffer::Consume(uint8_t* out, uint64_t n)
{
    while (n > 0 && !exhausted_) {
        uint64_t available = static_cast<uint64_t>(limit_ - cursor_);
        if (available == 0) {
            // A long read, such as a vertex list, goes from the file straight
            // to its destination, block by whole block; the rest through the
            // buffer.
            if (out != nullptr && file_ != nullptr && n >= kBlockSize) {
                const uint64_t done = ReadDirect(out, n);
                out += done;
                n -= done;
                continue;
            }
            if (!Refill())
                exhausted_ = true;
            continue;
        }
        auto take = static_cast<size_t>(std::min(available, n));
        if (out != nullptr) {
            std::memcpy(out, cursor_, take);
            out += take;
        }
        cursor_ += take;
        n -= take;
    }
    return n == 0;
}

bool InputBuffer::ReadSlow(void* dest, size_t n)
{
    return Consume(static_cast<uint8_t*>(dest), n);
}

bool InputBuffer::Skip(uint64_t n)
{
    return Consume(nullptr, n);
}

uint64_t InputBuffer::remainingBound() const
{
    if (exhausted_)
        return 0;
    if (knownSize_ == kUnknownSize)
        return static_cast<uint64_t>(limit_ - cursor_) + kBlockSize;
    uint64_t at = position();
    return knownSize_ > at ? knownSize_ - at : 0;
}
