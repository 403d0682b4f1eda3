// The angle wrappers at the edges of their ranges: a value at the negative
// end moves one period on (-180 to +180, but -270 to +90), latitudes wrap over
// a period of pi, and the alternative longitude wrapper keeps -pi.
#include <gtest/gtest.h>

#include <cmath>

#include "coordsys/core/CsAngles.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(Angles, WrapEachRangeAtItsEdges) {
    struct Case {
        const char* routine;
        double (*wrap)(double);
        double in, out;
    } cases[] = {
        {"deg180", CS_normDeg180, 0.0, 0.0},
        {"deg180", CS_normDeg180, 179.5, 179.5},
        {"deg180", CS_normDeg180, 180.0, 180.0},
        {"deg180", CS_normDeg180, -180.0, 180.0},
        {"deg180", CS_normDeg180, -179.9, -179.9},
        {"deg180", CS_normDeg180, 190.0, -170.0},
        {"deg180", CS_normDeg180, -190.0, 170.0},
        {"deg180", CS_normDeg180, 360.0, 0.0},
        {"deg180", CS_normDeg180, 540.0, 180.0},
        {"deg180", CS_normDeg180, -540.0, 180.0},
        {"deg180", CS_normDeg180, 721.0, 1.0},
        {"deg90", CS_normDeg90, 90.0, 90.0},
        {"deg90", CS_normDeg90, -90.0, 90.0},
        {"deg90", CS_normDeg90, -89.0, -89.0},
        {"deg90", CS_normDeg90, 100.0, -80.0},
        {"deg90", CS_normDeg90, -100.0, 80.0},
        {"deg90", CS_normDeg90, 270.0, 90.0},
        {"deg270", CS_normDeg270, 270.0, 270.0},
        {"deg270", CS_normDeg270, -270.0, 90.0},  // one period on, not the other end
        {"deg270", CS_normDeg270, -269.0, -269.0},
        {"deg270", CS_normDeg270, 300.0, -60.0},
        {"deg270", CS_normDeg270, -300.0, 60.0},
        {"deg270", CS_normDeg270, 630.0, 270.0},
        {"deg270", CS_normDeg270, 1000.0, -80.0},
        {"lngRad", CS_normLngRad, kPi, kPi},
        {"lngRad", CS_normLngRad, -kPi, kPi},
        {"lngRad", CS_normLngRad, 3.0, 3.0},
        {"lngRad", CS_normLngRad, 4.0, 4.0 - 2.0 * kPi},
        {"lngRad", CS_normLngRad, -4.0, 2.0 * kPi - 4.0},
        {"lngRad", CS_normLngRad, 7.0, 7.0 - 2.0 * kPi},
        {"lngRadAlt", CS_normLngRadAlt, kPi, kPi},
        {"lngRadAlt", CS_normLngRadAlt, -kPi, -kPi},
        {"lngRadAlt", CS_normLngRadAlt, 4.0, 4.0 - 2.0 * kPi},
        {"lngRadAlt", CS_normLngRadAlt, -4.0, 2.0 * kPi - 4.0},
        {"lngRadAlt", CS_normLngRadAlt, -7.0, 2.0 * kPi - 7.0},
        {"latRad", CS_normLatRad, kPi / 2.0, kPi / 2.0},
        {"latRad", CS_normLatRad, -kPi / 2.0, -kPi / 2.0},
        {"latRad", CS_normLatRad, 2.0, 2.0 - kPi},
        {"latRad", CS_normLatRad, -2.0, kPi - 2.0},
        {"latRad", CS_normLatRad, kPi, 0.0},
        {"latRad", CS_normLatRad, 4.0, 4.0 - kPi},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(c.wrap(c.in), c.out, 1e-13) << c.routine << "(" << c.in << ")";
    }
    // Exactly, where the edges decide.
    EXPECT_EQ(CS_normDeg180(-180.0), 180.0);
    EXPECT_EQ(CS_normLngRad(-kPi), kPi);
    EXPECT_EQ(CS_normLngRadAlt(-kPi), -kPi);
    EXPECT_TRUE(std::isnan(CS_normDeg180(std::nan(""))));
}

TEST(Angles, GeographicPairsFoldOverThePoleAndWrapBeyond270) {
    struct Case {
        double longitude, latitude;
        double outLongitude, outLatitude;
        int changed;
    } cases[] = {
        {10, 90, 10, 90, 0},    {10, 95, 10, 85, 1}, {10, -95, 10, -85, 1},   {10, 275, 10, 85, 1},
        {10, -275, 10, -85, 1}, {270, 0, 270, 0, 0}, {-270, 45, -270, 45, 0}, {271, 0, -89, 0, 1},
        {-271, 0, 89, 0, 1},    {540, 0, 180, 0, 1}, {-540, 0, 180, 0, 1},    {720, 100, 0, 80, 1},
    };
    for (const Case& c : cases) {
        double ll[2] = {c.longitude, c.latitude};
        EXPECT_EQ(CS_normGeographic(ll), c.changed) << c.longitude << " " << c.latitude;
        EXPECT_EQ(ll[0], c.outLongitude) << c.longitude << " " << c.latitude;
        EXPECT_EQ(ll[1], c.outLatitude) << c.longitude << " " << c.latitude;
    }
}

