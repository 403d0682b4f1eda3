#include "projections/LatitudeSeries.h"

#include <cmath>

namespace {

// x' = x + B1 sin 2x + B2 sin 4x + B3 sin 6x + B4 sin 8x as a polynomial in
// cos 2x.
void FoldSinSeries(double d[4], double b1, double b2, double b3, double b4) {
    d[0] = b1 - b3;
    d[1] = 2.0 * b2 - 4.0 * b4;
    d[2] = 4.0 * b3;
    d[3] = 8.0 * b4;
}

// The third flattening n = (a - b) / (a + b).
double ThirdFlattening(double a, double eSq) {
    double b = std::sqrt(a * a - eSq * a * a);
    return (a - b) / (a + b);
}

}  // namespace

void CS_authalicSeriesSetup(CsAuthalicBlock* block, double eSq) {
    double e = std::sqrt(eSq);
    double e4 = eSq * eSq;
    double e6 = e4 * eSq;
    block->e = e;
    block->eSq = eSq;
    block->qp = 1.0 - ((1.0 - eSq) / (2.0 * e)) * std::log((1.0 - e) / (1.0 + e));
    double a1 = 0.3333333333333333 * eSq + 0.17222222222222222 * e4 + 0.10257936507936508 * e6;
    double a2 = 0.06388888888888888 * e4 + 0.0664021164021164 * e6;
    double a3 = 0.01677689594356261 * e6;
    block->c[0] = a1 - a3;
    block->c[1] = 2.0 * a2;
    block->c[2] = 4.0 * a3;
    block->unused = 0.0;
}

double CS_authalicSeries(const CsAuthalicBlock* block, double beta) {
    double c = std::cos(2.0 * beta);
    return beta + std::sin(2.0 * beta) * (block->c[0] + c * (block->c[1] + c * block->c[2]));
}

double CS_authalicToGeodetic(const CsAuthalicBlock* block, double beta) {
    const double e = block->e;
    const double eSq = block->eSq;
    const double q = block->qp * std::sin(beta);
    const double series = CS_authalicSeries(block, beta);
    double phi = series;
    for (int round = 1; round <= 10; ++round) {
        double s = std::sin(phi);
        double w = 1.0 - eSq * s * s;
        double next = phi + (w * w / (2.0 * std::cos(phi))) *
                                (q / (1.0 - eSq) - s / w +
                                 (1.0 / (2.0 * e)) * std::log((1.0 - e * s) / (1.0 + e * s)));
        bool settled = std::fabs(next - phi) <= 8e-12;
        phi = next;
        if (settled) return phi;
    }
    return series;
}

void CS_conformalSeriesSetup(CsConformalBlock* block, double eSq) {
    double e4 = eSq * eSq, e6 = e4 * eSq, e8 = e6 * eSq;
    FoldSinSeries(block->d, eSq / 2.0 + 5.0 * e4 / 24.0 + e6 / 12.0 + 13.0 * e8 / 360.0,
                  7.0 * e4 / 48.0 + 29.0 * e6 / 240.0 + 811.0 * e8 / 11520.0,
                  7.0 * e6 / 120.0 + 81.0 * e8 / 1120.0, 4279.0 * e8 / 161280.0);
}

void CS_geodeticToConformalSetup(CsConformalBlock* block, double eSq) {
    double e4 = eSq * eSq, e6 = e4 * eSq, e8 = e6 * eSq;
    FoldSinSeries(block->d, -(eSq / 2.0 + 5.0 * e4 / 24.0 + 3.0 * e6 / 32.0 + 281.0 * e8 / 5760.0),
                  5.0 * e4 / 48.0 + 7.0 * e6 / 80.0 + 697.0 * e8 / 11520.0,
                  -(13.0 * e6 / 480.0 + 461.0 * e8 / 13440.0), 1237.0 * e8 / 161280.0);
}

