// ATS77 transformation files: the province from the name, the coverage by
// direction, the circle of the normalised coordinates, the polynomial with
// its collocation term against a direct complex evaluation, and the bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/Ats77File.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumMethods.h"
#include "testing/GridFixtures.h"

namespace {

using datumtest::Ats77Spec;
using Complex = std::complex<double>;

struct Ats77Free {
    void operator()(CsAts77Transform* t) const { CS_ats77Free(t); }
};
using Ats77Ptr = std::unique_ptr<CsAts77Transform, Ats77Free>;

Ats77Ptr Open(const char* name, const std::vector<std::uint8_t>& bytes) {
    return Ats77Ptr(CS_ats77OpenBytes(name, bytes, 0.0));
}

// The transformation of the fixture, written out: ellipsoid change, the
// polynomial and the collocation mean (GridFixtures.h gives the values).
std::pair<double, double> Expected(const Ats77Spec& s, double lon, double lat) {
    const double llh[3] = {lon, lat, 0};
    double xyz[3], changed[3];
    CS_geodeticToGeocentric(xyz, llh, 6378206.4, 0.00676865799729122);
    xyz[0] -= 15, xyz[1] += 165, xyz[2] += 175;
    CS_geocentricToGeodetic(changed, xyz, 6378135.0, 0.00669438497508474);
    const double x = -changed[0];
    const Complex z((changed[1] - s.phi0) * s.sy, (x - s.lambda0) * s.sx);
    Complex w = 0;
    for (int k = 0; k <= s.degree; ++k) w += Complex(0.1 * k + 1, 0.2 - 0.05 * k) * std::pow(z, k);
    Complex weighted = 0;
    double sum = 0;
    for (int j = 0; j < s.points && s.sigma != 0; ++j) {
        const double g = std::exp(-std::norm(z - Complex(0.1 * j, -0.2 * j)) / (s.sigma * s.sigma));
        weighted += g * Complex(0.3, -0.1 * j);
        sum += g;
    }
    const Complex acc = sum > 0 ? weighted / sum : 0;
    const double latShift = s.latOffset + (w.real() + acc.real()) / s.latDivisor;
    const double lonShift = s.lonOffset + (w.imag() + acc.imag()) / s.lonDivisor;
    return {-(x - lonShift / 3600), changed[1] - latShift / 3600};
}

TEST(Ats77File, TransformsByItsPolynomialAndCollocation) {
    for (const Ats77Spec& spec : {Ats77Spec{}, Ats77Spec{.points = 0}, Ats77Spec{.sigma = 0}}) {
        Ats77Ptr t = Open("/data/99ns77.dat", datumtest::Ats77Bytes(spec));
        ASSERT_TRUE(t) << CS_lastMessage();
        EXPECT_EQ(t->province, 2);
        EXPECT_EQ(CS_ats77Direction(t.get()), 1);
        for (double lon : {-64.5, -64.0, -63.3}) {
            for (double lat : {44.4, 45.0, 45.7}) {
                const double in[2] = {lon, lat};
                double out[2];
                ASSERT_EQ(CS_ats77Shift(t.get(), out, in), 0) << lon << " " << lat;
                const auto [elon, elat] = Expected(spec, lon, lat);
                EXPECT_NEAR(out[0], elon, 1e-12) << lon << " " << lat;
                EXPECT_NEAR(out[1], elat, 1e-12) << lon << " " << lat;
            }
        }
    }
}

TEST(Ats77File, TransformsInsideItsCircleOnly) {
    Ats77Ptr t = Open("xxpe.dat", datumtest::Ats77Bytes({}));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->province, 3);
    EXPECT_DOUBLE_EQ(t->minLatitude, 45.0 - 1.25 / 0.8);
    EXPECT_DOUBLE_EQ(t->maxLongitude, -64.0 + 1.25 / 0.6);
    // Far beyond the circle: untouched.
    const double far[2] = {-64.0, 46.8};
    double out[2] = {7, 7};
    EXPECT_EQ(CS_ats77Shift(t.get(), out, far), 1);
    EXPECT_EQ(out[0], 7);
    // The circle is tested after the change of ellipsoid: find where that
    // puts its edge due north of the origin, and try both sides of it.
    double lat = 45.0;
    for (double step = 1.0; step > 1e-12; step /= 2) {
        const double probe[2] = {-64.0, lat + step};
        if (CS_ats77Shift(t.get(), out, probe) == 0) lat += step;
    }
    const double inside[2] = {-64.0, lat - 1e-9}, outside[2] = {-64.0, lat + 1e-6};
    EXPECT_EQ(CS_ats77Shift(t.get(), out, inside), 0);
    EXPECT_EQ(CS_ats77Shift(t.get(), out, outside), 1);
}

TEST(Ats77File, CoversOnlyItsOwnDirection) {
    Ats77Ptr one = Open("xxNB.dat", datumtest::Ats77Bytes({}));
    Ats77Ptr two = Open("xxnb.dat", datumtest::Ats77Bytes({.direction = 2}));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->province, 1);
    const double ll[2] = {-64.0, 45.0};
    EXPECT_EQ(CS_ats77Coverage(one.get(), 1, ll), 0.1);
    EXPECT_EQ(CS_ats77Coverage(one.get(), 2, ll), 0.0);
    EXPECT_EQ(CS_ats77Coverage(two.get(), 2, ll), 0.1);
    const double away[2] = {-60.0, 45.0};
    EXPECT_EQ(CS_ats77Coverage(one.get(), 1, away), 0.0);
}

TEST(Ats77File, FarCollocationPointsContributeNothing) {
    // With sigma 0.01 every collocation point lies where t passes 172: the
    // result is the polynomial's alone, as without collocation.
    Ats77Ptr near = Open("xxns.dat", datumtest::Ats77Bytes({.sigma = 0.01}));
    Ats77Ptr none = Open("xxns.dat", datumtest::Ats77Bytes({.sigma = 0}));
    ASSERT_TRUE(near && none);
    const double in[2] = {-64.3, 45.2};
    double a[2], b[2];
    ASSERT_EQ(CS_ats77Shift(near.get(), a, in), 0);
    ASSERT_EQ(CS_ats77Shift(none.get(), b, in), 0);
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[1], b[1]);
}

TEST(Ats77File, RefusesFilesItCannotHold) {
    const struct {
        const char* what;
        const char* name;
        Ats77Spec spec;
    } cases[] = {
        {"a province it does not know", "xxqc.dat", {}},
        {"a name too short for a province", "n.dat", {}},
        {"eleven coefficients", "xxns.dat", {.degree = 10}},
        {"a negative degree", "xxns.dat", {.degree = -3}},
        {"a negative number of points", "xxns.dat", {.points = -1}},
        {"a direction of 3", "xxns.dat", {.direction = 3}},
        {"a scale of 0", "xxns.dat", {.sx = 0}},
        {"a divisor that is not a number", "xxns.dat", {.latDivisor = std::nan("")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Open(c.name, datumtest::Ats77Bytes(c.spec)));
        EXPECT_EQ(CS_lastError(), kCsErrCorrupt);
        EXPECT_STREQ(CS_errorContext(), c.name);
    }
    // Ten coefficients are held.
    EXPECT_TRUE(Open("xxns.dat", datumtest::Ats77Bytes({.degree = 9})));
}

}  // namespace
