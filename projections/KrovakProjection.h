// The Krovak oblique conformal conic (KROVAK) and its 1995 adjustment
// (KROVAK95): the ellipsoid onto a Gaussian sphere, the sphere turned about an
// oblique pole, and a conformal conic on the oblique latitude. Parameters 1 to
// 3 are the oblique pole's longitude (from the origin longitude) and latitude
// and the pseudo standard parallel.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsKrovakConstants {
    double lambda0;  // radians
    double phi0;
    double lambdaQ;  // the oblique pole
    double phiQ;
    double s0;  // the pseudo standard parallel
    double k0;
    CsFalseOrigin origin;
    double k0Scale;
    double e;
    double eSq;
    double halfE;
    double r;  // the Gaussian sphere's radius, k0 and the scale included
    double k0ScaleA;
    double alpha;
    double alphaHalfE;
    double lnK;
    double k;
    double n;
    double rho0;
    double oneOverN;
    double tanS0;  // tan(S0/2 + pi/4)
    double rho0TanS0N;
    double vQ;
    double uQ;
    double sinUQ;
    double cosUQ;       // the sine of the cone axis' co-latitude
    double apexRadius;  // 4.85e-8 rho0: the cone's apex
    double farRadius;   // 4 rho0: the oblique pole's antipode
    double maxTheta;    // |n| pi
    double iterationTolerance;
    double tolerance;
    std::uint16_t corrected;  // KROVAK95
};

// The oblique cone of a point (degrees): V, U (the Gaussian longitude from
// the origin longitude and latitude), D, S (the oblique longitude and
// latitude), theta and rho. 0, or 2 for a latitude beyond the poles.
int CS_krovakCone(const CsKrovakConstants& c, const double ll[3], double vu[2], double ds[2],
                  double* theta, double* rho);
// The 1995 adjustment's corrections of the cone's X (south) and Y (west).
void CS_krovak95Correction(double x, double y, double* dx, double* dy);
// The conformal latitude on the Gaussian sphere.
double CS_krovakConformalLat(const CsKrovakConstants& c, double phi);

void CS_krovakSetup(CsParams* params);
int CS_krovakCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_krovakForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_krovakInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_krovakK(const CsProjectionConstants* constants, const double ll[3]);
double CS_krovakConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_krovakLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
