#include "loader/core/PointReducer.h"

#include <algorithm>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/GeometryMembers.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"
#include "loader/core/PointReduction.h"
#include "loader/core/ReporterInterface.h"

namespace {

Status WriteLinePoints(IWKBLineString* line, const PointList& points) {
    if (HRESULT hr = line->Reset(); Failed(hr)) return hr;
    return pointgeometry::AddPoints(line, points);
}

// An open ring is written with one more point than it holds.
Status RingCap(IWKBLineString* line, bool ring, int cap, int& effective) {
    effective = cap;
    if (!ring || cap <= kOpenRingCap) return 0;
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    if (count < 2) return 0;
    CPoint2d first, last;
    if (HRESULT hr = line->GetPointXY(0, &first.x, &first.y); Failed(hr)) return hr;
    if (HRESULT hr = line->GetPointXY(count - 1, &last.x, &last.y); Failed(hr)) return hr;
    if (!(first == last)) effective = kOpenRingCap;
    return 0;
}

Status AddPart(IWKBLineString* line, bool ring, int cap, std::vector<ReductionPart>& parts) {
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    ReductionPart part{static_cast<std::size_t>(std::max<WkbLong>(count, 0)), ring, cap};
    if (Status status = RingCap(line, ring, cap, part.cap)) return status;
    parts.push_back(part);
    return 0;
}

// A line that returns to its first point is reduced as a ring is: to fewer
// than three distinct points it would be no line at all.
Status IsClosedLine(IWKBLineString* line, bool& closed) {
    closed = false;
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    if (count < 3) return 0;
    CPoint2d first, last;
    if (HRESULT hr = line->GetPointXY(0, &first.x, &first.y); Failed(hr)) return hr;
    if (HRESULT hr = line->GetPointXY(count - 1, &last.x, &last.y); Failed(hr)) return hr;
    closed = first == last;
    return 0;
}

// The rings of a polygon, exterior first.
Status PolygonRings(IWKBPolygon* polygon, std::vector<ComPtr<IWKBLineString>>& rings) {
    return ForEachRing(polygon, [&](IWKBLineString* ring) {
        rings.push_back(ComPtr<IWKBLineString>::Share(ring));
        return 0;
    });
}

}  // namespace

CPointReducer::CPointReducer(CLoaderSettings* settings, int maximumPoints)
    : objectMaximum_(std::clamp(maximumPoints, 8, kObjectLimit)),
      partMaximum_(std::clamp(maximumPoints, 8, kPartLimit)),
      settings_(settings) {}

Status CPointReducer::Reduce(CFeatureRecord* record, double percent) {
    if (!record) return 0;
    ComPtr<IWKBGeometry> geometry;
    if (Status status = record->GetGeometry(geometry.Put())) return status;
    return ReduceGeometry(geometry.Get(), percent);
}

Status CPointReducer::ReduceGeometry(IWKBGeometry* geometry, double percent) {
    return Reduce(geometry, percent, 0);
}

Status CPointReducer::Reduce(IWKBGeometry* geometry, double percent, int depth) {
    if (!geometry) return 0;
    if (depth > kMaxGeometryNesting) return kWlxInvalidObjectType;
    EWKBGeometryType type{};
    if (HRESULT hr = geometry->GetType(&type); Failed(hr)) return hr;
    switch (type) {
        case kWkbLineString: {
            auto line = ComPtr<IWKBLineString>::QueryFrom(geometry);
            if (!line) return E_NOINTERFACE;
            bool closed = false;
            if (Status status = IsClosedLine(line.Get(), closed)) return status;
            return ReduceLineByPercent(line.Get(), percent, partMaximum_, closed);
        }
        case kWkbPolygon: {
            auto polygon = ComPtr<IWKBPolygon>::QueryFrom(geometry);
            return polygon ? ReducePolygonRings(polygon.Get(), percent) : E_NOINTERFACE;
        }
        case kWkbMultiLineString: {
            auto lines = ComPtr<IWKBMultiLineString>::QueryFrom(geometry);
            return lines ? ReduceMultiLine(lines.Get(), percent) : E_NOINTERFACE;
        }
        case kWkbMultiPolygon: {
            auto polygons = ComPtr<IWKBMultiPolygon>::QueryFrom(geometry);
            return polygons ? ReduceMultiPolygon(polygons.Get(), percent) : E_NOINTERFACE;
        }
        case kWkbGeometryCollection: {
            auto members = ComPtr<IWKBGeometryCollection>::QueryFrom(geometry);
            if (!members) return E_NOINTERFACE;
            return ForEachMember(members.Get(), [&](IWKBGeometry* member) {
                return Reduce(member, percent, depth + 1);
            });
        }
        default:  // points and multi-points keep their points
            return 0;
    }
}

