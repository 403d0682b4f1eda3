// The modified stereographic projection (MSTERO): a stereographic projection
// (on the conformal sphere for an ellipsoid) followed by a complex polynomial
// whose coefficients c1..c12 are the 24 parameters (real, imaginary), as in
// Snyder's conformal maps of Alaska and the 50 states.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsMsteroConstants {
    double lambda0;  // radians
    double phi1;     // radians
    double k;        // the definition's scale times the scale reduction
    CsFalseOrigin origin;
    double r;  // a k, system units
    double tolerance;
    double e;
    double a;
    double eSq;
    double eHalf;
    double cosPhi1;
    double sinPhi1;
    double sinChi1;
    double cosChi1;
    double coefficients[13][2];  // c0 = 0
    CsConformalBlock fromConformal;
    double k0;             // the scale reduction
    std::uint16_t degree;  // the highest coefficient kept
};

void CS_msteroSetup(CsParams* params);
int CS_msteroCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_msteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_msteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_msteroK(const CsProjectionConstants* constants, const double ll[3]);
double CS_msteroConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_msteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
int CS_msteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
