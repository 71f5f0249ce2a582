// Hears how far the reader has got in a file, once per block read: every
// few hundred KiB, never per field, so watching costs nothing measurable.
#pragma once

#include <cstdint>

class ReadProgress {
public:
    // bytesRead: bytes of the file consumed before the block about to be read.
    virtual void BlockRead(uint64_t bytesRead) = 0;

protected:
    ~ReadProgress() = default;
};
