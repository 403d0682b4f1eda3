#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "projections/EdcncProjection.h"
#include "projections/LatitudeSeries.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Equidistant(const char* ellipsoid, double p1, double p2, double latitude) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-EDCNC");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "EDCNC");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = p1;
    def.parameters[1] = p2;
    def.originLongitude = 25.0;
    def.originLatitude = latitude;
    def.falseEasting = 500000.0;
    def.falseNorthing = 100000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class EdcncProjection : public familytest::FamilyTest {};

// Distances along every meridian are true: the meridional arc, and a
// meridian scale of exactly 1.
TEST_F(EdcncProjection, MeridiansKeepTheirLength) {
    for (double sign : {1.0, -1.0}) {
        CsPtr<CsParams> p = Build(Equidistant("WGS84", 40.0 * sign, 60.0 * sign, 50.0 * sign));
        EXPECT_EQ(p->meridianScale, CS_constantOne);
        CsMeridionalArcBlock arc;
        CS_meridionalArcSetup(&arc, p->datum.equatorialRadius, std::pow(p->datum.eccentricity, 2));
        auto m = [&](double degrees) {
            double phi = degrees * M_PI / 180.0;
            return CS_meridionalArc(&arc, phi, std::sin(phi), std::cos(phi));
        };
        for (double longitude : {25.0, 60.0, -30.0}) {
            const double a[3] = {longitude, 10.0, 0.0}, b[3] = {longitude, 70.0 * sign, 0.0};
            double xa[3], xb[3];
            ASSERT_EQ(CS_forwardProject(p.get(), xa, a), 0);
            ASSERT_EQ(CS_forwardProject(p.get(), xb, b), 0);
            EXPECT_NEAR(std::hypot(xb[0] - xa[0], xb[1] - xa[1]),
                        std::fabs(m(70.0 * sign) - m(10.0)), 1e-6)
                << sign << " " << longitude;
        }
        const double origin[3] = {25.0, 50.0 * sign, 0.0};
        double xy[3];
        EXPECT_EQ(CS_forwardProject(p.get(), xy, origin), 0);
        EXPECT_NEAR(xy[0], 500000.0, 1e-9);
        EXPECT_NEAR(xy[1], 100000.0, 1e-9);
        // True scale on both standard parallels.
        for (double parallel : {40.0, 60.0}) {
            const double ll[3] = {0.0, parallel * sign, 0.0};
            EXPECT_NEAR(p->parallelScale(CS_constants(p.get()), ll), 1.0, 1e-12) << parallel;
        }
        const double pole[3] = {0.0, 90.0, 0.0};
        EXPECT_EQ(p->parallelScale(CS_constants(p.get()), pole), 9999.99);
    }
}

TEST_F(EdcncProjection, InverseBeyondThePoleRadiusIsPulledBack) {
    for (const char* ellipsoid : {"WGS84", "SPHERE"}) {
        for (double sign : {1.0, -1.0}) {
            SCOPED_TRACE(testing::Message() << ellipsoid << " " << sign);
            CsPtr<CsParams> p =
                Build(Equidistant(ellipsoid, 40.0 * sign, 60.0 * sign, 50.0 * sign));
            const auto& c = CS_constantsOf<CsEdcncConstants>(p.get());
            EXPECT_EQ(c.n < 0.0, sign < 0.0);
            const CsProjectionConstants* k = CS_constants(p.get());
            // Straight away from the apex, past the far pole.
            const double far[3] = {500000.0, 100000.0 + c.rho0 - sign * 1.5 * c.rhoMax, 0.0};
            double ll[3];
            EXPECT_EQ(CS_inverseProject(p.get(), ll, far), 2);
            EXPECT_NEAR(ll[1], -90.0 * sign, 1e-9);
            EXPECT_NEAR(ll[0], 25.0, 1e-9);
            const double farPoint[1][3] = {{far[0], far[1], 0.0}};
            EXPECT_EQ(p->checkCartesian(k, 1, farPoint), 2);
            // Inside the apex pole's radius.
            const double near[3] = {500000.0, 100000.0 + c.rho0 - sign * 0.5 * c.rhoMin, 0.0};
            EXPECT_EQ(CS_inverseProject(p.get(), ll, near), 2);
            EXPECT_NEAR(ll[1], 90.0 * sign, 1e-9);
            // A southern cone inverts the negated vector: points well off the
            // central meridian come back.
            for (double longitude : {-120.0, 170.0, 100.0}) {
                const double in[3] = {longitude, 20.0 * sign, 0.0};
                double xy[3], back[3];
                ASSERT_EQ(CS_forwardProject(p.get(), xy, in), 0);
                EXPECT_EQ(CS_inverseProject(p.get(), back, xy), 0);
                EXPECT_NEAR(back[0], longitude, 1e-9);
                EXPECT_NEAR(back[1], 20.0 * sign, 1e-9);
                const double points[1][3] = {{xy[0], xy[1], 0.0}};
                EXPECT_EQ(p->checkCartesian(k, 1, points), 0);
            }
        }
    }
}

