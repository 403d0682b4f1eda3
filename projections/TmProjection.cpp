#include "projections/TmProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "projections/ProjectionConstants.h"

namespace {

constexpr std::uint16_t kQuadrantMask = 0x00FF;

// Quadrant flags of the south-oriented variant: x grows west, y south.
int SouthOrientedFlags(int quadrant) {
    static constexpr int kFlags[9] = {5, 4, 6, 7, 3, 3, 2, 0, 1};
    return (quadrant < -4 || quadrant > 4) ? 0 : kFlags[quadrant + 4];
}

// The point (degrees) projected about the central meridian and origin
// latitude, before the false origin, quadrant and options.
int Project(const CsTmConstants& c, double longitude, double latitude, double* x, double* y) {
    int status = 0;
    double phi = latitude * kCsDegToRad;
    if (std::fabs(phi) > kCsMaxLatitude) {
        status = 1;
        if (std::fabs(phi) > kCsHalfPi) {
            status = 2;
            phi = CS_normLatRad(phi);
        }
    }
    double sinPhi, cosPhi, tanPhi;
    if (std::fabs(phi) > kCsMaxLatitude) {
        phi = std::copysign(kCsHalfPi, phi);
        sinPhi = std::copysign(1.0, phi);
        cosPhi = 0.0;
        tanPhi = std::copysign(kCsPoleTangent, phi);
    } else {
        sinPhi = std::sin(phi);
        cosPhi = std::cos(phi);
        tanPhi = sinPhi / cosPhi;
    }

    double dl = longitude * kCsDegToRad - c.centralMeridian;
    if (std::fabs(dl) > kCsPi) dl = CS_normLngRad(dl);
    if (std::fabs(dl) > kCsMaxLatitude) {
        status = 2;
        // On the equator 90 degrees out the projection is infinite.
        if (std::fabs(std::fabs(dl) - kCsHalfPi) <= kCsAngularTolerance &&
            std::fabs(cosPhi) > 0.9999999515) {
            dl = std::copysign(kCsMaxLatitude, dl);
        }
    }

    if (c.e == 0.0) {
        double b = cosPhi * std::sin(dl);
        *x = c.rkHalf * std::log((1.0 + b) / (1.0 - b));
        *y = c.rk * (std::atan2(tanPhi, std::cos(dl)) - c.originLatitude);
    } else if (c.kruger) {
        double chi = CS_evalSinSeries(&c.toConformal, phi);
        double sinChi = std::sin(chi), cosChi = std::cos(chi);
        double xiP = std::atan2(sinChi, cosChi * std::cos(dl));
        double etaP = std::atanh(cosChi * std::sin(dl));
        double sumX = etaP, sumY = xiP;
        for (int j = 1; j <= 4; ++j) {
            sumX += c.alpha[j - 1] * std::cos(2 * j * xiP) * std::sinh(2 * j * etaP);
            sumY += c.alpha[j - 1] * std::sin(2 * j * xiP) * std::cosh(2 * j * etaP);
        }
        *x = c.krugerAk * sumX;
        *y = c.krugerAk * sumY;
    } else {
        double t2 = tanPhi * tanPhi;
        double cc = c.ePrimeSq * cosPhi * cosPhi;
        double a1 = dl * cosPhi;
        double a2 = a1 * a1;
        double n = c.a / std::sqrt(1.0 - c.eSq * sinPhi * sinPhi);
        double m = CS_meridionalArc(&c.arc, phi, sinPhi, cosPhi);
        *x = c.k * n *
             (a1 + (1.0 - t2 + cc) * a1 * a2 / 6.0 +
              (5.0 - 18.0 * t2 + t2 * t2 + 14.0 * cc - 58.0 * t2 * cc) * a1 * a2 * a2 / 120.0 +
              (61.0 - 479.0 * t2 + 179.0 * t2 * t2 - t2 * t2 * t2) * a1 * a2 * a2 * a2 / 5040.0);
        *y = c.k * (m - c.m0 +
                    n * tanPhi *
                        (a2 / 2.0 + (5.0 - t2 + 9.0 * cc + 4.0 * cc * cc) * a2 * a2 / 24.0 +
                         (61.0 - 58.0 * t2 + t2 * t2 + 270.0 * cc - 330.0 * t2 * cc) * a2 * a2 *
                             a2 / 720.0));
    }
    return status;
}

// Easting and northing about the central meridian and origin latitude back
// to a point (degrees).
int Unproject(const CsTmConstants& c, double x, double y, double* longitude, double* latitude) {
    int status = 0;
    if (std::fabs(x) > c.largestEasting) {
        status = 2;
        x = std::copysign(c.largestEasting, x);
    }
    double dl, phi;
    if (c.e == 0.0) {
        double d = y / c.rk + c.originLatitude;
        phi = std::asin(std::sin(d) / std::cosh(x / c.rk));
        if (std::fabs(std::cos(d)) <= kCsAngularTolerance) {
            dl = 0.0;
            status = std::max(status, 1);
        } else {
            dl = std::atan2(std::sinh(x / c.rk), std::cos(d));
        }
    } else if (c.kruger) {
        double xi = y / c.krugerAk, eta = x / c.krugerAk;
        if (std::fabs(xi) > kCsHalfPi) xi = std::copysign(kCsHalfPi, y);
        double xiP = xi, etaP = eta;
        for (int j = 1; j <= 4; ++j) {
            xiP -= c.beta[j - 1] * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
            etaP -= c.beta[j - 1] * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
        }
        dl = std::atan2(std::sinh(etaP), std::cos(xiP));
        double s = std::sin(xiP) / std::cosh(etaP);
        phi = std::fabs(s) >= 1.0 ? std::copysign(kCsHalfPi, s)
                                  : CS_evalSinSeries(&c.fromConformal, std::asin(s));
    } else {
        double phi1 = CS_latitudeFromArc(&c.inverseArc, y / c.k + c.m0);
        double cos1 = std::cos(phi1);
        if (std::fabs(cos1) < kCsAngularTolerance) {
            dl = 0.0;
            phi = std::copysign(kCsHalfPi, phi1);
            status = std::max(status, 1);
        } else {
            double sin1 = std::sin(phi1);
            double t = sin1 / cos1;
            double t2 = t * t;
            double cc = c.ePrimeSq * cos1 * cos1;
            double n1 = c.a / std::sqrt(1.0 - c.eSq * sin1 * sin1);
            double d = x / (n1 * c.k);
            double d2 = d * d;
            dl = (d - (1.0 + 2.0 * t2 + cc) * d * d2 / 6.0 +
                  (5.0 + 28.0 * t2 + 24.0 * t2 * t2 + 6.0 * cc + 8.0 * t2 * cc) * d * d2 * d2 /
                      120.0 -
                  (61.0 + 662.0 * t2 + 1320.0 * t2 * t2 + 720.0 * t2 * t2 * t2) * d * d2 * d2 * d2 /
                      5040.0) /
                 cos1;
            phi = phi1 -
                  (1.0 + cc) * t * d2 / 2.0 *
                      (1.0 - (5.0 + 3.0 * t2 + cc - 4.0 * cc * cc - 9.0 * t2 * cc) * d2 / 12.0 +
                       (61.0 + 90.0 * t2 + 45.0 * t2 * t2 + 46.0 * cc - 252.0 * t2 * cc -
                        90.0 * t2 * t2 * cc) *
                           d2 * d2 / 360.0);
        }
    }
    if (std::fabs(dl) > kCsPi) {
        status = 2;
        dl = CS_normLngRad(dl);
    }
    *longitude = (dl + c.centralMeridian) * kCsRadToDeg;
    *latitude = phi * kCsRadToDeg;
    return status;
}

// Undoes the options and the quadrant: system coordinates back to the
// projection's own easting and northing. Status 2 when a grid is missing.
int ToProjected(const CsTmConstants& c, const double in[3], double* x, double* y) {
    if (c.quadOptions == 0) {
        *x = in[0] - c.falseEasting;
        *y = in[1] - c.falseNorthing;
        return 0;
    }
    int status = 0;
    double p[2] = {in[0], in[1]};
    if (c.quadOptions & kCsTmAffine) {
        double dx = p[0] - c.affineA0, dy = p[1] - c.affineB0;
        p[0] = (dx * c.affineB2 - dy * c.affineA2) / c.affineDeterminant;
        p[1] = (dy * c.affineA1 - dx * c.affineB1) / c.affineDeterminant;
    }
    if (c.quadOptions & (kCsTmOstn97 | kCsTmOstn02)) {
        // The national grid shift files are not supported yet.
        p[0] = p[1] = 0.0;
        status = 2;
    }
    if (c.quadOptions & kCsTmElevation) {
        p[0] /= c.elevationFactor;
        p[1] /= c.elevationFactor;
    }
    CS_quadInverse(x, y, p, c.falseEasting, c.falseNorthing, c.quadOptions & kQuadrantMask);
    return status;
}

void SetRanges(CsParams* params, double centralMeridian, double originLatitude, double falseEasting,
               double falseNorthing, double k0, int quadrant) {
    const CsCoordSysDef& def = params->csDef;
    const CsTmConstants& c = CS_constants(params)->tm;
    if (def.minLongitude == 0.0 && def.minLatitude == 0.0 && def.maxLongitude == 0.0 &&
        def.maxLatitude == 0.0) {
        if (params->projectionCode == kCsProjUtm) {
            params->minLongitude = -3.5;
            params->maxLongitude = 3.5;
            bool south = def.parameters[1] < 0.0;
            params->minLatitude = south ? -80.0 : -1.0;
            params->maxLatitude = south ? 1.0 : 84.0;
        } else {
            double k = std::min(k0, 1.0);
            double halfWidth = k < 1.0 ? 2.0 * std::acos(k) * kCsRadToDeg + 0.5 : 1.75;
            params->minLongitude = -halfWidth;
            params->maxLongitude = halfWidth;
            params->minLatitude =
                std::max(originLatitude - falseNorthing * 9.00900900900901e-06, -90.0);
            params->maxLatitude = std::min(params->minLatitude + 90.0, 90.0);
        }
    } else {
        params->minLongitude = CS_normDeg180(def.minLongitude - centralMeridian);
        params->maxLongitude = CS_normDeg180(def.maxLongitude - centralMeridian);
        params->minLatitude = def.minLatitude;
        params->maxLatitude = def.maxLatitude;
    }

    if (def.minX == 0.0 && def.minY == 0.0 && def.maxX == 0.0 && def.maxY == 0.0) {
        double nearest = originLatitude;
        for (double latitude : {params->minLatitude, params->maxLatitude}) {
            if (std::fabs(latitude) < std::fabs(nearest)) nearest = latitude;
        }
        double x, y, yMin, yMax;
        Project(c, centralMeridian + params->maxLongitude, nearest, &x, &y);
        Project(c, centralMeridian, params->minLatitude, &y, &yMin);
        Project(c, centralMeridian, params->maxLatitude, &y, &yMax);
        double min[2] = {-x, yMin}, max[2] = {x, yMax};
        CS_quadMinMax(min, max, falseEasting, falseNorthing, quadrant);
        params->minX = min[0];
        params->minY = min[1];
        params->maxX = max[0];
        params->maxY = max[1];
    } else {
        params->minX = def.minX;
        params->minY = def.minY;
        params->maxX = def.maxX;
        params->maxY = def.maxY;
    }
}

}  // namespace

