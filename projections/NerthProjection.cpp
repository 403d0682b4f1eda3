#include "projections/NerthProjection.h"

#include <cmath>

namespace {

const CsNerthConstants& Nerth(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsNerthConstants>(constants);
}

constexpr int kCsErrNerthDatum = 252;
constexpr double kNerthScaleDown = 1e-50;
// Real longitudes and latitudes are far above this; scaled x/y far below.
constexpr double kNerthLargestAngle = 1e-40;
constexpr double kNerthLargestXy = 10000000.0;

constexpr CsSlots kNerthSlots{
    .forward = CS_nerthForward,
    .inverse = CS_nerthInverse,
    .gridScale = CS_constantOne,
    .parallelScale = CS_constantOne,
    .meridianScale = CS_constantOne,
    .convergence = CS_constantZero,
    .checkGeographic = CS_nerthLlLimits,
    .checkCartesian = CS_nerthXYLimits,
};

}  // namespace

int CS_nerthCheck(const CsCoordSysDef* def, std::uint16_t /*code*/, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    out.Require(def->datumKey[0] == '\0', kCsErrNerthDatum);
    return out.Count();
}

void CS_nerthSetup(CsParams* params) {
    CsNerthConstants& c = CS_newConstants<CsNerthConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.scale = def.scale;
    c.factor = kNerthScaleDown / c.scale;
    c.origin = CS_falseOrigin(def);

    params->rangeCentralMeridian = 0.0;
    CS_setGeoRange(params, -c.factor, -c.factor, c.factor, c.factor);
    if (!CS_xyRangeFromDefinition(params)) {
        CS_setXyRange(params, -kNerthLargestXy, -kNerthLargestXy, kNerthLargestXy, kNerthLargestXy);
    }
    CS_installSlots(params, kNerthSlots);
}

int CS_nerthForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNerthConstants& c = Nerth(constants);
    CS_forwardEpilogue(out, in, in[0] / c.factor, in[1] / c.factor, c.origin);
    return 0;
}

int CS_nerthInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsNerthConstants& c = Nerth(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    out[0] = x * c.factor;
    out[1] = y * c.factor;
    out[2] = in[2];
    return 0;
}

int CS_nerthLlLimits(const CsProjectionConstants* /*constants*/, int count,
                     const double points[][3]) {
    return CS_pointLimits(count, points,
                          [](const double ll[3]) {
                              return std::fabs(ll[0]) > kNerthLargestAngle ||
                                     std::fabs(ll[1]) > kNerthLargestAngle;
                          }) != 0
               ? 1
               : 0;
}

int CS_nerthXYLimits(const CsProjectionConstants* /*constants*/, int count,
                     const double points[][3]) {
    auto outside = [](double v) {
        return std::fabs(v) >= kNerthLargestXy || std::fabs(v) < kNerthLargestAngle;
    };
    return CS_pointLimits(count, points,
                          [&](const double xy[3]) { return outside(xy[0]) || outside(xy[1]); }) != 0
               ? 1
               : 0;
}
