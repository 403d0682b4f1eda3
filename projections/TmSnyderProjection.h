// TM-SNYDER: the transverse Mercator by Snyder's published series (the
// meridional distance in e^2, the footpoint latitude in e1), with the pole
// and edge handling of the TM family and none of its variant options.
// Parameter 1 is the central meridian.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsTmSnyderConstants {
    double centralMeridian;  // radians
    double originLatitude;   // radians
    double k;                // the definition's scale times k0
    double k0;               // scale reduction
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;
    double rk;  // sphere
    double rkHalf;
    double ePrimeSq;
    double arc[4];  // meridional distance: phi, sin 2phi, sin 4phi, sin 6phi
    double m0;      // meridional distance of the origin latitude
    double e1;
    double footpoint[4];  // sin 2mu .. sin 8mu
    // |x| of the point on the equator 90 degrees (less the tolerance) from the
    // central meridian, before the false origin: the inverse clamps to it.
    double largestEasting;
};

void CS_tmSnyderSetup(CsParams* params);
int CS_tmSnyderCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_tmSnyderForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_tmSnyderInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_tmSnyderScale(const CsProjectionConstants* constants, const double ll[3]);
double CS_tmSnyderConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_tmSnyderGeoLimits(const CsProjectionConstants* constants, int count,
                         const double points[][3]);
int CS_tmSnyderXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]);
