// The normal-aspect equal-area cylindrical projection with a standard
// parallel (parameter 1), on the sphere or the ellipsoid (authalic latitude).
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsNeacylConstants {
    double centralMeridian;   // radians
    double standardParallel;  // radians
    CsFalseOrigin origin;
    double a;
    double k;  // the definition's scale
    double r;
    double e;
    double eSq;
    double oneMinusESq;
    // The forward's extremes about the false origin: the x of 180 degrees
    // from the central meridian and the y of the pole.
    double xExtent;
    double yExtent;
    double cosStandard;
    // Sphere.
    double rCosStandard;
    double rOverCosStandard;
    double cosStandardOverR;
    // Ellipsoid.
    double k0;  // the scale along the standard parallel
    double rk0;
    double rOver2k0;
    double oneOverRk0;
    double oneOver2e;
    double qFactor;  // 2 k0 / (qp R)
    CsAuthalicBlock authalic;
};

void CS_neacylSetup(CsParams* params);
int CS_neacylCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_neacylForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_neacylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_neacylK(const CsProjectionConstants* constants, const double ll[3]);
double CS_neacylH(const CsProjectionConstants* constants, const double ll[3]);
int CS_neacylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
