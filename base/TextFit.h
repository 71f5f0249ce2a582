// Copying GBK text into a fixed-size field of the host.
#pragma once

#include <cstddef>
#include <string_view>

// How many leading bytes of text fit in room bytes without splitting a GBK
// double-byte character (a lead byte 0x81 to 0xFE and its trail byte are
// kept or dropped together). A lead byte that is the last byte of text has
// no trail and counts alone.
size_t GbkFitLength(std::string_view text, size_t room);

// Copies as much of text as fits in capacity bytes with its NUL, never
// splitting a GBK double-byte character. capacity must be at least 1.
void CopyTextToField(std::string_view text, char* field, size_t capacity);
