// The orthographic projection (ORTHO) on the sphere of the equatorial
// radius: polar, equatorial and oblique aspects from the origin latitude.
// Its row takes the gnomonic family's check.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsOrthoConstants {
    double lambda0;  // radians
    double phi0;     // radians, snapped to 0 or +-pi/2
    double scale;
    CsFalseOrigin origin;
    double r;  // a times the scale
    double tolerance;
    double a;
    double cosPhi0;
    double sinPhi0;
};

void CS_orthoSetup(CsParams* params);
int CS_orthoForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_orthoInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_orthoH(const CsProjectionConstants* constants, const double ll[3]);
double CS_orthoConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_orthoLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]);
int CS_orthoXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
