// The gnomonic and orthographic families: their shared check and aspects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "coordsys/CsParams.h"
#include "projections/GnomonicProjection.h"
#include "projections/OrthoProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/tests/FamilySystemChecks.h"
#include "testing/TestSupport.h"

namespace {

CsCoordSysDef Azimuthal(const char* projection, double latitude) {
    CsCoordSysDef def{};
    std::strcpy(def.key, "TEST-AZ");
    std::strcpy(def.ellipsoidKey, "SPHERE");
    std::strcpy(def.projectionKey, projection);
    std::strcpy(def.unit, "METER");
    def.originLongitude = 30.0;
    def.originLatitude = latitude;
    def.falseEasting = 1000.0;
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    def.quadrant = 1;
    return def;
}

class GnomonicProjection : public familytest::FamilyTest {};

TEST_F(GnomonicProjection, CheckReportsEachFault) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> change;
        int error;  // 0: valid
    } cases[] = {
        {"origin longitude -180", [](auto& d) { d.originLongitude = -180.0; }, 216},
        {"origin longitude 180", [](auto& d) { d.originLongitude = 180.0; }, 0},
        {"origin latitude 90", [](auto& d) { d.originLatitude = 90.0; }, 0},
        {"origin latitude 90.1", [](auto& d) { d.originLatitude = 90.1; }, 215},
    };
    for (const char* projection : {"GNOMONIC", "ORTHO"}) {
        const CsProjectionEntry* row = CS_projectionLookupExact(projection);
        EXPECT_EQ(row->check, CS_gnomonicCheck) << projection;
        for (const Case& c : cases) {
            CsCoordSysDef def = Azimuthal(projection, 40.0);
            c.change(def);
            int errors[4] = {};
            EXPECT_EQ(row->check(&def, row->code, errors, 4), c.error == 0 ? 0 : 1) << c.what;
            if (c.error != 0) {
                EXPECT_EQ(errors[0], c.error) << c.what;
            }
        }
    }
}

TEST_F(GnomonicProjection, OriginsAndTheHorizon) {
    for (const char* projection : {"GNOMONIC", "ORTHO"}) {
        SCOPED_TRACE(projection);
        CsPtr<CsParams> p = Build(Azimuthal(projection, 40.0));
        double xy[3], ll[3];
        const double origin[3] = {30.0, 40.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, origin), 0);
        EXPECT_NEAR(xy[0], 1000.0, 1e-9);
        EXPECT_NEAR(xy[1], 0.0, 1e-9);
        EXPECT_EQ(CS_inverseProject(p.get(), ll, xy), 0);
        EXPECT_DOUBLE_EQ(ll[0], 30.0);
        EXPECT_DOUBLE_EQ(ll[1], 40.0);
        // 90 degrees from the origin and beyond: status 2.
        const double quarter[3] = {30.0, -50.1, 0.0}, far[3] = {-150.0, 0.0, 0.0};
        EXPECT_EQ(CS_forwardProject(p.get(), xy, quarter), 2);
        EXPECT_EQ(CS_forwardProject(p.get(), xy, far), 2);
    }
    // The gnomonic places it on the limit circle at its azimuth: due south.
    CsPtr<CsParams> g = Build(Azimuthal("GNOMONIC", 40.0));
    const double quarter[3] = {30.0, -50.0, 0.0};
    double xy[3];
    EXPECT_EQ(CS_forwardProject(g.get(), xy, quarter), 2);
    EXPECT_NEAR(xy[0], 1000.0, 1e-6);
    EXPECT_NEAR(xy[1], -6370997.0 * std::sqrt(1.0 - 0.0015 * 0.0015) / 0.0015, 1e-3);
    // and inverts back onto its meridian at the horizon.
    double ll[3];
    CS_inverseProject(g.get(), ll, xy);
    EXPECT_NEAR(ll[0], 30.0, 1e-9);
    EXPECT_NEAR(ll[1], 40.0 - std::acos(0.0015) * 180.0 / M_PI, 1e-9);
    // The orthographic pulls an inverse point beyond R onto the circle.
    CsPtr<CsParams> o = Build(Azimuthal("ORTHO", 40.0));
    const double beyond[3] = {1000.0 + 7e6, 0.0, 0.0};
    EXPECT_EQ(CS_inverseProject(o.get(), ll, beyond), 2);
    EXPECT_TRUE(std::isfinite(ll[0]) && std::isfinite(ll[1]));
}

TEST_F(GnomonicProjection, AspectsInvertTheirLongitude) {
    struct Case {
        const char* projection;
        double originLatitude, longitude, latitude;
    } cases[] = {
        {"GNOMONIC", 0.0, 50.0, 10.0},   {"GNOMONIC", 0.0, 20.0, 0.0},
        {"GNOMONIC", 90.0, 100.0, 60.0}, {"ORTHO", 90.0, 100.0, 60.0},
        {"ORTHO", -90.0, -20.0, -45.0},  {"ORTHO", 0.0, 50.0, -20.0},
    };
    for (const Case& c : cases) {
        CsPtr<CsParams> p = Build(Azimuthal(c.projection, c.originLatitude));
        const double ll[3] = {c.longitude, c.latitude, 0.0};
        double xy[3], back[3];
        ASSERT_EQ(CS_forwardProject(p.get(), xy, ll), 0) << c.projection;
        ASSERT_EQ(CS_inverseProject(p.get(), back, xy), 0) << c.projection;
        EXPECT_NEAR(back[0], c.longitude, 1e-9) << c.projection << " " << c.originLatitude;
        EXPECT_NEAR(back[1], c.latitude, 1e-9) << c.projection << " " << c.originLatitude;
    }
}

TEST_F(GnomonicProjection, WktReadsBackAndProjAcceptsIt) {
    familytest::ExpectWktRoundTrip("EXAMPLE-GNOMONIC");
    familytest::ExpectWktRoundTrip("EXAMPLE-ORTHO");
}

TEST_F(GnomonicProjection, ProgramConvertsAGoldenRow) {
    // example-gnomonic.golden: proj +proj=gnom +lat_0=90 +lon_0=0 +R=6378137
    familytest::ExpectProgramRoundTrip("EXAMPLE-GNOMONIC", 45, 60, 2603863.526594312,
                                       -2603863.526594313, 1.0);
    // example-ortho.golden: cct +proj=ortho +lat_0=50 +lon_0=10 +R=6378137
    familytest::ExpectProgramRoundTrip("EXAMPLE-ORTHO", -5, 40, -1264573.395110609,
                                       -980017.535560631, 1.0);
}

}  // namespace
