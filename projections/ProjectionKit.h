// The projection family kit: what the families' setups and slot routines
// share, written and tested once. A family builds on it as README.md ("How
// to add a family") shows; TmProjection.cpp is the worked example.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <type_traits>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsParamsBlock.h"
#include "projections/ProjectionTypes.h"

// ---------------------------------------------------------------------------
// The constants record

// Starts the family's record in the block's constants area, zero-filled, and
// returns it for the setup to fill. Only the setup calls it.
template <class T>
T& CS_newConstants(CsParams* params) {
    static_assert(sizeof(T) <= sizeof(CsConstantsArea), "the constants outgrow the block's area");
    static_assert(alignof(T) <= alignof(CsConstantsArea));
    // Blocks are copied and freed as plain bytes.
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    return *::new (static_cast<void*>(params->constants.bytes)) T{};
}

// The family's record behind the pointer its slot routines receive.
template <class T>
const T& CS_constantsOf(const CsProjectionConstants* constants) {
    return *std::launder(reinterpret_cast<const T*>(constants));
}
template <class T>
const T& CS_constantsOf(const CsParams* params) {
    return CS_constantsOf<T>(CS_constants(params));
}

// ---------------------------------------------------------------------------
// The eight slots

struct CsSlots {
    CsProjectFn forward;
    CsProjectFn inverse;
    CsScaleFn gridScale;
    CsScaleFn parallelScale;  // k
    CsScaleFn meridianScale;  // h
    CsScaleFn convergence;    // degrees
    CsLimitsFn checkGeographic;
    CsLimitsFn checkCartesian;
};

// The setup's last step: all eight slots, in the order above.
void CS_installSlots(CsParams* params, const CsSlots& slots);

// Fillers for a slot whose value is constant.
double CS_constantZero(const CsProjectionConstants* constants, const double ll[3]);
double CS_constantOne(const CsProjectionConstants* constants, const double ll[3]);
int CS_alwaysZero(const CsProjectionConstants* constants, int count, const double points[][3]);

// ---------------------------------------------------------------------------
// False origin and quadrant

// The nine-entry tables that turn a definition's quadrant -4..+4 into a
// quadrant code (bit 0 negates x, bit 1 negates y, bit 2 swaps the axes).
enum class CsQuadrantTable : std::uint8_t {
    kNormal,         // 6, 7, 5, 4, 0, 0, 1, 3, 2 (the library's CS_quadrantFlags)
    kSouthOriented,  // 5, 4, 6, 7, 3, 3, 2, 0, 1: quadrants 0 and 1 give x west, y south
};
// 0 outside -4..+4.
int CS_quadrantCode(int quadrant, CsQuadrantTable table = CsQuadrantTable::kNormal);

// Where the family's own x, y land in system coordinates.
struct CsFalseOrigin {
    double falseEasting;  // system units
    double falseNorthing;
    int quadrant;  // quadrant code; 0: the false origin alone
};
// The definition's false origin with its quadrant's code from `table`.
CsFalseOrigin CS_falseOrigin(const CsCoordSysDef& def,
                             CsQuadrantTable table = CsQuadrantTable::kNormal);

// x, y about the origin to system coordinates (CS_quadForward when a code is set).
void CS_applyFalseOrigin(const CsFalseOrigin& origin, double x, double y, double out[2]);
// The reverse (CS_quadInverse when a code is set).
void CS_removeFalseOrigin(const CsFalseOrigin& origin, const double in[2], double* x, double* y);

// ---------------------------------------------------------------------------
// The forward's prologue and epilogue, the inverse's epilogue
//
// Statuses only rise: each step raises *status to its own value when that is
// higher (0 regular, 1 a singular point, 2 outside the domain).

inline void CS_raiseStatus(int* status, int value) {
    *status = std::max(*status, value);
}

// The latitude (degrees) in radians. Beyond +-90 degrees: status 2, wrapped
// (CS_normLatRad); else within 4.85e-8 of a pole: status 1.
double CS_forwardLatitude(double latitude, int* status);
// Beyond +-90 degrees: status 2 and wrapped; no pole status.
double CS_wrappedLatitude(double latitude, int* status);
// Within 4.85e-8 of a pole or beyond: status 2, wrapped and clamped to
// +-(pi/2 - 4.85e-8) (Mercator, Swiss).
double CS_clampedLatitude(double latitude, int* status);

// A latitude with its sine, cosine and tangent; at or beyond the pole band it
// is exactly +-pi/2 with sine +-1, cosine 0 and tangent +-1e32.
struct CsLatitude {
    double phi;
    double sinPhi;
    double cosPhi;
    double tanPhi;  // sine over cosine
    bool pole;
};
CsLatitude CS_poleLatitude(double phi);

enum class CsLongitudeAdjust : std::uint8_t {
    kNone,
    // Beyond +limit with a negative central meridian -2 pi, below -limit
    // with a positive one +2 pi: the point moves to the central meridian's side.
    kTowardCentre,
    kAlways,  // beyond +-limit -+2 pi, whatever the central meridian's sign
};

// How a family takes the longitude difference from its central meridian.
struct CsLongitudeRule {
    double limit = kCsPi;       // radians; a larger difference is outside
    bool limitOutside = false;  // a difference of exactly the limit is outside too
    CsLongitudeAdjust adjust = CsLongitudeAdjust::kTowardCentre;
    int status = 2;                             // raised for an outside difference
    double (*wrap)(double) = CS_normLngRadAlt;  // brings it back; null keeps it
};
// Wrapped into +-pi (CS_normLngRad) without a status: TM, Cassini, Winkel.
inline constexpr CsLongitudeRule kCsLongitudeWrapped{
    .limit = kCsPi, .adjust = CsLongitudeAdjust::kNone, .status = 0, .wrap = CS_normLngRad};
