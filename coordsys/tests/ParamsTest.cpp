#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/core/CsDictionary.h"
#include "testing/TestSupport.h"

namespace {

class Params : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
    // A valid UTM definition on NAD83 to damage.
    static CsCoordSysDef Utm() {
        CsCoordSysDef def{};
        std::strcpy(def.key, "TEST-UTM");
        std::strcpy(def.datumKey, "NAD83");
        std::strcpy(def.projectionKey, "UTM");
        std::strcpy(def.unit, "METER");
        def.parameters[0] = 10;
        def.parameters[1] = 1;
        def.scaleReduction = 1.0;
        def.mapScale = 1.0;
        def.quadrant = 1;
        return def;
    }
};

TEST_F(Params, EveryShippedSystemChecksAndBuilds) {
    std::FILE* file = CS_openCoordSysDictionary("rb");
    ASSERT_NE(file, nullptr);
    CsCoordSysDef def;
    int systems = 0;
    while (CS_readCoordSysRecord(file, &def, nullptr) == 1) {
        ++systems;
        int errors[8];
        EXPECT_EQ(CS_checkDefinition(&def, kCsCheckDatum | kCsCheckEllipsoid, errors, 8), 0)
            << def.key;
        CsPtr<CsParams> params(CS_loadCoordSys(def.key));
        ASSERT_TRUE(params) << def.key << ": " << CS_lastMessage();
        EXPECT_NE(params->forward, nullptr);
        EXPECT_NE(params->checkCartesian, nullptr);
        // The compiler stored the unit factors the build computes.
        EXPECT_EQ(params->csDef.unitScale, def.unitScale) << def.key;
        EXPECT_EQ(params->csDef.scale, def.scale) << def.key;
    }
    CS_closeDictionary(file);
    EXPECT_GT(systems, 0);
}

TEST_F(Params, LatitudeLongitudeInDegrees) {
    CsPtr<CsParams> params(CS_loadCoordSys("ll84"));
    ASSERT_TRUE(params) << CS_lastMessage();
    EXPECT_EQ(params->projectionCode, 1);
    EXPECT_EQ(params->projectionFlags, 0x0500021Fu);
    EXPECT_EQ(params->csDef.scale, 1.0);
    EXPECT_EQ(params->csDef.unitScale, 111319.49079327358);
    EXPECT_STREQ(params->datum.key, "WGS84");
    EXPECT_STREQ(params->datum.ellipsoidKey, "WGS84");
    EXPECT_EQ(params->datum.equatorialRadius, 6378137.0);
    EXPECT_EQ(params->datum.method, 6);
}

TEST_F(Params, DefinitionErrorsGiveTheirCodes) {
    struct Case {
        const char* what;
        std::function<void(CsCoordSysDef&)> damage;
        int code;  // the last one reported
        const char* message;
    } cases[] = {
        {"map scale 0.5", [](auto& d) { d.mapScale = 0.5; }, 207,
         "TEST-UTM :: Invalid map scale value detected."},
        {"infinite map scale", [](auto& d) { d.mapScale = HUGE_VAL; }, 207, nullptr},
        {"NaN false easting", [](auto& d) { d.falseEasting = std::nan(""); }, 210,
         "TEST-UTM :: Invalid coefficient value specified."},
        {"NaN false northing", [](auto& d) { d.falseNorthing = std::nan(""); }, 210, nullptr},
        {"infinite parameter", [](auto& d) { d.parameters[5] = -HUGE_VAL; }, 210, nullptr},
        {"no datum, no ellipsoid", [](auto& d) { d.datumKey[0] = '\0'; }, 211,
         "TEST-UTM :: System must be referenced to a datum or an ellipsoid."},
        {"unit", [](auto& d) { std::strcpy(d.unit, "FURLONGS"); }, 234,
         "TEST-UTM :: Invalid unit specification detected."},
        {"angular unit for a projection", [](auto& d) { std::strcpy(d.unit, "DEGREE"); }, 234,
         nullptr},
        {"quadrant", [](auto& d) { d.quadrant = 5; }, 240, nullptr},
        {"geographic range", [](auto& d) { d.minLongitude = 10, d.maxLongitude = -10; }, 241,
         nullptr},
        {"cartesian range", [](auto& d) { d.minX = 1, d.maxX = 2, d.minY = 5, d.maxY = 5; }, 242,
         nullptr},
        {"UTM zone", [](auto& d) { d.parameters[0] = 61; }, 246,
         "TEST-UTM :: Invalid value given for UTM zone number."},
        {"unknown projection", [](auto& d) { std::strcpy(d.projectionKey, "FOO"); }, 105,
         "FOO is not a supported projection."},
    };
    for (const Case& c : cases) {
        CsCoordSysDef def = Utm();
        c.damage(def);
        EXPECT_EQ(CS_paramsFromDef(&def), nullptr) << c.what;
        EXPECT_EQ(CS_lastError(), c.code) << c.what;
        if (c.message != nullptr) {
            EXPECT_STREQ(CS_lastMessage(), c.message) << c.what;
        }
    }
}

