#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "coordsys/core/CsDictionary.h"
#include "testing/TestSupport.h"

namespace {

constexpr char kEllipsoids[] = R"([WGS84]
description = World Geodetic System of 1984
equatorialRadius = 6378137.0
inverseFlattening = 298.257223563
)";

constexpr char kDatums[] = R"([WGS84]
ellipsoid = WGS84
method = wgs84
)";

constexpr char kSystems[] = R"(# a comment
[LL84]
datum = WGS84
projection = LL
unit = DEGREE

[utm84-31n]
datum = WGS84
projection = UTM
unit = METER
param1 = 31
param2 = 1
)";

class DictionaryCompiler : public ::testing::Test {
protected:
    wlxtest::ProcessResult Compile(const std::string& ellipsoids, const std::string& datums,
                                   const std::string& systems) {
        wlxtest::WriteText(dir_ / "e.csdef", ellipsoids);
        wlxtest::WriteText(dir_ / "d.csdef", datums);
        wlxtest::WriteText(dir_ / "c.csdef", systems);
        return wlxtest::Run(WLX_DICTIONARY_COMPILER,
                            {(dir_ / "e.csdef").string(), (dir_ / "d.csdef").string(),
                             (dir_ / "c.csdef").string(), dir_.path().string()});
    }
    bool Written() const {
        return std::filesystem::exists(dir_ / kCsEllipsoidFile) ||
               std::filesystem::exists(dir_ / kCsDatumFile) ||
               std::filesystem::exists(dir_ / kCsCoordSysFile);
    }
    wlxtest::TempDir dir_;
};

TEST_F(DictionaryCompiler, WritesDictionariesTheLibraryReads) {
    auto result = Compile(kEllipsoids, kDatums, kSystems);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(wlxtest::ReadBytes(dir_ / kCsCoordSysFile).size(), 4u + 2 * 728);
    ASSERT_EQ(CS_setDictionaryDirectory(dir_.path().string().c_str()), 0);
    CsPtr<CsCoordSysDef> utm(CS_lookupCoordSys("UTM84-31N"));
    ASSERT_TRUE(utm) << CS_lastMessage();
    EXPECT_STREQ(utm->key, "utm84-31n");
    EXPECT_EQ(utm->quadrant, 1);
    EXPECT_EQ(utm->scaleReduction, 1.0);
    EXPECT_EQ(utm->scale, 1.0);
    EXPECT_TRUE(CsPtr<CsDatumDef>(CS_lookupDatum("wgs84")));
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
}

TEST_F(DictionaryCompiler, RefusesFlawedSourcesAndWritesNothing) {
    const std::string system = "[X]\ndatum = WGS84\nprojection = UTM\nunit = METER\nparam1 = 31\n";
    struct Case {
        std::string ellipsoids, datums, systems;
        std::string message;
    } cases[] = {
        {kEllipsoids, kDatums, system + "colour = red\n", "c.csdef:6: unknown field 'colour'"},
        {kEllipsoids, kDatums, system + "param2 = north\n",
         "c.csdef:6: param2 is not a number: north"},
        {kEllipsoids, kDatums, "[A  B]\n", "c.csdef:1: 'A  B' is not a valid key name"},
        {kEllipsoids, kDatums, system + "\n[x]\n" + system.substr(4),
         "c.csdef:7: key x repeats the key of line 1"},
        {kEllipsoids, kDatums, "[X]\ndatum = NAD27\nprojection = UTM\nunit = METER\nparam1 = 1\n",
         "c.csdef:1: datum 'NAD27' is not defined"},
        {kEllipsoids, kDatums, "[X]\ndatum = WGS84\nprojection = tm\nunit = METER\n",
         "c.csdef:1: 'tm' is not a supported projection"},
        {kEllipsoids, kDatums, "[X]\ndatum = WGS84\nprojection = UTM\nunit = METER\nparam1 = 61\n",
         "c.csdef:1: X :: Invalid value given for UTM zone number."},
        {kEllipsoids, kDatums, "[X]\ndatum = WGS84\nprojection = LL\nunit = FURLONG\n",
         "c.csdef:1: X :: Invalid unit specification detected."},
        {kEllipsoids, "[D]\nellipsoid = GRS1980\nmethod = wgs84\n", kSystems,
         "d.csdef:1: ellipsoid 'GRS1980' is not defined"},
        {kEllipsoids, "[D]\nellipsoid = WGS84\nmethod = carrier-pigeon\n", kSystems,
         "d.csdef:3: unknown datum method 'carrier-pigeon'"},
        {"[E]\nequatorialRadius = 6378137\n", kDatums, kSystems,
         "e.csdef:1: give exactly one of polarRadius and inverseFlattening"},
    };
    for (const Case& c : cases) {
        auto result = Compile(c.ellipsoids, c.datums, c.systems);
        EXPECT_EQ(result.exitCode, 1) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos)
            << "expected: " << c.message << "\ngot: " << result.err;
        EXPECT_FALSE(Written()) << c.message;
    }
}

}  // namespace
