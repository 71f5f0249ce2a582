#include "tools/models/ModelScene.h"

#include <algorithm>

Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[static_cast<size_t>(k * 4 + row)] * b[static_cast<size_t>(column * 4 + k)];
            product[static_cast<size_t>(column * 4 + row)] = sum;
        }
    }
    return product;
}

std::array<double, 3> TransformPoint(const Matrix4& m, const std::array<double, 3>& p)
{
    std::array<double, 3> out{};
    for (size_t row = 0; row < 3; ++row)
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    return out;
}

std::array<double, 3> TransformDirection(const Matrix4& m, const std::array<double, 3>& v)
{
    std::array<double, 3> out{};
    for (size_t row = 0; row < 3; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2];
    return out;
}

double Determinant3(const Matrix4& m)
{
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

void ModelScene::Warn(const std::string& text)
{
    if (std::find(warnings.begin(), warnings.end(), text) == warnings.end())
        warnings.push_back(text);
}

void ModelScene::Damage(const std::string& text)
{
    if (std::find(damage.begin(), damage.end(), text) == damage.end())
        damage.push_back(text);
}

std::array<double, 3> ToSceneAxes(const std::array<double, 3>& p, const AxisOptions& axes)
{
    // (x, y, z) of a Y-up source is (x, -z, y) Z-up: the inverse of the
    // turn kvd convert gives scenes going out, so points come back as they were.
    std::array<double, 3> out = axes.keepAxes ? p : std::array<double, 3>{p[0], -p[2], p[1]};
    if (axes.scale != 1.0) {
        for (double& c : out)
            c *= axes.scale;
    }
    return out;
}
