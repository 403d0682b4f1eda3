// The American polyconic: every parallel a circle of radius N cot phi, true
// to scale; the inverse by Newton-Raphson. Parameter 1 is the central
// meridian. Its check is the Cassini family's CS_cassiniCheck.
#pragma once

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsPlycnConstants {
    double lambda0;  // radians
    double phi0;
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;
    double aSq;
    double oneMinusESq;
    double equatorTolerance;  // Ka times 4.85e-8
    double k;                 // the definition's scale
    double ka;
    double kaHalf;
    double kaSq;
    double minusM0;
    double m0;
    double mp;  // the pole's meridional distance
    double mpSq;
    CsMeridionalArcBlock arc;  // at radius Ka
    CsCos2PolyBlock arcDeriv;  // the arc's derivative over the radius
};

void CS_plycnSetup(CsParams* params);
int CS_plycnForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_plycnInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_plycnScaleH(const CsProjectionConstants* constants, const double ll[3]);
double CS_plycnConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_plycnGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_plycnXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
