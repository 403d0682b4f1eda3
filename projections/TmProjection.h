// The transverse Mercator family: TM, UTM, GAUSSK, SOTM, the Wisconsin and
// Minnesota elevated variants, TMAF with its affine post-process, and TRMRKRG
// (Krueger's series). The ellipsoid uses the Thomas series, the sphere the
// closed formulas. The central meridian is parameter 1 (UTM: from the zone
// number in parameter 1, parameter 2 the hemisphere).
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

// CsTmConstants::options: what the variants add after the quadrant.
enum ECsTmOption : std::uint16_t {
    kCsTmElevation = 0x01,
    kCsTmAffine = 0x02,
    kCsTmOstn97 = 0x04,
    kCsTmOstn02 = 0x08,
};

struct CsTmConstants {
    double centralMeridian;  // radians
    double originLatitude;   // radians
    double k;                // the definition's scale times k0
    double k0;               // scale reduction
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;  // metres, enlarged for TM-WCCS
    double rk;
    double rkHalf;
    double elevationFactor;  // TM-MNDOT
    double ePrimeSq;
    // |x| of the point on the equator 90 degrees (less the tolerance) from the
    // central meridian, before the false origin (Krueger's: no more than the
    // series' limit): the inverse clamps to it.
    double largestEasting;
    double m0;  // meridional distance of the origin latitude, metres
    double affineA0;
    double affineA1;
    double affineA2;
    double affineB0;
    double affineB1;
    double affineB2;
    double affineScale;
    double affineRotation;  // radians
    double krugerN;
    double krugerA;   // rectifying radius, metres
    double krugerAk;  // krugerA times k: system units
    double alpha[4];
    double beta[4];
    double affineDeterminant;
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
    CsConformalBlock toConformal;
    CsConformalBlock fromConformal;
    std::uint16_t options;
    std::uint16_t kruger;
};

void CS_tmSetup(CsParams* params);
int CS_tmCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_tmForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_tmInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_tmScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_tmConvergence(const CsProjectionConstants* constants, const double ll[3]);
// Status 2 when the point (degrees) lies outside the family's domain.
int CS_tmPointLimit(const CsTmConstants* tm, const double ll[3]);
int CS_tmGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_tmXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
