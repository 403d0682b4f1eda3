// Plain point arrays: what the text-format parsers produce and the point
// reducer works on, before anything becomes a geometry object.
#pragma once

#include <vector>

struct PointXY {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const PointXY&, const PointXY&) = default;
};

using PointList = std::vector<PointXY>;