int CS_tmCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    int count = 0;
    if (code == kCsProjOstn97 || code == kCsProjOstn02) {
        bool is97 = code == kCsProjOstn97;
        const char* path = CS_dataFilePath(is97 ? "OSTN97.TXT" : "OSTN02.TXT");
        std::FILE* file = path ? CS_fileOpen(path, "rb") : nullptr;
        if (file == nullptr) {
            CS_addCheckError(errors, capacity, count, is97 ? kCsErrOstn97File : kCsErrOstn02File);
        } else {
            std::fclose(file);
        }
        return count;
    }
    const double* p = def->parameters;
    if (code == kCsProjUtm) {
        if (!(p[0] >= 1.0 && p[0] <= 60.0))
            CS_addCheckError(errors, capacity, count, kCsErrUtmZone);
        if (!(p[1] >= -1.0 && p[1] <= 1.0)) {
            CS_addCheckError(errors, capacity, count, kCsErrHemisphere);
        }
        return count;
    }
    // Written so that a NaN fails every test.
    if (!(p[0] > -180.0 && p[0] <= 180.0)) {
        CS_addCheckError(errors, capacity, count, kCsErrOriginLongitude);
    }
    if (!(def->originLatitude >= -90.0 && def->originLatitude <= 90.0)) {
        CS_addCheckError(errors, capacity, count, kCsErrOriginLatitude);
    }
    if (code != kCsProjGaussk && !(def->scaleReduction >= kCsMinScaleReduction &&
                                   def->scaleReduction <= kCsMaxScaleReduction)) {
        CS_addCheckError(errors, capacity, count, kCsErrScaleReduction);
    }
    if (code == kCsProjTrmrkrg && !(std::fabs(def->originLatitude) <= kCsCheckTolerance)) {
        CS_addCheckError(errors, capacity, count, kCsErrKrugerLatitude);
    }
    if (code == kCsProjTmaf && !(std::fabs(p[3] * p[6] - p[4] * p[5]) > 1e-12)) {
        CS_addCheckError(errors, capacity, count, kCsErrAffine);
    }
    return count;
}

