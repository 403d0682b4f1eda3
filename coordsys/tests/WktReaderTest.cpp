#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CoordTransform.h"
#include "coordsys/CsParams.h"
#include "coordsys/CsWktFamilies.h"
#include "coordsys/CsWktNames.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "coordsys/tests/CoordSysTestSupport.h"
#include "projections/ProjectionTable.h"
#include "testing/TestSupport.h"

namespace {

using coordsystest::Loaded;
using coordsystest::LocalFeet;
using coordsystest::UseDictionaries;

// Whether two numbers agree to what 11 written decimals keep.
bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-10 * std::fmax(1.0, std::fabs(a));
}

// Every field a descriptor carries, the unit's name in any letter case as
// the library's lookups take it.
void ExpectSameDefinition(const CCoordSysDescriptor& expected, const CCoordSysDescriptor& actual,
                          const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(actual.key, expected.key);
    EXPECT_EQ(actual.description, expected.description);
    EXPECT_EQ(actual.group, expected.group);
    EXPECT_EQ(actual.projectionKey, expected.projectionKey);
    EXPECT_TRUE(CS_stricmp(actual.unit.c_str(), expected.unit.c_str()) == 0)
        << actual.unit << " vs " << expected.unit;
    const double expectedNumbers[] = {expected.originLongitude,
                                      expected.originLatitude,
                                      expected.falseEasting,
                                      expected.falseNorthing,
                                      expected.scaleReduction,
                                      expected.unitScale,
                                      expected.mapScale,
                                      expected.scale,
                                      expected.deltaX,
                                      expected.deltaY,
                                      expected.deltaZ,
                                      expected.rotX,
                                      expected.rotY,
                                      expected.rotZ,
                                      expected.bwScale,
                                      expected.equatorialRadius,
                                      expected.polarRadius};
    const double actualNumbers[] = {actual.originLongitude,
                                    actual.originLatitude,
                                    actual.falseEasting,
                                    actual.falseNorthing,
                                    actual.scaleReduction,
                                    actual.unitScale,
                                    actual.mapScale,
                                    actual.scale,
                                    actual.deltaX,
                                    actual.deltaY,
                                    actual.deltaZ,
                                    actual.rotX,
                                    actual.rotY,
                                    actual.rotZ,
                                    actual.bwScale,
                                    actual.equatorialRadius,
                                    actual.polarRadius};
    for (std::size_t i = 0; i < std::size(expectedNumbers); ++i) {
        EXPECT_TRUE(Near(actualNumbers[i], expectedNumbers[i]))
            << "number " << i << ": " << actualNumbers[i] << " vs " << expectedNumbers[i];
    }
    for (int i = 0; i < 24; ++i) {
        EXPECT_TRUE(Near(actual.parameters[i], expected.parameters[i])) << "parameter " << i;
    }
    EXPECT_EQ(actual.datumKey, expected.datumKey);
    EXPECT_EQ(actual.datumDescription, expected.datumDescription);
    EXPECT_EQ(actual.datumMethod, expected.datumMethod);
    EXPECT_EQ(actual.ellipsoidKey, expected.ellipsoidKey);
    EXPECT_EQ(actual.ellipsoidDescription, expected.ellipsoidDescription);
}

