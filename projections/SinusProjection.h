// The sinusoidal projection (SINUS) on the sphere or the ellipsoid, optionally
// interrupted into up to eight zones. Its check also serves the world
// pseudocylindrical families.
#pragma once

#include <cstdint>

#include "projections/InterruptZones.h"
#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsSinusConstants {
    double lambda0;  // radians
    double scale;
    double r;  // a times the scale
    CsFalseOrigin origin;
    double a;
    double e;
    double eSq;
    double maxX;  // |x| and |y| about the origin the inverse clamps to
    double maxY;
    double tolerance;  // the numeric scale's smallest distance
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
    CsZone zones[kCsMaxZones];
    std::int16_t zoneCount;
};

void CS_sinusSetup(CsParams* params);
int CS_sinusCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_sinusForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_sinusInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_sinusH(const CsProjectionConstants* constants, const double ll[3]);
double CS_sinusConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_sinusLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]);
int CS_sinusXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