void CS_tmSetup(CsParams* params) {
    const CsCoordSysDef& def = params->csDef;
    const CsDatumBlock& datum = params->datum;
    const std::uint16_t code = params->projectionCode;
    CsTmConstants& c = CS_constants(params)->tm;
    c = CsTmConstants{};
    c.affineA1 = 1.0;
    c.affineB2 = 1.0;
    c.affineDeterminant = 1.0;
    c.elevationFactor = 1.0;
    c.kruger = code == kCsProjTrmrkrg ? 1 : 0;

    const double* p = def.parameters;
    double centralMeridian = p[0];
    double originLatitude = def.originLatitude;
    double falseEasting = def.falseEasting;
    double falseNorthing = def.falseNorthing;
    double k0 = def.scaleReduction;
    double a = datum.equatorialRadius;
    double e = datum.eccentricity;
    int quadrant = CS_quadrantFlags(def.quadrant);
    std::uint16_t options = 0;
    double elevation = 0.0;

    switch (code) {
        case kCsProjTmWccs: {
            // The ellipsoid is raised to the county's mean surface.
            double h = p[2] * def.unitScale + p[1];
            double raisedA = a + h;
            double raisedB = datum.polarRadius + h;
            double f = 1.0 - raisedB / raisedA;
            a = raisedA;
            e = std::sqrt(2.0 * f - f * f);
            break;
        }
        case kCsProjTmMndot:
            elevation = def.unitScale * p[1];
            k0 = 1.0;
            options |= kCsTmElevation;
            break;
        case kCsProjSotm:
            quadrant = SouthOrientedFlags(def.quadrant);
            break;
        case kCsProjUtm: {
            double zone = std::trunc(p[0]);
            centralMeridian = 6.0 * zone - 183.0;
            originLatitude = 0.0;
            k0 = 0.9996;
            falseEasting = 500000.0 * def.scale;
            falseNorthing = p[1] < 0.0 ? 10000000.0 * def.scale : 0.0;
            break;
        }
        case kCsProjGaussk:
            k0 = 1.0;
            break;
        case kCsProjTmaf:
            c.affineA0 = p[1];
            c.affineB0 = p[2];
            c.affineA1 = p[3];
            c.affineA2 = p[4];
            c.affineB1 = p[5];
            c.affineB2 = p[6];
            options |= kCsTmAffine;
            break;
        case kCsProjOstn97:
        case kCsProjOstn02:
            centralMeridian = -2.0;
            originLatitude = 49.0;
            falseEasting = 400000.0 * def.scale;
            falseNorthing = -100000.0 * def.scale;
            k0 = 0.9996012717;
            options |= code == kCsProjOstn97 ? kCsTmOstn97 : kCsTmOstn02;
            break;
        default:
            break;
    }

    c.centralMeridian = centralMeridian * kCsDegToRad;
    c.originLatitude = originLatitude * kCsDegToRad;
    c.k0 = k0;
    c.k = def.scale * k0;
    c.falseEasting = falseEasting;
    c.falseNorthing = falseNorthing;
    c.a = a;
    c.e = e;
    c.eSq = e * e;
    c.rk = c.k * a;
    if (e == 0.0) {
        c.rkHalf = c.rk / 2.0;
    } else {
        c.ePrimeSq = c.eSq / (1.0 - c.eSq);
        CS_meridionalArcSetup(&c.arc, a, c.eSq);
        CS_inverseMeridionalArcSetup(&c.inverseArc, a, c.eSq);
        c.m0 = CS_meridionalArc(&c.arc, c.originLatitude, std::sin(c.originLatitude),
                                std::cos(c.originLatitude));
        if (c.kruger) {
            double b = a * std::sqrt(1.0 - c.eSq);
            double n = (a - b) / (a + b);
            double n2 = n * n, n3 = n2 * n, n4 = n3 * n;
            c.krugerN = n;
            c.krugerA = (a + b) / 2.0 * (1.0 + n2 / 4.0 + n4 / 64.0);
            // In system units, like every other branch (k carries the unit).
            c.krugerAk = c.krugerA * c.k;
            c.alpha[0] = n / 2.0 - 2.0 * n2 / 3.0 + 5.0 * n3 / 16.0 + 41.0 * n4 / 180.0;
            c.alpha[1] = 13.0 * n2 / 48.0 - 3.0 * n3 / 5.0 + 557.0 * n4 / 1440.0;
            c.alpha[2] = 61.0 * n3 / 240.0 - 103.0 * n4 / 140.0;
            c.alpha[3] = 49561.0 * n4 / 161280.0;
            c.beta[0] = n / 2.0 - 2.0 * n2 / 3.0 + 37.0 * n3 / 96.0 - n4 / 360.0;
            c.beta[1] = n2 / 48.0 + n3 / 15.0 - 437.0 * n4 / 1440.0;
            c.beta[2] = 17.0 * n3 / 480.0 - 37.0 * n4 / 840.0;
            c.beta[3] = 4397.0 * n4 / 161280.0;
            CS_geodeticToConformalSetup(&c.toConformal, c.eSq);
            CS_conformalSeriesSetup(&c.fromConformal, c.eSq);
        }
    }
    if (options & kCsTmElevation) {
        double s = std::sin(c.originLatitude);
        double n0 = a / std::sqrt(1.0 - c.eSq * s * s);
        c.elevationFactor = (elevation + n0) / n0;
    }
    if (options & kCsTmAffine) {
        c.affineScale = std::sqrt(c.affineA1 * c.affineA1 + c.affineB1 * c.affineB1);
        c.affineRotation = -std::atan2(c.affineA2, c.affineB2);
        c.affineDeterminant = c.affineB2 * c.affineA1 - c.affineA2 * c.affineB1;
    }
    c.quadOptions = static_cast<std::uint16_t>(quadrant | options);

    double x, y;
    double edge = CS_normLngRad(c.centralMeridian + kCsMaxLatitude) * kCsRadToDeg;
    Project(c, edge, 0.0, &x, &y);
    c.largestEasting = std::fabs(x);

    params->rangeCentralMeridian = centralMeridian;
    SetRanges(params, centralMeridian, originLatitude, falseEasting, falseNorthing, k0, quadrant);

    params->forward = CS_tmForward;
    params->inverse = CS_tmInverse;
    params->gridScale = CS_tmScale;
    params->parallelScale = CS_tmScale;
    params->meridianScale = CS_tmScale;
    params->convergence = CS_tmConvergence;
    params->checkGeographic = CS_tmGeoLimits;
    params->checkCartesian = CS_tmXYLimits;
}