double CS_evalSinSeries(const CsConformalBlock* block, double x) {
    double c = std::cos(2.0 * x);
    const double* d = block->d;
    return x + std::sin(2.0 * x) * (d[0] + c * (d[1] + c * (d[2] + c * d[3])));
}

void CS_meridionalArcSetup(CsMeridionalArcBlock* block, double a, double eSq) {
    double b = std::sqrt(a * a - eSq * a * a);
    double n = (a - b) / (a + b);
    double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
    block->radius = ((a + b) / 2.0) * (1.0 + n2 / 4.0 + n4 / 64.0);
    double b1 = -(3.0 * n / 2.0 - 9.0 * n3 / 16.0 + 3.0 * n5 / 32.0);
    double b2 = 15.0 * n2 / 16.0 - 15.0 * n4 / 32.0;
    double b3 = -(35.0 * n3 / 48.0 - 105.0 * n5 / 256.0);
    double b4 = 315.0 * n4 / 512.0;
    FoldSinSeries(block->d, b1, b2, b3, b4);
}

double CS_meridionalArc(const CsMeridionalArcBlock* block, double phi, double sinPhi,
                        double cosPhi) {
    double c = cosPhi * cosPhi - sinPhi * sinPhi;
    const double* d = block->d;
    return block->radius *
           (phi + 2.0 * sinPhi * cosPhi * (d[0] + c * (d[1] + c * (d[2] + c * d[3]))));
}

void CS_inverseMeridionalArcSetup(CsInverseArcBlock* block, double a, double eSq) {
    double n = ThirdFlattening(a, eSq);
    double n2 = n * n, n3 = n2 * n, n4 = n3 * n;
    block->radius = a * (1.0 - n) * (1.0 - n2) * (1.0 + 9.0 * n2 / 4.0 + 225.0 * n4 / 64.0);
    double d1 = 3.0 * n / 2.0 - 27.0 * n3 / 32.0;
    double d2 = 21.0 * n2 / 16.0 - 55.0 * n4 / 32.0;
    double d3 = 151.0 * n3 / 96.0;
    double d4 = 1097.0 * n4 / 512.0;
    block->g[0] = 2.0 * d1 - 4.0 * d2 + 6.0 * d3 - 8.0 * d4;
    block->g[1] = 8.0 * d2 - 32.0 * d3 + 80.0 * d4;
    block->g[2] = 32.0 * d3 - 192.0 * d4;
    block->g[3] = 128.0 * d4;
}

double CS_latitudeFromArc(const CsInverseArcBlock* block, double m) {
    double mu = m / block->radius;
    double s = std::sin(mu), c = std::cos(mu);
    double cc = c * c;
    const double* g = block->g;
    return mu + s * c * (g[0] + cc * (g[1] + cc * (g[2] + cc * g[3])));
}

void CS_cos2PolySetup(CsCos2PolyBlock* block, double eSq) {
    double e4 = eSq * eSq, e6 = e4 * eSq;
    // dM/dphi / a = M0 - 2 A2 cos 2phi + 4 A4 cos 4phi - 6 A6 cos 6phi: each
    // factor multiplies its whole coefficient, or the polyconic's meridian
    // scale drifts off 1 on its central meridian.
    double t1 = 2.0 * ((3.0 / 8.0) * eSq + (3.0 / 32.0) * e4 + (45.0 / 1024.0) * e6);
    double t2 = 4.0 * ((15.0 / 256.0) * e4 + (45.0 / 1024.0) * e6);
    double t3 = 6.0 * (35.0 / 3072.0) * e6;
    block->p[0] = 1.0 - eSq / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0 - t2;
    block->p[1] = 3.0 * t3 - t1;
    block->p[2] = 2.0 * t2;
    block->p[3] = -4.0 * t3;
}

double CS_cos2Poly(const CsCos2PolyBlock* block, double phi) {
    double c = std::cos(2.0 * phi);
    const double* p = block->p;
    return p[0] + c * (p[1] + c * (p[2] + c * p[3]));
}
