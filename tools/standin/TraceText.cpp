#include "tools/standin/TraceText.h"

#include <charconv>
#include <cmath>

namespace trace {

namespace {
constexpr char kHexDigits[] = "0123456789abcdef";
}

void AppendString(std::string& line, std::string_view utf8)
{
    line.push_back('"');
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': line += "\\\""; break;
        case '\\': line += "\\\\"; break;
        case '\b': line += "\\b"; break;
        case '\f': line += "\\f"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\t': line += "\\t"; break;
        default:
            if (byte < 0x20) {
                line += "\\u00";
                line.push_back(kHexDigits[byte >> 4]);
                line.push_back(kHexDigits[byte & 0xf]);
            } else {
                line.push_back(c);
            }
        }
    }
    line.push_back('"');
}

void AppendHex(std::string& line, const void* bytes, size_t size)
{
    const auto* data = static_cast<const unsigned char*>(bytes);
    line.push_back('"');
    size_t start = line.size();
    line.resize(start + 2 * size);
    for (size_t i = 0; i < size; ++i) {
        line[start + 2 * i] = kHexDigits[data[i] >> 4];
        line[start + 2 * i + 1] = kHexDigits[data[i] & 0xf];
    }
    line.push_back('"');
}

void AppendDouble(std::string& line, double value)
{
    if (std::isnan(value)) {
        line += "\"NaN\"";
        return;
    }
    if (std::isinf(value)) {
        line += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
        return;
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
}

void AppendInt(std::string& line, int value)
{
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
}

void AppendPoint(std::string& line, const Point3d& point)
{
    line.push_back('[');
    AppendDouble(line, point.x);
    line.push_back(',');
    AppendDouble(line, point.y);
    line.push_back(',');
    AppendDouble(line, point.z);
    line.push_back(']');
}

void AppendMessageLine(std::string& line, std::string_view utf8, std::string_view gbk)
{
    line += "{\"message\":";
    AppendString(line, utf8);
    line += ",\"hex\":";
    AppendHex(line, gbk.data(), gbk.size());
    line.push_back('}');
}

}  // namespace trace
