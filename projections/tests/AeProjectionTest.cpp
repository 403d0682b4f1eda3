#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/AeProjection.h"
#include "projections/ConicCheck.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Albers(const char* ellipsoid, double p1, double p2, double latitude) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-AE");
    std::strcpy(def.ellipsoidKey, ellipsoid);
    std::strcpy(def.projectionKey, "AE");
    std::strcpy(def.unit, "METER");
    def.parameters[0] = p1;
    def.parameters[1] = p2;
    def.originLongitude = -96.0;
    def.originLatitude = latitude;
    def.falseEasting = 1000.0;
    def.falseNorthing = 2000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class AeProjection : public familytest::FamilyTest {};

TEST_F(AeProjection, ConicCheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude +180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin longitude NaN", [](auto& d) { d.originLongitude = std::nan(""); }, 216},
        {"origin latitude 90.5", [](auto& d) { d.originLatitude = 90.5; }, 215},
        {"origin latitude -90", [](auto& d) { d.originLatitude = -90.0; }, 0},
        {"parallel 89.9997222", [](auto& d) { d.parameters[0] = 89.9997222; }, 231},
        {"parallel -89.9997222", [](auto& d) { d.parameters[1] = -89.9997222; }, 231},
        {"parallel 89.99972", [](auto& d) { d.parameters[0] = 89.99972; }, 0},
        {"parallel NaN", [](auto& d) { d.parameters[1] = std::nan(""); }, 231},
        {"mirrored 30 and -30",
         [](auto& d) {
             d.parameters[0] = 30.0;
             d.parameters[1] = -30.0;
         },
         231},
        {"mirrored within 0.1 second",
         [](auto& d) {
             d.parameters[0] = -30.00002;
             d.parameters[1] = 30.0;
         },
         231},
        {"30 and -31",
         [](auto& d) {
             d.parameters[0] = 30.0;
             d.parameters[1] = -31.0;
         },
         0},
        {"tangent on the equator",
         [](auto& d) {
             d.parameters[0] = 0.0;
             d.parameters[1] = 0.00001;
         },
         231},
        {"0 and 10 are a cone",
         [](auto& d) {
             d.parameters[0] = 0.0;
             d.parameters[1] = 10.0;
         },
         0},
        {"tangent at 45",
         [](auto& d) {
             d.parameters[0] = 45.0;
             d.parameters[1] = 45.0;
         },
         0},
    };
    for (const char* key : {"AE", "EDCNC"}) {
        const CsProjectionEntry* row = CS_projectionLookupExact(key);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->check, CS_conicCheck) << key;
        for (const Case& c : cases) {
            CsCoordSysDef def = Albers("GRS1980", 29.5, 45.5, 23.0);
            std::strcpy(def.projectionKey, key);
            c.change(def);
            int errors[4] = {};
            int count = row->check(&def, row->code, errors, 4);
            EXPECT_EQ(count, c.error == 0 ? 0 : 1) << key << " " << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << key << " " << c.what;
            }
        }
    }
    // Every fault counted, stored while the array has room.
    CsCoordSysDef def = Albers("GRS1980", 95.0, -95.0, 95.0);
    def.originLongitude = 200.0;
    int errors[2] = {};
    EXPECT_EQ(CS_conicCheck(&def, kCsProjAe, errors, 2), 5);  // 216, 215, 231, 231, mirrored
    EXPECT_EQ(errors[0], 216);
    EXPECT_EQ(errors[1], 215);
    EXPECT_EQ(CS_conicCheck(&def, kCsProjAe, nullptr, 0), 5);
}

TEST_F(AeProjection, DefaultRangeSpansTheParallelsAndTheirSeparation) {
    CsPtr<CsParams> p = Build(Albers("GRS1980", 29.5, 45.5, 23.0));
    EXPECT_DOUBLE_EQ(p->minLatitude, 13.5);
    EXPECT_DOUBLE_EQ(p->maxLatitude, 61.5);
    EXPECT_EQ(p->minLongitude, -45.0);
    EXPECT_EQ(p->maxLongitude, 45.0);
    EXPECT_EQ(p->rangeCentralMeridian, -96.0);
    EXPECT_LT(p->minX, 1000.0);
    EXPECT_GT(p->maxX, 1000.0);
    EXPECT_LT(p->minY, 2000.0);
    EXPECT_GT(p->maxY, 2000.0);
    // Close parallels widen by 5 degrees each way, held off the poles.
    p = Build(Albers("GRS1980", 86.0, 88.0, 87.0));
    EXPECT_DOUBLE_EQ(p->minLatitude, 81.0);
    EXPECT_DOUBLE_EQ(p->maxLatitude, 89.9997222);
}

