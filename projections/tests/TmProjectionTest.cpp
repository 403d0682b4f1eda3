#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/ProjectionTable.h"
#include "projections/TmProjection.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Tm(const char* projection = "TM") {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-TM");
    std::strcpy(def.ellipsoidKey, "GRS1980");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.parameters[0] = 9.0;
    def.scaleReduction = 0.9996;
    def.falseEasting = 500000.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class TmProjection : public familytest::FamilyTest {
protected:
    static int Forward(const CsParams* p, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return CS_latLongToXy(p, out, in);
    }
};

TEST_F(TmProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        const char* projection;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"central meridian -180", "TM", [](auto& d) { d.parameters[0] = -180.0; }, 216},
        {"central meridian +180", "TM", [](auto& d) { d.parameters[0] = 180.0; }, 0},
        {"central meridian NaN", "TM", [](auto& d) { d.parameters[0] = std::nan(""); }, 216},
        {"origin latitude", "TM", [](auto& d) { d.originLatitude = -90.5; }, 215},
        {"scale reduction", "TM", [](auto& d) { d.scaleReduction = 0.4; }, 227},
        {"Gauss-Krueger ignores it", "GAUSSK", [](auto& d) { d.scaleReduction = 7.0; }, 0},
        {"Krueger origin", "TRMRKRG", [](auto& d) { d.originLatitude = 0.0001; }, 256},
        {"Krueger tiny origin", "TRMRKRG", [](auto& d) { d.originLatitude = 0.00002; }, 0},
        {"singular affine", "TMAF",
         [](auto& d) {
             d.parameters[3] = 2, d.parameters[4] = 4, d.parameters[5] = 1, d.parameters[6] = 2;
         },
         251},
        {"UTM zone 0", "UTM", [](auto& d) { d.parameters[0] = 0; }, 246},
        {"UTM zone 61", "UTM", [](auto& d) { d.parameters[0] = 61; }, 246},
        {"UTM hemisphere", "UTM", [](auto& d) { d.parameters[0] = 31, d.parameters[1] = 2; }, 247},
        {"UTM ignores the rest", "UTM",
         [](auto& d) { d.parameters[0] = 31, d.originLatitude = 95, d.scaleReduction = 9; }, 0},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Tm(c.projection);
        if (std::strcmp(c.projection, "TMAF") == 0) def.parameters[3] = def.parameters[6] = 1.0;
        c.change(def);
        int errors[4] = {};
        int count = CS_tmCheck(&def, CS_projectionLookupExact(c.projection)->code, errors, 4);
        EXPECT_EQ(count, c.error == 0 ? 0 : 1) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(errors[0], c.error) << c.what;
        }
    }
}

TEST_F(TmProjection, OrdnanceSurveyGridsNeedTheirShiftFiles) {
    CsCoordSysDef def = Tm("OSTN97");
    int errors[2];
    EXPECT_EQ(CS_tmCheck(&def, 58, errors, 2), 1);
    EXPECT_EQ(errors[0], 253);
    EXPECT_EQ(CS_tmCheck(&def, 60, errors, 2), 1);
    EXPECT_EQ(errors[0], 255);
}

TEST_F(TmProjection, UtmZoneSetsTheMeridianAndFalseOrigin) {
    struct Case {
        double zone, hemisphere;
        const char* unit;
        double centralMeridian, falseEasting, falseNorthing;
    } cases[] = {
        {31, 1, "METER", 3.0, 500000.0, 0.0},
        {31, 0, "METER", 3.0, 500000.0, 0.0},
        {31, -1, "METER", 3.0, 500000.0, 10000000.0},
        {1.9, 1, "METER", -177.0, 500000.0, 0.0},
        {60, -1, "IFOOT", 177.0, 500000.0 / 0.3048, 10000000.0 / 0.3048},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Tm("UTM");
        def.parameters[0] = c.zone;
        def.parameters[1] = c.hemisphere;
        std::strcpy(def.unit, c.unit);
        CsPtr<CsParams> p = Build(def);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->rangeCentralMeridian, c.centralMeridian) << c.zone;
        double xy[3];
        EXPECT_EQ(Forward(p.get(), c.centralMeridian, 0.0, xy), 0);
        EXPECT_NEAR(xy[0], c.falseEasting, 1e-6) << c.zone;
        EXPECT_NEAR(xy[1], c.falseNorthing, 1e-6) << c.zone;
        EXPECT_EQ(p->minLongitude, -3.5);
        EXPECT_EQ(p->maxLongitude, 3.5);
        EXPECT_EQ(p->minLatitude, c.hemisphere < 0 ? -80.0 : -1.0);
        EXPECT_EQ(p->maxLatitude, c.hemisphere < 0 ? 1.0 : 84.0);
    }
}

