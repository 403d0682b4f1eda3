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

}  // namespace
