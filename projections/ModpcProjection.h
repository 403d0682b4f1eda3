// The modified polyconic of the International Map of the World: each
// parallel a circle of radius N cot phi, each meridian the straight line
// through its points on the two standard parallels. Parameters: 1 central
// meridian, 2 eastern standard meridian, 3 northern and 4 southern parallel.
// A sheet runs 45 degrees each side of the central meridian and one parallel
// spacing beyond each standard parallel.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsModpcConstants {
    double lambda0;  // radians
    double lambdaE;
    double phiS;  // 0 within 4.85e-8 of the equator
    double phiN;
    CsFalseOrigin origin;
    double e;
    double eSq;
    double a;
    double northLimit;  // radians
    double southLimit;
    double tolerance;  // 0.001 times the scale
    double maxX;
    double northY;  // the central meridian's northings at the two limits
    double southY;
    double k;  // the definition's scale
    double ak;
    double rS;  // the standard parallels' radii (0 on the equator)
    double rN;
    double c2;  // the northern parallel's northing offset
    double sinN;
    double sinS;
    double cosN;
    double pPrime;  // the meridian lines' x terms
    double qPrime;
    double p;  // and y terms
    double q;
    CsMeridionalArcBlock arc;  // at radius a k
};

void CS_modpcSetup(CsParams* params);
int CS_modpcCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
// The forward's core, radians in, before the false origin; *ySouth gets the
// southern parallel's northing at this longitude. Returns the status.
int CS_modpcXY(const CsModpcConstants& c, double lambda, double phi, double* x, double* y,
               double* ySouth);
int CS_modpcForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_modpcInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_modpcScaleH(const CsProjectionConstants* constants, const double ll[3]);
double CS_modpcScaleK(const CsProjectionConstants* constants, const double ll[3]);
double CS_modpcConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_modpcGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_modpcXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
