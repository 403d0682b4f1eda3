#include "projections/RobinsonProjection.h"

#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"

namespace {

const CsRobinsonConstants& Robinson(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsRobinsonConstants>(constants);
}

// Rows for -5 (the guard, mirrored), 0, 5, ..., 90 degrees: the length of
// the parallel relative to the equator's and the distance from the equator
// relative to the pole's.
constexpr double kX[20] = {0.9986, 1.0,    0.9986, 0.9954, 0.99,   0.9822, 0.973,
                           0.96,   0.9427, 0.9216, 0.8962, 0.8679, 0.835,  0.7986,
                           0.7597, 0.7186, 0.6732, 0.6213, 0.5722, 0.5322};
constexpr double kY[20] = {-0.062, 0.0,    0.062,  0.124,  0.186,  0.248,  0.31,
                           0.372,  0.434,  0.4958, 0.5571, 0.6176, 0.6769, 0.7346,
                           0.7903, 0.8435, 0.8936, 0.9394, 0.9761, 1.0};

// The table's value for latitude 5k degrees, k from -1 (the guard) to 18.
double T(const double (&table)[20], int k) {
    return table[k + 1];
}

// Where |phi| (degrees) falls in the table: row i (at most 17) and the
// fraction u beyond it (1 at the pole).
struct Node {
    int i;
    double u;
};
Node NodeOf(double latitude) {
    double t = 0.2 * std::fabs(latitude);
    int i = std::min(static_cast<int>(t), 17);
    return {i, t - i};
}

double Interpolate(const double (&table)[20], Node n) {
    const double below = T(table, n.i - 1), at = T(table, n.i), above = T(table, n.i + 1);
    return at + n.u * (above - below) / 2.0 + n.u * n.u * (above - 2.0 * at + below) / 2.0;
}

constexpr double kPoleBand = kCsMaxParallel;  // degrees

// Beyond +-90 degrees: status 2 and folded back into +-90.
double FoldedLatitude(double latitude, int* status) {
    if (std::fabs(latitude) <= 90.0) return latitude;
    CS_raiseStatus(status, 2);
    latitude = std::fmod(latitude, 180.0);
    if (latitude < -90.0) latitude += 180.0;
    if (latitude > 90.0) latitude -= 180.0;
    return latitude;
}

// Up to 270 degrees from the central meridian a longitude projects as given.
constexpr CsLongitudeRule kRobinsonLongitude{.limit = kCs270Degrees,
                                             .limitOutside = true,
                                             .adjust = CsLongitudeAdjust::kTowardCentre,
                                             .status = 2,
                                             .wrap = CS_normLngRadAlt};

// The refinement's tolerance on the ground: a tenth of a millimetre, in
// system units whatever the unit (once a hundredth of the unit's size in
// metres, ten kilometres of error in a kilometre system).
constexpr double kToleranceMetres = 0.0001;
constexpr int kMostCorrections = 36;

constexpr double kArcSecond = 4.848136811076368e-6;  // radians

constexpr CsSlots kRobinsonSlots{
    .forward = CS_robinsonForward,
    .inverse = CS_robinsonInverse,
    .gridScale = CS_robinsonK,
    .parallelScale = CS_robinsonK,
    .meridianScale = CS_robinsonH,
    .convergence = CS_robinsonConvergence,
    .checkGeographic = CS_robinsonLatLongLimits,
    .checkCartesian = CS_robinsonXYLimits,
};

double Distance(const double a[3], const double b[3]) {
    return std::hypot(b[0] - a[0], b[1] - a[1]);
}

}  // namespace

void CS_robinsonSetup(CsParams* params) {
    CsRobinsonConstants& c = CS_newConstants<CsRobinsonConstants>(params);
    const CsCoordSysDef& def = params->csDef;
    c.centralMeridian = def.originLongitude * kCsDegToRad;
    c.k = def.scale;
    c.a = params->datum.equatorialRadius;
    c.r = c.a * c.k;
    c.rx = 0.8487 * c.r;
    c.ry = 1.3523 * c.r;
    c.oneOverRx = 1.0 / c.rx;
    c.oneOverRy = 1.0 / c.ry;
    c.origin = CS_falseOrigin(def);
    c.maxX = kCs270Degrees * c.rx;
    c.maxY = c.ry;
    c.tolerance = c.a <= 1.0 ? 2e-9 : kToleranceMetres * c.k;

    params->rangeCentralMeridian = def.originLongitude;
    if (def.minLongitude == 0.0) {
        CS_setGeoRange(params, -180.0, -90.0, 180.0, 90.0);
    } else {
        CS_setGeoRange(params, def.minLongitude - def.originLongitude, def.minLatitude,
                       def.maxLongitude - def.originLongitude, def.maxLatitude);
    }
    if (def.minX == 0.0 && def.maxY == 0.0) {
        CS_setXyRange(params, -c.maxX, -c.ry, c.maxX, c.ry, c.origin);
    } else {
        CS_setXyRange(params, def.minX, def.minY, def.maxX, def.maxY);
    }
    CS_installSlots(params, kRobinsonSlots);
}

