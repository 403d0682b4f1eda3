#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CoordTransform.h"
#include "coordsys/CsParams.h"
#include "coordsys/CsWktFamilies.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "coordsys/tests/CoordSysTestSupport.h"
#include "projections/ProjectionTable.h"
#include "testing/TestSupport.h"

namespace {

using coordsystest::Loaded;
using coordsystest::LocalFeet;

// A definition as the writers hand it over: a descriptor exported into a
// fresh block.
CsParams Exported(const CCoordSysDescriptor& descriptor) {
    CsParams block{};
    descriptor.ExportDefinition(block);
    return block;
}

std::string Wkt(const CsParams& definition) {
    std::string text;
    WktStatus status = WriteWkt(definition, text);
    EXPECT_EQ(status, kWktOk) << std::hex << status;
    return text;
}

TEST(WktWriter, FormatsNumbersInFixedOrExponentForm) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {6378137.0, "6378137"},
        {0.5, "0.5"},
        {-123.0, "-123"},
        {298.257223563, "298.257223563"},
        {0.017453292519943295, "0.01745329252"},
        {0.3048006096012192, "0.3048006096"},
        {1.0 / 3.0, "0.33333333333"},
        {0.00010001, "0.00010001"},
        {0.0001, "1.00000000000E-04"},
        {0.00005, "5.00000000000E-05"},
        {-0.00005, "-5.00000000000E-05"},
        {1e-12, "0"},
        {1e-13, "0"},
        {-0.0, "0"},
        {1e20, "100000000000000000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatWktNumber(c.value), c.text) << c.value;
}

TEST(WktWriter, WritesTheDefaultDescriptorAsAGeographicSystem) {
    EXPECT_EQ(Wkt(Exported(CCoordSysDescriptor())),
              "GEOGCS[\"LL84\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.25722293287],"
              "TOWGS84[0,0,0,0,0,0,0]],PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",0.01745329252]]");
}

TEST(WktWriter, WritesDictionarySystems) {
    struct Case {
        const char* key;
        const char* wkt;
    } cases[] = {
        {"WORLD-LL",
         "GEOGCS[\"WORLD-LL\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563],"
         "TOWGS84[0,0,0,0,0,0,0]],PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",0.01745329252],"
         "PARAMETER[\"VLSM_minimum_longitude\", -180],"
         "PARAMETER[\"VLSM_maximum_longitude\", 180]]"},
        {"UTM83-10",
         "PROJCS[\"UTM83-10\",GEOGCS[\"UTM83-10\",DATUM[\"NAD 83\",SPHEROID[\"GRS 80\",6378137,"
         "298.257222101],TOWGS84[0,0,0,0,0,0,0]],PRIMEM[\"Greenwich\",0],"
         "UNIT[\"Degrees\", 0.0174532925199433]],PROJECTION[\"UTM\"],"
         "PARAMETER[\"central_meridian\", -123],PARAMETER[\"false_northing\", 0],"
         "PARAMETER[\"false_easting\", 500000],PARAMETER[\"zone\", 10],"
         "PARAMETER[\"scale_factor\", 1],UNIT[\"METER\", 1]]"},
        // Eleven decimals show the radius's binary digits.
        {"DHDN-GK3",
         "PROJCS[\"DHDN-GK3\",GEOGCS[\"DHDN-GK3\",DATUM[\"Deutsches Hauptdreiecksnetz\","
         "SPHEROID[\"Bessel 1841\",6377397.15500000026,299.1528128],TOWGS84[598.1,73.7,418.2,0.202,"
         "0.045,-2.455,6.7]],PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\", 0.0174532925199433]],"
         "PROJECTION[\"Gauss\"],PARAMETER[\"central_meridian\", 9],"
         "PARAMETER[\"latitude_of_origin\", 0],PARAMETER[\"false_easting\", 3500000],"
         "PARAMETER[\"false_northing\", 0],UNIT[\"METER\", 1]]"},
    };
    for (const Case& c : cases) EXPECT_EQ(Wkt(Loaded(c.key)), c.wkt) << c.key;
}

