#include "tests/support/TraceLines.h"

#include <algorithm>
#include <cstring>

namespace {

// Where the value of key starts in line, or npos.
size_t ValueStart(std::string_view line, std::string_view key)
{
    std::string pattern = "\"" + std::string(key) + "\":";
    size_t at = line.find(pattern);
    return at == std::string_view::npos ? at : at + pattern.size();
}

uint8_t HexDigit(char c)
{
    return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10);
}

}  // namespace

std::string CallOf(std::string_view line)
{
    if (line.starts_with("{\"message\":"))
        return "message";
    if (line.starts_with("{\"go\":"))
        return "go";
    return FieldOf(line, "call");
}

std::string FieldOf(std::string_view line, std::string_view key)
{
    size_t start = ValueStart(line, key);
    if (start == std::string_view::npos || start >= line.size())
        return "";
    if (line[start] == '"') {
        size_t end = start + 1;
        while (end < line.size() && line[end] != '"')
            end += line[end] == '\\' ? 2 : 1;
        return std::string(line.substr(start + 1, end - start - 1));
    }
    if (line[start] == '[')
        return std::string(line.substr(start, line.find(']', start) - start + 1));
    size_t end = line.find_first_of(",}", start);
    return std::string(line.substr(start, end - start));
}

std::string Summary(std::string_view line)
{
    std::string call = CallOf(line);
    std::string summary = call;
    if (call == "message") {
        summary += " " + FieldOf(line, "message");
    } else if (call == "go") {
        summary += " " + FieldOf(line, "go");
    } else if (call == "GB_SetDefaultCamera" || call == "GB_AddCamera") {
        summary += " " + FieldOf(line, "name") + " " + FieldOf(line, "eye") + " " +
                   FieldOf(line, "target");
        if (FieldOf(line, "fov") != "22")
            summary += " fov " + FieldOf(line, "fov");
    } else if (call == "GB_BeginSurface") {
        tagMaterial material = MaterialOf(line);
        summary += " " + std::string(material.name, strnlen(material.name, sizeof material.name));
    } else if (call == "GB_AddTriangle") {
        summary += " " + FieldOf(line, "a") + " " + FieldOf(line, "b") + " " + FieldOf(line, "c");
    }
    if (FieldOf(line, "result") == "0")
        summary += " -> 0";
    return summary;
}

std::vector<std::string> Summaries(const std::vector<std::string>& lines)
{
    std::vector<std::string> summaries;
    for (const std::string& line : lines)
        summaries.push_back(Summary(line));
    return summaries;
}

int CountOf(const std::vector<std::string>& lines, std::string_view call)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                           [&](const std::string& line) { return CallOf(line) == call; }));
}

MaterialBytes MaterialBytesOf(std::string_view line)
{
    std::string hex = FieldOf(line, "material_hex");
    MaterialBytes bytes{};
    for (size_t i = 0; i < bytes.size() && 2 * i + 1 < hex.size(); ++i)
        bytes[i] = static_cast<uint8_t>(HexDigit(hex[2 * i]) << 4 | HexDigit(hex[2 * i + 1]));
    return bytes;
}

tagMaterial MaterialOf(std::string_view line)
{
    MaterialBytes bytes = MaterialBytesOf(line);
    tagMaterial material;
    std::memcpy(&material, bytes.data(), sizeof material);
    return material;
}

std::vector<tagMaterial> SurfaceMaterials(const std::vector<std::string>& lines)
{
    std::vector<tagMaterial> materials;
    for (const std::string& line : lines) {
        if (CallOf(line) == "GB_BeginSurface")
            materials.push_back(MaterialOf(line));
    }
    return materials;
}
