#include "readers/plugin/ForeignGeometry.h"

#include <cmath>
#include <cstdlib>

#include "loader/core/PointGeometry.h"

namespace foreign {

namespace {

double IntoTurn(double angle) {
    if (!std::isfinite(angle)) return 0.0;
    // Far outside one turn, subtracting turn by turn would take too long.
    if (std::fabs(angle) > 4 * kTwoPi) angle = std::fmod(angle, kTwoPi);
    while (angle < 0.0) angle += kTwoPi;
    while (angle > kTwoPi) angle -= kTwoPi;
    return angle;
}

double Sweep(double start, double end, bool counterClockwise) {
    const double d = end - start;
    if (d > 0.0) return counterClockwise ? d : kTwoPi - d;
    if (d < 0.0) return counterClockwise ? kTwoPi - std::fabs(d) : -d;
    return kTwoPi;
}

}  // namespace

void StrokeArc(const SArc& arc, PointList& points) {
    if (arc.xRadius == 0.0 || arc.yRadius == 0.0) {
        points.push_back({arc.cx, arc.cy});
        return;
    }
    auto at = [&](double a) {
        points.push_back({arc.cx + arc.xRadius * std::cos(a), arc.cy + arc.yRadius * std::sin(a)});
    };
    const double start = IntoTurn(arc.start * kDegreesToRadians);
    const double end = IntoTurn(arc.end * kDegreesToRadians);
    at(start);
    const double step = arc.counterClockwise ? kArcStep : -kArcStep;
    // Truncated toward zero; a sweep is never more than a turn.
    const auto steps = static_cast<int>(Sweep(start, end, arc.counterClockwise) / kArcStep);
    double angle = start;
    for (int i = 1; i <= steps; ++i) {
        angle += step;
        if (angle < 0.0)
            angle += kTwoPi;
        else if (angle > kTwoPi)
            angle -= kTwoPi;
        if (i == steps && angle == end) break;
        at(angle);
    }
    at(end);
}

bool TransformedPoint(const CFgnPt* pt, const CCellNestingState& nesting, CPoint2d& out) {
    if (!pt) return false;
    TFgnFmtErr err = kFgnOk;
    const double x = pt->GetX(err);
    const double y = pt->GetY(err);
    out = nesting.Transform(x, y);
    return true;
}

bool AppendPoints(const std::list<const CFgnPt*>* pts, const CCellNestingState& nesting,
                  PointList& points) {
    if (!pts) return true;
    for (const CFgnPt* pt : *pts) {
        CPoint2d p;
        if (!TransformedPoint(pt, nesting, p)) return false;
        points.push_back(p);
    }
    return true;
}

Status CollectPieces(const std::list<const CFgnGeom*>* pieces, const CCellNestingState& nesting,
                     std::vector<PointList>& parts) {
    parts.clear();
    if (!pieces) return 0;
    for (const CFgnGeom* piece : *pieces) {
        if (!piece) return kLoaderInputReadError;
        TFgnFmtErr err = kFgnOk;
        PointList& points = parts.emplace_back();
        bool ok = false;
        switch (piece->GetType(err)) {
            case kFgnGeomPts:
                ok = AppendPoints(static_cast<const CFgnGeomPts*>(piece)->GetPts(err), nesting,
                                  points);
                break;
            case kFgnGeomArc:
                ok = AppendArc(*static_cast<const CFgnGeomArc*>(piece), nesting, points);
                break;
            default:
                break;
        }
        if (!ok) return kLoaderInputReadError;
    }
    return 0;
}

HRESULT MakeMultiPoint(IWKBGeometryFactory* factory, const PointList& points,
                       ComPtr<IWKBGeometry>& out) {
    ComPtr<IWKBMultiPoint> multi;
    if (HRESULT hr = factory->NewWKBMultiPoint(multi.Put()); Failed(hr)) return hr;
    for (const CPoint2d& p : points)
        if (HRESULT hr = multi->AddPointXY(p.x, p.y); Failed(hr)) return hr;
    return pointgeometry::AsGeometry(multi, out);
}

}  // namespace foreign
