// The transverse-aspect equal-area cylindrical projection with a scale
// reduction, on the sphere or the ellipsoid (authalic latitude and
// meridional arc).
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsTeacylConstants {
    double centralMeridian;  // radians
    double originLatitude;   // radians
    double k0;
    CsFalseOrigin origin;
    double a;
    double k0Scale;
    double r;
    double e;
    double eSq;
    double oneMinusESq;
    // The cartesian check's bounds about the false origin.
    double xBound;
    double yBound;
    double oneOver2e;
    double rk0;
    double rOverK0;
    double k0OverR;
    double qp;
    double m0;  // meridional arc of the origin latitude
    CsAuthalicBlock authalic;
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
};

void CS_teacylSetup(CsParams* params);
int CS_teacylCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_teacylForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_teacylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_teacylK(const CsProjectionConstants* constants, const double ll[3]);
double CS_teacylH(const CsProjectionConstants* constants, const double ll[3]);
double CS_teacylConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_teacylLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_teacylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
