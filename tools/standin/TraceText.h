// Pieces of a trace line: JSON values appended to a line being built.
//
// Traces are compared byte for byte, so every value has exactly one form:
// no spaces, the shortest double that reads back the same, lowercase hex.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/Point3d.h"

namespace trace {

// A JSON string: quotes, backslash and control characters escaped; other
// bytes (UTF-8) copied as they are.
void AppendString(std::string& line, std::string_view utf8);
// The bytes as a JSON string of lowercase hex digits, two per byte.
void AppendHex(std::string& line, const void* bytes, size_t size);
// The shortest decimal form that reads back to the same double; NaN and the
// infinities, which JSON has no number for, as "NaN", "Infinity", "-Infinity".
void AppendDouble(std::string& line, double value);
void AppendInt(std::string& line, int value);
// [x,y,z]
void AppendPoint(std::string& line, const Point3d& point);

// {"message":S,"hex":H}: S is the text as shown (UTF-8), H its GBK bytes.
void AppendMessageLine(std::string& line, std::string_view utf8, std::string_view gbk);

}  // namespace trace