TEST_F(EdcncProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Equidistant("WGS84", 40.0, 60.0, 50.0));
    const CsProjectionConstants* c = CS_constants(p.get());
    const double inside[2][3] = {{-100.0, 40.0, 0.0}, {60.0, -40.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    const double across[2][3] = {{-150.0, 40.0, 0.0}, {-160.0, 40.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, across), 2);
    const double beyond[1][3] = {{25.0, -90.5, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 1, beyond), 2);

    double a[3], b[3];
    const double west[3] = {-150.0, 40.0, 0.0}, east[3] = {-160.0, 40.0, 0.0};
    CS_forwardProject(p.get(), a, west);
    CS_forwardProject(p.get(), b, east);
    const double single[1][3] = {{a[0], a[1], 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, single), 0);
    const double line[2][3] = {{a[0], a[1], 0.0}, {b[0], b[1], 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 2, line), 2);
    // Beyond a longitude difference of 180 degrees: status 2, wrapped.
    const double wrapped[3] = {25.0 + 185.0, 40.0, 0.0}, same[3] = {25.0 - 175.0, 40.0, 0.0};
    double xw[3], xs[3];
    EXPECT_EQ(CS_forwardProject(p.get(), xw, wrapped), 2);
    EXPECT_EQ(CS_forwardProject(p.get(), xs, same), 0);
    EXPECT_NEAR(xw[0], xs[0], 1e-6);
    EXPECT_NEAR(xw[1], xs[1], 1e-6);
}

TEST_F(EdcncProjection, DefaultRange) {
    CsPtr<CsParams> p = Build(Equidistant("WGS84", 60.0, 40.0, 50.0));
    EXPECT_EQ(p->minLatitude, 40.0);
    EXPECT_EQ(p->maxLatitude, 60.0);
    EXPECT_EQ(p->minLongitude, -45.0);
    EXPECT_EQ(p->maxLongitude, 45.0);
    // A narrow band is widened to 5 degrees about its middle.
    p = Build(Equidistant("WGS84", 44.0, 45.0, 45.0));
    EXPECT_DOUBLE_EQ(p->minLatitude, 42.0);
    EXPECT_DOUBLE_EQ(p->maxLatitude, 47.0);
    // The cartesian range holds the geographic range's corners.
    for (double longitude : {-20.0, 25.0, 70.0}) {
        for (double latitude : {42.0, 47.0}) {
            const double ll[3] = {longitude, latitude, 0.0};
            double xy[3];
            CS_forwardProject(p.get(), xy, ll);
            EXPECT_GE(xy[0], p->minX - 1e-6);
            EXPECT_LE(xy[0], p->maxX + 1e-6);
            EXPECT_GE(xy[1], p->minY - 1e-6);
            EXPECT_LE(xy[1], p->maxY + 1e-6);
        }
    }
}

TEST_F(EdcncProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("NAD83-USA-EQDC");
}

TEST_F(EdcncProjection, ProgramConvertsAGoldenRow) {
    // nad83-usa-eqdc.golden
    familytest::ExpectProgramRoundTrip("NAD83-USA-EQDC", -75, 40, 1767948.116760498,
                                       315461.220557848, 1.0);
}

}  // namespace