// Toward the central meridian's side, then status 2 and CS_normLngRadAlt
// beyond +-pi: the conics, Bonne, Van der Grinten.
inline constexpr CsLongitudeRule kCsLongitudeTowardCentre{};
// 1.5 pi as the families that keep 270 degrees unwrapped write it.
inline constexpr double kCs270Degrees = 4.71238898038469;

// lambda - lambda0 (degrees in, radians out) by the rule.
double CS_longitudeDifference(double longitude, double centralMeridian, int* status,
                              const CsLongitudeRule& rule = kCsLongitudeWrapped);

// The prologue most forwards share (degrees in): the latitude by
// CS_forwardLatitude and CS_poleLatitude, the longitude difference by `rule`.
struct CsGeoPoint : CsLatitude {
    double dLambda;  // radians
    int status;
};
CsGeoPoint CS_forwardPrologue(double longitude, double latitude, double centralMeridian,
                              const CsLongitudeRule& rule = kCsLongitudeWrapped);

// The forward's last step: false origin and quadrant, z carried.
void CS_forwardEpilogue(double out[3], const double in[3], double x, double y,
                        const CsFalseOrigin& origin);
// The inverse's last step: (dLambda + central meridian, phi) in degrees, z carried.
void CS_inverseEpilogue(double out[3], const double in[3], double dLambda, double phi,
                        double centralMeridian);

// ---------------------------------------------------------------------------
// Convergence without a closed formula

// The forward at (lambda, phi -+ 5e-05 degrees): -atan2(dx, dy) in degrees
// (northern point less southern), or -360.0 when either forward is not 0 or
// the two points coincide.
double CS_numericConvergence(CsProjectFn forward, const CsProjectionConstants* constants,
                             const double ll[3]);

// ---------------------------------------------------------------------------
// Limit checks: 0 when every point (count 1), line (2) or region (4 or
// more) lies inside, else 2; a count below 1 gives 0.

// 2 at the first point for which `outside(point)` holds.
template <class Outside>
int CS_pointLimits(int count, const double points[][3], Outside outside) {
    for (int i = 0; i < count; ++i) {
        if (outside(points[i])) return 2;
    }
    return 0;
}

// Three points make neither a line nor a region: error 162 reported, 4096.
int CS_threePointRegion();

// Every point by `pointOutside`; then three points are refused
// (CS_threePointRegion), and a line's two ends or a region's vertices must
// each pass `vertexOutside` too.
template <class PointOutside, class VertexOutside>
int CS_regionLimits(int count, const double points[][3], PointOutside pointOutside,
                    VertexOutside vertexOutside) {
    if (CS_pointLimits(count, points, pointOutside) != 0) return 2;
    if (count == 3) return CS_threePointRegion();
    return count >= 2 ? CS_pointLimits(count, points, vertexOutside) : 0;
}

// 2 when two consecutive points have angles (`angle(point)`, radians) of
// opposite signs (negative against not negative) whose magnitudes add up to
// more than pi: the segment runs round the back of the projection.
template <class Angle>
int CS_segmentLimits(int count, const double points[][3], Angle angle) {
    double previous = 0.0;
    for (int i = 0; i < count; ++i) {
        double current = angle(points[i]);
        if (i > 0 && (previous < 0.0) != (current < 0.0) &&
            std::fabs(previous) + std::fabs(current) > kCsPi) {
            return 2;
        }
        previous = current;
    }
    return 0;
}

// 2 at the first point for which `routine` (the family's forward or inverse)
// returns a non-zero status.
int CS_routineLimits(CsProjectFn routine, const CsProjectionConstants* constants, int count,
                     const double points[][3]);

// ---------------------------------------------------------------------------
// The useful range

// Whether a definition gives its own limits, and how its longitudes are taken.
struct CsRangeRule {
    // All four limits zero means none (else: the two longitude, or x, limits).
    bool allFour = false;
    // Wraps the longitudes, made relative to the central meridian (null: kept).
    double (*wrap)(double) = CS_normDeg180;
};

// The definition's geographic limits into the block's useful range, longitudes
// less `centralMeridian` (degrees) and wrapped: true, or false and nothing
// done when the definition gives none.
bool CS_geoRangeFromDefinition(CsParams* params, double centralMeridian,
                               const CsRangeRule& rule = {});
// The definition's cartesian limits copied: true, or false when it gives none.
bool CS_xyRangeFromDefinition(CsParams* params, const CsRangeRule& rule = {});

// A family's default: longitudes relative to the central meridian, degrees.
void CS_setGeoRange(CsParams* params, double minLongitude, double minLatitude, double maxLongitude,
                    double maxLatitude);
// A family's default from two corners about the false origin, placed by the
// false origin and quadrant and reordered (CS_quadMinMax).
void CS_setXyRange(CsParams* params, double minX, double minY, double maxX, double maxY,
                   const CsFalseOrigin& origin);
// A family's default in system coordinates, as given.
void CS_setXyRange(CsParams* params, double minX, double minY, double maxX, double maxY);

// ---------------------------------------------------------------------------
// Checks

// A check's errors: every problem counted, its code stored while the caller's
// array has room (a null array has none).
class CsCheckErrors {
public:
    CsCheckErrors(int errors[], int capacity) : errors_(errors), capacity_(capacity) {}
    void Add(int code) { CS_addCheckError(errors_, capacity_, count_, code); }
    // Adds `code` unless `valid`: write the condition for a valid value, so
    // that a NaN fails it.
    void Require(bool valid, int code) {
        if (!valid) Add(code);
    }
    int Count() const { return count_; }

private:
    int* errors_;
    int capacity_;
    int count_ = 0;
};
