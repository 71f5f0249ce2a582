// UTF-8 names made into the GBK bytes a kvd file stores.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvdfile {

// The most text bytes a string of the file may hold; the reader takes no more.
inline constexpr size_t kMaxTextBytes = 83;

struct GbkName {
    std::string bytes;
    bool replaced = false;   // a character GBK lacks (or bad UTF-8) became '?'
    bool cut = false;        // whole characters were dropped from the end to fit
};

// The name in GBK, cut to whole characters within maxBytes.
GbkName ToGbkName(std::string_view utf8, size_t maxBytes = kMaxTextBytes);

}  // namespace kvdfile
