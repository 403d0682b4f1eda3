#include "coordsys/datum/DatumMethods.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/MultipleRegression.h"

int CS_failWith(int code, const char* context) {
    CS_setErrorContext(context);
    CS_reportError(code);
    return -1;
}

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;
// One arc-second in radians, as the Molodensky and WGS72 formulas write it.
constexpr double kArcsec = 4.848136811076368e-6;
constexpr double kPoleLimit = 1.5707962782948965;

double Squared(double e) {
    return e * e;
}

void CopyPoint(double out[3], const double in[3]) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
}

// The fields every geocentric method starts with.
template <class T>
T* Allocate(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    T* method = CS_allocate<T>();
    if (method == nullptr) return nullptr;
    CS_strNCopy(method->srcKey, datum->key, kCsKeySize);
    CS_strNCopy(method->wgsKey, wgs84->key, kCsKeySize);
    return method;
}

template <class T>
void FillGeocentric(T* method, const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    method->srcA = datum->equatorialRadius;
    method->srcE2 = Squared(datum->eccentricity);
    method->wgsA = wgs84->equatorialRadius;
    method->wgsE2 = Squared(wgs84->eccentricity);
    method->dX = datum->deltaX - wgs84->deltaX;
    method->dY = datum->deltaY - wgs84->deltaY;
    method->dZ = datum->deltaZ - wgs84->deltaZ;
}

// The scale ratio k, or false with 139 when WGS84's own scale is about 0.
bool ScaleRatio(const CsDatumBlock* datum, const CsDatumBlock* wgs84, const char* module,
                double* k) {
    const double wgsScale = 1.0 + wgs84->bwScale * 1e-6;
    if (std::fabs(wgsScale) < 1e-6) {
        CS_failWith(kCsErrInternal, module);
        return false;
    }
    *k = (1.0 + datum->bwScale * 1e-6) / wgsScale;
    return true;
}

void RotationDifferences(const CsDatumBlock* datum, const CsDatumBlock* wgs84, double r[3]) {
    r[0] = (datum->rotX - wgs84->rotX) * kCsArcsecToRadians;
    r[1] = (datum->rotY - wgs84->rotY) * kCsArcsecToRadians;
    r[2] = (datum->rotZ - wgs84->rotZ) * kCsArcsecToRadians;
}

void RotationMatrix(const double r[3], double m[9]) {
    const double sx = std::sin(r[0]), cx = std::cos(r[0]);
    const double sy = std::sin(r[1]), cy = std::cos(r[1]);
    const double sz = std::sin(r[2]), cz = std::cos(r[2]);
    m[0] = cy * cz;
    m[1] = cz * sy * sx + sz * cx;
    m[2] = sz * sx - cz * sy * cx;
    m[3] = -sz * cy;
    m[4] = cz * cx - sz * sy * sx;
    m[5] = sz * sy * cx + cz * sx;
    m[6] = sy;
    m[7] = -cy * sx;
    m[8] = cy * cx;
}

// Geocentric on the datum's ellipsoid, `transform` in place, back to
// geodetic on WGS84's.
template <class T, class Transform>
int ThroughGeocentric(double out[3], const double in[3], const T* method, Transform transform) {
    double xyz[3];
    CS_geodeticToGeocentric(xyz, in, method->srcA, method->srcE2);
    transform(xyz);
    return CS_geocentricToGeodetic(out, xyz, method->wgsA, method->wgsE2);
}

void Rotate(const double m[9], double xyz[3]) {
    const double x = xyz[0], y = xyz[1], z = xyz[2];
    xyz[0] = m[0] * x + m[1] * y + m[2] * z;
    xyz[1] = m[3] * x + m[4] * y + m[5] * z;
    xyz[2] = m[6] * x + m[7] * y + m[8] * z;
}

// The kernel on the point at height 0; the output keeps the input height.
template <class Kernel>
int Forward2d(double out[3], const double in[3], Kernel kernel) {
    const double flat[3] = {in[0], in[1], 0.0};
    double shifted[3];
    const int status = kernel(shifted, flat);
    if (status < 0) {
        CopyPoint(out, in);
        return status;
    }
    out[0] = shifted[0];
    out[1] = shifted[1];
    out[2] = in[2];
    return status;
}

