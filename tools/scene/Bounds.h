// An axis-aligned box that grows to hold every point added to it.
#pragma once

#include <algorithm>
#include <array>
#include <limits>

struct Bounds {
    std::array<double, 3> min{std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity()};
    std::array<double, 3> max{-std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};

    // False until a point was added.
    bool empty() const { return !(min[0] <= max[0]); }

    // NaN coordinates leave the box as it was.
    void Add(double x, double y, double z)
    {
        const double p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            if (p[i] < min[i])
                min[i] = p[i];
            if (p[i] > max[i])
                max[i] = p[i];
        }
    }

    void Add(const Bounds& other)
    {
        if (other.empty())
            return;
        Add(other.min[0], other.min[1], other.min[2]);
        Add(other.max[0], other.max[1], other.max[2]);
    }
};
