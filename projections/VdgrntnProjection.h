// The Van der Grinten projection on the sphere of the equatorial radius: a
// closed-form forward and an inverse that solves a cubic by the
// trigonometric method (no iteration).
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsVdgrntnConstants {
    double centralMeridian;  // radians
    double k;                // the definition's scale
    CsFalseOrigin origin;
    double r;
    double tolerance;  // one millimetre in system units
    double a;
    double piR;  // the bounding circle's radius
    double twoOverPi;
};

void CS_vdgrntnSetup(CsParams* params);
int CS_vdgrntnForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_vdgrntnInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_vdgrntnK(const CsProjectionConstants* constants, const double ll[3]);
double CS_vdgrntnH(const CsProjectionConstants* constants, const double ll[3]);
double CS_vdgrntnConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_vdgrntnXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
