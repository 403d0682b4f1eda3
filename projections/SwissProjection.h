// The conformal oblique cylindrical projections: SWISS (the Swiss grid) and
// OBQCYL (its generalized form, with its own latitude for the sphere's
// constants and a scale reduction). The ellipsoid goes conformally onto a
// Gaussian sphere, the sphere is rotated so that the origin lies on the
// equator of an oblique system, and that system takes the Mercator formulas.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsSwissConstants {
    double lambda0;  // radians
    double phi0;
    double phiS;  // the latitude of the sphere's constants (phi0 for SWISS)
    double scale;
    CsFalseOrigin origin;
    double e;
    double eSq;
    double eHalf;
    double ka;      // a times the scale
    double rPrime;  // the oblique system's radius times k0
    double m;       // radii of curvature at phiS (ka on the sphere)
    double n;
    double k0;          // 1 for SWISS
    double alpha;       // 1 on the sphere
    double alphaEHalf;  // 0 on the sphere
    double bigK;        // 0 on the sphere
    double b0;          // the origin's latitude on the sphere
    double sinB0;
    double cosB0;
    double tolerance;  // of the scale's distances: 0.001 times the scale
};

void CS_swissSetup(CsParams* params);
int CS_swissCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_swissForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_swissInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_swissScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_swissConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_swissLlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
