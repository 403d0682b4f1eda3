// Ellipsoid series the projection families share: authalic and conformal
// latitudes, the meridional arc and its inverse, and a polynomial in cos 2phi.
// Every series in sines of even multiples of an angle is kept as the angle
// plus sin 2x times a polynomial in cos 2x (or sin x cos x times one in
// cos^2 x), so one evaluation costs one sine and one cosine. Angles are
// radians; eSq is the eccentricity squared, a the equatorial radius.
#pragma once

struct CsAuthalicBlock {
    double e;
    double eSq;
    double qp;
    double c[3];
    double unused;
};

// x + sin 2x (d0 + d1 c + d2 c^2 + d3 c^3), c = cos 2x.
struct CsConformalBlock {
    double d[4];
};

struct CsMeridionalArcBlock {
    double radius;  // the rectifying radius A
    double d[4];
};

struct CsInverseArcBlock {
    double radius;  // A'
    double g[4];
};

struct CsCos2PolyBlock {
    double p[4];
};

void CS_authalicSeriesSetup(CsAuthalicBlock* block, double eSq);
// The series value of the geodetic latitude for the authalic latitude beta.
double CS_authalicSeries(const CsAuthalicBlock* block, double beta);
// The geodetic latitude for the authalic latitude beta, by Newton iteration
// (the series value when ten rounds do not settle).
double CS_authalicToGeodetic(const CsAuthalicBlock* block, double beta);

// Conformal latitude to geodetic latitude.
void CS_conformalSeriesSetup(CsConformalBlock* block, double eSq);
// Geodetic latitude to conformal latitude.
void CS_geodeticToConformalSetup(CsConformalBlock* block, double eSq);
inline void CS_conformalFromGeodeticSetup(CsConformalBlock* block, double eSq) {
    CS_geodeticToConformalSetup(block, eSq);
}
double CS_evalSinSeries(const CsConformalBlock* block, double x);

void CS_meridionalArcSetup(CsMeridionalArcBlock* block, double a, double eSq);
// Distance along the meridian from the equator to phi, in the unit of a.
double CS_meridionalArc(const CsMeridionalArcBlock* block, double phi, double sinPhi,
                        double cosPhi);

void CS_inverseMeridionalArcSetup(CsInverseArcBlock* block, double a, double eSq);
// The latitude whose meridional distance is m (the footpoint latitude).
double CS_latitudeFromArc(const CsInverseArcBlock* block, double m);

// The meridional arc's derivative over the equatorial radius, (dM/dphi) / a,
// as p0 + p1 c + p2 c^2 + p3 c^3 with c = cos 2phi (series to e^6).
void CS_cos2PolySetup(CsCos2PolyBlock* block, double eSq);
double CS_cos2Poly(const CsCos2PolyBlock* block, double phi);
