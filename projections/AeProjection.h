// The Albers equal-area conic projection (AE) with two standard parallels on
// the sphere and the ellipsoid; the ellipsoidal inverse goes through the
// authalic latitude.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsAeConstants {
    double phi1;  // radians
    double phi2;
    double lambda0;
    double phi0;
    double k;  // the definition's scale
    CsFalseOrigin origin;
    double ka;  // a k, system units
    double e;
    double eSq;
    double n;  // the cone constant
    double c;
    double rho0;
    double rhoMax;        // at the pole away from the apex, a magnitude
    double rhoMin;        // at the apex pole, a magnitude
    double largestAngle;  // |n| pi
    double tolerance;     // system units
    double kaOverN;
    double oneMinusESq;
    double halfOverE;
    double qp;
    CsAuthalicBlock authalic;
};

void CS_aeSetup(CsParams* params);
int CS_aeForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_aeInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_aeScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_aeScaleH(const CsProjectionConstants* constants, const double ll[3]);
double CS_aeConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_aeGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_aeXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
// 2 when the point (system units) lies off the cone's annulus or sector.
int CS_aePointXYLimit(const CsAeConstants& c, const double xy[3], double* theta);
