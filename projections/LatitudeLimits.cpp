#include "projections/LatitudeLimits.h"

#include <cmath>

int CS_latitudeLimitsCheck(const CsProjectionConstants* /*constants*/, int count,
                           const double points[][3]) {
    return CS_pointLimits(count, points, [](const double ll[3]) {
        return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi);
    });
}
