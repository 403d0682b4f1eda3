#include "coordsys/datum/Ats77File.h"

#include <cmath>
#include <memory>

#include "common/ByteSource.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumMethods.h"
#include "coordsys/datum/GridFileInput.h"

namespace {

constexpr std::size_t kHeaderSize = 4 * 4 + 9 * 8 + 2 * 4;

// Clarke 1866 (NAD27) and the ellipsoid the polynomials are fitted on, and
// the translation between them.
constexpr double kNad27A = 6378206.4, kNad27E2 = 0.00676865799729122;
constexpr double kAtsA = 6378135.0, kAtsE2 = 0.00669438497508474;
constexpr double kTranslation[3] = {-15.0, 165.0, 175.0};

int Province(const std::string& stem) {
    if (stem.size() < 4) return 0;
    const std::string pair = stem.substr(2, 2);
    if (CS_stricmp(pair.c_str(), "nb") == 0) return 1;
    if (CS_stricmp(pair.c_str(), "ns") == 0) return 2;
    if (CS_stricmp(pair.c_str(), "pe") == 0) return 3;
    return 0;
}

// Reads the whole file: 0, or the code of what is wrong with it.
int Read(CsAts77Transform* t, const CGridFileInput& in, double density) {
    const std::uint64_t size = in.Size();
    if (size < kHeaderSize) return kCsErrIo;
    auto header = std::vector<std::uint8_t>(kHeaderSize);
    if (in.Read(0, header.data(), header.size()) != 0) return -1;
    CByteCursor cursor(header);
    cursor.Skip(4);
    const std::int32_t degree = cursor.I32Le();
    const std::int32_t points = cursor.I32Le();
    const std::int32_t direction = cursor.I32Le();
    double values[9];
    for (double& v : values) v = cursor.F64Le();
    if (direction != 1 && direction != 2) return kCsErrCorrupt;
    // The object holds ten coefficients; the counts must be what the rest of
    // the file holds, checked before anything is allocated.
    if (degree < 0 || degree + 1 > kCsAts77MaxCoefficients || points < 0) return kCsErrCorrupt;
    const std::uint64_t count = 5 * static_cast<std::uint64_t>(points) + 2 * (degree + 1) + 1;
    if ((size - kHeaderSize) / 8 != count || (size - kHeaderSize) % 8 != 0) return kCsErrCorrupt;
    const auto [sigma, phi0, lambda0, latOffset, lonOffset, sy, sx, latDivisor, lonDivisor] =
        values;
    for (double v : values) {
        if (!std::isfinite(v)) return kCsErrCorrupt;
    }
    if (!(sx > 0.0 && sy > 0.0) || latDivisor == 0.0 || lonDivisor == 0.0) return kCsErrCorrupt;

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count * 8));
    if (in.Read(kHeaderSize, bytes.data(), bytes.size()) != 0) return -1;
    CByteCursor array(bytes);
    t->coefficients.resize(static_cast<std::size_t>(count));
    for (double& c : t->coefficients) {
        c = array.F64Le();
        if (!std::isfinite(c)) return kCsErrCorrupt;
    }
    t->direction = direction;
    t->degree = degree;
    t->coefficientCount = degree + 1;
    t->pointCount = points;
    t->sigmaSquared = sigma * sigma;
    t->phi0 = phi0;
    t->lambda0 = lambda0;
    t->latOffset = latOffset;
    t->lonOffset = lonOffset;
    t->sy = sy;
    t->sx = sx;
    t->latDivisor = latDivisor;
    t->lonDivisor = lonDivisor;
    const double* polynomial = t->coefficients.data() + 5 * points;
    for (int k = 0; k <= degree; ++k) {
        t->polynomial[k][0] = polynomial[2 * k];
        t->polynomial[k][1] = polynomial[2 * k + 1];
    }
    t->radiusLimit = 1.25;
    t->minLongitude = -lambda0 - 1.25 / sx;
    t->maxLongitude = -lambda0 + 1.25 / sx;
    t->minLatitude = phi0 - 1.25 / sy;
    t->maxLatitude = phi0 + 1.25 / sy;
    t->density = density > 0.0 ? density : 0.1;
    return 0;
}