TEST_F(TmProjection, GaussKruegerProjectsWithScaleOne) {
    CsCoordSysDef gauss = Tm("GAUSSK"), tm = Tm("TM");
    gauss.scaleReduction = 0.7;
    tm.scaleReduction = 1.0;
    CsPtr<CsParams> a = Build(gauss), b = Build(tm);
    double xa[3], xb[3];
    Forward(a.get(), 11.0, 50.0, xa);
    Forward(b.get(), 11.0, 50.0, xb);
    EXPECT_EQ(xa[0], xb[0]);
    EXPECT_EQ(xa[1], xb[1]);
}

TEST_F(TmProjection, EdgesOfTheDomain) {
    CsPtr<CsParams> p = Build(Tm());
    ASSERT_TRUE(p);
    const CsTmConstants& c = CS_constantsOf<CsTmConstants>(p.get());
    double xy[3], ll[3];

    // 90 degrees out on the equator: pulled in, reported outside.
    EXPECT_EQ(Forward(p.get(), 99.0, 0.0, xy), 2);
    EXPECT_TRUE(std::isfinite(xy[0]));
    EXPECT_NEAR(xy[0] - 500000.0, c.largestEasting, 1e-6 * c.largestEasting);

    // An easting beyond the largest is clamped to it.
    const double far[3] = {500000.0 + 2.0 * c.largestEasting, 0.0, 0.0};
    EXPECT_EQ(CS_xyToLatLong(p.get(), ll, far), 2);
    const double edge[3] = {500000.0 + c.largestEasting, 0.0, 0.0};
    double atEdge[3];
    CS_xyToLatLong(p.get(), atEdge, edge);
    EXPECT_EQ(ll[0], atEdge[0]);

    // The pole is a singular point with an exact value.
    EXPECT_EQ(Forward(p.get(), 40.0, 90.0, xy), 1);
    EXPECT_NEAR(xy[0], 500000.0, 1e-6);
    EXPECT_NEAR(xy[1], 0.9996 * 10001965.7293, 1e-3);
    EXPECT_EQ(Forward(p.get(), 40.0, 100.0, xy), 2);  // wrapped, then projected
}

// A northing beyond the pole, or an easting far outside the zone, has no
// point of its own: the inverse reports it outside the domain and answers with
// a latitude within +-90 and no error of the maths library.
TEST_F(TmProjection, InverseOutsideTheDomain) {
    struct Case {
        const char* projection;
        const char* ellipsoid;
        double x, y;      // about the false origin
        double latitude;  // expected; NaN: only within +-90
    } cases[] = {
        {"TM", "GRS1980", 0.0, 10500000.0, 90.0},
        {"TM", "GRS1980", 0.0, -10500000.0, -90.0},
        {"TM", "GRS1980", 100000.0, 19000000.0, std::nan("")},
        {"TM", "SPHERE", 0.0, 10500000.0, 90.0},
        {"TM", "SPHERE", 100000.0, -19000000.0, std::nan("")},
        {"TRMRKRG", "GRS1980", 0.0, 10500000.0, 90.0},
        {"TRMRKRG", "GRS1980", 1e9, 0.0, 0.0},
        {"TRMRKRG", "GRS1980", -1e12, 4000000.0, std::nan("")},
        {"TM", "GRS1980", 1e12, 4000000.0, std::nan("")},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Tm(c.projection);
        std::strcpy(def.ellipsoidKey, c.ellipsoid);
        CsPtr<CsParams> p = Build(def);
        ASSERT_TRUE(p);
        const double xy[3] = {500000.0 + c.x, c.y, 0.0};
        double ll[3];
        errno = 0;
        EXPECT_EQ(CS_xyToLatLong(p.get(), ll, xy), 2) << c.projection << " " << c.y;
        EXPECT_EQ(errno, 0) << c.projection << " " << c.x;
        EXPECT_TRUE(std::isfinite(ll[0])) << c.projection << " " << c.x;
        EXPECT_LE(std::fabs(ll[1]), 90.0) << c.projection << " " << c.y;
        if (!std::isnan(c.latitude)) {
            EXPECT_NEAR(ll[1], c.latitude, 1e-9) << c.projection;
        }
    }
}

