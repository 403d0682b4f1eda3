// The null projection: latitude and longitude scaled into the system's angular
// unit, offset by the origin longitude and kept inside a longitude window.
// Parameters 1 and 2 are the window's west and east ends (both 0: the default
// window of 360 degrees about the origin).
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsLlConstants {
    double originLongitude;  // degrees
    double scale;            // degrees to system units
    double gridScale;        // always 1
    double west;             // window ends, system units relative to the origin
    double east;
    double width;
    double cycle;          // 360 degrees in system units
    CsFalseOrigin origin;  // the quadrant about a zero origin
};

void CS_llSetup(CsParams* params);
int CS_llCheck(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_llForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_llInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_llScale(const CsProjectionConstants* constants, const double ll[3]);
int CS_llGeoLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_llXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