// The parameter methods' inverse: a forward warning ends it at the guess.
constexpr CsInverseLimits Limits(int rounds, int message) {
    return {rounds, 1e-9, 1e-6, message, CsInverseLimits::kReturnGuess};
}

}  // namespace

// ---------------------------------------------------------------------------
// Geocentric conversions

void CS_geodeticToGeocentric(double xyz[3], const double llh[3], double a, double e2) {
    const double lam = llh[0] * kDegToRad;
    const double phi = llh[1] * kDegToRad;
    const double h = llh[2];
    const double sinPhi = std::sin(phi);
    const double n = a / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
    xyz[0] = (n + h) * std::cos(phi) * std::cos(lam);
    xyz[1] = (n + h) * std::cos(phi) * std::sin(lam);
    xyz[2] = ((1.0 - e2) * n + h) * sinPhi;
}

int CS_geocentricToGeodetic(double llh[3], const double xyz[3], double a, double e2) {
    const double x = xyz[0], y = xyz[1], z = xyz[2];
    const double p = std::sqrt(x * x + y * y);
    auto radius = [&](double phi) {
        const double s = std::sin(phi);
        return a / std::sqrt(1.0 - e2 * s * s);
    };
    double phi = std::atan(z / p);
    bool converged = false;
    for (int round = 0; round < 9 && !converged; ++round) {
        const double next = std::atan((z + e2 * radius(phi) * std::sin(phi)) / p);
        converged = std::fabs(next - phi) < 5e-12;
        phi = next;
    }
    const double n = radius(phi);
    const double h =
        std::fabs(phi) <= 1.0 ? p / std::cos(phi) - n : z / std::sin(phi) - (1.0 - e2) * n;
    llh[0] = std::atan2(y, x) * kRadToDeg;
    llh[1] = phi * kRadToDeg;
    llh[2] = h;
    if (converged) return 0;
    CS_reportError(kCsErrGeocentric);
    return -1;
}

// ---------------------------------------------------------------------------
// Bursa/Wolf

CsBursaWolf* CS_bursaWolfSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    double k;
    if (!ScaleRatio(datum, wgs84, "CS_bursaWolfSetup", &k)) return nullptr;
    CsBursaWolf* method = Allocate<CsBursaWolf>(datum, wgs84);
    if (method == nullptr) return nullptr;
    FillGeocentric(method, datum, wgs84);
    method->k = k;
    double r[3];
    RotationDifferences(datum, wgs84, r);
    method->rX = r[0];
    method->rY = r[1];
    method->rZ = r[2];
    return method;
}

int CS_bursaWolfShift(double out[3], const double in[3], const CsBursaWolf* m) {
    return ThroughGeocentric(out, in, m, [m](double v[3]) {
        const double x = v[0], y = v[1], z = v[2];
        v[0] = m->k * (x - m->rZ * y + m->rY * z) + m->dX;
        v[1] = m->k * (m->rZ * x + y - m->rX * z) + m->dY;
        v[2] = m->k * (-m->rY * x + m->rX * y + z) + m->dZ;
    });
}

int CS_bursaWolfForward(double out[3], const double in[3], const CsBursaWolf* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_bursaWolfShift(o, i, m); });
}

int CS_bursaWolfInverse(double out[3], const double in[3], const CsBursaWolf* m) {
    return CS_iterateInverse(
        out, in, Limits(8, kCsErrBursaWolfInverse),
        [m](double o[3], const double i[3]) { return CS_bursaWolfForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Seven-parameter

CsSevenParameter* CS_sevenParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    double k;
    if (!ScaleRatio(datum, wgs84, "CS_sevenParamSetup", &k)) return nullptr;
    CsSevenParameter* method = Allocate<CsSevenParameter>(datum, wgs84);
    if (method == nullptr) return nullptr;
    FillGeocentric(method, datum, wgs84);
    method->k = k;
    double r[3];
    RotationDifferences(datum, wgs84, r);
    RotationMatrix(r, method->m);
    return method;
}

int CS_sevenParamShift(double out[3], const double in[3], const CsSevenParameter* m) {
    return ThroughGeocentric(out, in, m, [m](double v[3]) {
        Rotate(m->m, v);
        v[0] = m->k * v[0] + m->dX;
        v[1] = m->k * v[1] + m->dY;
        v[2] = m->k * v[2] + m->dZ;
    });
}

int CS_sevenParamForward(double out[3], const double in[3], const CsSevenParameter* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_sevenParamShift(o, i, m); });
}

