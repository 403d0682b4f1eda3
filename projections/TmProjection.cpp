#include "projections/TmProjection.h"

#include <algorithm>
#include <cmath>

#include "coordsys/core/CsAngles.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsOstnGrid.h"

namespace {

const CsTmConstants& Tm(const CsProjectionConstants* constants) {
    return CS_constantsOf<CsTmConstants>(constants);
}

// The point (degrees) projected about the central meridian and origin
// latitude, before the false origin, quadrant and options.
int Project(const CsTmConstants& c, double longitude, double latitude, double* x, double* y) {
    CsGeoPoint p = CS_forwardPrologue(longitude, latitude, c.centralMeridian);
    int status = p.status;
    const double phi = p.phi, sinPhi = p.sinPhi, cosPhi = p.cosPhi, tanPhi = p.tanPhi;
    double dl = p.dLambda;
    if (std::fabs(dl) > kCsMaxLatitude) {
        CS_raiseStatus(&status, 2);
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
// to the longitude difference and latitude (radians).
int Unproject(const CsTmConstants& c, double x, double y, double* dLambda, double* latitude) {
    int status = 0;
    if (std::fabs(x) > c.largestEasting) {
        status = 2;
        x = std::copysign(c.largestEasting, x);
    }
    double dl, phi;
    if (c.e == 0.0) {
        double d = y / c.rk + c.originLatitude;
        // A northing beyond the pole has no point: it is taken at the pole.
        if (std::fabs(d) > kCsHalfPi) {
            status = 2;
            d = std::copysign(kCsHalfPi, d);
        }
        phi = std::asin(std::sin(d) / std::cosh(x / c.rk));
        if (std::fabs(std::cos(d)) <= kCsAngularTolerance) {
            dl = 0.0;
            status = std::max(status, 1);
        } else {
            dl = std::atan2(std::sinh(x / c.rk), std::cos(d));
        }
    } else if (c.kruger) {
        double xi = y / c.krugerAk, eta = x / c.krugerAk;
        if (std::fabs(xi) > kCsHalfPi) {
            status = 2;
            xi = std::copysign(kCsHalfPi, y);
        }
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
        double arc = y / c.k + c.m0;
        double quarterMeridian = CS_meridionalArc(&c.arc, kCsHalfPi, 1.0, 0.0);
        if (std::fabs(arc) > quarterMeridian) {
            status = 2;
            arc = std::copysign(quarterMeridian, arc);
        }
        double phi1 = CS_latitudeFromArc(&c.inverseArc, arc);
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
    // The series overshoot near the pole; no latitude beyond it is given out.
    if (std::fabs(phi) > kCsHalfPi) {
        status = 2;
        phi = std::copysign(kCsHalfPi, phi);
    }
    *dLambda = dl;
    *latitude = phi;
    return status;
}

// The OSTN97 and OSTN02 grids, loaded on first use from the dictionary
// directory and kept for the life of the process (null while they cannot be).
const CsOstnGrid* NationalGrid(bool is97) {
    static CsOstnGrid* grids[2] = {nullptr, nullptr};
    CsOstnGrid*& grid = grids[is97 ? 0 : 1];
    if (!grid) {
        const char* path = CS_dataFilePath(is97 ? "OSTN97.TXT" : "OSTN02.TXT");
        if (path) grid = is97 ? CS_ostn97New(path) : CS_ostn02New(path);
    }
    return grid;
}

// Undoes the options and the quadrant: system coordinates back to the
// projection's own easting and northing. Status 2 when a grid is missing.
int ToProjected(const CsTmConstants& c, const double in[3], double* x, double* y) {
    int status = 0;
    double p[2] = {in[0], in[1]};
    if (c.options & kCsTmAffine) {
        double dx = p[0] - c.affineA0, dy = p[1] - c.affineB0;
        p[0] = (dx * c.affineB2 - dy * c.affineA2) / c.affineDeterminant;
        p[1] = (dy * c.affineA1 - dx * c.affineB1) / c.affineDeterminant;
    }
    if (c.options & (kCsTmOstn97 | kCsTmOstn02)) {
        const CsOstnGrid* grid = NationalGrid((c.options & kCsTmOstn97) != 0);
        double shifted[2];
        if (!grid) {
            p[0] = p[1] = 0.0;
            status = 2;
        } else if (CS_ostnInverse(grid, shifted, p) != 0) {
            status = 2;
        } else {
            p[0] = shifted[0];
            p[1] = shifted[1];
        }
    }
    if (c.options & kCsTmElevation) {
        p[0] /= c.elevationFactor;
        p[1] /= c.elevationFactor;
    }
    CS_removeFalseOrigin(c.origin, p, x, y);
    return status;
}

// What a definition of the family says once its variant's rules have been
// applied (angles in degrees).
struct TmDefinition {
    double centralMeridian;
    double originLatitude;
    CsFalseOrigin origin;
    double k0;
    double a;  // the figure the constants are computed on
    double e;
    double elevation;  // TM-MNDOT: metres above the ellipsoid
    std::uint16_t options;
};

// Defaults every variant starts from.
void SetDefaults(CsTmConstants& c, std::uint16_t code) {
    c.affineA1 = 1.0;
    c.affineB2 = 1.0;
    c.affineDeterminant = 1.0;
    c.elevationFactor = 1.0;
    c.kruger = code == kCsProjTrmrkrg ? 1 : 0;
}

// The definition's values, changed as each variant requires; TMAF's affine
// coefficients go straight into the constants.
TmDefinition ReadVariant(const CsParams& params, CsTmConstants& c) {
    const CsCoordSysDef& def = params.csDef;
    const CsDatumBlock& datum = params.datum;
    const double* p = def.parameters;
    const std::uint16_t code = params.projectionCode;
    TmDefinition d{};
    d.centralMeridian = p[0];
    d.originLatitude = def.originLatitude;
    d.origin = CS_falseOrigin(
        def, code == kCsProjSotm ? CsQuadrantTable::kSouthOriented : CsQuadrantTable::kNormal);
    d.k0 = def.scaleReduction;
    d.a = datum.equatorialRadius;
    d.e = datum.eccentricity;

    switch (code) {
        case kCsProjTmWccs: {
            // The ellipsoid is raised to the county's mean surface.
            double h = p[2] * def.unitScale + p[1];
            double raisedA = d.a + h;
            double raisedB = datum.polarRadius + h;
            double f = 1.0 - raisedB / raisedA;
            d.a = raisedA;
            d.e = std::sqrt(2.0 * f - f * f);
            break;
        }
        case kCsProjTmMndot:
            d.elevation = def.unitScale * p[1];
            d.k0 = 1.0;
            d.options |= kCsTmElevation;
            break;
        case kCsProjUtm: {
            double zone = std::trunc(p[0]);
            d.centralMeridian = 6.0 * zone - 183.0;
            d.originLatitude = 0.0;
            d.k0 = 0.9996;
            d.origin.falseEasting = 500000.0 * def.scale;
            d.origin.falseNorthing = p[1] < 0.0 ? 10000000.0 * def.scale : 0.0;
            break;
        }
        case kCsProjGaussk:
            d.k0 = 1.0;
            break;
        case kCsProjTmaf:
            c.affineA0 = p[1];
            c.affineB0 = p[2];
            c.affineA1 = p[3];
            c.affineA2 = p[4];
            c.affineB1 = p[5];
            c.affineB2 = p[6];
            d.options |= kCsTmAffine;
            break;
        case kCsProjOstn97:
        case kCsProjOstn02:
            d.centralMeridian = -2.0;
            d.originLatitude = 49.0;
            d.origin.falseEasting = 400000.0 * def.scale;
            d.origin.falseNorthing = -100000.0 * def.scale;
            d.k0 = 0.9996012717;
            d.options |= code == kCsProjOstn97 ? kCsTmOstn97 : kCsTmOstn02;
            break;
        default:  // TM, SOTM (its quadrant table aside), TRMRKRG
            break;
    }
    return d;
}

// The figure's constants: scale, radius, the sphere's halves or the
// ellipsoid's series (Krueger's too when the variant asks for them).
void SetFigure(CsTmConstants& c, const TmDefinition& d, double scale) {
    c.centralMeridian = d.centralMeridian * kCsDegToRad;
    c.originLatitude = d.originLatitude * kCsDegToRad;
    c.k0 = d.k0;
    c.k = scale * d.k0;
    c.origin = d.origin;
    c.a = d.a;
    c.e = d.e;
    c.eSq = d.e * d.e;
    c.rk = c.k * d.a;
    if (d.e == 0.0) {
        c.rkHalf = c.rk / 2.0;
        return;
    }
    const double a = d.a;
    c.ePrimeSq = c.eSq / (1.0 - c.eSq);
    CS_meridionalArcSetup(&c.arc, a, c.eSq);
    CS_inverseMeridionalArcSetup(&c.inverseArc, a, c.eSq);
    c.m0 = CS_meridionalArc(&c.arc, c.originLatitude, std::sin(c.originLatitude),
                            std::cos(c.originLatitude));
    if (!c.kruger) return;
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

// What the elevation and affine options derive from the figure.
void SetOptions(CsTmConstants& c, const TmDefinition& d) {
    c.options = d.options;
    if (c.options & kCsTmElevation) {
        double s = std::sin(c.originLatitude);
        double n0 = d.a / std::sqrt(1.0 - c.eSq * s * s);
        c.elevationFactor = (d.elevation + n0) / n0;
    }
    if (c.options & kCsTmAffine) {
        c.affineScale = std::sqrt(c.affineA1 * c.affineA1 + c.affineB1 * c.affineB1);
        c.affineRotation = -std::atan2(c.affineA2, c.affineB2);
        c.affineDeterminant = c.affineB2 * c.affineA1 - c.affineA2 * c.affineB1;
    }
}

// Krueger's series hold to about this eta (x over A k0, some 82 degrees from
// the central meridian on the equator); beyond it the inverse's sinh terms
// grow without bound and soon overflow.
constexpr double kKrugerEtaLimit = 2.623395162778;

// |x| of the point on the equator 90 degrees (less the tolerance) east of the
// central meridian; for Krueger's series no more than their limit.
double LargestEasting(const CsTmConstants& c) {
    double x, y;
    double edge = CS_normLngRad(c.centralMeridian + kCsMaxLatitude) * kCsRadToDeg;
    Project(c, edge, 0.0, &x, &y);
    double largest = std::fabs(x);
    if (c.kruger && c.e != 0.0) largest = std::fmin(largest, kKrugerEtaLimit * c.krugerAk);
    return largest;
}

void SetUsefulRange(CsParams* params, const CsTmConstants& c, const TmDefinition& d) {
    const CsRangeRule allFour{.allFour = true};
    if (!CS_geoRangeFromDefinition(params, d.centralMeridian, allFour)) {
        if (params->projectionCode == kCsProjUtm) {
            bool south = params->csDef.parameters[1] < 0.0;
            CS_setGeoRange(params, -3.5, south ? -80.0 : -1.0, 3.5, south ? 1.0 : 84.0);
        } else {
            double k = std::min(d.k0, 1.0);
            double halfWidth = k < 1.0 ? 2.0 * std::acos(k) * kCsRadToDeg + 0.5 : 1.75;
            double minLatitude =
                std::max(d.originLatitude - d.origin.falseNorthing * 9.00900900900901e-06, -90.0);
            CS_setGeoRange(params, -halfWidth, minLatitude, halfWidth,
                           std::min(minLatitude + 90.0, 90.0));
        }
    }
    if (!CS_xyRangeFromDefinition(params, allFour)) {
        double nearest = d.originLatitude;
        for (double latitude : {params->minLatitude, params->maxLatitude}) {
            if (std::fabs(latitude) < std::fabs(nearest)) nearest = latitude;
        }
        double x, y, yMin, yMax;
        Project(c, d.centralMeridian + params->maxLongitude, nearest, &x, &y);
        Project(c, d.centralMeridian, params->minLatitude, &y, &yMin);
        Project(c, d.centralMeridian, params->maxLatitude, &y, &yMax);
        CS_setXyRange(params, -x, yMin, x, yMax, c.origin);
    }
}

constexpr CsSlots kTmSlots{
    .forward = CS_tmForward,
    .inverse = CS_tmInverse,
    .gridScale = CS_tmScale,
    .parallelScale = CS_tmScale,
    .meridianScale = CS_tmScale,
    .convergence = CS_tmConvergence,
    .checkGeographic = CS_tmGeoLimits,
    .checkCartesian = CS_tmXYLimits,
};

}  // namespace

int CS_tmCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity) {
    CsCheckErrors out(errors, capacity);
    if (code == kCsProjOstn97 || code == kCsProjOstn02) {
        bool is97 = code == kCsProjOstn97;
        const char* path = CS_dataFilePath(is97 ? "OSTN97.TXT" : "OSTN02.TXT");
        std::FILE* file = path ? CS_fileOpen(path, "rb") : nullptr;
        if (file == nullptr) {
            out.Add(is97 ? kCsErrOstn97File : kCsErrOstn02File);
        } else {
            std::fclose(file);
        }
        return out.Count();
    }
    const double* p = def->parameters;
    if (code == kCsProjUtm) {
        out.Require(p[0] >= 1.0 && p[0] <= 60.0, kCsErrUtmZone);
        out.Require(p[1] >= -1.0 && p[1] <= 1.0, kCsErrHemisphere);
        return out.Count();
    }
    out.Require(p[0] > -180.0 && p[0] <= 180.0, kCsErrOriginLongitude);
    out.Require(def->originLatitude >= -90.0 && def->originLatitude <= 90.0, kCsErrOriginLatitude);
    if (code != kCsProjGaussk) {
        out.Require(def->scaleReduction >= kCsMinScaleReduction &&
                        def->scaleReduction <= kCsMaxScaleReduction,
                    kCsErrScaleReduction);
    }
    if (code == kCsProjTrmrkrg) {
        out.Require(std::fabs(def->originLatitude) <= kCsCheckTolerance, kCsErrKrugerLatitude);
    }
    if (code == kCsProjTmaf) {
        out.Require(std::fabs(p[3] * p[6] - p[4] * p[5]) > 1e-12, kCsErrAffine);
    }
    return out.Count();
}

void CS_tmSetup(CsParams* params) {
    CsTmConstants& c = CS_newConstants<CsTmConstants>(params);
    SetDefaults(c, params->projectionCode);
    const TmDefinition d = ReadVariant(*params, c);
    SetFigure(c, d, params->csDef.scale);
    SetOptions(c, d);
    c.largestEasting = LargestEasting(c);
    params->rangeCentralMeridian = d.centralMeridian;
    SetUsefulRange(params, c, d);
    CS_installSlots(params, kTmSlots);
}

int CS_tmForward(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmConstants& c = Tm(constants);
    double x, y;
    int status = Project(c, in[0], in[1], &x, &y);
    CS_forwardEpilogue(out, in, x, y, c.origin);
    if (c.options & kCsTmElevation) {
        out[0] *= c.elevationFactor;
        out[1] *= c.elevationFactor;
    }
    if (c.options & kCsTmAffine) {
        double ax = c.affineA0 + c.affineA1 * out[0] + c.affineA2 * out[1];
        double ay = c.affineB0 + c.affineB1 * out[0] + c.affineB2 * out[1];
        out[0] = ax;
        out[1] = ay;
    }
    if (c.options & (kCsTmOstn97 | kCsTmOstn02)) {
        const CsOstnGrid* grid = NationalGrid((c.options & kCsTmOstn97) != 0);
        double shifted[2];
        if (!grid || CS_ostnForward(grid, shifted, out) != 0) {
            status = 2;
        } else {
            out[0] = shifted[0];
            out[1] = shifted[1];
        }
    }
    return status;
}

int CS_tmInverse(const CsProjectionConstants* constants, double out[3], const double in[3]) {
    const CsTmConstants& c = Tm(constants);
    double x, y, dl, phi;
    int status = ToProjected(c, in, &x, &y);
    status = std::max(status, Unproject(c, x, y, &dl, &phi));
    CS_inverseEpilogue(out, in, dl, phi, c.centralMeridian);
    return status;
}

double CS_tmScale(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmConstants& c = Tm(constants);
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
    if (c.options & kCsTmAffine) k *= c.affineScale;
    return k;
}

double CS_tmConvergence(const CsProjectionConstants* constants, const double ll[3]) {
    const CsTmConstants& c = Tm(constants);
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
    if (c.options & kCsTmAffine) gamma -= c.affineRotation;
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
    const CsTmConstants& c = Tm(constants);
    return CS_regionLimits(
        count, points, [&](const double ll[3]) { return CS_tmPointLimit(&c, ll) != 0; },
        [&](const double ll[3]) {
            double dl = CS_normLngRad(ll[0] * kCsDegToRad - c.centralMeridian);
            return std::fabs(dl) > kCsMaxLatitude;
        });
}

int CS_tmXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]) {
    const CsTmConstants& c = Tm(constants);
    return CS_pointLimits(count, points, [&](const double xy[3]) {
        double x, y;
        return ToProjected(c, xy, &x, &y) != 0 || std::fabs(x) > c.largestEasting;
    });
}
