#include "readers/dxf/DwgGeometry.h"

#include <cmath>
#include <cstdlib>

namespace dwg {

using drawing::Point3d;

Point3d STransformStack::Apply(const Point3d& p) const {
    Point3d out = p;
    for (int i = depth - 1; i >= 0; --i) out = matrix[i].TransformPoint(out);
    return out;
}

void STransformStack::ApplyLengthAndAngle(double& length, double& angle) const {
    const Point3d o = Apply({0, 0, 0});
    const Point3d p = Apply({std::sin(angle) * length, std::cos(angle) * length, 0});
    const Point3d q = Apply({std::cos(angle), std::sin(angle), 0});
    length = std::hypot(p.x - o.x, p.y - o.y);
    angle = std::atan2(q.y - o.y, q.x - o.x);
    if (angle < 0) angle += kTwoPi;
}

void AppendArcPoints(const Point3d& centre, double start, double end, double radius,
                     bool counterClockwise, const PointMapper& map, PointList& points) {
    // Drawings hold angles within a few turns; the bounds keep damaged ones finite.
    if (!std::isfinite(start) || !std::isfinite(end) || std::fabs(start) > 1e6 ||
        std::fabs(end) > 1e6) {
        start = 0;
        end = 0;
    }
    while (start < 0) start += kTwoPi;
    while (start > kTwoPi) start -= kTwoPi;
    while (end <= 0) end += kTwoPi;
    while (end > kTwoPi) end -= kTwoPi;
    auto add = [&](double a) {
        const Point3d p =
            map({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z});
        points.push_back({p.x, p.y});
    };
    add(start);
    const double d = end - start;
    const double sweep = (d > 0 && counterClockwise) || (d < 0 && !counterClockwise)
                             ? std::fabs(d)
                             : kTwoPi - std::fabs(d);
    const double step = counterClockwise ? kArcStep : -kArcStep;
    const int n = static_cast<int>(sweep / kArcStep);
    double a = start;
    for (int i = 0; i < n; ++i) {
        a += step;
        if (a < 0)
            a += kTwoPi;
        else if (a > kTwoPi)
            a -= kTwoPi;
        if (i == n - 1 && a == end) break;
        add(a);
    }
    add(end);
}

bool BulgeToArc(const Point3d& p1, const Point3d& p2, double bulge, SBulgeArc& arc) {
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double c = std::sqrt(dx * dx + dy * dy);
    if (!(c >= 1e-15) || bulge == 0 || !std::isfinite(bulge)) return false;
    arc.counterClockwise = bulge > 0;
    arc.radius = std::fabs((bulge * bulge + 1) * c / 4 / bulge);
    const double h = arc.radius * arc.radius - 0.25 * c * c;
    const double k = h > 0 ? std::sqrt(h) / c : 0;
    const Point3d mid{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2, (p1.z + p2.z) * 0.5};
    const double theta = std::fabs(4 * std::atan(bulge));
    const bool left =
        (arc.counterClockwise && theta <= kPi) || (!arc.counterClockwise && theta > kPi);
    const double sign = left ? 1.0 : -1.0;
    arc.centre = {mid.x + sign * k * -dy, mid.y + sign * k * dx, mid.z};
    arc.start = std::atan2(p1.y - arc.centre.y, p1.x - arc.centre.x);
    arc.end = std::atan2(p2.y - arc.centre.y, p2.x - arc.centre.x);
    return true;
}

void AppendSegment(const Point3d& p1, const Point3d& p2, double bulge, const PointMapper& map,
                   PointList& points) {
    SBulgeArc arc;
    if (bulge != 0 && BulgeToArc(p1, p2, bulge, arc)) {
        PointList arcPoints;
        AppendArcPoints(arc.centre, arc.start, arc.end, arc.radius, arc.counterClockwise, map,
                        arcPoints);
        // The arc's first point is p1, already added by the caller.
        points.insert(points.end(), arcPoints.begin() + 1, arcPoints.end());
        return;
    }
    const Point3d p = map(p2);
    points.push_back({p.x, p.y});
}

double SegmentAngle(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    if (dx == 0) return dy == 0 ? 0 : dy > 0 ? 1.570796326795 : 4.7123889803850005;
    if (dy == 0) return dx > 0 ? 0 : kPi;
    double a = std::atan(dy / dx);
    if (dx < 0) a += kPi;
    if (a < 0) a += kTwoPi;
    return a;
}

int ClassifyJoin(double incoming, double outgoing) {
    double d = incoming - outgoing;
    if (d == 0 || std::fabs(d) == kPi || std::fabs(d) == kTwoPi) return 3;
    if (d < 0) d += kTwoPi;
    const double e = d - kPi;
    if (std::fabs(e) > kSharpTurn) return 0;
    return e < 0 ? 2 : 1;
}

bool LineThroughPoints(double x1, double y1, double x2, double y2, SLine& line) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    if (dx == 0 && dy == 0) return false;
    if (dx == 0) {
        line = {1e35, x2, 1};
    } else {
        line.slope = dy / dx;
        line.vertical = 0;
        line.intercept = y1 - x1 * line.slope;
    }
    return true;
}