int CS_sevenParamInverse(double out[3], const double in[3], const CsSevenParameter* m) {
    return CS_iterateInverse(
        out, in, Limits(20, kCsErrSevenParamInverse),
        [m](double o[3], const double i[3]) { return CS_sevenParamForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Six-parameter

CsSixParameter* CS_sixParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    CsSixParameter* method = Allocate<CsSixParameter>(datum, wgs84);
    if (method == nullptr) return nullptr;
    FillGeocentric(method, datum, wgs84);
    double r[3];
    RotationDifferences(datum, wgs84, r);
    RotationMatrix(r, method->m);
    return method;
}

int CS_sixParamShift(double out[3], const double in[3], const CsSixParameter* m) {
    return ThroughGeocentric(out, in, m, [m](double v[3]) {
        Rotate(m->m, v);
        v[0] += m->dX;
        v[1] += m->dY;
        v[2] += m->dZ;
    });
}

int CS_sixParamForward(double out[3], const double in[3], const CsSixParameter* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_sixParamShift(o, i, m); });
}

int CS_sixParamInverse(double out[3], const double in[3], const CsSixParameter* m) {
    return CS_iterateInverse(
        out, in, Limits(8, kCsErrSixParamInverse),
        [m](double o[3], const double i[3]) { return CS_sixParamForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Three-parameter

CsThreeParameter* CS_threeParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    CsThreeParameter* method = Allocate<CsThreeParameter>(datum, wgs84);
    if (method == nullptr) return nullptr;
    FillGeocentric(method, datum, wgs84);
    return method;
}

int CS_threeParamShift(double out[3], const double in[3], const CsThreeParameter* m) {
    return ThroughGeocentric(out, in, m, [m](double v[3]) {
        v[0] += m->dX;
        v[1] += m->dY;
        v[2] += m->dZ;
    });
}

int CS_threeParamForward(double out[3], const double in[3], const CsThreeParameter* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_threeParamShift(o, i, m); });
}

int CS_threeParamInverse(double out[3], const double in[3], const CsThreeParameter* m) {
    return CS_iterateInverse(
        out, in, Limits(8, kCsErrThreeParamInverse),
        [m](double o[3], const double i[3]) { return CS_threeParamForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Four-parameter

CsFourParameter* CS_fourParamSetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    double k;
    if (!ScaleRatio(datum, wgs84, "CS_fourParamSetup", &k)) return nullptr;
    CsFourParameter* method = Allocate<CsFourParameter>(datum, wgs84);
    if (method == nullptr) return nullptr;
    FillGeocentric(method, datum, wgs84);
    method->k = k;
    return method;
}

int CS_fourParamShift(double out[3], const double in[3], const CsFourParameter* m) {
    return ThroughGeocentric(out, in, m, [m](double v[3]) {
        v[0] = m->k * v[0] + m->dX;
        v[1] = m->k * v[1] + m->dY;
        v[2] = m->k * v[2] + m->dZ;
    });
}

int CS_fourParamForward(double out[3], const double in[3], const CsFourParameter* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_fourParamShift(o, i, m); });
}

