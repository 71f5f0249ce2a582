// The file dialog's filter in the form the system's open dialog takes.
#pragma once

#include <string>
#include <string_view>

// "description|pattern|...||" becomes "description\0pattern\0...\0\0": every
// '|' turns into a NUL, and the result always ends with two NULs. The text is
// GBK, whose second byte of a character may be 0x7C, so a byte that follows a
// lead byte (0x81 to 0xFE) is kept as it is and never taken for a separator.
inline std::string SystemFilterList(std::string_view filter)
{
    std::string list;
    list.reserve(filter.size() + 2);
    for (size_t i = 0; i < filter.size(); ++i) {
        auto byte = static_cast<unsigned char>(filter[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < filter.size()) {
            list.push_back(filter[i]);
            list.push_back(filter[++i]);
        } else {
            list.push_back(byte == '|' ? '\0' : filter[i]);
        }
    }
    // A filter without its closing "||" still ends the list properly.
    while (list.size() < 2 || list[list.size() - 1] != '\0' || list[list.size() - 2] != '\0')
        list.push_back('\0');
    return list;
}
