// The Eckert IV (ECKERT4) and Eckert VI (ECKERT6) pseudocylindrical
// projections on the sphere of the equatorial radius, each solving an
// auxiliary angle by Newton iteration.
#pragma once

#include <cstdint>

#include "projections/ProjectionKit.h"

struct CsEckertConstants {
    double lambda0;  // radians
    CsFalseOrigin origin;
    double a;
    double scale;
    double r;          // a times the scale
    double threshold;  // the numeric scale's smallest parallel arc
    double tolerance;  // Newton's
    double xExtent;    // the default cartesian range about the origin
    double yExtent;
    double c;  // the constant of the auxiliary angle's equation
    double cx;
    double cy;
    double invCy;
    double invCx;
};

void CS_eckert4Setup(CsParams* params);
int CS_eckert4Forward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_eckert4Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_eckert4K(const CsProjectionConstants* constants, const double ll[3]);
double CS_eckert4H(const CsProjectionConstants* constants, const double ll[3]);
double CS_eckert4Convergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_eckert4LlLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
int CS_eckert4XYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);

void CS_eckert6Setup(CsParams* params);
int CS_eckert6Forward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_eckert6Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_eckert6K(const CsProjectionConstants* constants, const double ll[3]);
double CS_eckert6H(const CsProjectionConstants* constants, const double ll[3]);
double CS_eckert6Convergence(const CsProjectionConstants* constants, const double ll[3]);
int CS_eckert6XYLimits(const CsProjectionConstants* constants, int count, const double points[][3]);
