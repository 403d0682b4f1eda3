// The normal-aspect Mercator: MRCAT (scale true on a standard parallel,
// parameter 2) and MRCATK (the definition's scale reduction). Parameter 1 is
// the central meridian. The ellipsoidal inverse takes the conformal-latitude
// series rather than an iteration.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsMrcatConstants {
    double centralMeridian;   // radians
    double standardParallel;  // radians (MRCAT)
    double k;                 // the definition's scale
    CsFalseOrigin origin;
    double e;
    double eSq;
    double k0;  // scale on the equator: the reduction, or from the standard parallel
    double rk;
    double rkHalf;
    double rk0;
    double rk0Half;
    // |y| of latitude pi/2 less the tolerance, before the false origin: the
    // inverse clamps to it.
    double largestNorthing;
    CsConformalBlock fromConformal;
};

void CS_mrcatSetup(CsParams* params);
int CS_mrcatCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_mrcatForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_mrcatInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_mrcatScale(const CsProjectionConstants* constants, const double ll[3]);
int CS_mrcatGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_mrcatXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
