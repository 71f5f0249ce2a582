// The file header as read; nothing looks at it after the check.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct ImportHeader {
    uint32_t firstTag = 0;
    uint32_t formatWord = 0;
    std::string headerText;
    std::array<uint32_t, 4> headerWords{};
    std::array<float, 3> headerValues{};
};
