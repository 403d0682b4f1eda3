// The Lambert azimuthal equal-area projection (AZMEA): polar, equatorial and
// oblique aspects on the sphere and the ellipsoid (authalic latitude), the
// plane turned by the Y axis azimuth in parameter 1.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsAzmeaConstants {
    double lambda0;  // radians
    double phi0;     // radians
    double k;        // the definition's scale
    CsFalseOrigin origin;
    double azimuth;  // radians
    double ka;       // k a, system units
    double tolerance;
    double e;
    double eSq;
    double halfOverE;
    double oneMinusESq;
    double largestDistance;  // the sphere's 2 Ka
    double cosPhi0;
    double sinPhi0;
    double cosAzimuth;
    double sinAzimuth;
    double beta1;
    double sinBeta1;
    double cosBeta1;
    double d;
    double rq;
    double rqSqOverKa;
    double dCosBeta1;
    double dSqSinBeta1;
    double twoRq;
    double qp;
    double largestSquared;  // Ka^2 qp: the polar aspect's equator
    double twiceLargestSquared;
    CsAuthalicBlock authalic;
    std::uint16_t aspect;  // 1 north polar, 2 south polar, 3 equatorial, 4 oblique
};

void CS_azmeaSetup(CsParams* params);
int CS_azmeaCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_azmeaForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_azmeaInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_azmeaScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_azmeaScaleH(const CsProjectionConstants* constants, const double ll[3]);
double CS_azmeaConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_azmeaGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_azmeaXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
