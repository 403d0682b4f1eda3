// The polar stereographic family: PSTERO (the scale factor at the pole is
// the definition's scale reduction) and PSTEROSL (the scale factor follows
// from the standard circle in parameter 1). The origin latitude is a pole;
// the ellipsoid goes through the conformal latitude.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsPsteroConstants {
    double lambda0;  // radians
    double phi0;     // exactly +-pi/2
    double k;        // k0 times the definition's scale
    CsFalseOrigin origin;
    double r;          // k a, system units
    double tolerance;  // system units
    double e;
    double a;
    double eSq;
    double eHalf;
    double sqrtP;  // sqrt((1 - e)^(1 - e) (1 + e)^(1 + e))
    double twoK0;  // the sphere's scale numerator
    double twoR;
    double cosPhi0;
    double sinPhi0;
    CsConformalBlock fromConformal;
    double k0;           // scale factor at the pole
    std::uint16_t pole;  // 1 north, 2 south
};

void CS_psteroSetup(CsParams* params);
int CS_psteroCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_psteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_psteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_psteroK(const CsProjectionConstants* constants, const double ll[3]);
double CS_psteroConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_psteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
int CS_psteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
