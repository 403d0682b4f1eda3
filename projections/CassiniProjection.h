// The Cassini (Cassini-Soldner) projection: closed formulas on the sphere,
// series in the longitude difference on the ellipsoid. Parameter 1 is the
// central meridian; the origin longitude is not used. Its check is also the
// American polyconic's.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsCassiniConstants {
    double lambda0;  // radians
    double phi0;
    double scale;
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;
    double r;     // a times the scale
    double maxX;  // (pi/2) R
    double minY;  // the poles' northings about the origin
    double maxY;
    // The ellipsoid only:
    double ePrimeSq;
    double rOneMinusESq;
    double twoRSqOneMinusESq;
    double m0;
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
};

void CS_cassiniSetup(CsParams* params);
int CS_cassiniCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_cassiniForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_cassiniInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_cassiniH(const CsProjectionConstants* constants, const double ll[3]);
double CS_cassiniConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_cassiniLatLongLimits(const CsProjectionConstants* constants, int count,
                            const double points[][3]);
int CS_cassiniXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
