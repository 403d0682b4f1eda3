// Danish System 34 (SYSTM34, and SYSTM34-99 for the 1999 tables): a UTM
// projection (scale 0.9996, false easting 500000, the region's central
// meridian) whose easting and northing a two-variable polynomial of the
// region and vintage turns into System 34 x and y. Parameter 1 is the region:
// 1 Jylland, 2 Sjaelland, 3 Bornholm. The definition's false origin is not
// used.
//
// The polynomials' coefficient tables are not available to this library: the
// UTM stage, the regions, their domains and the checks are built, and the
// polynomial stage reports error 139 ("CSsys34:3") and gives no coordinates
// (NaN) for a point inside a region's domain, so that no System 34 value is
// ever invented. CS_sys34Kernel takes the tables as an argument so that the
// stage runs once they are supplied.
#pragma once

#include <cstdint>

#include "projections/LatitudeSeries.h"
#include "projections/ProjectionKit.h"

struct CsSys34Constants {
    double lambda0;  // radians
    double phi0;
    double k;   // scale x 0.9996
    double k0;  // 0.9996
    double e;
    double eSq;
    double a;
    double ka;
    double kaHalf;        // sphere only
    double ePrimeSq;      // ellipsoid only
    double eastingLimit;  // |E - 500000| of the UTM stage 90 degrees out
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverseArc;
    std::int16_t region;
    std::int16_t quadrant;
    std::int16_t vintage;  // 1999, or 0
    double tolerance;      // system units, for the numeric scale and convergence
};

// The twelve polynomial tables, by vintage (0 before 1999, 1 for 1999) and
// region (1..3 at index 0..2); null where a table is not available. Each
// holds n, then the (n+1)(n+2)/2 coefficients of P1 (i-major: u^i v^j for
// i = 0..n, j = 0..n-i), the origin of the second input, the coefficients of
// P2 (v^i u^j, the same order) and the origin of the first input.
struct CsSys34Tables {
    const double* forward[2][3];  // UTM easting, northing to System 34 (-x, y)
    const double* inverse[2][3];  // System 34 (-x, y) to UTM easting, northing
};

// The kernel on the given tables: region 1/'j', 2/'s' or 3/'b'; direction
// > 0 forward (in1 = easting, in2 = northing), < 0 inverse (in1 = -x, in2 =
// y); vintage 1999 or any other value. -1 on an error (reported), 1 outside
// the region's domain (outputs NaN) or when the back-conversion disagrees, 0
// otherwise.
int CS_sys34Kernel(const CsSys34Tables& tables, int region, int direction, int vintage, double in1,
                   double in2, double* out1, double* out2);
// The kernel on the library's own tables, none of which is available.
int CSsys34(int region, int direction, int vintage, double in1, double in2, double* out1,
            double* out2);
// Whether (in1, in2) lies strictly inside the region's domain (region 1..3).
bool CS_sys34InDomain(int region, int direction, int vintage, double in1, double in2);
// A table's two polynomials at (in1, in2): out1 = P2, out2 = P1. False for
// a degree outside 0..20 (NaN outputs).
bool CS_sys34Polynomial(const double* table, double in1, double in2, double* out1, double* out2);
// A back-conversion agrees when neither coordinate is off by 0.06 or more.
bool CS_sys34BackAgrees(double in1, double in2, double back1, double back2);

// The UTM stage alone: longitude, latitude (degrees) to easting, northing
// and back, with the forward's and inverse's statuses.
int CS_sys34UtmForward(const CsSys34Constants& c, double longitude, double latitude,
                       double* easting, double* northing);
int CS_sys34UtmInverse(const CsSys34Constants& c, double easting, double northing,
                       double* longitude, double* latitude);

void CS_sys34Setup(CsParams* params);
int CS_sys34Check(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);
int CS_sys34Forward(const CsProjectionConstants* constants, double out[3], const double in[3]);
int CS_sys34Inverse(const CsProjectionConstants* constants, double out[3], const double in[3]);
double CS_sys34Scale(const CsProjectionConstants* constants, const double ll[3]);
double CS_sys34Convergence(const CsProjectionConstants* constants, const double ll[3]);
