// Appending the kvd format's little-endian values to a byte string: the one
// encoding of 16-bit words, four-byte values and length-prefixed strings
// for every writer of the format.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvdfile {

inline void PutU16(std::string& out, uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline void PutU32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void PutF32(std::string& out, float value)
{
    PutU32(out, std::bit_cast<uint32_t>(value));
}

// A count that includes the NUL, the text, then the NUL.
inline void PutString(std::string& out, std::string_view text)
{
    PutU32(out, static_cast<uint32_t>(text.size() + 1));
    out.append(text);
    out.push_back('\0');
}

// Writes value little-endian into four bytes at out.
inline void StoreU32(char* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace kvdfile