int CS_robinsonForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsRobinsonConstants& c = Robinson(constants);
    int status = 0;
    double latitude = in[1];
    if (std::fabs(latitude) > kPoleBand) status = 1;
    latitude = FoldedLatitude(latitude, &status);
    double dl = CS_longitudeDifference(in[0], c.centralMeridian, &status, kRobinsonLongitude);
    const Node n = NodeOf(latitude);
    double x = Interpolate(kX, n) * c.rx * dl;
    double y = latitude == 0.0 ? 0.0 : std::copysign(Interpolate(kY, n) * c.ry, latitude);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    return status;
}

int CS_robinsonInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsRobinsonConstants& c = Robinson(constants);
    double x, y;
    CS_removeFalseOrigin(c.origin, in, &x, &y);
    int status = 0;
    if (std::fabs(x) > c.maxX) {
        status = 2;
        x = std::copysign(c.maxX, x);
    }
    if (std::fabs(y) > c.maxY) {
        status = 2;
        y = std::copysign(c.maxY, y);
    }
    // The interval whose quadratic holds |y|, from the estimate down: the
    // table's distances lie above the linear ones, so the estimate is never
    // below the interval.
    const double y0 = std::fabs(y) * c.oneOverRy;
    int i = std::clamp(static_cast<int>(0.2 * 90.0 * y0), 1, 17);
    double u;
    for (;;) {
        const double below = T(kY, i - 1), at = T(kY, i), above = T(kY, i + 1);
        const double d1 = above - below, d2 = above - 2.0 * at + below;
        const double u0 = 2.0 * (y0 - at) / d1, r = d2 / d1;
        u = u0 * (1.0 - r * u0 * (1.0 - 2.0 * r * u0));
        if (u > 0.0 || i < 2) break;
        --i;
    }
    double latitude = std::copysign(5.0 * (i + u), y);

    Node n{};
    for (int round = 0;; ++round) {
        n = NodeOf(latitude);
        double estimate = std::copysign(Interpolate(kY, n) * c.ry, y);
        double delta = estimate - y;
        if (std::fabs(delta) <= c.tolerance || round >= kMostCorrections) break;
        // Newton's step on the interpolation itself. A fixed slope of 90
        // degrees per Ry closes only a third of the gap a round near the
        // pole, where the table flattens, and ends centimetres short.
        const double below = T(kY, n.i - 1), at = T(kY, n.i), above = T(kY, n.i + 1);
        const double slope = 0.2 * ((above - below) / 2.0 + n.u * (above - 2.0 * at + below));
        latitude -= slope > 0.0 ? delta * c.oneOverRy / slope : delta * 90.0 * c.oneOverRy;
        // |y| is at most Ry: the root lies within the poles.
        latitude = std::clamp(latitude, -90.0, 90.0);
    }
    if (std::fabs(latitude) > kPoleBand && status == 0) status = 1;
    latitude = FoldedLatitude(latitude, &status);

    double dl = x * c.oneOverRx / Interpolate(kX, n);
    if (std::fabs(dl) >= kCs270Degrees) {
        status = 2;
        dl = CS_normLngRadAlt(dl);
    }
    CS_inverseEpilogue(out, in, dl, latitude * kCsDegToRad, c.centralMeridian);
    return status;
}

double CS_robinsonK(const CsProjectionConstants* constants, const double ll[3]) {
    const CsRobinsonConstants& c = Robinson(constants);
    if (!(std::fabs(ll[1]) <= kPoleBand)) return kCsInfiniteScale;
    const double east[3] = {ll[0] + 1.0 / 3600.0, ll[1], 0.0};
    double a[3], b[3];
    CS_robinsonForward(constants, a, ll);
    CS_robinsonForward(constants, b, east);
    double d = std::cos(ll[1] * kCsDegToRad) * c.r * kArcSecond;
    return d > c.tolerance ? Distance(a, b) / d : kCsInfiniteScale;
}

double CS_robinsonH(const CsProjectionConstants* constants, const double ll[3]) {
    const CsRobinsonConstants& c = Robinson(constants);
    if (!(std::fabs(ll[1]) <= kPoleBand)) return kCsInfiniteScale;
    constexpr double kHalfSecond = 0.0001388888888888889 / 2.0;
    const double south[3] = {ll[0], ll[1] - kHalfSecond, 0.0};
    const double north[3] = {ll[0], ll[1] + kHalfSecond, 0.0};
    double a[3], b[3];
    CS_robinsonForward(constants, a, south);
    CS_robinsonForward(constants, b, north);
    return Distance(a, b) / (kArcSecond * c.r);
}

double CS_robinsonConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    return CS_numericConvergence(CS_robinsonForward, constants, ll);
}

int CS_robinsonLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]) {
    const CsRobinsonConstants& c = Robinson(constants);
    return CS_pointLimits(count, points, [&](const double ll[3]) {
        return !(std::fabs(ll[1] * kCsDegToRad) <= kCsHalfPi &&
                 std::fabs(ll[0] * kCsDegToRad - c.centralMeridian) <= kCsPi);
    });
}

int CS_robinsonXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]) {
    return CS_routineLimits(CS_robinsonInverse, constants, count, points);
}
