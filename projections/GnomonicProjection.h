// The gnomonic projection (GNOMONIC) on the sphere of the equatorial radius;
// its check serves the ORTHO and BONNE rows too.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsGnomonicConstants {
    double lambda0;  // radians
    double phi0;     // radians
    double scale;
    CsFalseOrigin origin;
    double r;  // a times the scale
    double tolerance;
    double a;
    double cosPhi0;
    double sinPhi0;
    double horizon;      // the smallest cos c projected normally
    double limitRadius;  // where points beyond the horizon are placed
};

void CS_gnomonicSetup(CsParams* params);
int CS_gnomonicCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_gnomonicForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_gnomonicInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_gnomonicK(const CsProjectionConstants* constants, const double ll[3]);
double CS_gnomonicH(const CsProjectionConstants* constants, const double ll[3]);
double CS_gnomonicConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_gnomonicLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]);
int CS_gnomonicXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]);
