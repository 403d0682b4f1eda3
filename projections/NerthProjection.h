// The non-georeferenced (non-earth) system: plain x/y. Its "longitude and
// latitude" are the cartesian coordinates scaled down by 1e-50, so that they
// can never pass for real ones; it refers to an ellipsoid, never a datum, and
// the library refuses to convert it to or from any earth system.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsNerthConstants {
    double scale;
    double factor;  // 1e-50 / scale: system units to "degrees"
    CsFalseOrigin origin;
};

void CS_nerthSetup(CsParams* params);
int CS_nerthCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_nerthForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_nerthInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_nerthLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_nerthXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
