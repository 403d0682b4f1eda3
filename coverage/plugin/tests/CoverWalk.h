// What a coverage reader delivers, walked once from Rewind: every position's
// entity (or its absence) with its layer, key and rings, for comparing with
// ogrinfo and between walks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "coverage/plugin/EsriReader.h"

namespace covtest {

using Ring = std::vector<std::pair<double, double>>;

struct SWalked {
    TFgnEntityType type = kFgnEntityUnknown;
    std::string layer, key, text;
    std::vector<Ring> rings;  // one for points, lines and polylines
    std::vector<TFgnAreaType> areaTypes;
    double height = 0;
    bool skipped = false;
};

inline Ring PointsOf(const std::list<const CFgnPt*>* points) {
    Ring ring;
    TFgnFmtErr err = kFgnOk;
    if (points != nullptr)
        for (const CFgnPt* p : *points) ring.emplace_back(p->GetX(err), p->GetY(err));
    return ring;
}

inline SWalked Describe(const CFgnEntity& entity) {
    SWalked w;
    TFgnFmtErr err = kFgnOk;
    w.type = entity.GetType(err);
    const char* layer = entity.GetLayer(err);
    w.layer = layer != nullptr ? layer : "";
    const char* key = entity.GetKey(err);
    w.key = key != nullptr ? key : "";
    switch (w.type) {
        case kFgnEntityPnt: {
            const CFgnPt* p = static_cast<const CFgnPnt&>(entity).GetPt(err);
            w.rings.push_back({{p->GetX(err), p->GetY(err)}});
            break;
        }
        case kFgnEntityLine: {
            const auto& line = static_cast<const CFgnLine&>(entity);
            const CFgnPt* a = line.GetStartPt(err);
            const CFgnPt* b = line.GetEndPt(err);
            w.rings.push_back({{a->GetX(err), a->GetY(err)}, {b->GetX(err), b->GetY(err)}});
            break;
        }
        case kFgnEntityPline:
            w.rings.push_back(PointsOf(static_cast<const CFgnPline&>(entity).GetPts(err)));
            break;
        case kFgnEntityPly:
            w.rings.push_back(PointsOf(static_cast<const CFgnPly&>(entity).GetPts(err)));
            break;
        case kFgnEntityCPly:
            for (const CFgnGeom* piece : *static_cast<const CFgnCPly&>(entity).GetGeometry(err)) {
                const auto* pts = static_cast<const CFgnGeomPts*>(piece);
                w.rings.push_back(PointsOf(pts->GetPts(err)));
                w.areaTypes.push_back(pts->GetAreaType(err));
            }
            break;
        case kFgnEntityMText: {
            const auto& text = static_cast<const CFgnMText&>(entity);
            const CFgnPt* a = text.GetMinPt(err);
            const CFgnPt* b = text.GetMaxPt(err);
            w.rings.push_back({{a->GetX(err), a->GetY(err)}, {b->GetX(err), b->GetY(err)}});
            w.text = text.GetText(err);
            std::int32_t c1 = 0, c2 = 0;
            TFgnBool f1, f2, f3;
            TFgnJustification j;
            double angle = 0, last = 0;
            text.GetStyle(err)->GetDefinition(w.height, c1, c2, f1, f2, f3, j, angle, last);
            break;
        }
        default:
            break;
    }
    return w;
}

// Every position from Rewind to Done; a position without an entity is
// recorded as skipped. Stops after `limit` positions.
inline std::vector<SWalked> Walk(CFgnReader& reader, std::size_t limit = 1000000) {
    std::vector<SWalked> out;
    TFgnFmtErr err = kFgnOk;
    if (reader.Rewind() != kFgnOk) return out;
    while (reader.Done(err) != kFgnTrue && out.size() < limit) {
        const CFgnEntity* entity = reader.GetCurrent(err);
        if (entity != nullptr) {
            out.push_back(Describe(*entity));
        } else {
            SWalked skipped;
            skipped.skipped = true;
            out.push_back(skipped);
        }
        if (reader.Step() != kFgnOk) break;
    }
    return out;
}

inline std::vector<SWalked> OnLayer(const std::vector<SWalked>& all, const std::string& layer) {
    std::vector<SWalked> out;
    for (const SWalked& w : all)
        if (w.layer == layer) out.push_back(w);
    return out;
}

// A closed ring without its closing point, started at its least point and
// run in the direction of its lesser neighbour: equal rings compare equal
// whatever their start and orientation.
inline Ring CanonicalRing(Ring ring) {
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    if (ring.empty()) return ring;
    std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
    if (ring.size() > 2 && ring.back() < ring[1]) std::reverse(ring.begin() + 1, ring.end());
    return ring;
}

inline std::vector<Ring> CanonicalRings(const std::vector<Ring>& rings) {
    std::vector<Ring> out;
    for (const Ring& r : rings) out.push_back(CanonicalRing(r));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace covtest