int CS_tmForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmConstants& c = constants->tm;
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    if (c.quadOptions == 0) {
        out[0] = x + c.falseEasting;
        out[1] = y + c.falseNorthing;
    } else {
        CS_quadForward(out, x, y, c.falseEasting, c.falseNorthing, c.quadOptions & kQuadrantMask);
        if (c.quadOptions & kCsTmElevation) {
            out[0] *= c.elevationFactor;
            out[1] *= c.elevationFactor;
        }
        if (c.quadOptions & kCsTmAffine) {
            double ax = c.affineA0 + c.affineA1 * out[0] + c.affineA2 * out[1];
            double ay = c.affineB0 + c.affineB1 * out[0] + c.affineB2 * out[1];
            out[0] = ax;
            out[1] = ay;
        }
        // The national grid shift files are not supported yet.
        if (c.quadOptions & (kCsTmOstn97 | kCsTmOstn02)) status = 2;
    }
    out[2] = in[2];
    return status;
}

int CS_tmInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmConstants& c = constants->tm;
    double x, y;
    int status = ToProjected(c, in, &x, &y);
    status = std::max(status, Unproject(c, x, y, &out[0], &out[1]));
    out[2] = in[2];
    return status;
}

double CS_tmScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmConstants& c = constants->tm;
    double phi = ll[1] * kCsDegToRad;
    bool pole = std::fabs(phi) > kCsMaxLatitude;
    double cosPhi = pole ? 0.0 : std::cos(phi);
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
    double k;
    if (c.e == 0.0) {
        double b = std::sin(dl) * cosPhi;
        double q = 1.0 - b * b;
        if (q <= 1e-5) return kCsInfiniteScale;
        k = c.k0 / std::sqrt(q);
    } else {
        double a2 = dl * dl * cosPhi * cosPhi;
        double t2 = pole ? kCsPoleTangent : std::tan(phi) * std::tan(phi);
        double cc = pole ? 0.0 : c.ePrimeSq * cosPhi * cosPhi;
        k = c.k0 * (1.0 + (1.0 + cc) * a2 / 2.0 +
                    (1.0 + cc) * (5.0 - 4.0 * t2 + 9.0 * cc - 24.0 * t2 * cc) * a2 * a2 / 24.0);
    }
    if (c.quadOptions & kCsTmAffine) k *= c.affineScale;
    return k;
}

