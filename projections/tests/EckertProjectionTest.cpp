// The Eckert IV and Eckert VI families.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "coordsys/CsParams.h"
#include "projections/EckertProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

CsCoordSysDef Eckert(const char* projection, double originLongitude = 0.0) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-ECKERT");
    std::strcpy(def.datumKey, "WGS84");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = originLongitude;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class EckertProjection : public familytest::FamilyTest {
protected:
    static int Forward(const CsParams& p, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return p.forward(CS_constants(&p), out, in);
    }
    static int Inverse(const CsParams& p, double x, double y, double out[3]) {
        const double in[3] = {x, y, 0.0};
        return p.inverse(CS_constants(&p), out, in);
    }
};

TEST_F(EckertProjection, TheEquatorAndThePoleLines) {
    for (const char* projection : {"ECKERT4", "ECKERT6"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(Eckert(projection));
        const auto& c = CS_constantsOf<CsEckertConstants>(p.get());
        const bool four = projection[6] == '4';
        double xy[3], ll[3];
        EXPECT_EQ(Forward(*p, 50.0, 0.0, xy), 0);
        EXPECT_NEAR(xy[0] - 1000.0, 2.0 * c.cx * 50.0 * kDeg, 1e-6);
        EXPECT_EQ(xy[1], 2000.0);
        const double top = four ? c.cy : c.cy * M_PI / 2.0;
        for (double pole : {90.0, -90.0}) {
            EXPECT_EQ(Forward(*p, 50.0, pole, xy), 0) << pole;
            EXPECT_NEAR(xy[0] - 1000.0, c.cx * 50.0 * kDeg, 1e-6) << pole;
            EXPECT_NEAR(xy[1] - 2000.0, std::copysign(top, pole), 1e-6) << pole;
        }
        // The default range is the forward's extremes.
        EXPECT_NEAR(p->maxY - 2000.0, top, 1e-6);
        Forward(*p, 0.0, 0.0, xy);
        EXPECT_NEAR(p->maxX - 1000.0, 2.0 * c.cx * 1.5 * M_PI, 1e-6);
        // Beyond the pole line: status 2, the pole.
        EXPECT_EQ(Inverse(*p, 1000.0, 2000.0 + 1.1 * top, ll), 2);
        EXPECT_NEAR(ll[1], 90.0, 1e-9);
        EXPECT_EQ(Inverse(*p, 1000.0, 2000.0 - 1.1 * top, ll), 2);
        EXPECT_NEAR(ll[1], -90.0, 1e-9);
        EXPECT_EQ(Forward(*p, 50.0, 91.0, xy), 2);
    }
}

TEST_F(EckertProjection, EveryLatitudeSettlesAndComesBack) {
    for (const char* projection : {"ECKERT4", "ECKERT6"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(Eckert(projection));
        int worst = 0;
        double worstError = 0.0, worstPolar = 0.0;
        auto roundTrip = [&](double lat, double* error) {
            double xy[3], ll[3];
            worst = std::max(worst, Forward(*p, -120.0, lat, xy));
            worst = std::max(worst, Inverse(*p, xy[0], xy[1], ll));
            *error = std::max(*error, std::fabs(ll[1] - lat) * 111132.0);
            *error = std::max(*error, std::fabs(ll[0] + 120.0) * 111320.0 * std::cos(lat * kDeg));
        };
        for (double lat = -90.0; lat <= 90.0; lat += 0.0137) {
            roundTrip(lat, &worstError);
            // Down to ten metres from the pole, where Eckert IV's Newton is
            // slowest and the inverse's latitude least determined.
            roundTrip(std::copysign(90.0 - 1e-4 * (1.0 + std::fabs(lat) / 90.0), lat), &worstPolar);
        }
        EXPECT_EQ(worst, 0);
        EXPECT_LT(worstError, 0.001) << "metres";
        EXPECT_LT(worstPolar, 0.01) << "metres";
    }
}

TEST_F(EckertProjection, LongitudesUpTo270DegreesOutStayUnwrapped) {
    for (const char* projection : {"ECKERT4", "ECKERT6"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(Eckert(projection, -100.0));
        const CsProjectionConstants* c = CS_constants(p.get());
        double xy[3], ll[3];
        // 260 degrees east of -100.
        EXPECT_EQ(Forward(*p, 160.0, 10.0, xy), 0);
        EXPECT_GT(xy[0] - 1000.0, 0.0);
        EXPECT_EQ(Inverse(*p, xy[0], xy[1], ll), 0);
        EXPECT_NEAR(ll[0], 160.0, 1e-9);
        const double inside[2][3] = {{160.0, 10.0, 0.0}, {-100.0, 90.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
        // 280 degrees east of +100 is outside: status 2, wrapped.
        p = Build(Eckert(projection, 100.0));
        double ref[3];
        EXPECT_EQ(Forward(*p, -175.0, 10.0, xy), 0) << "adjusted toward the origin";
        EXPECT_EQ(Forward(*p, 380.0, 10.0, xy), 2);
        EXPECT_EQ(Forward(*p, 20.0, 10.0, ref), 0);
        EXPECT_NEAR(xy[0], ref[0], 1e-6);
        const double outside[1][3] = {{380.0, 10.0, 0.0}};
        EXPECT_EQ(p->checkGeographic(CS_constants(p.get()), 1, outside), 2);
        const double pole[1][3] = {{10.0, 90.001, 0.0}};
        EXPECT_EQ(p->checkGeographic(CS_constants(p.get()), 1, pole), 2);
        const double far[1][3] = {{0.0, 3e7, 0.0}};
        EXPECT_EQ(p->checkCartesian(CS_constants(p.get()), 1, far), 2);
    }
}

TEST_F(EckertProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("WORLD-ECKERT4");
    familytest::ExpectWktRoundTrip("WORLD-ECKERT6");
}

TEST_F(EckertProjection, ProgramConvertsAGoldenRow) {
    // world-eckert4.golden and world-eckert6.golden
    familytest::ExpectProgramRoundTrip("WORLD-ECKERT4", 151.2, -33.87, 13224416.330887897,
                                       -4306194.421655733, 1.0);
    familytest::ExpectProgramRoundTrip("WORLD-ECKERT6", 151.2, -33.87, 12850975.171119425,
                                       -4222810.625918942, 1.0);
}

}  // namespace
