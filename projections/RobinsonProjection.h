// The Robinson pseudocylindrical projection on the sphere of the equatorial
// radius: the published table of parallel lengths and distances at 5-degree
// steps with quadratic interpolation; the inverse inverts the interpolation
// and refines the latitude by a bounded iteration.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsRobinsonConstants {
    double centralMeridian;  // radians
    double k;                // the definition's scale
    double a;
    double r;
    double rx;  // 0.8487 R
    double ry;  // 1.3523 R
    double oneOverRx;
    double oneOverRy;
    CsFalseOrigin origin;
    double maxX;  // 1.5 pi Rx
    double maxY;  // Ry
    // The inverse's refinement stops within this many system units of y.
    double tolerance;
};

void CS_robinsonSetup(CsParams* params);
int CS_robinsonForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_robinsonInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_robinsonK(const CsProjectionConstants* constants, const double ll[3]);
double CS_robinsonH(const CsProjectionConstants* constants, const double ll[3]);
double CS_robinsonConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_robinsonLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]);
int CS_robinsonXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]);
