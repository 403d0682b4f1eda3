// The oblique stereographic projection per Snyder (OSTEROUS): the conformal
// latitude taken directly, the grid turned by the azimuth of its y axis
// (parameter 1). Equatorial and oblique aspects, sphere or ellipsoid.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsOsterousConstants {
    double lambda0;  // radians
    double phi1;     // radians; 0 for the equatorial aspect
    double k;        // the definition's scale times the scale reduction
    CsFalseOrigin origin;
    double alpha;  // radians
    double r;      // k a, system units
    double tolerance;
    double e;
    double a;
    double eSq;
    double eHalf;
    double twoK0;  // the sphere's scale numerator
    double twoR;
    double cosPhi1;
    double sinPhi1;
    double cosAlpha;
    double sinAlpha;
    double sinChi1;
    double cosChi1;
    double m1;
    double twoRm1;
    CsConformalBlock fromConformal;
    double unitsPerMetre;  // the definition's scale
    std::uint16_t aspect;  // 4 equatorial, 5 oblique
};

void CS_osterousSetup(CsParams* params);
int CS_osterousCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_osterousForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_osterousInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_osterousK(const CsProjectionConstants* constants, const double ll[3]);
double CS_osterousConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_osterousLatLongLimits(const CsProjectionConstants* constants, int count,
                             const double points[][3]);
int CS_osterousXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]);
