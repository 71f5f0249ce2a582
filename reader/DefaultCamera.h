// The view every camera handed on shares, and the fixed default camera of a
// file without cameras (whose view also serves a camera without placement).
#pragma once

#include <array>

inline constexpr double kCameraFov = 22.0;
inline constexpr std::array<double, 3> kDefaultEye = {2734.0, -1836.8, 3832.7};
inline constexpr std::array<double, 3> kDefaultTarget = {9706.5, 368.3, 3047.6};
// "相机1": camera 1, the name of the fixed default camera.
inline constexpr char kDefaultCameraName[] = "\xcf\xe0\xbb\xfa" "1";
