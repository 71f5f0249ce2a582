// Decoding little-endian values from bytes; compilers turn these into plain loads.
#pragma once

#include <bit>
#include <cstdint>

inline uint16_t LoadU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline float LoadF32(const uint8_t* p)
{
    return std::bit_cast<float>(LoadU32(p));
}