TEST(WktWriter, WritesALocalSystemAsLocalcs) {
    EXPECT_EQ(Wkt(LocalFeet()),
              "LOCALCS[\"*XY-FT*\",LOCAL_DATUM[\"*X-Y*\",10000],UNIT[\"Foot\", 0.3048006096],"
              "AXIS[\"X\",EAST],AXIS[\"Y\",NORTH]]");
}

TEST(WktWriter, WritesUtmSouthWithItsDerivedValues) {
    CsParams utm = Loaded("UTM83-10");
    utm.csDef.parameters[0] = 32.7;  // the whole part is the zone
    utm.csDef.parameters[1] = -1.0;
    utm.csDef.quadrant = 1;
    std::string text;
    ASSERT_EQ(WriteWktProjection(utm, text), kWktOk);
    EXPECT_EQ(text,
              "PROJECTION[\"UTM\"],PARAMETER[\"central_meridian\", 9],"
              "PARAMETER[\"false_northing\", 10000000],PARAMETER[\"false_easting\", 500000],"
              "PARAMETER[\"zone\", -32],PARAMETER[\"scale_factor\", 1]");
}

TEST(WktWriter, WritesTheQuadrantOnlyWhenItIsNotOne) {
    CsParams tm = Loaded("BritishNatGrid");
    std::string text;
    ASSERT_EQ(WriteWktProjection(tm, text), kWktOk);
    EXPECT_EQ(text.find("VLSM_quadrant"), std::string::npos);
    tm.csDef.quadrant = -2;
    ASSERT_EQ(WriteWktProjection(tm, text), kWktOk);
    EXPECT_TRUE(
        text.ends_with(",PARAMETER[\"false_northing\", -100000],"
                       "PARAMETER[\"VLSM_quadrant\", -2]"))
        << text;
    // GAUSSK carries no quadrant at all.
    CsParams gauss = Loaded("DHDN-GK3");
    gauss.csDef.quadrant = 3;
    ASSERT_EQ(WriteWktProjection(gauss, text), kWktOk);
    EXPECT_EQ(text.find("VLSM_quadrant"), std::string::npos);
}

// The seven- and six-parameter methods keep coordinate-frame rotations; WKT's
// TOWGS84 holds position-vector ones, so the writer turns their signs and the
// reader turns them back.
TEST(WktWriter, WritesPositionVectorRotations) {
    struct Case {
        const char* key;
        const char* toWgs84;
    } cases[] = {
        // EPSG transformation 1314 (position vector).
        {"BritishNatGrid", "TOWGS84[446.448,-125.157,542.06,0.15,0.247,0.842,-20.489]"},
        // Bursa/Wolf rotations are position-vector rotations already.
        {"DHDN-GK3", "TOWGS84[598.1,73.7,418.2,0.202,0.045,-2.455,6.7]"},
    };
    for (const Case& c : cases) {
        CsParams definition = Loaded(c.key);
        std::string text = Wkt(definition);
        EXPECT_NE(text.find(c.toWgs84), std::string::npos) << c.key << "\n" << text;
        CsParams read;
        ASSERT_EQ(ReadWkt(text, &read), kWktOk) << c.key;
        EXPECT_EQ(read.datum.rotX, definition.datum.rotX) << c.key;
        EXPECT_EQ(read.datum.rotY, definition.datum.rotY) << c.key;
        EXPECT_EQ(read.datum.rotZ, definition.datum.rotZ) << c.key;
    }
}