TEST(WktSplit, SplitsOneClauseIntoKeywordAndElements) {
    struct Case {
        const char* text;
        bool ok;
        const char* keyword;
        std::vector<std::string> elements;
    } cases[] = {
        {"X[ \"a b\" , 12 ,]", true, "X", {"a b", "12"}},
        {"X[a,,b]", true, "X", {"a", "", "b"}},
        {"X[]", true, "X", {}},
        {"X[a,]", true, "X", {"a"}},
        {"  UNIT [\"Foot\",\t0.3]\r\n", true, "UNIT", {"Foot", "0.3"}},
        {"DATUM[\"D\",SPHEROID[\"S, 1\",1,2],TOWGS84[0]]",
         true,
         "DATUM",
         {"D", "SPHEROID[\"S, 1\",1,2]", "TOWGS84[0]"}},
        {"A[\"x,y]", true, "A", {"x,y"}},  // an unclosed quote keeps its commas
        {"X[a]]", false, "", {}},
        {"X[[a]", false, "", {}},
        {"X[a", false, "", {}},
        {"Xa]", false, "", {}},
        {"[a]", false, "", {}},
        {"X[\"]\"]", false, "", {}},  // brackets count inside quotes too
    };
    for (const Case& c : cases) {
        std::string keyword;
        std::vector<std::string> elements;
        EXPECT_EQ(SplitWktClause(c.text, keyword, elements), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(keyword, c.keyword) << c.text;
        EXPECT_EQ(elements, c.elements) << c.text;
    }
}

TEST(WktSplit, FindsTheLastElementOfAKeywordAndCollectsParameters) {
    std::vector<std::string> elements = {
        "unit x",        "UNIT[\"a\",1]",    "PARAMETER[\"p\",2,9]",
        "unit[\"b\",2]", "PARAMETER[\"q\"]", "PARAMETER[x"};
    ASSERT_NE(FindWktElement(elements, "UNIT"), nullptr);
    EXPECT_EQ(*FindWktElement(elements, "UNIT"), "unit[\"b\",2]");
    EXPECT_EQ(FindWktElement(elements, ""), nullptr);
    EXPECT_EQ(FindWktElement(elements, "PRIMEM"), nullptr);
    CsWktParameterList parameters = CollectWktParameters(elements);
    EXPECT_EQ(parameters.names, std::vector<std::string>{"p"});
    EXPECT_EQ(parameters.values, std::vector<std::string>{"2"});
}

TEST(WktReader, ReadsBackWhatTheWriterWrote) {
    struct Case {
        const char* what;
        CsParams definition;
    } cases[] = {
        {"LL84", Loaded("LL84")},
        {"WORLD-LL", Loaded("WORLD-LL")},
        {"UTM83-10", Loaded("UTM83-10")},
        {"BritishNatGrid", Loaded("BritishNatGrid")},
        {"DHDN-GK3", Loaded("DHDN-GK3")},
        {"ZA94-LO29", Loaded("ZA94-LO29")},
        {"WGS84-MERC41", Loaded("WGS84-MERC41")},
        {"BESSEL-NEIEZ", Loaded("BESSEL-NEIEZ")},
        {"EXAMPLE-TM-SNYDER", Loaded("EXAMPLE-TM-SNYDER")},
        {"*XY-FT*", LocalFeet()},
    };
    for (Case& c : cases) {
        std::string text;
        ASSERT_EQ(WriteWkt(c.definition, text), kWktOk) << c.what;
        CsParams read;
        ASSERT_EQ(ReadWkt(text, &read), kWktOk) << c.what << "\n" << text;
        EXPECT_EQ(CS_quadrantFlags(read.csDef.quadrant),
                  CS_quadrantFlags(c.definition.csDef.quadrant))
            << c.what;
        ExpectSameDefinition(CCoordSysDescriptor(c.definition), CCoordSysDescriptor(read), c.what);
        // And the text it writes again is the same.
        std::string again;
        ASSERT_EQ(WriteWkt(read, again), kWktOk) << c.what;
        EXPECT_EQ(again, text) << c.what;
    }
}

TEST(WktReader, SetsTheSystemUp) {
    std::string text;
    ASSERT_EQ(WriteWkt(Loaded("UTM83-10"), text), kWktOk);
    CsParams read;
    ASSERT_EQ(ReadWkt(text, &read), kWktOk);
    EXPECT_EQ(read.projectionCode, kCsProjUtm);
    ASSERT_NE(read.forward, nullptr);
    // Zone 10's central meridian on the equator.
    const double ll[3] = {-123.0, 0.0, 0.0};
    double xy[3];
    CS_latLongToXy(&read, xy, ll);
    EXPECT_NEAR(xy[0], 500000.0, 1e-6);
    EXPECT_NEAR(xy[1], 0.0, 1e-6);
}

TEST(WktReader, ReadsTheDefaultDescriptorAsLl84) {
    CsParams block{};
    CCoordSysDescriptor().ExportDefinition(block);
    std::string text;
    ASSERT_EQ(WriteWkt(block, text), kWktOk);
    UseDictionaries();
    CsParams read;
    ASSERT_EQ(ReadWkt(text, &read), kWktOk);
    EXPECT_STREQ(read.csDef.key, "LL84");
    EXPECT_STREQ(read.csDef.projectionKey, "LL");
    EXPECT_STREQ(read.csDef.datumKey, "WGS84");
    EXPECT_STREQ(read.datum.ellipsoidKey, "WGS84");
    EXPECT_STREQ(read.csDef.unit, "Degree");
    EXPECT_EQ(read.csDef.scale, 1.0);
    EXPECT_EQ(read.csDef.quadrant, 1);
    EXPECT_EQ(read.projectionCode, kCsProjLl);
}

TEST(WktReader, ReadsEveryPrimeMeridianTheWriterNames) {
    CsParams definition = Loaded("LL84");
    for (const CsWktPrimeMeridian& meridian : cs_WktPrimeMeridians) {
        definition.csDef.originLongitude = meridian.longitude;
        std::string text;
        ASSERT_EQ(WriteWkt(definition, text), kWktOk);
        ASSERT_NE(text.find(std::string("PRIMEM[\"") + meridian.name + "\""), std::string::npos)
            << text;
        CsParams read;
        ASSERT_EQ(ReadWkt(text, &read), kWktOk) << meridian.name;
        EXPECT_TRUE(Near(read.csDef.originLongitude, meridian.longitude)) << meridian.name;
    }
    definition.csDef.originLongitude = 45.0;  // no meridian of the table
    std::string text;
    ASSERT_EQ(WriteWkt(definition, text), kWktOk);
    EXPECT_NE(text.find("PRIMEM[\"prime meridian\",45]"), std::string::npos) << text;
    CsParams read;
    EXPECT_EQ(ReadWkt(text, &read), kWktOk);
}

// Every family's PARAMETERs come back into the fields they were written
// from, built or not.
TEST(WktReader, ReadsEveryFamilysParameters) {
    CsParams definition = Loaded("LL84");
    for (const CsWktFamily& family : cs_WktFamilies) {
        for (const char* key : family.keys) {
            if (key == nullptr) break;
            CsCoordSysDef& def = definition.csDef;
            std::strcpy(def.projectionKey, key);
            for (int i = 0; i < 24; ++i) def.parameters[i] = 10.5 + i;
            def.originLongitude = -1.25;
            def.originLatitude = 2.5;
            def.falseEasting = 1000.75;
            def.falseNorthing = -2000.5;
            def.scaleReduction = 0.75;
            def.quadrant = -3;
            if (family.kind == ECsWktFamilyKind::kUtm) {
                def.parameters[0] = 17.0;
                def.parameters[1] = -1.0;
            }
            std::string projection;
            ASSERT_EQ(WriteWktProjection(definition, projection), kWktOk) << key;
            CsParams read;
            ClearWktDefinition(&read);
            ASSERT_EQ(ReadWktProjection("PROJCS[\"x\"," + projection + "]", &read), kWktOk)
                << projection;
            EXPECT_STREQ(read.csDef.projectionKey, key);
            EXPECT_EQ(read.projectionCode, CS_projectionLookupExact(key)->code) << key;
            EXPECT_EQ(read.csDef.quadrant, family.quadrant ? -3 : 1) << key;
            if (family.kind == ECsWktFamilyKind::kUtm) {
                EXPECT_EQ(read.csDef.parameters[0], 17.0) << key;
                EXPECT_EQ(read.csDef.parameters[1], -1.0) << key;
                EXPECT_EQ(read.csDef.scaleReduction, 0.75) << key;
                continue;
            }
            for (const CsWktParameter& parameter : family.parameters) {
                EXPECT_EQ(WktFieldOf(read.csDef, parameter.field), WktFieldOf(def, parameter.field))
                    << key << " " << parameter.name;
            }
        }
    }
}

TEST(WktReader, TakesTheNamesOfTheAliasTables) {
    const char* albers[] = {"\"Albers Conical Equal Area\"", "Albers_Conical_Equal_Area",
                            "albers conical equal-area", "\"AE\""};
    for (const char* name : albers) {
        CsParams read;
        ClearWktDefinition(&read);
        EXPECT_EQ(ReadWktProjection(std::string("PROJCS[\"x\",PROJECTION[") + name + "]]", &read),
                  kWktOk)
            << name;
        EXPECT_STREQ(read.csDef.projectionKey, "AE") << name;
    }
    EXPECT_STREQ(WktKeyOfName(cs_WktDatumNames, "D_North_American_1927"), "NAD27");
    EXPECT_STREQ(WktKeyOfName(cs_WktDatumNames, "None"), "");
    EXPECT_STREQ(WktKeyOfName(cs_WktEllipsoidNames, "GRS_1980"), "GRS1980");
    EXPECT_EQ(WktNameOfKey(cs_WktDatumNames, "NAD27"), "NAD 27");
    EXPECT_EQ(WktNameOfKey(cs_WktDatumNames, ""), "None");
    EXPECT_EQ(WktNameOfKey(cs_WktDatumNames, "MYDATUM"), "MYDATUM");
}

TEST(WktReader, ReadsProjectionDefaultsAndSpecialForms) {
    struct Case {
        const char* parameters;
        const char* key;
        WktStatus status;
        std::vector<double> expected;  // p0, p1, lat0, scale, fe, fn, quadrant
    } cases[] = {
        {"PROJECTION[\"TM\"],PARAMETER[\"central_meridian\",9]",
         "TM",
         kWktOk,
         {9, 0, 0, 1, 0, 0, 1}},
        {"PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"zone\",-32],"
         "PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"VLSM_quadrant\",2]",
         "UTM",
         kWktOk,
         {32, -1, 0, 0.9996, 0, 0, 2}},
        {"PROJECTION[\"UTM\"]", "UTM", kWktOk, {1, 1, 0, 0.9996, 0, 0, 1}},
        {"PROJECTION[\"TM\"],PARAMETER[\"false_easting\",abc]",
         "TM",
         kWktOk,
         {0, 0, 0, 1, 0, 0, 1}},
        {"PROJECTION[\"PSTERO\"],PARAMETER[\"latitude_of_origin\",-90]",
         "PSTERO",
         kWktOk,
         {0, 0, -90, 0.994, 2000000, 2000000, 1}},
        {"PROJECTION[\"Polar_Stereographic\"]", "PSTERO", kWktLatitudeOfOrigin, {}},
        {"PROJECTION[\"Latitude/Longitude\"]", "LL", kWktProjectionName, {}},
        {"PROJECTION[\"Robinsonian\"]", "", kWktProjectionName, {}},
        {"PARAMETER[\"central_meridian\",9]", "", kWktProjcs, {}},
    };
    for (const Case& c : cases) {
        CsParams read;
        ClearWktDefinition(&read);
        std::string text = std::string("PROJCS[\"x\",") + c.parameters + "]";
        EXPECT_EQ(ReadWktProjection(text, &read), c.status) << text;
        EXPECT_STREQ(read.csDef.projectionKey, c.key) << text;
        if (c.expected.empty()) continue;
        const CsCoordSysDef& d = read.csDef;
        std::vector<double> actual = {d.parameters[0],   d.parameters[1], d.originLatitude,
                                      d.scaleReduction,  d.falseEasting,  d.falseNorthing,
                                      double(d.quadrant)};
        EXPECT_EQ(actual, c.expected) << text;
    }

    CsParams alaska;
    ClearWktDefinition(&alaska);
    ASSERT_EQ(ReadWktProjection("PROJCS[\"x\",PROJECTION[\"Hotine Oblique Mercator\"]]", &alaska),
              kWktOk);
    const CsCoordSysDef& d = alaska.csDef;
    EXPECT_EQ(
        (std::vector<double>{d.parameters[0], d.parameters[1], d.parameters[2], d.scaleReduction,
                             d.falseEasting, d.falseNorthing}),
        (std::vector<double>{-133.666666666667, 57, -36.8698976458333, 0.9999, 5000000, -5000000}));
}

TEST(WktReader, ReadsTheSpheroidFromTheText) {
    UseDictionaries();
    struct Case {
        const char* text;
        WktStatus status;
        const char* key;
        double polarRadius;
        double flattening;
    } cases[] = {
        {"SPHEROID[\"WGS 84\",6378137,298.257223563]", kWktOk, "WGS84", 6356752.314245179,
         1 / 298.257223563},
        {"SPHEROID[\"WGS 84\",6378137,0]", kWktOk, "WGS84", 6378137, 0},
        {"SPHEROID[\"\",6370997,0]", kWktOk, "", 6370997, 0},
        {"SPHEROID[\"Airy_1830\",6377563.396,299.3249646]", kWktOk, "AIRY",
         6377563.396 * (1 - 1 / 299.3249646), 1 / 299.3249646},
        {"SPHEROID[\"Unheard Of 1900\",6378000,300]", kWktEllipsoid, "", 0, 0},
        {"SPHEROID[\"WGS 84\",6378137]", kWktEllipsoid, "", 0, 0},
        {"ELLIPSOID[\"WGS 84\",6378137,298.257223563]", kWktEllipsoid, "", 0, 0},
        {"SPHEROID[\"WGS 84\",0,298.257223563]", kWktEllipsoid, "WGS84", 0, 0},
        {"SPHEROID[\"WGS 84\",6378137,0.5]", kWktInverseFlattening, "WGS84", 0, 0},
    };
    for (const Case& c : cases) {
        CsParams read;
        ClearWktDefinition(&read);
        EXPECT_EQ(ReadWktSpheroid(c.text, &read), c.status) << c.text;
        EXPECT_STREQ(read.datum.ellipsoidKey, c.key) << c.text;
        if (c.status != kWktOk) continue;
        EXPECT_STREQ(read.csDef.ellipsoidKey, c.key) << c.text;
        EXPECT_NEAR(read.datum.polarRadius, c.polarRadius, 1e-6) << c.text;
        EXPECT_DOUBLE_EQ(read.datum.flattening, c.flattening) << c.text;
    }
    CsParams read;
    ClearWktDefinition(&read);
    ASSERT_EQ(ReadWktSpheroid("SPHEROID[\"Airy 1830\",6377563.396,299.3249646]", &read), kWktOk);
    EXPECT_STREQ(read.datum.ellipsoidDescription, "Airy 1830");  // from the dictionary
}

TEST(WktReader, ReadsLocalSystems) {
    struct Case {
        const char* text;
        WktStatus status;
        const char* key;
        const char* projection;
        const char* unit;
    } cases[] = {
        {"LOCALCS[\"*XY-IFT*\",LOCAL_DATUM[\"*X-Y*\",10000],UNIT[\"IFoot\", 0.3048],"
         "AXIS[\"X\",EAST],AXIS[\"Y\",NORTH]]",
         kWktOk, "*XY-IFT*", "*X-Y*", "IFoot"},
        {"LOCAL_CS[\"Non-Earth (Meter)\",LOCAL_DATUM[\"Local Datum\",0],UNIT[\"Meter\",1.0],"
         "AXIS[\"X\",EAST],AXIS[\"Y\",NORTH]]",
         kWktOk, "Meter", "NERTH", "Meter"},
        {"LOCAL_CS[\"Nonearth Feet\",UNIT[\"Foot\",0.3048006096012192]]", kWktOk, " Feet", "NERTH",
         "Foot"},
        {"LOCALCS[\"Non-Earth (Meter)\",UNIT[\"metre\",1]]", kWktOk, "Non-Earth (Meter)", "NERTH",
         "Meter"},
        {"LOCALCS[\"x\"]", kWktComponents, "", "", ""},
        {"LOCALCS[\"x\",LOCAL_DATUM[\"*X-Y*\",10000]]", kWktLinearUnits, "x", "*X-Y*", ""},
        {"LOCALCS[\"x\",UNIT[\"Furlongs\",3]]", kWktLinearUnits, "x", "NERTH", ""},
        {"LOCAL[\"x\",UNIT[\"Meter\",1]]", kWktLocalcs, "", "", ""},
    };
    for (const Case& c : cases) {
        CsParams read;
        ClearWktDefinition(&read);
        EXPECT_EQ(ReadWktLocalSystem(c.text, &read), c.status) << c.text;
        EXPECT_STREQ(read.csDef.key, c.key) << c.text;
        EXPECT_STREQ(read.csDef.projectionKey, c.projection) << c.text;
        EXPECT_STREQ(read.csDef.unit, c.unit) << c.text;
        if (c.status != kWktOk) continue;
        EXPECT_STREQ(read.csDef.datumKey, "*X-Y*");
        EXPECT_STREQ(read.datum.ellipsoidKey, "*X-Y*");
        EXPECT_EQ(read.csDef.scale, 1.0 / read.csDef.unitScale);
    }
}

TEST(WktReader, RefusesMalformedAndUnsupportedTexts) {
    UseDictionaries();
    const std::string geogcs =
        "GEOGCS[\"G\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
        "PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",0.0174532925199433]]";
    struct Case {
        std::string text;
        WktStatus status;
    } cases[] = {
        {"FOO[\"x\"]", kWktUnsupportedCs},
        {"GEOGCS \"x\"", kWktString},
        {"X[a]]", kWktString},
        {"X[[a]", kWktString},
        {"", kWktString},
        {"GEOGCS[\"G\",PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",0.0174532925199433]]", kWktDatum},
        {"GEOGCS[\"G\",DATUM[\"WGS 84\"],PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",1]]",
         kWktEllipsoid},
        {"GEOGCS[\"G\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
         "UNIT[\"Degrees\",0.0174532925199433]]",
         kWktPrimeMeridian},
        {"GEOGCS[\"G\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
         "PRIMEM[\"Atlantis\",0],UNIT[\"Degrees\",0.0174532925199433]]",
         kWktPrimeMeridian},
        {"GEOGCS[\"G\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
         "PRIMEM[\"Greenwich\",0]]",
         kWktNoAngularUnit},
        {"GEOGCS[\"G\",DATUM[\"WGS 84\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
         "PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\",0]]",
         kWktNoAngularUnit},
        {"PROJCS[\"P\",PROJECTION[\"TM\"],UNIT[\"Meter\",1]]", kWktGeogcs},
        {"PROJCS[\"P\",GEOGCX[\"G\"],PROJECTION[\"TM\"],UNIT[\"Meter\",1]]", kWktGeogcs},
        {"PROJCS[\"P\"," + geogcs + ",PROJECTION[\"Latitude/Longitude\"],UNIT[\"Meter\",1]]",
         kWktProjectionName},
        {"PROJCS[\"P\"," + geogcs + ",PROJECTION[\"Winkel Tripel\"],UNIT[\"Meter\",1]]",
         kWktProjectionName},
        {"PROJCS[\"P\"," + geogcs + ",PROJECTION[\"TM\"]]", kWktLinearUnits},
        {"PROJCS[\"P\"," + geogcs + ",PROJECTION[\"TM\"],UNIT[\"Meter\",\"x\"]]", kWktLinearUnits},
        {"PROJCS[\"P\"," + geogcs + ",PROJECTION[\"TM\"],UNIT[\"Meter\",1],]]", kWktString},
    };
    for (const Case& c : cases) {
        CsParams read;
        std::memset(&read, 0x5A, sizeof read);
        EXPECT_EQ(ReadWkt(c.text, &read), c.status) << c.text;
        CsParams empty;
        ClearWktDefinition(&empty);
        EXPECT_EQ(std::memcmp(&read, &empty, sizeof read), 0) << c.text;
    }
    // A trailing comma before a closing bracket is no element.
    CsParams read;
    EXPECT_EQ(ReadWkt("PROJCS[\"P\"," + geogcs + ",PROJECTION[\"TM\"],UNIT[\"Meter\",1],]", &read),
              kWktOk);
    EXPECT_EQ(ReadWkt(u"GEOGCS[\"\xD800\"]", &read), kWktString);
    EXPECT_EQ(ReadWkt(static_cast<const char16_t*>(nullptr), &read), kWktMissingArgument);
    EXPECT_EQ(ReadWkt(std::string_view("x"), nullptr), kWktMissingArgument);
}

