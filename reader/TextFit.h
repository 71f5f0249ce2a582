// Copying GBK text into a fixed-size field of the host.
#pragma once

#include <cstddef>
#include <string_view>

// Copies as much of text as fits in capacity bytes with its NUL, never
// splitting a GBK double-byte character (a lead byte 0x81 to 0xFE and its
// trail byte are kept or dropped together). capacity must be at least 1.
void CopyTextToField(std::string_view text, char* field, size_t capacity);
