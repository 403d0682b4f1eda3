// The bipolar oblique conformal conic, on the sphere of radius a x scale: two
// oblique conformal conics about poles A and B, each point projected on the
// cone of the pole it lies toward, the two meeting along the great circle
// between the poles. Parameters 1-4 are the poles' longitudes and latitudes,
// 5 their angular distance (0: from the poles; else pole B's longitude is
// derived from it), 6 and 7 the distances of the standard circles from their
// poles, all in degrees.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsBipolarConstants {
    double lambdaA;  // radians
    double phiA;
    double lambdaB;
    double phiB;
    double zAB;  // the poles' angular distance
    double t1;   // standard circles' distances from their poles
    double t2;
    CsFalseOrigin origin;
    double radius;     // a x scale
    double tolerance;  // system units: ends the inverse's refinement
    double sinPhiA;
    double cosPhiA;
    double sinPhiB;
    double cosPhiB;
    double n;
    double s;  // tan^n(T1/2) + tan^n(T2/2)
    double f0;
    double k0;
    double f;
    double azAB;  // azimuth of pole B seen from pole A
    double azBA;
    double az0;  // azBA - pi
    double rhoC;
    double zC;
    double phiC;  // the centre
    double lambdaC;
    double azC;  // the axis azimuth
    double sinAzC;
    double cosAzC;
    double rhoAB;
    double angularLimit;  // n pi
};

void CS_bipolarSetup(CsParams* params);
int CS_bipolarCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_bipolarForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_bipolarInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_bipolarK(const CsProjectionConstants* constants, const double ll[3]);
double CS_bipolarConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_bipolarLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_bipolarXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);

// The inverse's refinement gives up after this many rounds, with status 2.
inline constexpr int kCsBipolarMaxRefinements = 50;
