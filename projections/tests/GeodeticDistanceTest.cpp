// Geodetic distance and azimuth against PROJ's geod on WGS 84, and the
// sphere's closed forms.
#include <gtest/gtest.h>

#include <cmath>

#include "projections/GeodeticDistance.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kA = 6378137.0;
constexpr double kF = 1.0 / 298.257223563;
const double kESq = 2.0 * kF - kF * kF;

// geod -I +ellps=WGS84 -f %.12f -F %.6f on lat1 lon1 lat2 lon2.
struct GeodCase {
    double lon1, lat1, lon2, lat2;
    double azimuth;  // at 1 towards 2
    double distance;
};
const GeodCase kGeod[] = {
    {0, 0, 90, 0, 90.0, 10018754.171395},  // along the equator
    {0, 0, 10, 0, 90.0, 1113194.907933},
    {0, 0, 179, 0, 90.0, 19926188.851996},
    {20, 10, 40, -30, 154.809408501381, 4917385.849115},
    {18.4, -33.9, -0.12, 51.5, -11.475703119132, 9632341.016456},
    {-74.0, 40.7, 139.7, 35.7, -26.996253932100, 10872922.618555},
    {170, -45, -170, 45, 14.060880825531, 10163379.380290},
    {5, 52, 5.01, 52.01, 31.677488357491, 1307.519174},
    {-150, 60, 30.5, -60, -90.085596729440, 19984465.391633},
    {0, 89.9, 179, -89.9, 90.499471272943, 20003736.621350},
    {-60, -10, -60, 30, 0.0, 4425968.231175},  // north along a meridian
    {10, 45, 10, 44, 180.0, 111122.008263},    // south along a meridian
};

double AngleDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

TEST(GeodeticDistAz, MatchesGeodOnWgs84) {
    for (const GeodCase& g : kGeod) {
        const double p1[2] = {g.lon1, g.lat1}, p2[2] = {g.lon2, g.lat2};
        double distance = -1.0;
        double azimuth = CS_geodeticDistAz(kA, kESq, p1, p2, &distance);
        EXPECT_NEAR(distance, g.distance, 1e-4) << g.lon1 << " " << g.lat1;
        EXPECT_NEAR(AngleDifference(azimuth, g.azimuth), 0.0, 1e-9) << g.lon1 << " " << g.lat1;
    }
}

TEST(GeodeticDistAz, EquatorialAntipodesGoOverThePole) {
    // geod: 0 0 0 180 gives 20003931.458626 (twice the quarter meridian).
    const double p1[2] = {0.0, 0.0}, p2[2] = {180.0, 0.0};
    double distance = 0.0;
    EXPECT_EQ(CS_geodeticDistAz(kA, kESq, p1, p2, &distance), 0.0);
    EXPECT_NEAR(distance, 20003931.458626, 1e-4);
}

TEST(GeodeticDistAz, PolesAlongTheMeridian) {
    // geod -I +ellps=WGS84, as above.
    struct Case {
        double p1[2], p2[2];
        double azimuth, distance;
    } cases[] = {
        {{0, 90}, {0, 45}, -180.0, 5017021.351335},
        {{20, -90}, {20, 30}, 0.0, 10001965.729313 + 3320113.397940},
        {{7, 10}, {0, 90}, 0.0, 8896110.896078},
        {{7, 10}, {0, -90}, -180.0, 10001965.729313 + 1105854.833234},
    };
    for (const Case& c : cases) {
        double distance = 0.0;
        EXPECT_EQ(CS_geodeticDistAz(kA, kESq, c.p1, c.p2, &distance), c.azimuth);
        EXPECT_NEAR(distance, c.distance, 1e-4) << c.p1[1] << " " << c.p2[1];
    }
}

TEST(GeodeticDistAz, SphereOfRadiusOne) {
    struct Case {
        double p1[2], p2[2];
        double azimuth, distance;
    } cases[] = {
        {{0, 0}, {90, 0}, 90.0, kPi / 2.0},    {{0, 90}, {0, 45}, -180.0, kPi / 4.0},
        {{0, 0}, {180, 0}, 0.0, kPi},          {{0, 0}, {0, 0}, 0.0, 0.0},
        {{0, 10}, {0, -20}, 180.0, kPi / 6.0},  // due south: asin would say 0
        {{0, 0}, {-90, 0}, -90.0, kPi / 2.0},
    };
    for (const Case& c : cases) {
        double distance = 0.0;
        double azimuth = CS_geodeticDistAz(1.0, 0.0, c.p1, c.p2, &distance);
        EXPECT_NEAR(AngleDifference(azimuth, c.azimuth), 0.0, 1e-12) << c.p1[1];
        EXPECT_NEAR(distance, c.distance, 1e-15) << c.p1[1];
    }
}

}  // namespace
