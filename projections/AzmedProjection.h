// The azimuthal equidistant projection: AZMED, and AZMED-ELEV on an
// equatorial radius raised by the average elevation (parameter 2). Polar
// aspects by the meridional distance, the ellipsoid's equatorial and oblique
// aspects by Snyder's series; the plane turned by the Y axis azimuth.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsAzmedConstants {
    double lambda0;  // radians
    double phi0;     // radians, snapped to 0 or +-pi/2
    double k;        // the definition's scale
    CsFalseOrigin origin;
    double ka;  // (a + h) k, system units
    double twoKa;
    double azimuth;  // radians
    double e;
    double eSq;
    double oneMinusESq;
    double sqrtOneMinusESq;
    double cosPhi0;
    double sinPhi0;
    double cosSinPhi0;
    double eSqCosSqPhi0;
    double eSqSinSqPhi0;
    double tolerance;        // at the centre, system units
    double largestDistance;  // from the centre, system units
    double cosAzimuth;
    double sinAzimuth;
    CsMeridionalArcBlock arc;  // in the radius Ka
    CsInverseArcBlock inverseArc;
    double mp;  // meridional distance of the pole
    double m1;  // of phi0
    double eSinPhi0;
    double eCosPhi0;
    double n1;
    double n1ESqSinPhi0;
    double g;
    double threeGSq;
    std::uint16_t aspect;  // 1 north polar, 2 south polar, 3 equatorial, 4 oblique
};

void CS_azmedSetup(CsParams* params);
int CS_azmedCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_azmedForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_azmedInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_azmedScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_azmedConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_azmedGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_azmedXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
