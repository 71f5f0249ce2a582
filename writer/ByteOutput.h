// Where the writer's bytes go: a file being written under a temporary name,
// memory, or anything else that takes bytes in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvdfile {

class ByteOutput {
public:
    // Appends; false once anything failed (error() says why).
    virtual bool Write(const void* data, size_t size) = 0;
    virtual std::string error() const = 0;

protected:
    ~ByteOutput() = default;
};

// Bytes kept in memory.
class MemoryOutput final : public ByteOutput {
public:
    bool Write(const void* data, size_t size) override
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
        return true;
    }
    std::string error() const override { return {}; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace kvdfile
