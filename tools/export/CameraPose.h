// Cameras of the host (eye, target and the fixed 22.0) as cameras of files
// that place a camera by a node looking down its local -Z axis.
#pragma once

#include <array>

using Vector3 = std::array<double, 3>;
// x, y, z, w
using Quaternion = std::array<double, 4>;

// The host's camera value 22.0 is taken as the horizontal field of view in
// degrees of a 4:3 view, the shape of the host's viewport.
inline constexpr double kCameraAspectRatio = 4.0 / 3.0;

// The vertical field of view in radians for a horizontal one in degrees.
double VerticalFovRadians(double horizontalDegrees, double aspectRatio);

// The rotation that turns local -Z toward target - eye and local +Y as close
// to up as it can go. Looking straight along up, local +Y takes the axis
// least aligned with the view (x for a Y-up or Z-up scene); with eye equal
// to target the rotation is the identity.
Quaternion LookAtRotation(const Vector3& eye, const Vector3& target, const Vector3& up);

// The rotated vector, for checking a rotation.
Vector3 Rotate(const Quaternion& rotation, const Vector3& v);