bool IntersectLines(const SLine& a, const SLine& b, double& x, double& y) {
    if ((a.vertical && b.vertical) || a.slope == b.slope) return false;
    if (a.vertical) {
        x = a.intercept;
        y = x * b.slope + b.intercept;
    } else if (b.vertical) {
        x = b.intercept;
        y = x * a.slope + a.intercept;
    } else {
        x = (b.intercept - a.intercept) / (a.slope - b.slope);
        y = a.slope * x + a.intercept;
    }
    return true;
}

namespace {

bool Near(const CPoint2d& a, const CPoint2d& b) {
    return std::fabs(a.x - b.x) < 1e-10 && std::fabs(a.y - b.y) < 1e-10;
}

struct SOffset {
    CPoint2d start;
    CPoint2d end;
};

SOffset OffsetSegment(const CPoint2d& from, const CPoint2d& to, double angle, double sign,
                      const SSegmentWidth& width) {
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    return {{from.x - sign * s * width.start / 2, from.y + sign * c * width.start / 2},
            {to.x - sign * s * width.end / 2, to.y + sign * c * width.end / 2}};
}

// Where the lines through two offset segments meet; the end of the first
// when they are parallel.
CPoint2d Mitre(const SOffset& first, const SOffset& second) {
    SLine a;
    SLine b;
    CPoint2d p = first.end;
    if (LineThroughPoints(first.start.x, first.start.y, first.end.x, first.end.y, a) &&
        LineThroughPoints(second.start.x, second.start.y, second.end.x, second.end.y, b))
        IntersectLines(a, b, p.x, p.y);
    return p;
}

}  // namespace

PointList WideLineOutline(const PointList& centre, const SegmentWidthList& widths) {
    const int n = static_cast<int>(centre.size());
    if (n < 2 || widths.size() < centre.size()) return {};
    const bool closed = centre.front() == centre.back();
    PointList left;
    PointList right;
    auto index = [&](int k) {
        if (k < 0) return closed ? n - 2 : 0;
        if (k >= n) return closed ? 1 : n - 1;
        return k;
    };
    for (int i = 0; i < n; ++i) {
        const int k0 = index(i - 1);
        const int k2 = index(i + 1);
        const CPoint2d& q0 = centre[k0];
        const CPoint2d& q1 = centre[i];
        const CPoint2d& q2 = centre[k2];
        const double a0 = SegmentAngle(q0.x, q0.y, q1.x, q1.y);
        const double a1 = SegmentAngle(q1.x, q1.y, q2.x, q2.y);
        const SOffset l0 = OffsetSegment(q0, q1, a0, 1, widths[k0]);
        const SOffset r0 = OffsetSegment(q0, q1, a0, -1, widths[k0]);
        const SOffset l1 = OffsetSegment(q1, q2, a1, 1, widths[i]);
        const SOffset r1 = OffsetSegment(q1, q2, a1, -1, widths[i]);
        if (Near(q1, q2)) {
            // The end of an open line: a square cap across its last point.
            if (Near(q0, q1)) {
                left.push_back(q1);
                right.push_back(q1);
            } else {
                left.push_back(l0.end);
                right.push_back(r0.end);
            }
        } else if (Near(q0, q1)) {
            left.push_back(l1.start);
            right.push_back(r1.start);
        } else {
            switch (ClassifyJoin(a0, a1)) {
                case 0:
                    left.push_back(Mitre(l0, l1));
                    right.push_back(Mitre(r0, r1));
                    break;
                case 1:
                    right.push_back(r0.end);
                    right.push_back(q1);
                    right.push_back(r1.start);
                    left.push_back(Mitre(l0, l1));
                    break;
                case 2:
                    left.push_back(l0.end);
                    left.push_back(q1);
                    left.push_back(l1.start);
                    right.push_back(Mitre(r0, r1));
                    break;
                default:
                    left.push_back(l0.end);
                    left.push_back(l1.start);
                    right.push_back(r0.end);
                    right.push_back(r1.start);
                    break;
            }
        }
    }
    if (closed) {
        left.push_back(left.front());
        right.push_back(right.front());
    }
    PointList ring = std::move(left);
    ring.insert(ring.end(), right.rbegin(), right.rend());
    if (!closed) ring.push_back(ring.front());
    return ring;
}

}  // namespace dwg
