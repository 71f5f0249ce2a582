// The view every camera given to the host shares, and the fixed view of a
// file without cameras (also of a camera without placement).
#pragma once

#include <array>

inline constexpr double kCameraFov = 22.0;
inline constexpr std::array<double, 3> kDefaultEye = {2734.0, -1836.8, 3832.7};
inline constexpr std::array<double, 3> kDefaultTarget = {9706.5, 368.3, 3047.6};
