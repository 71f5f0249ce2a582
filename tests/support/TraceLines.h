// Reading trace lines back in tests: short readable summaries, single
// fields, and the material record of a surface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/TagMaterial.h"

// The value of key in a trace line, as written: a string without its quotes
// (escapes kept), an array with its brackets, a number. "" when absent.
std::string FieldOf(std::string_view line, std::string_view key);

// The call name of a line; "message" or "go" for those lines.
std::string CallOf(std::string_view line);

// One line as a short text:
//   GB_SetDefaultCamera <name> <eye> <target>   (" fov <f>" unless 22)
//   GB_BeginSurface <material name>
//   (" -> 0" behind any call that returned 0)
//   GB_AddTriangle <a> <b> <c>
//   message <text>, go <n>, and the call name for every other call.
std::string Summary(std::string_view line);
std::vector<std::string> Summaries(const std::vector<std::string>& lines);

// How many lines are calls of this name ("message" counts messages).
int CountOf(const std::vector<std::string>& lines, std::string_view call);

using MaterialBytes = std::array<uint8_t, sizeof(tagMaterial)>;
// The host material record of a GB_BeginSurface line.
MaterialBytes MaterialBytesOf(std::string_view line);
tagMaterial MaterialOf(std::string_view line);
// The materials of every GB_BeginSurface line, in order.
std::vector<tagMaterial> SurfaceMaterials(const std::vector<std::string>& lines);

// Summaries of the usual trace lines.
inline constexpr char kStartSummary[] = "GB_StartImport";
inline constexpr char kDefaultCameraSummary[] =
    "GB_SetDefaultCamera 相机1 [2734,-1836.8,3832.7] [9706.5,368.3,3047.6]";
inline constexpr char kDamagedSummary[] = "message 文件已破坏";