TEST_F(TmProjection, ScaleAndConvergence) {
    CsPtr<CsParams> p = Build(Tm());
    ASSERT_TRUE(p);
    const double onMeridian[3] = {9.0, 45.0, 0.0};
    EXPECT_DOUBLE_EQ(p->gridScale(CS_constants(p.get()), onMeridian), 0.9996);
    EXPECT_EQ(p->convergence(CS_constants(p.get()), onMeridian), 0.0);
    const double east[3] = {12.0, 45.0, 0.0};
    EXPECT_GT(p->parallelScale(CS_constants(p.get()), east), 0.9996);
    // Roughly the longitude difference times the sine of the latitude.
    EXPECT_NEAR(p->convergence(CS_constants(p.get()), east), 3.0 * std::sin(M_PI / 4.0), 0.01);
    const double west[3] = {6.0, -45.0, 0.0};
    EXPECT_NEAR(p->convergence(CS_constants(p.get()), west), 3.0 * std::sin(M_PI / 4.0), 0.01);

    CsCoordSysDef sphere = Tm();
    std::strcpy(sphere.ellipsoidKey, "SPHERE");
    CsPtr<CsParams> s = Build(sphere);
    ASSERT_TRUE(s);
    const double quarter[3] = {99.0, 0.0, 0.0};
    EXPECT_EQ(s->gridScale(CS_constants(s.get()), quarter), 9999.99);
}

TEST_F(TmProjection, LimitChecks) {
    CsPtr<CsParams> p = Build(Tm());
    ASSERT_TRUE(p);
    const CsProjectionConstants* c = CS_constants(p.get());
    const double region[4][3] = {{8, 40, 0}, {10, 40, 0}, {10, 50, 0}, {8, 40, 0}};
    EXPECT_EQ(p->checkGeographic(c, 4, region), 0);
    EXPECT_EQ(p->checkGeographic(c, 3, region), 4096);
    EXPECT_EQ(CS_lastError(), 162);
    const double line[2][3] = {{8, 40, 0}, {100, 40, 0}};
    EXPECT_EQ(p->checkGeographic(c, 2, line), 2);
    const double quarter[1][3] = {{99, 0, 0}};
    EXPECT_EQ(p->checkGeographic(c, 1, quarter), 2);
    EXPECT_EQ(p->checkGeographic(c, 0, quarter), 0);

    const double inside[1][3] = {{500000.0 + 1e6, 0, 0}};
    const double outside[1][3] = {
        {500000.0 + 2 * CS_constantsOf<CsTmConstants>(p.get()).largestEasting, 0, 0}};
    EXPECT_EQ(p->checkCartesian(c, 1, inside), 0);
    EXPECT_EQ(p->checkCartesian(c, 1, outside), 2);
}

// The inverse series as written: Thomas to the sixth power of the easting term,
// Krueger's latitude from the e^8 conformal series (values transcribed
// independently of this code).
TEST_F(TmProjection, InverseSeriesAsWritten) {
    struct Case {
        const char* projection;
        double x, y;  // about the false origin
        double longitude, latitude;
    } cases[] = {
        {"TM", 500000.0, 5600000.0, 16.029537848224, 50.339090146883},
        {"TM", -400000.0, -6500000.0, 2.137939949015, -58.456613564209},
        {"TRMRKRG", 500000.0, 5600000.0, 16.029537866959, 50.339090196763},
        {"TRMRKRG", -400000.0, -6500000.0, 2.137939928491, -58.456613603045},
        {"TRMRKRG", 300000.0, 1440000.0, 11.765623596517, 13.011151842059},
    };
    for (const Case& c : cases) {
        CsPtr<CsParams> p = Build(Tm(c.projection));
        ASSERT_TRUE(p);
        const double xy[3] = {500000.0 + c.x, c.y, 0.0};
        double ll[3];
        EXPECT_EQ(CS_xyToLatLong(p.get(), ll, xy), 0);
        EXPECT_NEAR(ll[0], c.longitude, 1e-11) << c.projection << " " << c.x;
        EXPECT_NEAR(ll[1], c.latitude, 1e-11) << c.projection << " " << c.x;
    }
}

TEST_F(TmProjection, QuadrantTurnsTheAxes) {
    CsCoordSysDef normal = Tm(), westing = Tm(), south = Tm("SOTM");
    westing.quadrant = 2;
    CsPtr<CsParams> a = Build(normal), b = Build(westing), s = Build(south);
    double xa[3], xb[3], xs[3];
    Forward(a.get(), 11.0, 50.0, xa);
    Forward(b.get(), 11.0, 50.0, xb);
    Forward(s.get(), 11.0, 50.0, xs);
    EXPECT_DOUBLE_EQ(xb[0] - 500000.0, -(xa[0] - 500000.0));
    EXPECT_DOUBLE_EQ(xb[1], xa[1]);
    EXPECT_DOUBLE_EQ(xs[0] - 500000.0, -(xa[0] - 500000.0));
    EXPECT_DOUBLE_EQ(xs[1], -xa[1]);
    double back[3];
    CS_xyToLatLong(s.get(), back, xs);
    EXPECT_NEAR(back[0], 11.0, 1e-9);
    EXPECT_NEAR(back[1], 50.0, 1e-9);
}

}  // namespace
