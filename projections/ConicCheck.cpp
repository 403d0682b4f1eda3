#include "projections/ConicCheck.h"

#include <cmath>

#include "coordsys/core/CsCore.h"

int CS_conicCheck(const CsCoordSysDef* def, std::uint16_t, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->originLongitude > -180.0 && def->originLongitude <= 180.0,
                kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    const double p1 = def->parameters[0], p2 = def->parameters[1];
    for (double p : {p1, p2}) {
        out.Require(p > -kCsMaxParallel && p < kCsMaxParallel, kCsErrStandardParallels);
    }
    if (std::fabs(p1 - p2) > kCsCheckTolerance) {
        // Parallels mirrored about the equator give no cone.
        bool opposite = (p1 <= 0.0 && p2 > 0.0) || (p2 <= 0.0 && p1 > 0.0);
        if (opposite && std::fabs(std::fabs(p1) - std::fabs(p2)) < kCsCheckTolerance) {
            out.Add(kCsErrStandardParallels);
        }
    } else if (std::fabs(p1) < kCsCheckTolerance || std::fabs(p2) < kCsCheckTolerance) {
        // One tangent parallel on the equator: a cylinder.
        out.Add(kCsErrStandardParallels);
    }
    return out.Count();
}