CsAts77Transform* Open(CGridFileInput input, double density) {
    auto t = std::make_unique<CsAts77Transform>();
    t->path = input.Path();
    const std::string stem = CS_gridFileStem(t->path, 31);
    CS_strNCopy(t->name, stem.c_str(), sizeof t->name);
    t->province = Province(stem);
    const bool read = input.ReadOnce(
        [&] { return t->province == 0 ? kCsErrCorrupt : Read(t.get(), input, density); });
    return read ? t.release() : nullptr;
}

}  // namespace

CsAts77Transform* CS_ats77Open(const char* path, unsigned /*secondNumber*/, double density) {
    return Open(CGridFileInput(path), density);
}

CsAts77Transform* CS_ats77OpenBytes(const char* name, std::span<const std::uint8_t> bytes,
                                    double density) {
    return Open(CGridFileInput(name, bytes), density);
}

void CS_ats77Free(CsAts77Transform* transform) {
    delete transform;
}

int CS_ats77Direction(const CsAts77Transform* transform) {
    return transform->direction;
}

double CS_ats77Coverage(const CsAts77Transform* t, int direction, const double ll[2]) {
    const bool inside = t->direction == direction && t->minLongitude <= ll[0] &&
                        ll[0] < t->maxLongitude && t->minLatitude <= ll[1] &&
                        ll[1] < t->maxLatitude;
    return inside ? t->density : 0.0;
}

int CS_ats77Shift(const CsAts77Transform* t, double out[2], const double in[2]) {
    // Change of ellipsoid at height 0.
    const bool toAts = t->direction == 1;
    const double sign = toAts ? 1.0 : -1.0;
    const double llh[3] = {in[0], in[1], 0.0};
    double xyz[3], changed[3];
    CS_geodeticToGeocentric(xyz, llh, toAts ? kNad27A : kAtsA, toAts ? kNad27E2 : kAtsE2);
    for (int i = 0; i < 3; ++i) xyz[i] += sign * kTranslation[i];
    int result = CS_geocentricToGeodetic(changed, xyz, toAts ? kAtsA : kNad27A,
                                         toAts ? kAtsE2 : kNad27E2) != 0
                     ? 1
                     : 0;

    const double x = -changed[0], phi = changed[1];
    const double u = (x - t->lambda0) * t->sx;
    const double v = (phi - t->phi0) * t->sy;
    if (std::sqrt(u * u + v * v) > t->radiusLimit) return 1;

    // w = sum of c_k z^k, z = v + i u.
    const double z[2] = {v, u};
    double w[2] = {0.0, 0.0}, power[2] = {1.0, 0.0};
    for (int k = 0; k < t->coefficientCount; ++k) {
        double term[2];
        CS_cmplxMul(t->polynomial[k], power, term);
        CS_cmplxAdd(w, term, w);
        CS_cmplxMul(power, z, power);
    }
    // The collocation term: the collocation values' mean, weighted by their
    // points' closeness.
    double acc[2] = {0.0, 0.0};
    if (t->sigmaSquared != 0.0) {
        const int m = t->pointCount;
        const double* points = t->coefficients.data();
        const double* values = points + 2 * m;
        const double* weights = values + 2 * m;
        double sum = 0.0;
        for (int j = 0; j < m; ++j) {
            const double d[2] = {z[0] - points[2 * j], z[1] - points[2 * j + 1]};
            const double tt = (d[0] * d[0] + d[1] * d[1]) / t->sigmaSquared;
            const double g = (tt < 172.0 ? std::exp(-tt) : 0.0) * weights[j];
            const double next = sum + g;
            if (std::fabs(next) >= 1e-75) {
                acc[0] = (acc[0] * sum + values[2 * j] * g) / next;
                acc[1] = (acc[1] * sum + values[2 * j + 1] * g) / next;
            }
            sum = next;
        }
    }
    const double latShift = t->latOffset + (w[0] + acc[0]) / t->latDivisor;
    const double lonShift = t->lonOffset + (w[1] + acc[1]) / t->lonDivisor;
    out[1] = phi - latShift / 3600.0;
    out[0] = -(x - lonShift / 3600.0);
    return result;
}
