// The Miller cylindrical projection on the sphere of the equatorial radius.
// Parameter 1 is the central meridian; the origin longitude is not used.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsMillerConstants {
    double centralMeridian;  // radians
    double k;                // the definition's scale
    CsFalseOrigin origin;
    double r;
    double r625;    // 0.625 R
    double rInv08;  // 0.8 / R
    double maxX;    // 1.5 pi R
    double maxY;    // the pole's northing
};

void CS_millerSetup(CsParams* params);
int CS_millerCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_millerForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_millerInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_millerK(const CsProjectionConstants* constants, const double ll[3]);
double CS_millerH(const CsProjectionConstants* constants, const double ll[3]);
int CS_millerLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
int CS_millerXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
