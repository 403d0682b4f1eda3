// Plain point arrays: what the text-format parsers produce and the point
// reducer works on, before anything becomes a geometry object.
#pragma once

#include <vector>

#include "loader/core/Geometry2d.h"

using PointList = std::vector<CPoint2d>;
