// The Hotine oblique Mercator and the rectified skew orthomorphic grids:
// HOM1UV, HOM1XY, RSKEW, RSKEWC and RSKEWO take the central line through a
// centre point (parameters 1, 2) at an azimuth (parameter 3; for RSKEWO the
// skew angle at the rectified origin), HOM2UV and HOM2XY through two points
// (parameters 1-4) with the centre latitude the origin latitude. The
// ellipsoid is Hotine's aposphere, the inverse taking the conformal-latitude
// series rather than an iteration; the sphere is the oblique Mercator about
// the pole of the central line.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsHomConstants {
    double lambda1;  // radians: the two-point form's points
    double phi1;
    double lambda2;
    double phi2;
    double lambdaC;  // the centre
    double phiC;
    double lambda0;  // the natural origin's longitude
    double phiConstants;
    double alphaC;   // the central line's azimuth at the centre
    double lambdaP;  // the pole of the oblique (northern one)
    double phiP;
    double k;  // the definition's scale times the scale reduction
    double k0;
    CsFalseOrigin origin;
    double uOffset;  // u of the centre (RSKEWC), else 0
    double e;
    double eSq;
    double eHalf;
    double a;
    double ak;
    double sinPhiP;
    double cosPhiP;
    double sinAlphaC;
    double cosAlphaC;
    // |v| and |u| of the domain's edge, before the false origin.
    double largestV;
    double largestU;
    double sinGamma0;
    double cosGamma0;
    double A;
    double B;
    double AoverB;
    double oneOverB;
    double E;
    double gamma0;
    CsConformalBlock fromConformal;
    std::uint16_t centralPoint;  // 1 centre and azimuth, 0 two points
    std::uint16_t originAtCentre;
    std::uint16_t rectification;  // 0 none, 1 by gamma0, 2 by alphaC
    std::uint16_t skewAzimuth;    // parameter 3 is gamma0
};

void CS_homSetup(CsParams* params);
int CS_homCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_homForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_homInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_homScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_homConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_homGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
// Status 2 for a point (radians) within 4.85e-8 of the oblique's poles, else 0.
int CS_homPointLimit(const CsHomConstants& c, double lambda, double phi);
// u, v of a point (radians, the longitude as its difference from lambda0).
int CS_homUV(const CsHomConstants& c, double dLambda, double phi, double* u, double* v);