// PROJ puts a British National Grid point where EPSG's transformation 1314
// does (cct: inverse tmerc on airy, helmert position_vector: 400000 300000 ->
// -2.001433116 52.597792431); with coordinate-frame signs it lands 29 m off.
TEST(WktWriter, ProjShiftsTheBritishNationalGridAsEpsgDoes) {
    if (!wlxtest::HaveTool("cs2cs")) GTEST_SKIP() << "cs2cs (proj-bin) is not installed";
    // PROJ knows no method "TM": the geographic base carries the datum. Its
    // point is the grid point's, on OSGB36 (cs2cs EPSG:27700 EPSG:4277).
    const std::string projcs = Wkt(Loaded("BritishNatGrid"));
    const std::size_t begin = projcs.find("GEOGCS[");
    const std::size_t end = projcs.find(",PROJECTION[");
    ASSERT_NE(end, std::string::npos) << projcs;
    const std::string text = projcs.substr(begin, end - begin);
    // WKT1 geographic systems without AXIS take longitude first.
    auto result = wlxtest::Run("/bin/sh", {"-c",
                                           "echo -2 52.597437287 | exec cs2cs -f %.9f \"$1\" "
                                           "EPSG:4326",
                                           "sh", text});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    double latitude = 0, longitude = 0;
    ASSERT_EQ(std::sscanf(result.out.c_str(), "%lf %lf", &latitude, &longitude), 2) << result.out;
    EXPECT_NEAR(latitude, 52.597792431, 1e-8);
    EXPECT_NEAR(longitude, -2.001433116, 1e-8);
}

TEST(WktWriter, RefusesWhatItCannotWrite) {
    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        void (*spoil)(CsParams&);
        WktStatus status;
    } cases[] = {
        {"no WKT form", [](CsParams& p) { std::strcpy(p.csDef.projectionKey, "WINKEL"); },
         kWktProjectionName},
        {"built, no WKT form", [](CsParams& p) { std::strcpy(p.csDef.projectionKey, "TMAF"); },
         kWktProjectionName},
        {"unknown projection", [](CsParams& p) { std::strcpy(p.csDef.projectionKey, "XYZ"); },
         kWktProjectionName},
        {"no unit name", [](CsParams& p) { p.csDef.unit[0] = '\0'; }, kWktLinearUnits},
        {"negative unit", [](CsParams& p) { p.csDef.unitScale = -1.0; }, kWktLinearUnits},
        {"no ellipsoid", [](CsParams& p) { p.datum.ellipsoidKey[0] = '\0'; }, kWktEllipsoid},
        {"no radius", [](CsParams& p) { p.datum.equatorialRadius = 1e-10; }, kWktEllipsoid},
        {"zone beyond 16 bits",
         [](CsParams& p) {
             std::strcpy(p.csDef.projectionKey, "UTM");
             p.csDef.parameters[0] = 40000.0;
         },
         kWktZone},
        {"radius not a number", [](CsParams& p) { p.datum.equatorialRadius = nan; }, kWktEllipsoid},
        {"shift not a number", [](CsParams& p) { p.datum.deltaY = nan; }, kWktDatum},
        {"parameter not a number", [](CsParams& p) { p.csDef.falseEasting = nan; },
         WktStatusFromName("false_easting")},
        {"quote in the key", [](CsParams& p) { std::strcpy(p.csDef.key, "A\"B"); }, kWktString},
        {"bracket in the unit", [](CsParams& p) { std::strcpy(p.csDef.unit, "[M]"); }, kWktString},
    };
    for (const Case& c : cases) {
        CsParams definition = Loaded("BritishNatGrid");
        c.spoil(definition);
        std::string text = "left over";
        EXPECT_EQ(WriteWkt(definition, text), c.status) << c.what;
        EXPECT_EQ(text, "") << c.what;
    }
    EXPECT_EQ(WktStatusFromName("false_easting"), MakeWktStatus(0x17));
}

TEST(WktWriter, WritesEveryFamilyWithAWktFormOnceItIsBuilt) {
    CsParams definition = Loaded("BritishNatGrid");
    for (const CsWktFamily& family : cs_WktFamilies) {
        for (const char* key : family.keys) {
            if (key == nullptr) break;
            std::strcpy(definition.csDef.projectionKey, key);
            const CsProjectionEntry* row = CS_projectionLookupExact(key);
            ASSERT_NE(row, nullptr) << key;
            std::string text;
            EXPECT_EQ(WriteWkt(definition, text),
                      row->setup != nullptr ? kWktOk : kWktProjectionName)
                << key;
        }
    }
}

