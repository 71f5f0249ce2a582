#include "base/TextFit.h"

#include <cstring>

size_t GbkFitLength(std::string_view text, size_t room)
{
    size_t kept = 0;
    // Walk from the start: a trail byte can look like a lead byte, so only a
    // forward walk knows where characters begin.
    while (kept < text.size()) {
        auto byte = static_cast<unsigned char>(text[kept]);
        size_t width = (byte >= 0x81 && byte <= 0xFE && kept + 1 < text.size()) ? 2 : 1;
        if (kept + width > room)
            break;
        kept += width;
    }
    return kept;
}

void CopyTextToField(std::string_view text, char* field, size_t capacity)
{
    const size_t kept = GbkFitLength(text, capacity - 1);
    std::memcpy(field, text.data(), kept);
    field[kept] = '\0';
}
