#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsAngles.h"
#include "projections/LmtanProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Tangential(double longitude, double latitude, const char* ellipsoid = "WGS84") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-LMTAN");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "LMTAN");
    std::strcpy(def.unit, "METER");
    def.originLongitude = longitude;
    def.originLatitude = latitude;
    def.falseEasting = 500000.0;
    def.falseNorthing = 1000000.0;
    def.scaleReduction = 0.9996;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class LmtanProjection : public familytest::FamilyTest {};

TEST_F(LmtanProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude 180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin latitude 0.00001", [](auto& d) { d.originLatitude = 0.00001; }, 215},
        {"origin latitude -0.0001", [](auto& d) { d.originLatitude = -0.0001; }, 0},
        {"origin latitude 89.9997222", [](auto& d) { d.originLatitude = 89.9997222; }, 215},
        {"origin latitude -89.9997222", [](auto& d) { d.originLatitude = -89.9997222; }, 215},
        {"origin latitude 89.9997", [](auto& d) { d.originLatitude = 89.9997; }, 0},
        {"origin latitude NaN", [](auto& d) { d.originLatitude = std::nan(""); }, 215},
        {"scale reduction 0.49", [](auto& d) { d.scaleReduction = 0.49; }, 227},
        {"scale reduction 1.5", [](auto& d) { d.scaleReduction = 1.5; }, 0},
        {"scale reduction 1.51", [](auto& d) { d.scaleReduction = 1.51; }, 227},
        {"scale reduction NaN", [](auto& d) { d.scaleReduction = std::nan(""); }, 227},
    };
    const CsProjectionEntry* row = CS_projectionLookupExact("LMTAN");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->check, CS_lmtanCheck);
    for (const Case& c : cases) {
        CsCoordSysDef def = Tangential(10.0, 45.0);
        c.change(def);
        int errors[4] = {};
        int count = CS_lmtanCheck(&def, row->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(LmtanProjection, TheApexAndTheFarPole) {
    for (double sign : {1.0, -1.0}) {
        SCOPED_TRACE(sign);
        CsPtr<CsParams> p = Build(Tangential(10.0, 45.0 * sign));
        const auto& c = CS_constantsOf<CsLmtanConstants>(p.get());
        const double apex[3] = {500000.0, 1000000.0 + c.rho0, 0.0};
        double ll[3], xy[3];
        EXPECT_EQ(CS_inverseProject(p.get(), ll, apex), 1);
        EXPECT_DOUBLE_EQ(ll[1], 90.0 * sign);
        EXPECT_DOUBLE_EQ(ll[0], 10.0);
        const double pole[3] = {30.0, 90.0 * sign, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, pole), 1);
        EXPECT_NEAR(xy[0], apex[0], 1e-9);
        EXPECT_NEAR(xy[1], apex[1], 1e-9);
        // The far pole lies at infinity: held at the largest radius, outside.
        const double far[3] = {10.0, -90.0 * sign, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, far), 2);
        EXPECT_NEAR(std::fabs(xy[1] - apex[1]), c.rhoMax, 1e-6 * c.rhoMax);
        const CsProjectionConstants* k = CS_constants(p.get());
        const double poles[1][3] = {{10.0, 90.0 * sign, 0.0}};
        EXPECT_EQ(p->checkGeographic(k, 1, poles), 2);
        const double apexPoint[1][3] = {{apex[0], apex[1], 0.0}};
        EXPECT_EQ(p->checkCartesian(k, 1, apexPoint), 2);
    }
}

// A tangent parallel in the southern hemisphere has negative radii: its
// inverse takes the angle of the negated vector, or every point comes back
// half a turn away.
TEST_F(LmtanProjection, SouthernConeInvertsWithTheNegatedVector) {
    CsPtr<CsParams> p = Build(Tangential(147.0, -35.0));
    const CsProjectionConstants* k = CS_constants(p.get());
    const double points[][2] = {
        {147.0, -35.0}, {147.0 + 100.0, -20.0}, {27.0, -60.0}, {-170.0, 10.0}, {150.0, -89.0}};
    for (const auto& point : points) {
        const double ll[3] = {point[0], point[1], 0.0};
        double xy[3], back[3];
        ASSERT_EQ(CS_forwardProject(p.get(), xy, ll), 0) << point[0] << " " << point[1];
        EXPECT_EQ(CS_inverseProject(p.get(), back, xy), 0) << point[0] << " " << point[1];
        EXPECT_NEAR(CS_normDeg180(back[0] - point[0]), 0.0, 1e-9) << point[0];
        EXPECT_NEAR(back[1], point[1], 1e-9) << point[0];
        const double one[1][3] = {{xy[0], xy[1], 0.0}};
        EXPECT_EQ(p->checkCartesian(k, 1, one), 0) << point[0] << " " << point[1];
    }
}

TEST_F(LmtanProjection, TheInverseIterationIsBounded) {
    CsPtr<CsParams> p = Build(Tangential(10.0, 45.0));
    const double nowhere[3] = {std::nan(""), 1000000.0, 0.0};
    double ll[3];
    EXPECT_EQ(CS_inverseProject(p.get(), ll, nowhere), 2);
}

TEST_F(LmtanProjection, ScalesAreMeasuredOverOneSecondOfArc) {
    CsPtr<CsParams> p = Build(Tangential(10.0, 45.0));
    const CsProjectionConstants* k = CS_constants(p.get());
    const double origin[3] = {10.0, 45.0, 0.0};
    EXPECT_NEAR(p->parallelScale(k, origin), 0.9996, 1e-10);
    EXPECT_NEAR(p->meridianScale(k, origin), 0.9996, 1e-10);
    // Half a second north runs over the apex pole: the forward's status
    // counts for h only.
    const double nearPole[3] = {10.0, 89.99995, 0.0};
    EXPECT_EQ(p->meridianScale(k, nearPole), -1.0);
    EXPECT_GT(p->parallelScale(k, nearPole), 0.0);
}

TEST_F(LmtanProjection, DefaultRange) {
    CsPtr<CsParams> p = Build(Tangential(10.0, 80.0));
    EXPECT_EQ(p->minLatitude, 65.0);
    EXPECT_DOUBLE_EQ(p->maxLatitude, 89.9997222);
    EXPECT_EQ(p->minLongitude, -45.0);
    EXPECT_EQ(p->maxLongitude, 45.0);
    EXPECT_NEAR(p->maxX - 500000.0, 500000.0 - p->minX, 1e-6);
    EXPECT_LT(p->minX, 500000.0);
    EXPECT_LT(p->minY, p->maxY);
}

TEST_F(LmtanProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("NTF-LAMBERT-II");
}

TEST_F(LmtanProjection, ProgramConvertsAGoldenRow) {
    // ntf-lambert-ii.golden
    familytest::ExpectProgramRoundTrip("NTF-LAMBERT-II", -4.5, 48.4, 94203.332340295,
                                       2399906.350776414, 1.0);
}

}  // namespace