TEST_F(Params, CheckCountsEveryProblemButStoresWhatFits) {
    CsCoordSysDef def = Utm();
    std::strcpy(def.projectionKey, "TM");
    def.parameters[0] = 200;   // 216
    def.originLatitude = 100;  // 215
    def.scaleReduction = 2;    // 227
    def.datumKey[0] = '\0';    // 211
    def.mapScale = 0.5;        // 207
    int errors[4] = {};
    EXPECT_EQ(CS_checkDefinition(&def, 0, errors, 4), 5);
    EXPECT_EQ(errors[0], 216);
    EXPECT_EQ(errors[1], 215);
    EXPECT_EQ(errors[2], 227);
    EXPECT_EQ(errors[3], 211);
    EXPECT_EQ(CS_checkDefinition(&def, 0, nullptr, 4), 5);

    // Reported in order, so the last stored code is the library's last error.
    EXPECT_EQ(CS_checkDefinition(&def, kCsReportErrors, errors, 4), 5);
    EXPECT_EQ(CS_lastError(), 211);
}

TEST_F(Params, DictionaryOptionsVerifyTheReferences) {
    CsCoordSysDef def = Utm();
    std::strcpy(def.datumKey, "NOSUCHDATUM");
    int errors[4];
    EXPECT_EQ(CS_checkDefinition(&def, 0, errors, 4), 0);
    EXPECT_EQ(CS_checkDefinition(&def, kCsCheckDatum, errors, 4), 1);
    EXPECT_EQ(errors[0], 236);
    def.datumKey[0] = '\0';
    std::strcpy(def.ellipsoidKey, "NOSUCHELLIPSOID");
    EXPECT_EQ(CS_checkDefinition(&def, kCsCheckEllipsoid, errors, 4), 1);
    EXPECT_EQ(errors[0], 237);
}

TEST_F(Params, ProjectionKeysIgnoreLetterCaseAndMapScaleIsForProjections) {
    CsCoordSysDef def = Utm();
    std::strcpy(def.projectionKey, "utm");
    CsPtr<CsParams> params(CS_paramsFromDef(&def));
    ASSERT_TRUE(params) << CS_lastMessage();
    EXPECT_EQ(params->projectionCode, 44);

    CsPtr<CsCoordSysDef> ll(CS_lookupCoordSys("LL84"));
    ASSERT_TRUE(ll);
    ll->mapScale = 0.5;
    params.reset(CS_paramsFromDef(ll.get()));
    EXPECT_TRUE(params) << CS_lastMessage();
}

TEST_F(Params, EllipsoidOnlySystemsGetTheNoDatumBlock) {
    CsCoordSysDef def = Utm();
    def.datumKey[0] = '\0';
    std::strcpy(def.ellipsoidKey, "CLRK66");
    CsPtr<CsParams> params(CS_paramsFromDef(&def));
    ASSERT_TRUE(params) << CS_lastMessage();
    EXPECT_STREQ(params->datum.key, "");
    EXPECT_STREQ(params->datum.ellipsoidKey, "CLRK66");
    EXPECT_STREQ(params->datum.description,
                 "No Datum, cartographically referenced directly to an ellipsoid.");
    EXPECT_EQ(params->datum.method, 0);
    EXPECT_EQ(params->datum.equatorialRadius, 6378206.4);
}

TEST_F(Params, RefusesAnUnusableEllipsoid) {
    CsPtr<CsDatumBlock> datum(CS_loadDatum("NAD83"));
    ASSERT_TRUE(datum);
    CsCoordSysDef def = Utm();
    for (double radius : {0.0, -1.0, std::nan(""), 1e300}) {
        datum->equatorialRadius = radius;
        EXPECT_EQ(CS_buildParams(&def, datum.get()), nullptr);
        EXPECT_EQ(CS_lastError(), 160);
    }
    datum->equatorialRadius = 6378137.0;
    datum->eccentricity = 1.0;
    EXPECT_EQ(CS_buildParams(&def, datum.get()), nullptr);
}

