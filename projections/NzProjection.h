// The New Zealand Map Grid (NZEALAND): a latitude series and a complex
// polynomial of fixed published coefficients, inverted by two Newton rounds.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsNzConstants {
    double lambda0;  // degrees
    double phi0;     // degrees
    double k;        // the definition's scale times the scale reduction
    CsFalseOrigin origin;
    double r;  // a k, system units
    double tenThousandthK;
    double e;
    double a;
    double eSq;
    double degreesToSeries;  // degrees of latitude to 10^5 arc-seconds
    double latitudeSeries[10];
    double forward[7][2];
    double inverse[7][2];
    double inverseLatitude[9];
    double unitsPerMetre;  // the definition's scale
};

void CS_nzSetup(CsParams* params);
int CS_nzCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_nzForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_nzInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_nzK(const CsProjectionConstants* constants, const double ll[3]);
double CS_nzConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_nzLatLongLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_nzXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