TEST_F(AeProjection, TheApexInvertsToItsPoleWithStatus2) {
    for (const char* ellipsoid : {"GRS1980", "SPHERE"}) {
        for (double sign : {1.0, -1.0}) {
            SCOPED_TRACE(testing::Message() << ellipsoid << " " << sign);
            CsPtr<CsParams> p = Build(Albers(ellipsoid, 29.5 * sign, 45.5 * sign, 23.0 * sign));
            const auto& c = CS_constantsOf<CsAeConstants>(p.get());
            EXPECT_EQ(c.n > 0.0, sign > 0.0);
            const double apex[3] = {1000.0, c.rho0 + 2000.0, 0.0};
            double ll[3];
            EXPECT_EQ(CS_inverseProject(p.get(), ll, apex), 2);
            EXPECT_DOUBLE_EQ(ll[1], 90.0 * sign);
            EXPECT_DOUBLE_EQ(ll[0], -96.0);
            // The pole itself is an arc of radius rho min about the apex.
            const double pole[3] = {-96.0, 90.0 * sign, 0.0};
            double xy[3];
            EXPECT_EQ(CS_forwardProject(p.get(), xy, pole), 0);
            EXPECT_NEAR(std::hypot(xy[0] - 1000.0, xy[1] - 2000.0 - c.rho0), c.rhoMin, 1e-6);
            // Beyond the far pole the radius is held there.
            const double beyond[3] = {1000.0, c.rho0 + 2000.0 - sign * 3.0 * c.rhoMax, 0.0};
            EXPECT_EQ(CS_inverseProject(p.get(), ll, beyond), 2);
            EXPECT_NEAR(ll[1], -90.0 * sign, 1e-9);
            const double points[1][3] = {{beyond[0], beyond[1], 0.0}};
            EXPECT_EQ(p->checkCartesian(CS_constants(p.get()), 1, points), 2);
        }
    }
}

// The projection keeps areas: the Jacobian of the forward over the
// ellipsoid's area element is 1, and k h is 1.
TEST_F(AeProjection, KeepsAreas) {
    CsPtr<CsParams> p = Build(Albers("GRS1980", -18.0, -36.0, 0.0));
    const double a = p->datum.equatorialRadius, e2 = std::pow(p->datum.eccentricity, 2);
    const double step = 1e-4;  // degrees
    const double points[][2] = {{-96.0, -25.0}, {-50.0, 10.0}, {-130.0, -70.0}};
    for (const double* ll : points) {
        auto xy = [&](double dLon, double dLat) {
            const double in[3] = {ll[0] + dLon, ll[1] + dLat, 0.0};
            double out[3];
            EXPECT_EQ(CS_forwardProject(p.get(), out, in), 0);
            return std::pair(out[0], out[1]);
        };
        auto [xe, ye] = xy(step, 0.0);
        auto [xw, yw] = xy(-step, 0.0);
        auto [xn, yn] = xy(0.0, step);
        auto [xs, ys] = xy(0.0, -step);
        double jacobian = std::fabs((xe - xw) * (yn - ys) - (xn - xs) * (ye - yw)) /
                          std::pow(2.0 * step * M_PI / 180.0, 2);
        double phi = ll[1] * M_PI / 180.0, w = 1.0 - e2 * std::pow(std::sin(phi), 2);
        double element = a * std::cos(phi) / std::sqrt(w) * a * (1.0 - e2) / std::pow(w, 1.5);
        EXPECT_NEAR(jacobian / element, 1.0, 1e-8) << ll[1];
        const double point[3] = {ll[0], ll[1], 0.0};
        const CsProjectionConstants* c = CS_constants(p.get());
        EXPECT_NEAR(p->parallelScale(c, point) * p->meridianScale(c, point), 1.0, 1e-15);
    }
}

TEST_F(AeProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Albers("GRS1980", 29.5, 45.5, 23.0));
    const CsProjectionConstants* c = CS_constants(p.get());
    const double inside[2][3] = {{-170.0, 40.0, 0.0}, {-30.0, 40.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, inside), 0);
    // Round the back of the cone, across the meridian opposite the central one.
    const double across[2][3] = {{80.0, 40.0, 0.0}, {90.0, 40.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 2, across), 2);
    const double beyond[1][3] = {{-96.0, 90.5, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 1, beyond), 2);
    const double pole[1][3] = {{-96.0, -90.0, 0.0}};
    EXPECT_EQ(p->checkGeographic(c, 1, pole), 0);

    double a[3], b[3];
    const double west[3] = {-170.0, 40.0, 0.0}, east[3] = {-30.0, 40.0, 0.0};
    CS_forwardProject(p.get(), a, west);
    CS_forwardProject(p.get(), b, east);
    const double line[2][3] = {{a[0], a[1], 0.0}, {b[0], b[1], 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 2, line), 0);
    const auto& k = CS_constantsOf<CsAeConstants>(p.get());
    // Inside the pole's arc: no point of the globe.
    const double apex[1][3] = {{1000.0, k.rho0 + 2000.0 - k.rhoMin / 2.0, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, apex), 2);
    // Outside the cone's sector, straight up from the apex.
    const double gap[1][3] = {{1000.0, k.rho0 + 2000.0 + 2.0 * k.rhoMin, 0.0}};
    EXPECT_EQ(p->checkCartesian(c, 1, gap), 2);
    double ll[3];
    EXPECT_EQ(CS_inverseProject(p.get(), ll, gap[0]), 2);
}

TEST_F(AeProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("NAD83-CONUS-ALBERS");
    familytest::ExpectWktRoundTrip("AUSTRALIA-ALBERS");
}

TEST_F(AeProjection, ProgramConvertsAGoldenRow) {
    // nad83-conus-albers.golden
    familytest::ExpectProgramRoundTrip("NAD83-CONUS-ALBERS", -75, 40, 1762648.053476582,
                                       2082524.864695735, 1.0);
}

}  // namespace
