// The Bonne pseudoconical projection on the sphere or the ellipsoid, with its
// equatorial (sinusoidal) and polar (equidistant) forms. Its row takes the
// gnomonic family's check.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

enum ECsBonneForm : std::uint16_t {
    kCsBonneGeneral = 1,
    kCsBonnePolar = 2,
    kCsBonneEquatorial = 3,
};

struct CsBonneConstants {
    double lambda0;  // radians
    double phi1;     // the standard parallel, radians
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;
    double scale;
    double r;  // a times the scale
    double tolerance;
    // The ellipsoid:
    double sinPhi1;
    double m1;  // cos phi1 / sqrt(1 - e^2 sin^2 phi1)
    double arc1;
    // The sphere:
    double cotPhi1;
    double rCotPhi1;
    double phi1PlusCot;
    // The ellipsoid again:
    double apexY;       // R m1 / sin phi1: the cone's apex above the origin
    double apexRadius;  // apexY + the arc of phi1
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
    std::uint16_t form;  // ECsBonneForm
    std::uint16_t southern;
};

void CS_bonneSetup(CsParams* params);
int CS_bonneForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_bonneInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_bonneH(const CsProjectionConstants* constants, const double ll[3]);
double CS_bonneConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_bonneLatLongLimits(const CsProjectionConstants* constants, int count,
                          const double points[][3]);
int CS_bonneXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