double CS_tmConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmConstants& c = constants->tm;
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
    dl = std::clamp(dl, -kCsMaxLatitude, kCsMaxLatitude);
    double phi = ll[1] * kCsDegToRad;
    bool pole = std::fabs(phi) > kCsMaxLatitude;
    double tanPhi = pole ? std::copysign(kCsPoleTangent, phi) : std::tan(phi);
    double cosPhi = pole ? 0.0 : std::cos(phi);
    double a1 = dl * cosPhi;
    double a2 = a1 * a1;
    double cc = c.ePrimeSq * cosPhi * cosPhi;
    double t2 = tanPhi * tanPhi;
    double gamma =
        a1 * tanPhi *
        (1.0 + a2 * (1.0 + 3.0 * cc + 2.0 * cc * cc) / 3.0 + a2 * a2 * (2.0 - t2) / 15.0);
    if (c.quadOptions & kCsTmAffine) gamma -= c.affineRotation;
    return gamma * kCsRadToDeg;
}

int CS_tmPointLimit(const CsTmConstants* tm, const double ll[3]) {
    double phi = ll[1] * kCsDegToRad;
    if (std::fabs(phi) > kCsHalfPi) return 2;
    double dl = CS_normLngRad(ll[0] * kCsDegToRad - tm->centralMeridian);
    if (std::fabs(phi) < kCsAngularTolerance &&
        std::fabs(std::fabs(dl) - kCsHalfPi) <= kCsAngularTolerance) {
        return 2;
    }
    return 0;
}

int CS_tmGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsTmConstants& c = constants->tm;
    for (int i = 0; i < count; ++i) {
        if (CS_tmPointLimit(&c, points[i]) != 0) return 2;
    }
    if (count == 3) {
        CS_reportError(kCsErrRegionPoints);
        return 4096;
    }
    if (count >= 2) {
        for (int i = 0; i < count; ++i) {
            double dl = CS_normLngRad(points[i][0] * kCsDegToRad - c.centralMeridian);
            if (std::fabs(dl) > kCsMaxLatitude) return 2;
        }
    }
    return 0;
}

int CS_tmXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsTmConstants& c = constants->tm;
    for (int i = 0; i < count; ++i) {
        double x, y;
        if (ToProjected(c, points[i], &x, &y) != 0 || std::fabs(x) > c.largestEasting) return 2;
    }
    return 0;
}
