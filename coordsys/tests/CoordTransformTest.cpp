#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CoordTransform.h"
#include "coordsys/DictionaryRefresh.h"
#include "testing/TestSupport.h"

namespace {

class CoordTransform : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
    // UTM83-10's definition and datum, to change.
    static CsParams Utm() {
        CsPtr<CsParams> block(CS_loadCoordSys("UTM83-10"));
        EXPECT_TRUE(block) << CS_lastMessage();
        CsParams definition{};
        definition.csDef = block->csDef;
        definition.datum = block->datum;
        return definition;
    }
};

TEST_F(CoordTransform, ConvertsThroughTheLibrary) {
    CCoordTransform transform;
    ASSERT_TRUE(transform.SetCoordSys("utm83-10"));
    EXPECT_FALSE(transform.IsLocal());
    double x, y, latitude, longitude;
    ASSERT_EQ(transform.LatLongToXY(45.0, -123.0, &x, &y), 0);
    // proj +proj=utm +zone=10 +ellps=GRS80
    EXPECT_NEAR(x, 500000.0, 1e-6);
    EXPECT_NEAR(y, 4982950.400107, 1e-3);
    ASSERT_EQ(transform.XYToLatLong(x, y, &latitude, &longitude), 0);
    EXPECT_NEAR(latitude, 45.0, 1e-10);
    EXPECT_NEAR(longitude, -123.0, 1e-10);
    EXPECT_EQ(transform.FoldedPoints(), 0);
    EXPECT_STREQ(transform.Definition().csDef.key, "UTM83-10");
    EXPECT_STREQ(transform.Definition().datum.key, "NAD83");
}

TEST_F(CoordTransform, LocalSystemsPassCoordinatesThrough) {
    CCoordTransform transform;
    ASSERT_TRUE(transform.SetCoordSys("*XY-FT*"));
    EXPECT_TRUE(transform.IsLocal());
    const CsCoordSysDef& def = transform.Definition().csDef;
    EXPECT_STREQ(def.key, "*XY-FT*");
    EXPECT_STREQ(def.projectionKey, "*X-Y*");
    EXPECT_STREQ(def.datumKey, "*X-Y*");
    EXPECT_STREQ(def.unit, "Foot");
    EXPECT_EQ(def.unitScale, 0.3048006096012192);
    EXPECT_EQ(def.scale, 1.0 / 0.3048006096012192);
    double x, y;
    ASSERT_EQ(transform.LatLongToXY(10.0, 20.0, &x, &y), 0);
    EXPECT_EQ(x, 20.0);
    EXPECT_EQ(y, 10.0);

    const char* keys[] = {"*XY-MT*",  "*XY-FT*",  "*XY-IN*",  "*XY-IFT*", "*XY-CFT*", "*XY-IIN*",
                          "*XY-CM*",  "*XY-KM*",  "*XY-YD*",  "*XY-SYD*", "*XY-MI*",  "*XY-IYD*",
                          "*XY-IMI*", "*XY-KT*",  "*XY-NM*",  "*XY-DM*",  "*XY-MM*",  "*XY-DAM*",
                          "*XY-HM*",  "*XY-GM*",  "*XY-CG*",  "*XY-GCH*", "*XY-CCH*", "*XY-BCH*",
                          "*XY-SCH*", "*XY-GLK*", "*XY-CLK*", "*XY-BLK*", "*XY-SLK*", "*XY-RD*",
                          "*XY-PC*",  "*XY-PL*",  "*XY-FL*",  "*xy-sar*", "*XY-CPF*", "*XY-BR*"};
    for (const char* key : keys) {
        CCoordTransform local;
        EXPECT_TRUE(local.SetCoordSys(key)) << key;
        EXPECT_GT(local.Definition().csDef.unitScale, 0.0) << key;
    }
}

TEST_F(CoordTransform, EveryFailureHasItsStatus) {
    double x, y;
    CCoordTransform unset;
    EXPECT_EQ(unset.GetStatus(), kCoordTransformNotSet);
    EXPECT_EQ(unset.LatLongToXY(1.0, 2.0, &x, &y), kCoordTransformNotSet);

    struct Case {
        const char* what;
        void (*change)(CsParams&);
        Status status;
        int libraryError;
    } cases[] = {
        // The library ignores the letter case of projection keys; the adapter does not.
        {"lower-case key", [](CsParams& d) { std::strcpy(d.csDef.projectionKey, "utm"); },
         kCoordTransformUnknownProjection, 105},
        // The family's check runs before its setup.
        {"zone 61", [](CsParams& d) { d.csDef.parameters[0] = 61; }, kCoordTransformRefused, 246},
        {"no ellipsoid", [](CsParams& d) { d.datum.equatorialRadius = 0; }, kCoordTransformRefused,
         160},
        {"infinite radius",
         [](CsParams& d) { d.datum.equatorialRadius = std::numeric_limits<double>::infinity(); },
         kCoordTransformRefused, 160},
        {"non-earth", [](CsParams& d) { std::strcpy(d.csDef.projectionKey, "NERTH"); },
         kCoordTransformRefused, 358},
    };
    for (const Case& c : cases) {
        CsParams definition = Utm();
        c.change(definition);
        CCoordTransform transform(definition);
        EXPECT_EQ(transform.GetStatus(), c.status) << c.what;
        EXPECT_EQ(transform.LibraryError(), c.libraryError) << c.what;
        EXPECT_EQ(transform.LatLongToXY(45.0, -123.0, &x, &y), c.status) << c.what;
        EXPECT_EQ(transform.XYToLatLong(5e5, 5e6, &x, &y), c.status) << c.what;
    }
    CCoordTransform nonEarth;
    CsParams definition = Utm();
    std::strcpy(definition.csDef.projectionKey, "NERTH");
    nonEarth.SetFromDefinition(definition);
    EXPECT_STREQ(CS_lastMessage(),
                 "Conversion from a NERTH type definition to another type is not supported.");
}