TEST(Angles, SphericalAzimuth) {
    struct Case {
        double from[2], to[2];
        double azimuth;
    } cases[] = {
        {{0, 0}, {0, 10}, 0.0},
        {{0, 0}, {10, 0}, 90.0},  // along the equator, not the longitude difference
        {{0, 0}, {-10, 0}, -90.0},
        {{0, 10}, {0, -10}, 180.0},
        {{0, 0}, {10, -10}, 135.43854858674231},
        {{179, 0}, {-179, 0}, 90.0},  // across the antimeridian
        {{0, 90}, {30, -90}, 30.0},   // one meridian through the poles: the difference
        {{0, 90}, {0, 90}, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(CS_azimuth(c.from, c.to), c.azimuth, 1e-9) << c.to[0] << " " << c.to[1];
    }
}

TEST(Angles, AngularDistance) {
    const double a[2] = {0.3, 0.2};
    EXPECT_EQ(CS_angularDistanceRad(a, a), 0.0);
    const double equator[2] = {0.0, 0.0}, pole[2] = {1.0, kPi / 2.0}, east[2] = {kPi, 0.0};
    EXPECT_NEAR(CS_angularDistanceRad(equator, pole), kPi / 2.0, 1e-15);
    EXPECT_NEAR(CS_angularDistanceRad(equator, east), kPi, 1e-15);
    const double p[2] = {10.0, 20.0}, q[2] = {-30.0, 40.0};
    // cos c = sin 20 sin 40 + cos 20 cos 40 cos 40 (degrees).
    double c =
        std::acos(std::sin(20 * kPi / 180) * std::sin(40 * kPi / 180) +
                  std::cos(20 * kPi / 180) * std::cos(40 * kPi / 180) * std::cos(40 * kPi / 180));
    EXPECT_NEAR(CS_angularDistanceDeg(p, q), c * 180.0 / kPi, 1e-12);
}

TEST(Angles, EllipsoidDistanceOfCoincidentAndEquatorialPoints) {
    constexpr double a = 6378137.0, f = 1.0 / 298.257223563;
    const double eSq = 2.0 * f - f * f;
    double distance = -1.0;
    const double p[2] = {0.5, 0.5};
    EXPECT_EQ(CS_ellipsoidDistAz(p, p, a, eSq, &distance), 0.0);
    EXPECT_EQ(distance, 0.0);
    // Along the equator: a times the longitude difference, due east.
    const double q[2] = {0.0, 0.0}, r[2] = {1.0, 0.0};
    EXPECT_NEAR(CS_ellipsoidDistAz(r, q, a, eSq, &distance), 90.0, 1e-12);
    EXPECT_NEAR(distance, a, 1e-6);
}

TEST(Angles, PerpendicularPointsLieEitherSideOfTheBearing) {
    const double arc = 1e-6 * 180.0 / kPi;
    // Northward: right is east, left west.
    const double from[2] = {10.0, 0.0}, to[2] = {10.0, 30.0};
    double left[2], right[2];
    EXPECT_EQ(CS_perpendicularPoints(from, to, left, right), 0);
    EXPECT_NEAR(right[1], 30.0, 1e-9);
    EXPECT_NEAR(left[1], 30.0, 1e-9);
    EXPECT_NEAR(right[0] - 10.0, arc / std::cos(30.0 * kPi / 180.0), 1e-12);
    EXPECT_NEAR(left[0] - 10.0, -arc / std::cos(30.0 * kPi / 180.0), 1e-12);
    // Eastward on the equator: right is south.
    const double east[2] = {20.0, 0.0};
    EXPECT_EQ(CS_perpendicularPoints(from, east, left, right), 0);
    EXPECT_NEAR(right[1], -arc, 1e-12);
    EXPECT_NEAR(left[1], arc, 1e-12);
    // Across the antimeridian the longitudes come back wrapped.
    const double west[2] = {-179.0, 0.0}, edge[2] = {180.0, 0.0};
    CS_perpendicularPoints(west, edge, left, right);
    EXPECT_GT(left[0], 179.9);
    EXPECT_LE(left[0], 180.0);
    // From a pole the bearing is north.
    const double pole[2] = {0.0, 90.0}, below[2] = {45.0, 80.0};
    CS_perpendicularPoints(pole, below, left, right);
    EXPECT_NEAR(right[0] - 45.0, arc / std::cos(80.0 * kPi / 180.0), 1e-9);
}

}  // namespace
