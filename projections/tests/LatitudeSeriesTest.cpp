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

TEST(LatitudeSeries, Cos2PolynomialIsOneOnASphere) {
    CsCos2PolyBlock block;
    CS_cos2PolySetup(&block, 0.0);
    EXPECT_EQ(CS_cos2Poly(&block, 0.7), 1.0);
    CS_cos2PolySetup(&block, kESq);
    // cos 2phi = 0 leaves the constant term.
    EXPECT_NEAR(CS_cos2Poly(&block, kPi / 4.0), block.p[0], 1e-15);
    EXPECT_LT(block.p[0], 1.0);
}

}  // namespace
