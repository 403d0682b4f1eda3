// The oblique stereographic projection (OSTERO) in its double form: the
// ellipsoid onto a conformal sphere (constants n and c), then
// stereographically; the Dutch and Canadian national grids. Equatorial and
// oblique aspects, sphere or ellipsoid.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsOsteroConstants {
    double lambda0;  // radians
    double phi0;     // radians; 0 for the equatorial aspect
    double k;        // the definition's scale times the scale reduction
    CsFalseOrigin origin;
    double r;  // the conformal sphere's radius, system units
    double tolerance;
    double e;
    double a;
    double eSq;
    double eHalf;
    double oneMinusESq;
    double twoK0;  // the sphere's scale numerator
    double twoR;
    double cosPhi0;
    double sinPhi0;
    double nu0;
    double rho0;
    double n;
    double c;
    double g;
    double h;
    double chi0;
    double sinChi0;
    double cosChi0;
    double latitudeTolerance;  // of the inverse iteration, radians
    double unitsPerMetre;      // the definition's scale
    std::uint16_t aspect;      // 4 equatorial, 5 oblique
};

void CS_osteroSetup(CsParams* params);
int CS_osteroCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_osteroForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_osteroInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_osteroK(const CsProjectionConstants* constants, const double ll[3]);
double CS_osteroConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_osteroLatLongLimits(const CsProjectionConstants* constants, int count,
                           const double points[][3]);
int CS_osteroXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
