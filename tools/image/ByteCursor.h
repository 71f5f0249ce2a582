// The only way the image checks touch file bytes: every read is bounds-checked
// and a read past the end leaves the cursor failed (reads then give 0), so a
// check reads its fields and asks once whether they were all there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class ByteCursor {
public:
    explicit ByteCursor(std::span<const uint8_t> bytes, size_t position = 0) : bytes_(bytes), position_(position)
    {
        if (position_ > bytes_.size())
            Fail();
    }

    bool ok() const { return ok_; }
    size_t position() const { return position_; }
    size_t remaining() const { return bytes_.size() - position_; }

    uint8_t U8()
    {
        if (!Need(1))
            return 0;
        return bytes_[position_++];
    }
    uint16_t U16Le() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint16_t U16Be() { return static_cast<uint16_t>(U8() << 8 | U8()); }
    uint32_t U32Le() { return U16Le() | static_cast<uint32_t>(U16Le()) << 16; }
    uint32_t U32Be() { return static_cast<uint32_t>(U16Be()) << 16 | U16Be(); }

    // Moves on by count bytes; fails when fewer remain.
    bool Skip(uint64_t count)
    {
        if (!Need(count))
            return false;
        position_ += static_cast<size_t>(count);
        return true;
    }

    // The next count bytes, or an empty span (and failed) when fewer remain.
    std::span<const uint8_t> Take(uint64_t count)
    {
        if (!Need(count))
            return {};
        std::span<const uint8_t> taken = bytes_.subspan(position_, static_cast<size_t>(count));
        position_ += static_cast<size_t>(count);
        return taken;
    }

private:
    bool Need(uint64_t count)
    {
        if (ok_ && count <= remaining())
            return true;
        Fail();
        return false;
    }
    void Fail()
    {
        ok_ = false;
        position_ = bytes_.size();
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool ok_ = true;
};