TEST(WktWriter, GivesTheTextAsUtf16) {
    CsParams definition = Loaded("UTM83-10");
    std::string narrow;
    ASSERT_EQ(WriteWkt(definition, narrow), kWktOk);
    std::u16string wide;
    ASSERT_EQ(WriteWkt(&definition, &wide), kWktOk);
    EXPECT_EQ(wide, std::u16string(narrow.begin(), narrow.end()));

    std::strcpy(definition.csDef.key, "\xC3\xA9t\xC3\xA9");  // "été"
    ASSERT_EQ(WriteWkt(&definition, &wide), kWktOk);
    EXPECT_EQ(wide.substr(0, 13), u"PROJCS[\"\u00E9t\u00E9\",");
    definition.csDef.key[0] = '\xFF';  // not UTF-8
    EXPECT_EQ(WriteWkt(&definition, &wide), kWktUnknownError);
    EXPECT_EQ(WriteWkt(nullptr, &wide), kWktMissingArgument);
    EXPECT_EQ(WriteWkt(&definition, nullptr), kWktMissingArgument);
}

// PROJ reads the texts as the WKT they claim to be: no parse warning, and
// the figure and parameters where PROJ put them.
TEST(WktWriter, WritesTextsThatProjAccepts) {
    if (!wlxtest::HaveTool("projinfo")) GTEST_SKIP() << "projinfo (proj-bin) is not installed";
    struct Case {
        const char* key;
        std::vector<std::string> expected;
    } cases[] = {
        {"LL84",
         {"GEOGCRS[\"LL84\"", "ELLIPSOID[\"WGS 84\",6378137,298.257223563",
          "ANGLEUNIT[\"Degrees\",0.0174532925199433]"}},  // PROJ takes it as a degree
        {"UTM83-10",
         {"PROJCRS[\"UTM83-10\"", "ELLIPSOID[\"GRS 80\",6378137,298.257222101", "METHOD[\"UTM\"]",
          "PARAMETER[\"central_meridian\",-123", "PARAMETER[\"zone\",10]",
          "LENGTHUNIT[\"METER\",1]"}},
        {"BritishNatGrid",
         {"PROJCRS[\"BritishNatGrid\"", "ELLIPSOID[\"Airy 1830\",6377563.396,299.3249646",
          "METHOD[\"TM\"]", "PARAMETER[\"scale_factor\",0.9996012717",
          "PARAMETER[\"false_northing\",-100000"}},
        {"WGS84-MERC41",
         {"PROJCRS[\"WGS84-MERC41\"", "METHOD[\"MRCAT\"]", "PARAMETER[\"central_meridian\",100",
          "PARAMETER[\"standard_parallel_1\",-41"}},
        {"BESSEL-NEIEZ",
         {"PROJCRS[\"BESSEL-NEIEZ\"", "ELLIPSOID[\"Bessel 1841\",6377397.155,299.1528128",
          "METHOD[\"Mercator Cylindrical Projection with Scale Reduction\"]",
          "PARAMETER[\"scale_factor\",0.997", "PARAMETER[\"false_easting\",3900000"}},
        {"EXAMPLE-TM-SNYDER",
         {"PROJCRS[\"EXAMPLE-TM-SNYDER\"", "METHOD[\"Transverse Mercator per J. P. Snyder\"]",
          "PARAMETER[\"central_meridian\",15", "PARAMETER[\"scale_factor\",0.9996"}},
    };
    for (const Case& c : cases) {
        std::string text = Wkt(Loaded(c.key));
        auto result = wlxtest::Run(
            "/bin/sh", {"-c", "exec projinfo -o WKT2_2019 --single-line \"$1\"", "sh", text});
        ASSERT_EQ(result.exitCode, 0) << c.key << "\n" << result.out << result.err;
        EXPECT_EQ(result.out.find("Warning"), std::string::npos) << c.key << "\n" << result.out;
        EXPECT_EQ(result.out.find("Error"), std::string::npos) << c.key << "\n" << result.out;
        EXPECT_EQ(result.err, "") << c.key;
        for (const std::string& piece : c.expected) {
            EXPECT_NE(result.out.find(piece), std::string::npos) << c.key << ": " << piece << "\n"
                                                                 << result.out;
        }
    }
}

}  // namespace