Status CPointReducer::ReducePolygonRings(IWKBPolygon* polygon, double percent) {
    std::vector<ComPtr<IWKBLineString>> rings;
    if (Status status = PolygonRings(polygon, rings)) return status;
    return ReduceParts(rings, std::vector<bool>(rings.size(), true), percent);
}

Status CPointReducer::ReduceMultiLine(IWKBMultiLineString* lines, double percent) {
    std::vector<ComPtr<IWKBLineString>> members;
    std::vector<bool> closed;
    if (Status status = ForEachMember(lines, [&](IWKBLineString* line) {
            bool isClosed = false;
            if (Status checked = IsClosedLine(line, isClosed)) return checked;
            members.push_back(ComPtr<IWKBLineString>::Share(line));
            closed.push_back(isClosed);
            return 0;
        }))
        return status;
    return ReduceParts(members, closed, percent);
}

Status CPointReducer::ReduceMultiPolygon(IWKBMultiPolygon* polygons, double percent) {
    std::vector<ComPtr<IWKBLineString>> rings;
    if (Status status = ForEachMember(polygons, [&](IWKBPolygon* polygon) {
            return polygon ? PolygonRings(polygon, rings) : 0;
        }))
        return status;
    return ReduceParts(rings, std::vector<bool>(rings.size(), true), percent);
}

// The parts of one object share the object limit: the percent is fitted to
// it, and every part is then held to the part cap as well, even when the
// percent stays at 100.
Status CPointReducer::ReduceParts(const std::vector<ComPtr<IWKBLineString>>& lines,
                                  const std::vector<bool>& rings, double percent) {
    std::vector<ReductionPart> parts;
    parts.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (Status status = AddPart(lines[i].Get(), rings[i], partMaximum_, parts)) return status;
    percent = FitPercent(parts, percent, objectMaximum_);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (Status status = ReduceLineByPercent(lines[i].Get(), percent, partMaximum_, rings[i]))
            return status;
    return 0;
}

Status CPointReducer::ReduceLineByPercent(IWKBLineString* line, double percent, int cap,
                                          bool ring) {
    if (!line) return 0;
    if (Status status = RingCap(line, ring, cap, cap)) return status;
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    const long long target =
        PercentTarget(static_cast<std::size_t>(std::max<WkbLong>(count, 0)), percent, cap);
    if (target == count) return 0;
    return ReduceLineToCount(line, static_cast<int>(std::max<long long>(target, 0)), cap, ring);
}

Status CPointReducer::ReduceLineToCount(IWKBLineString* line, int target, int cap, bool ring) {
    if (!line) return 0;
    target = std::max(target, ring ? kMinimumRingPoints : kMinimumLinePoints);
    WkbLong count = 0;
    if (HRESULT hr = line->GetNumPoints(&count); Failed(hr)) return hr;
    if (count <= target) return 0;
    if (target == cap) WarnOnce();
    PointList points;
    if (Status status = ReadLinePoints(line, points)) return status;
    // Repeated points would take the places of distinct ones.
    points.erase(std::unique(points.begin(), points.end()), points.end());
    ReduceToCount(points, static_cast<std::size_t>(target));
    return WriteLinePoints(line, points);
}

void CPointReducer::WarnOnce() {
    if (warned_) return;
    warned_ = 1;
    if (!settings_) return;
    if (settings_->reporter)
        settings_->reporter->ShowWarning(LoadMessage(kMsgReducingPointCount).c_str());
    settings_->warnings = 1;
}
