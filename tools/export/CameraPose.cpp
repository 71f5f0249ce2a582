#include "tools/export/CameraPose.h"

#include <cmath>
#include <numbers>

namespace {
double Dot(const Vector3& a, const Vector3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// False when v is too short to have a direction.
bool Normalize(Vector3& v)
{
    const double length = std::sqrt(Dot(v, v));
    if (!(length > 1e-12) || !std::isfinite(length))
        return false;
    for (double& c : v)
        c /= length;
    return true;
}

// The unit vector along the axis on which v is shortest: never parallel to v.
Vector3 LeastAlignedAxis(const Vector3& v)
{
    int axis = 0;
    for (int i = 1; i < 3; ++i) {
        if (std::fabs(v[i]) < std::fabs(v[axis]))
            axis = i;
    }
    Vector3 result{0.0, 0.0, 0.0};
    result[axis] = 1.0;
    return result;
}

// The quaternion of the rotation whose matrix has columns x, y, z.
Quaternion FromBasis(const Vector3& x, const Vector3& y, const Vector3& z)
{
    const double m00 = x[0], m11 = y[1], m22 = z[2];
    const double trace = m00 + m11 + m22;
    Quaternion q;
    if (trace > 0.0) {
        const double s = std::sqrt(trace + 1.0) * 2.0;
        q = {(y[2] - z[1]) / s, (z[0] - x[2]) / s, (x[1] - y[0]) / s, 0.25 * s};
    } else if (m00 > m11 && m00 > m22) {
        const double s = std::sqrt(1.0 + m00 - m11 - m22) * 2.0;
        q = {0.25 * s, (y[0] + x[1]) / s, (z[0] + x[2]) / s, (y[2] - z[1]) / s};
    } else if (m11 > m22) {
        const double s = std::sqrt(1.0 + m11 - m00 - m22) * 2.0;
        q = {(y[0] + x[1]) / s, 0.25 * s, (z[1] + y[2]) / s, (z[0] - x[2]) / s};
    } else {
        const double s = std::sqrt(1.0 + m22 - m00 - m11) * 2.0;
        q = {(z[0] + x[2]) / s, (z[1] + y[2]) / s, 0.25 * s, (x[1] - y[0]) / s};
    }
    // One sign for the same rotation, and exactly unit length.
    if (q[3] < 0.0) {
        for (double& c : q)
            c = -c;
    }
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q)
        c /= length;
    return q;
}
}  // namespace

double VerticalFovRadians(double horizontalDegrees, double aspectRatio)
{
    const double horizontal = horizontalDegrees * std::numbers::pi / 180.0;
    return 2.0 * std::atan(std::tan(horizontal / 2.0) / aspectRatio);
}

Quaternion LookAtRotation(const Vector3& eye, const Vector3& target, const Vector3& up)
{
    Vector3 forward{target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    if (!Normalize(forward))
        return {0.0, 0.0, 0.0, 1.0};
    const Vector3 back{-forward[0], -forward[1], -forward[2]};
    Vector3 right = Cross(up, back);
    if (!Normalize(right)) {
        right = Cross(LeastAlignedAxis(back), back);
        Normalize(right);
    }
    const Vector3 trueUp = Cross(back, right);
    return FromBasis(right, trueUp, back);
}

Vector3 Rotate(const Quaternion& q, const Vector3& v)
{
    // v + 2w (u x v) + 2 u x (u x v), with u the vector part.
    const Vector3 u{q[0], q[1], q[2]};
    const Vector3 uv = Cross(u, v);
    const Vector3 uuv = Cross(u, uv);
    return {v[0] + 2.0 * (q[3] * uv[0] + uuv[0]), v[1] + 2.0 * (q[3] * uv[1] + uuv[1]),
            v[2] + 2.0 * (q[3] * uv[2] + uuv[2])};
}
