#include <gtest/gtest.h>

#include <cmath>

#include "projections/LatitudeSeries.h"

namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257222101;
const double kESq = 2.0 * kF - kF * kF;
const double kE = std::sqrt(kESq);
constexpr double kPi = 3.14159265358979323846;

// The closed forms the series stand for.
double ConformalLatitude(double phi) {
    double s = std::sin(phi);
    return 2.0 * std::atan(std::tan(kPi / 4.0 + phi / 2.0) *
                           std::pow((1.0 - kE * s) / (1.0 + kE * s), kE / 2.0)) -
           kPi / 2.0;
}

double AuthalicQ(double phi) {
    double s = std::sin(phi);
    return (1.0 - kESq) * (s / (1.0 - kESq * s * s) -
                           (1.0 / (2.0 * kE)) * std::log((1.0 - kE * s) / (1.0 + kE * s)));
}

const double kLatitudes[] = {-1.5, -0.9, -0.3, 0.0, 0.1, 0.5, 0.8, 1.2, 1.55};

TEST(LatitudeSeries, ConformalBothWays) {
    CsConformalBlock toConformal, fromConformal;
    CS_geodeticToConformalSetup(&toConformal, kESq);
    CS_conformalSeriesSetup(&fromConformal, kESq);
    for (double phi : kLatitudes) {
        double chi = CS_evalSinSeries(&toConformal, phi);
        EXPECT_NEAR(chi, ConformalLatitude(phi), 2e-12) << phi;  // truncated at e^8
        EXPECT_NEAR(CS_evalSinSeries(&fromConformal, ConformalLatitude(phi)), phi, 2e-12) << phi;
    }
}

TEST(LatitudeSeries, MeridionalArcAndItsInverse) {
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverse;
    CS_meridionalArcSetup(&arc, kA, kESq);
    CS_inverseMeridionalArcSetup(&inverse, kA, kESq);
    EXPECT_EQ(CS_meridionalArc(&arc, 0.0, 0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(CS_meridionalArc(&arc, kPi / 2.0, 1.0, 0.0), arc.radius * kPi / 2.0);
    // The quarter meridian of GRS 80.
    EXPECT_NEAR(CS_meridionalArc(&arc, kPi / 2.0, 1.0, 0.0), 10001965.7293, 1e-4);
    for (double phi : kLatitudes) {
        double m = CS_meridionalArc(&arc, phi, std::sin(phi), std::cos(phi));
        EXPECT_NEAR(CS_latitudeFromArc(&inverse, m), phi, 1e-12) << phi;
    }
}

TEST(LatitudeSeries, AuthalicToGeodetic) {
    CsAuthalicBlock block;
    CS_authalicSeriesSetup(&block, kESq);
    EXPECT_EQ(block.unused, 0.0);
    EXPECT_NEAR(block.qp, AuthalicQ(kPi / 2.0), 1e-15);
    EXPECT_EQ(CS_authalicToGeodetic(&block, 0.0), 0.0);
    for (double phi : kLatitudes) {
        double beta = std::asin(AuthalicQ(phi) / block.qp);
        EXPECT_NEAR(CS_authalicToGeodetic(&block, beta), phi, 1e-11) << phi;
        EXPECT_NEAR(CS_authalicSeries(&block, beta), phi, 1e-8) << phi;
    }
}

// The meridian's radius of curvature.
double MeridianRadius(double phi) {
    double s = std::sin(phi);
    return kA * (1.0 - kESq) / std::pow(1.0 - kESq * s * s, 1.5);
}

// Its integral from 0 to phi: Gauss-Legendre, five nodes on each of 64 pieces.
double MeridianIntegral(double phi) {
    const double node[5] = {0.0, 0.5384693101056831, -0.5384693101056831, 0.906179845938664,
                            -0.906179845938664};
    const double weight[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                              0.2369268850561891, 0.2369268850561891};
    const int pieces = 64;
    double h = phi / pieces, sum = 0.0;
    for (int i = 0; i < pieces; ++i) {
        double mid = (i + 0.5) * h, piece = 0.0;
        for (int k = 0; k < 5; ++k) piece += weight[k] * MeridianRadius(mid + node[k] * h / 2.0);
        sum += piece * h / 2.0;
    }
    return sum;
}

TEST(LatitudeSeries, MeridionalArcMatchesTheIntegralOfTheMeridianRadius) {
    CsMeridionalArcBlock arc;
    CsInverseArcBlock inverse;
    CS_meridionalArcSetup(&arc, kA, kESq);
    CS_inverseMeridionalArcSetup(&inverse, kA, kESq);
    for (double phi : kLatitudes) {
        double m = CS_meridionalArc(&arc, phi, std::sin(phi), std::cos(phi));
        EXPECT_NEAR(m, MeridianIntegral(phi), 1e-7) << phi;
        EXPECT_NEAR(CS_latitudeFromArc(&inverse, MeridianIntegral(phi)), phi, 1e-11) << phi;
    }
}

TEST(LatitudeSeries, Cos2PolynomialIsTheMeridionalArcsDerivative) {
    CsCos2PolyBlock block;
    CS_cos2PolySetup(&block, 0.0);
    EXPECT_EQ(CS_cos2Poly(&block, 0.7), 1.0);
    CS_cos2PolySetup(&block, kESq);
    // At the equator the meridian radius is a (1 - e^2) exactly: the
    // polyconic's meridian scale there is 1.
    EXPECT_DOUBLE_EQ(CS_cos2Poly(&block, 0.0), 1.0 - kESq);
    for (double phi : kLatitudes) {
        // Truncated at e^6: the e^8 terms reach 6e-10.
        EXPECT_NEAR(CS_cos2Poly(&block, phi), MeridianRadius(phi) / kA, 1e-9) << phi;
    }
}

}  // namespace