// Every prefix of a text, and the text with any one character replaced by a
// delimiter, reads to a status of the family, never a crash.
TEST(WktReader, ReadsDamagedTextsToAStatus) {
    std::string text;
    ASSERT_EQ(WriteWkt(Loaded("BritishNatGrid"), text), kWktOk);
    auto read = [](const std::string& damaged) {
        CsParams out;
        WktStatus status = ReadWkt(damaged, &out);
        EXPECT_TRUE(status == kWktOk || IsWktStatus(status)) << std::hex << status << "\n"
                                                             << damaged;
        return status;
    };
    for (std::size_t length = 0; length < text.size(); ++length) {
        EXPECT_NE(read(text.substr(0, length)), kWktOk) << length;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (char c : {'[', ']', '"', ',', '\0', ' '}) {
            std::string damaged = text;
            damaged[i] = c;
            read(damaged);
        }
    }
}

// What other software writes: the common WKT of NAD83 / UTM zone 10N.
TEST(WktReader, ReadsCommonWkt) {
    UseDictionaries();
    const char* text =
        "PROJCS[\"NAD83 / UTM zone 10N\",GEOGCS[\"NAD83\",DATUM[\"North_American_Datum_1983\","
        "SPHEROID[\"GRS 1980\",6378137,298.257222101,AUTHORITY[\"EPSG\",\"7019\"]],"
        "TOWGS84[0,0,0,0,0,0,0],AUTHORITY[\"EPSG\",\"6269\"]],PRIMEM[\"Greenwich\",0,"
        "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,"
        "AUTHORITY[\"EPSG\",\"9122\"]],AUTHORITY[\"EPSG\",\"4269\"]],"
        "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],"
        "PARAMETER[\"central_meridian\",-123],PARAMETER[\"scale_factor\",0.9996],"
        "PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\",0],"
        "UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]],AXIS[\"Easting\",EAST],"
        "AXIS[\"Northing\",NORTH],AUTHORITY[\"EPSG\",\"26910\"]]";
    CsParams read;
    ASSERT_EQ(ReadWkt(text, &read), kWktOk);
    const CsCoordSysDef& d = read.csDef;
    EXPECT_STREQ(d.key, "NAD83 / UTM zone 10N");
    EXPECT_STREQ(d.projectionKey, "TM");
    EXPECT_STREQ(d.datumKey, "NAD83");
    EXPECT_STREQ(d.ellipsoidKey, "GRS1980");
    EXPECT_STREQ(d.unit, "Meter");
    EXPECT_EQ(d.parameters[0], -123.0);
    EXPECT_EQ(d.scaleReduction, 0.9996);
    EXPECT_EQ(d.falseEasting, 500000.0);
    const double ll[3] = {-123.0, 45.0, 0.0};
    double xy[3];
    CS_latLongToXy(&read, xy, ll);
    EXPECT_NEAR(xy[0], 500000.0, 1e-6);
    EXPECT_NEAR(xy[1], 4982950.400, 1e-3);  // cs2cs +proj=utm +zone=10 +ellps=GRS80
}

}  // namespace
