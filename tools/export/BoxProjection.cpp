#include "tools/export/BoxProjection.h"

#include <cmath>

void ProjectTriangle(const float* t, float* uv)
{
    const double e1[3] = {double(t[3]) - t[0], double(t[4]) - t[1], double(t[5]) - t[2]};
    const double e2[3] = {double(t[6]) - t[0], double(t[7]) - t[1], double(t[8]) - t[2]};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
    const double ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
    for (int c = 0; c < 3; ++c) {
        const double x = t[c * 3], y = t[c * 3 + 1], z = t[c * 3 + 2];
        double u, v;   // v grows upward in the image
        if (ax > ay && ax >= az) {
            u = n[0] > 0 ? y : -y;
            v = z;
        } else if (ay >= az && ay >= ax && ay > 0) {
            u = n[1] > 0 ? -x : x;
            v = z;
        } else {
            u = x;
            v = n[2] >= 0 ? y : -y;
        }
        // Texture rows run downward, hence -v. Adding +0.0 turns -0.0 into
        // 0.0, so a corner is not split by the sign of a zero.
        uv[c * 2] = static_cast<float>(u / kTextureTileSize) + 0.0f;
        uv[c * 2 + 1] = static_cast<float>(-v / kTextureTileSize) + 0.0f;
    }
}
