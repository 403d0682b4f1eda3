#include "loader/core/FeatureFilter.h"

#include "loader/core/Utf8Text.h"

void CFeatureFilter::Reset() {
    pointsEnabled = linesEnabled = polygonsEnabled = holes = 0;
    blocks_.Clear();
    layers_.Clear();
}

int CFeatureFilter::Accept(const CFeatureKey* key) const {
    if (!key) return 0;
    switch (key->kind) {
        case kFeaturePoint:
            if (!pointsEnabled) return 0;
            break;
        case kFeatureLine:
            if (!linesEnabled) return 0;
            break;
        case kFeaturePolygon:
            if (!polygonsEnabled) return 0;
            break;
        case kFeatureOther:
            break;
        default:
            return 0;
    }
    if (key->layer) {
        if (layers_.IsEmpty()) {
            // The holes that a coverage's polygons leave are kept only on request.
            if (!holes && EqualNoCase(key->layer, "INTERNAL_POLYGONS")) return 0;
        } else if (!layers_.Contains(key->layer, true)) {
            return 0;
        }
    }
    if (!blocks_.IsEmpty() && !key->block.empty() && !blocks_.Contains(key->block, false)) return 0;
    return 1;
}
