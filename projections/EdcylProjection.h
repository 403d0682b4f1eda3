// The equidistant cylindrical (plate carree when both latitudes are zero) on
// the sphere of the equatorial radius, with a standard parallel (parameter 1)
// and an origin latitude.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsEdcylConstants {
    double centralMeridian;   // radians
    double originLatitude;    // radians
    double standardParallel;  // radians
    double k;                 // the definition's scale
    CsFalseOrigin origin;
    double r;
    double tolerance;  // one millimetre in system units
    double a;
    double cosStandard;
    double rCosStandard;
};

void CS_edcylSetup(CsParams* params);
int CS_edcylCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_edcylForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_edcylInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_edcylK(const CsProjectionConstants* constants, const double ll[3]);
double CS_edcylConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_edcylXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