TEST_F(CoordTransform, AFailedSelectionKeepsThePreviousSystem) {
    CCoordTransform transform;
    ASSERT_TRUE(transform.SetCoordSys("UTM83-10"));
    EXPECT_FALSE(transform.SetCoordSys("NO-SUCH-SYSTEM"));
    EXPECT_EQ(transform.LibraryError(), 103);
    EXPECT_EQ(transform.GetStatus(), 0);
    EXPECT_STREQ(transform.Definition().csDef.key, "UTM83-10");
    double x, y;
    EXPECT_EQ(transform.LatLongToXY(45.0, -123.0, &x, &y), 0);
}

TEST_F(CoordTransform, BuildsFromAnExportedDescriptor) {
    CsPtr<CsParams> block(CS_loadCoordSys("UTM84-33S"));
    ASSERT_TRUE(block);
    CCoordSysDescriptor descriptor(*block);
    CsParams record{};
    ASSERT_TRUE(descriptor.ExportDefinition(record));
    CCoordTransform transform(record);
    ASSERT_EQ(transform.GetStatus(), 0);
    double x, y;
    ASSERT_EQ(transform.LatLongToXY(-30.0, 15.0, &x, &y), 0);
    EXPECT_NEAR(x, 500000.0, 1e-6);
    EXPECT_NEAR(y, 6681214.647419, 1e-3);  // proj +proj=utm +zone=33 +south +ellps=WGS84
}

TEST_F(CoordTransform, CountsPointsFoldedIntoTheDomain) {
    CCoordTransform transform;
    ASSERT_TRUE(transform.SetCoordSys("UTM83-10"));
    double x, y, latitude, longitude;
    EXPECT_EQ(transform.LatLongToXY(0.0, -123.0 + 120.0, &x, &y), 0);  // converted all the same
    EXPECT_EQ(transform.FoldedPoints(), 1);
    EXPECT_EQ(transform.XYToLatLong(1e9, 0.0, &latitude, &longitude), 0);
    EXPECT_EQ(transform.FoldedPoints(), 2);
}

// No system has a point for a NaN or an infinity: refused before the maths
// library sees it, nothing stored, the object still usable.
TEST_F(CoordTransform, NonFinitePointsAreRefusedButNotTheObject) {
    CCoordTransform transform;
    ASSERT_TRUE(transform.SetCoordSys("UTM83-10"));
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {{0.0, infinity}, {-infinity, 0.0}, {nan, -123.0}, {45.0, -nan}};
    for (const auto& c : cases) {
        double x = 7.0, y = 8.0;
        errno = 0;
        EXPECT_EQ(transform.LatLongToXY(c[0], c[1], &x, &y), kCoordTransformPointRefused);
        EXPECT_EQ(transform.XYToLatLong(c[1], c[0], &y, &x), kCoordTransformPointRefused);
        EXPECT_EQ(errno, 0);
        EXPECT_EQ(x, 7.0);
        EXPECT_EQ(y, 8.0);
    }
    EXPECT_EQ(transform.GetStatus(), 0);
    EXPECT_EQ(transform.FoldedPoints(), 0);
    double x, y;
    // A range error left behind by someone else is not the conversion's.
    errno = ERANGE;
    EXPECT_EQ(transform.LatLongToXY(45.0, -123.0, &x, &y), 0);
}

// The registry file is named by WLXCONV_REGISTRY; restores the environment
// and the library's directory.
class Refresh : public CoordTransform {
protected:
    void TearDown() override {
        ::unsetenv("WLXCONV_REGISTRY");
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
    void UseRegistry(const std::string& text) {
        wlxtest::WriteText(dir_ / "registry.reg", text);
        ::setenv("WLXCONV_REGISTRY", (dir_ / "registry.reg").string().c_str(), 1);
    }
    wlxtest::TempDir dir_;
};

TEST_F(Refresh, FollowsTheRegistry) {
    wlxtest::TempDir dictionaries;
    wlxtest::WriteText(dictionaries / "Coordsys.CSD", "");
    const std::string other = dictionaries.path().string() + "/";
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velstrom\\GIS\\Coordsys";

    ::setenv("WLXCONV_REGISTRY", (dir_ / "none.reg").string().c_str(), 1);
    ASSERT_EQ(CS_setDictionaryDirectory(other.c_str()), 0);
    EXPECT_EQ(RefreshDictionaryDirectory(), kWlxOpenFailed);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), other) << "nothing changes";

    // A version without "Path": the current directory (the tests run beside
    // the dictionaries).
    UseRegistry("REGEDIT4\n\n" + key + "]\n\"CurVer\"=\"11e\"\n" + key + "\\11e]\n");
    EXPECT_EQ(RefreshDictionaryDirectory(), 0);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), "./");

    UseRegistry("REGEDIT4\n\n" + key + "]\n" + key + "\\11e]\n\"Path\"=\"" + other + "\"\n");
    EXPECT_EQ(RefreshDictionaryDirectory(), 0);
    EXPECT_EQ(std::string(CS_dictionaryDirectory()), other);
}

}  // namespace
