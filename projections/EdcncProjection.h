// The equidistant conic projection (EDCNC) with two standard parallels on the
// sphere and the ellipsoid (by the meridional arc).
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsEdcncConstants {
    double phi1;  // radians
    double phi2;
    double lambda0;
    double phi0;
    double k;  // the definition's scale
    double r;  // a k, system units
    CsFalseOrigin origin;
    double e;
    double eSq;
    double n;       // the cone constant
    double g;       // in units of the radius
    double gR;      // G R (ellipsoid)
    double rho0;    // system units
    double rhoMin;  // the radii of the two poles
    double rhoMax;
    double largestAngle;  // |n| pi
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
};

void CS_edcncSetup(CsParams* params);
int CS_edcncForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_edcncInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_edcncK(const CsProjectionConstants* constants, const double ll[3]);
double CS_edcncConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_edcncLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]);
int CS_edcncXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