int CS_fourParamInverse(double out[3], const double in[3], const CsFourParameter* m) {
    return CS_iterateInverse(
        out, in, Limits(8, kCsErrFourParamInverse),
        [m](double o[3], const double i[3]) { return CS_fourParamForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Molodensky

CsMolodensky* CS_molodenskySetup(const CsDatumBlock* datum, const CsDatumBlock* wgs84) {
    CsMolodensky* method = Allocate<CsMolodensky>(datum, wgs84);
    if (method == nullptr) return nullptr;
    method->dX = datum->deltaX - wgs84->deltaX;
    method->dY = datum->deltaY - wgs84->deltaY;
    method->dZ = datum->deltaZ - wgs84->deltaZ;
    method->srcA = datum->equatorialRadius;
    method->srcB = datum->polarRadius;
    method->srcE2 = Squared(datum->eccentricity);
    method->srcF = datum->flattening;
    method->wgsA = wgs84->equatorialRadius;
    method->wgsB = wgs84->polarRadius;
    method->wgsE2 = Squared(wgs84->eccentricity);
    method->wgsF = wgs84->flattening;
    return method;
}

int CS_molodenskyShift(double out[3], const double in[3], const CsMolodensky* m) {
    const double lam = in[0] * kDegToRad;
    const double phi = in[1] * kDegToRad;
    const double h = in[2];
    const double a = m->srcA, b = m->srcB, e2 = m->srcE2;
    const double da = m->wgsA - a;
    const double df = m->wgsF - m->srcF;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinLam = std::sin(lam), cosLam = std::cos(lam);
    const double w = 1.0 - e2 * sinPhi * sinPhi;
    const double n = a / std::sqrt(w);
    const double mRadius = a * (1.0 - e2) / (w * std::sqrt(w));

    const double dPhi =
        ((mRadius * a / b + n * b / a) * df * sinPhi * cosPhi + m->dZ * cosPhi -
         m->dX * sinPhi * cosLam - m->dY * sinPhi * sinLam + da * n * e2 * sinPhi * cosPhi / a) /
        ((mRadius + h) * kArcsec);
    const double dLam = std::fabs(phi) <= kPoleLimit
                            ? (m->dY * cosLam - m->dX * sinLam) / ((n + h) * kArcsec * cosPhi)
                            : 0.0;
    const double dH = (m->dX * cosLam + m->dY * sinLam) * cosPhi + m->dZ * sinPhi - da * a / n +
                      df * (b / a) * n * sinPhi * sinPhi;
    out[0] = in[0] + dLam / 3600.0;
    out[1] = in[1] + dPhi / 3600.0;
    out[2] = in[2] + dH;
    return 0;
}

int CS_molodenskyForward(double out[3], const double in[3], const CsMolodensky* m) {
    return Forward2d(out, in,
                     [m](double o[3], const double i[3]) { return CS_molodenskyShift(o, i, m); });
}

int CS_molodenskyInverse(double out[3], const double in[3], const CsMolodensky* m) {
    return CS_iterateInverse(
        out, in, Limits(8, kCsErrMolodenskyInverse),
        [m](double o[3], const double i[3]) { return CS_molodenskyForward(o, i, m); });
}

// ---------------------------------------------------------------------------
// Null shift and WGS72

int CS_nullShift(double out[3], const double in[3]) {
    CopyPoint(out, in);
    return 0;
}

namespace {

// The WGS72 to WGS84 amounts at the latitude: longitude and latitude in
// degrees, height in metres.
void Wgs72Amounts(double latitude, double amounts[3]) {
    constexpr double a = 6378135.0;
    constexpr double df = 3.121057e-8;
    const double phi = latitude * kDegToRad;
    const double sinPhi = std::sin(phi);
    amounts[0] = 0.0001538888888888889;
    amounts[1] =
        (df * std::sin(2.0 * phi) / kArcsec + 4.5 * std::cos(phi) / (kArcsec * a)) / 3600.0;
    amounts[2] = df * a * sinPhi * sinPhi + 4.5 * sinPhi + 1.4 - 2.0;
}

}  // namespace

int CS_wgs72Forward(double out[3], const double in[3]) {
    double amounts[3];
    Wgs72Amounts(in[1], amounts);
    for (int i = 0; i < 3; ++i) out[i] = in[i] + amounts[i];
    return 0;
}

int CS_wgs72Inverse(double out[3], const double in[3]) {
    double amounts[3];
    Wgs72Amounts(in[1], amounts);
    for (int i = 0; i < 3; ++i) out[i] = in[i] - amounts[i];
    return 0;
}

// ---------------------------------------------------------------------------
// By step code

void* CS_datumShiftSetup(CsDatumShiftMethod method, const CsDatumBlock* datum,
                         const CsDatumBlock* wgs84) {
    switch (method) {
        case CsDatumShiftMethod::kMolodensky:
            return CS_molodenskySetup(datum, wgs84);
        case CsDatumShiftMethod::kMultipleRegression:
            return CS_setupMultipleRegression(datum, wgs84);
        case CsDatumShiftMethod::kBursaWolf:
            return CS_bursaWolfSetup(datum, wgs84);
        case CsDatumShiftMethod::kSevenParameter:
            return CS_sevenParamSetup(datum, wgs84);
        case CsDatumShiftMethod::kThreeParameter:
            return CS_threeParamSetup(datum, wgs84);
        case CsDatumShiftMethod::kSixParameter:
            return CS_sixParamSetup(datum, wgs84);
        case CsDatumShiftMethod::kFourParameter:
            return CS_fourParamSetup(datum, wgs84);
        case CsDatumShiftMethod::kNone:
            break;
    }
    CS_failWith(kCsErrInternal, "CS_datumShiftSetup");
    return nullptr;
}

namespace {

enum class Direction { kForward, kInverse, kKernel };

int Dispatch(Direction direction, CsDatumShiftMethod method, const void* object, double out[3],
             const double in[3]) {
    auto run = [&](auto forward, auto inverse, auto kernel, auto* typed) {
        switch (direction) {
            case Direction::kForward:
                return forward(out, in, typed);
            case Direction::kInverse:
                return inverse(out, in, typed);
            case Direction::kKernel:
                break;
        }
        return kernel(out, in, typed);
    };
    switch (method) {
        case CsDatumShiftMethod::kMolodensky:
            return run(CS_molodenskyForward, CS_molodenskyInverse, CS_molodenskyShift,
                       static_cast<const CsMolodensky*>(object));
        case CsDatumShiftMethod::kMultipleRegression:
            return run(CS_multipleRegressionForward, CS_multipleRegressionInverse,
                       CS_evalMultipleRegression, static_cast<const CsMultipleRegression*>(object));
        case CsDatumShiftMethod::kBursaWolf:
            return run(CS_bursaWolfForward, CS_bursaWolfInverse, CS_bursaWolfShift,
                       static_cast<const CsBursaWolf*>(object));
        case CsDatumShiftMethod::kSevenParameter:
            return run(CS_sevenParamForward, CS_sevenParamInverse, CS_sevenParamShift,
                       static_cast<const CsSevenParameter*>(object));
        case CsDatumShiftMethod::kThreeParameter:
            return run(CS_threeParamForward, CS_threeParamInverse, CS_threeParamShift,
                       static_cast<const CsThreeParameter*>(object));
        case CsDatumShiftMethod::kSixParameter:
            return run(CS_sixParamForward, CS_sixParamInverse, CS_sixParamShift,
                       static_cast<const CsSixParameter*>(object));
        case CsDatumShiftMethod::kFourParameter:
            return run(CS_fourParamForward, CS_fourParamInverse, CS_fourParamShift,
                       static_cast<const CsFourParameter*>(object));
        case CsDatumShiftMethod::kNone:
            break;
    }
    CopyPoint(out, in);
    return CS_failWith(kCsErrInternal, "CS_datumShift");
}

}  // namespace

int CS_datumShiftForward(CsDatumShiftMethod method, const void* object, double out[3],
                         const double in[3]) {
    return Dispatch(Direction::kForward, method, object, out, in);
}

int CS_datumShiftInverse(CsDatumShiftMethod method, const void* object, double out[3],
                         const double in[3]) {
    return Dispatch(Direction::kInverse, method, object, out, in);
}

int CS_datumShiftKernel(CsDatumShiftMethod method, const void* object, double out[3],
                        const double in[3]) {
    return Dispatch(Direction::kKernel, method, object, out, in);
}

void CS_datumShiftFree(CsDatumShiftMethod method, void* object) {
    if (method == CsDatumShiftMethod::kMultipleRegression) {
        CS_multipleRegressionFree(static_cast<CsMultipleRegression*>(object));
    } else {
        CS_free(object);
    }
}
