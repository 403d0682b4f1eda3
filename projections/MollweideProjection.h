// The Mollweide (MOLLWEID) and Goode homolosine (GOODE) projections on the
// sphere of the equatorial radius, each optionally interrupted into zones.
// Goode is sinusoidal up to the join latitude and Mollweide, shifted toward
// the equator, beyond it.
#pragma once

#include <cstdint>

#include "projections/InterruptZones.h"
#include "projections/ProjectionKit.h"

struct CsMollweideConstants {
    double lambda0;  // radians
    CsFalseOrigin origin;
    double a;
    double scale;
    double r;             // a times the scale
    double threshold;     // the numeric scale's smallest parallel arc
    double tolerance;     // Newton's
    double joinLatitude;  // GOODE
    double joinY;
    double xExtent;  // the default cartesian range about the origin
    double yExtent;
    double cx;  // 2 sqrt 2 / pi R
    double cy;  // sqrt 2 R
    double invCy;
    double invCx;
    double offset;  // GOODE: the Mollweide part's shift toward the equator
    CsZone zones[kCsMaxZones];
    std::int16_t zoneCount;
};

void CS_mollweidSetup(CsParams* params);
int CS_mollweidForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_mollweidInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_mollweidK(const CsProjectionConstants* constants, const double ll[3]);
double CS_mollweidH(const CsProjectionConstants* constants, const double ll[3]);
double CS_mollweidConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_mollweidXYLimits(const CsProjectionConstants* constants, int count,
                        const double points[][3]);

void CS_goodeSetup(CsParams* params);
int CS_goodeForward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_goodeInverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_goodeK(const CsProjectionConstants* constants, const double ll[3]);
double CS_goodeH(const CsProjectionConstants* constants, const double ll[3]);
double CS_goodeConvergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_goodeXYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
