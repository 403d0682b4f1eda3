// The Winkel Tripel projection on the sphere of the equatorial radius with a
// selectable standard parallel (parameter 1); the inverse iterates the
// forward, at most forty rounds.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsWinkelConstants {
    double centralMeridian;   // radians
    double standardParallel;  // radians
    double a;
    double cosStandard;
    double k;  // the definition's scale
    double r;
    double twoR;
    double rCosStandard;
    double rHalfPi;
    CsFalseOrigin origin;
    double tolerance;  // one millimetre in system units
};

void CS_winkelSetup(CsParams* params);
int CS_winkelCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
// x, y about the false origin of (lambda - lambda0, phi) in radians.
int CS_winkelXY(const CsWinkelConstants& c, double* x, double* y, double lambda, double phi);
int CS_winkelForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
// 4096 when the fortieth round has not settled, with the last estimate.
int CS_winkelInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_winkelK(const CsProjectionConstants* constants, const double ll[3]);
double CS_winkelH(const CsProjectionConstants* constants, const double ll[3]);
double CS_winkelConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_winkelXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
