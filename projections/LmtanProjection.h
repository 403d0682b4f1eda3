// The Lambert tangential conformal conic projection (LMTAN): a Lambert
// conformal conic tangent at the origin latitude with the definition's scale
// reduction, worked through the isometric latitude.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsLmtanConstants {
    double lambda0;  // radians
    double phi0;
    double k;  // scale reduction times the definition's scale
    CsFalseOrigin origin;
    double e;
    double eSq;
    double halfE;
    double ka;            // scale a: the ellipsoid the scale routines measure on
    double akk;           // a k
    double n;             // sin phi0
    double tolerance;     // system units
    double largestAngle;  // |n| pi
    double rhoMax;        // the radius at the far pole, a magnitude
    double n0;            // the radius of curvature in the prime vertical at phi0
    double rho0;          // signed: negative on a southern cone
    double bigK;          // rho = K exp(-n psi)
    double absK;
    double psi0;
};

void CS_lmtanSetup(CsParams* params);
int CS_lmtanCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_lmtanForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_lmtanInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_lmtanScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_lmtanScaleH(const CsProjectionConstants* constants, const double ll[3]);
double CS_lmtanConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_lmtanGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_lmtanXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
// 2 when the point (system units) lies off the cone; its polar angle is stored.
int CS_lmtanPointXYLimit(const CsLmtanConstants& c, const double xy[3], double* theta);
