// The Lambert conformal conic family: LM (two standard parallels), LM1SP
// (the origin latitude as the one parallel, with a scale reduction), LMBLGN
// (every point turned about the apex by the Belgian angle), and the
// Wisconsin and Minnesota county variants on an ellipsoid raised to the
// county's mean surface. The central meridian is the origin longitude. The
// ellipsoidal inverse takes the conformal-latitude series, no iteration.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsLmConstants {
    double centralMeridian;  // radians
    double originLatitude;   // radians
    double k;                // the definition's scale (times k0 for LM1SP)
    CsFalseOrigin origin;    // false origin and quadrant code
    double belgianAngle;     // radians; 0 but for LMBLGN
    double a;                // metres, raised for LM-WCCS and LM-MNDOT
    double e;
    double eSq;
    double eHalf;
    // A radius no larger than this is the apex (system units).
    double smallRadius;
    double largestAngle;   // |n| pi
    double largestRadius;  // the radius at the far pole's edge
    double t1;             // t of the first parallel
    double n;
    double oneOverN;
    double apexLatitude;  // radians: the pole the cone closes at
    double f;
    double rho0;
    double aF;                    // a k F, system units (negative for a southern cone)
    double sphereScaleNumerator;  // cos phi1 tan^n(pi/4 + phi1/2)
    double k0;                    // scale reduction: 1 but for LM1SP
    CsConformalBlock fromConformal;
};

void CS_lmSetup(CsParams* params);
int CS_lmCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_lmForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_lmInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_lmScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_lmConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_lmGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
// Status 2 when the system point lies beyond the cone's radius or angle.
int CS_lmPointXYLimit(const CsLmConstants* lm, const double xy[3]);
int CS_lmXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