// Copies of the shipped dictionaries, one record damaged per case: the lookup
// refuses it with the library's error, and so does every system built on it.
TEST_F(Params, DamagedDictionaryRecordsAreRefused) {
    struct Case {
        const char* what;
        std::function<void(CsEllipsoidDef&)> ellipsoid;  // damages WGS84
        std::function<void(CsDatumDef&)> datum;          // damages WGS84
        int code;
    } cases[] = {
        {"eccentricity of another figure", [](auto& e) { e.eccentricity = 0.2; }, nullptr, 160},
        {"radius 1e300", [](auto& e) { e.equatorialRadius = 1e300; }, nullptr, 160},
        {"NaN polar radius", [](auto& e) { e.polarRadius = std::nan(""); }, nullptr, 160},
        {"polar radius above the equatorial", [](auto& e) { e.polarRadius = 6400000.0; }, nullptr,
         160},
        {"infinite shift", nullptr, [](auto& d) { d.deltaX = HUGE_VAL; }, 161},
        {"NaN rotation", nullptr, [](auto& d) { d.rotZ = std::nan(""); }, 161},
    };
    const auto ellipsoids = wlxtest::ReadBytes(wlxtest::BinDir() / kCsEllipsoidFile);
    const auto datums = wlxtest::ReadBytes(wlxtest::BinDir() / kCsDatumFile);
    const auto systems = wlxtest::ReadBytes(wlxtest::BinDir() / kCsCoordSysFile);
    for (const Case& c : cases) {
        wlxtest::TempDir dir;
        std::vector<std::uint8_t> e = ellipsoids, d = datums;
        for (std::size_t at = 4; at + kCsEllipsoidRecordSize <= e.size() && c.ellipsoid;
             at += kCsEllipsoidRecordSize) {
            CsEllipsoidDef def;
            CS_decodeEllipsoid(&e[at], &def);
            if (std::strcmp(def.key, "WGS84") != 0) continue;
            c.ellipsoid(def);
            CS_encodeEllipsoid(def, &e[at]);
        }
        for (std::size_t at = 4; at + kCsDatumRecordSize <= d.size() && c.datum;
             at += kCsDatumRecordSize) {
            CsDatumDef def;
            CS_decodeDatum(&d[at], &def);
            if (std::strcmp(def.key, "WGS84") != 0) continue;
            c.datum(def);
            CS_encodeDatum(def, &d[at]);
        }
        wlxtest::WriteBytes(dir / kCsEllipsoidFile, e);
        wlxtest::WriteBytes(dir / kCsDatumFile, d);
        wlxtest::WriteBytes(dir / kCsCoordSysFile, systems);
        ASSERT_EQ(CS_setDictionaryDirectory(dir.path().string().c_str()), 0);
        if (c.ellipsoid) {
            EXPECT_EQ(CsPtr<CsEllipsoidDef>(CS_lookupEllipsoid("WGS84")), nullptr) << c.what;
            EXPECT_EQ(CS_lastError(), c.code) << c.what;
            EXPECT_STREQ(CS_lastMessage(), "Ellipsoid definition with key name WGS84 is invalid.");
        } else {
            EXPECT_EQ(CsPtr<CsDatumDef>(CS_lookupDatum("WGS84")), nullptr) << c.what;
            EXPECT_EQ(CS_lastError(), c.code) << c.what;
            EXPECT_STREQ(CS_lastMessage(), "Datum definition with key name WGS84 is invalid.");
        }
        EXPECT_EQ(CsPtr<CsParams>(CS_loadCoordSys("UTM84-33N")), nullptr) << c.what;
        EXPECT_EQ(CS_lastError(), c.code) << c.what;
        // The other records stand.
        EXPECT_TRUE(CsPtr<CsParams>(CS_loadCoordSys("UTM83-10"))) << c.what;
    }
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
}

TEST_F(Params, ReadsRecordsIntoTheCallersRecord) {
    CsCoordSysDef def;
    EXPECT_EQ(CS_readCoordSysDef("utm83-10", &def), 0);
    EXPECT_STREQ(def.key, "UTM83-10");
    EXPECT_EQ(CS_readCoordSysDef("NOWHERE", &def), -103);
    CsDatumDef datum;
    EXPECT_EQ(CS_readDatumDef("NAD27", &datum), 0);
    EXPECT_STREQ(datum.ellipsoidKey, "CLRK66");
    CsEllipsoidDef ellipsoid;
    EXPECT_EQ(CS_readEllipsoidDef("NOWHERE", &ellipsoid), -135);
}

TEST_F(Params, ForwardZeroesTinyCoordinatesTheInverseDoesNot) {
    CsCoordSysDef def = Utm();
    def.zeroX = 1e-3;
    def.zeroY = 1e-3;
    std::strcpy(def.projectionKey, "TM");
    def.parameters[0] = -123.0;
    def.scaleReduction = 0.9996;
    CsPtr<CsParams> params(CS_paramsFromDef(&def));
    ASSERT_TRUE(params) << CS_lastMessage();
    const double ll[3] = {-123.0, 1e-12, 7.0};
    double xy[3];
    EXPECT_EQ(CS_latLongToXy(params.get(), xy, ll), 0);
    EXPECT_EQ(xy[0], 0.0);
    EXPECT_EQ(xy[1], 0.0);
    EXPECT_EQ(xy[2], 7.0);
    const double tiny[3] = {1e-5, 1e-5, 0.0};
    double back[3];
    EXPECT_EQ(CS_xyToLatLong(params.get(), back, tiny), 0);
    EXPECT_NE(back[1], 0.0);
    EXPECT_NEAR(back[0], -123.0, 1e-9);
}

}  // namespace
