// NADCON, NTv1 and ATS77 grids reached through their grid-shift catalogs, in
// a scratch dictionary directory with small grid files the tests write: the
// shifts at nodes both ways, the choice among overlapping files, coverage
// misses, the direction of ATS77 files and the catalogs' refusals.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "coordsys/DatumConverter.h"
#include "coordsys/GridCatalog.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/Ats77File.h"
#include "coordsys/tests/DatumConverterTestKit.h"
#include "testing/GridFixtures.h"
#include "testing/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using convertertest::ConverterPtr;
using convertertest::Datum;
using convertertest::Steps;

const CsDatumBlock kNad27 = Datum("NAD27", 4, 6378206.4, 0.0822718542230039);
const CsDatumBlock kNad83 = Datum("NAD83", 5, 6378137.0, 0.0818191910428158);
const CsDatumBlock kHarn = Datum("HARN", 8, 6378137.0, 0.0818191910428158);
const CsDatumBlock kWgs84 = Datum("WGS84", 6, 6378137.0, 0.0818191908426215);
const CsDatumBlock kAts77 = Datum("ATS77", 16, 6378135.0, 0.0818188106627487);

class GridCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Coordsys.CSD", "Datums.CSD", "Elipsoid.CSD"}) {
            fs::copy_file(wlxtest::BinDir() / name, dir_ / name);
        }
        ASSERT_EQ(CS_setDictionaryDirectory(dir_.path().string().c_str()), 0);
    }
    void TearDown() override { CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()); }
    void Write(const std::string& name, const std::string& text) {
        wlxtest::WriteText(dir_ / name, text);
    }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        wlxtest::WriteBytes(dir_ / name, bytes);
    }
    wlxtest::TempDir dir_;
};

// The shift at a node of the fixtures' smooth function, as a grid of floats
// (NADCON) or doubles (NTv1) holds it: longitude positive west.
std::pair<double, double> NodeShifted(double lon, double lat, bool asFloat, double offset = 0) {
    auto [dLat, dLon] = datumtest::SmoothShift(lon, lat);
    dLat += offset;
    dLon += offset;
    if (asFloat) {
        dLat = static_cast<float>(dLat);
        dLon = static_cast<float>(dLon);
    }
    return {lon - dLon / 3600.0, lat + dLat / 3600.0};
}

// NAD27 to NAD83 and NAD83 to HARN through a NADCON pair named "L?S", and
// NAD27 to NAD83 through an NTv1 file: the node's shift forward, the
// iteration back, and a point beyond the files with the family's warning.
TEST_F(GridCatalog, NadconAndNtv1FilesShiftBothWays) {
    Write("small.los", datumtest::SmallNadcon(false));
    Write("small.las", datumtest::SmallNadcon(true));
    Write("hpgnsm.los", datumtest::SmallNadcon(false));
    Write("hpgnsm.las", datumtest::SmallNadcon(true));
    Write("ntv1.dac", datumtest::SmallNtv1(true));
    struct Case {
        const char* catalog;
        const char* text;
        const CsDatumBlock *from, *to;
        std::vector<int> steps;
        double node[2];
        bool floats;
        int missWarning;
    };
    const Case cases[] = {
        {"Nad27ToNad83.gdc", "./small.l?s\n", &kNad27, &kNad83, {4}, {-99.75, 35.5}, true, 335},
        {"Nad83ToHarn.gdc",
         "./HPGNSM.L?S # any case\n",
         &kWgs84,
         &kHarn,
         {1005, 9},
         {-97.0, 36.0},
         true,
         337},
        {"Nad27ToNad83.gdc",
         "./ntv1.dac, 4096\n",
         &kNad27,
         &kNad83,
         {4},
         {-65.5, 44.75},
         false,
         335},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.catalog) + ": " + c.text);
        Write(c.catalog, c.text);
        ConverterPtr forward(CS_datumConverterBuild(c.from, c.to, 1));
        ASSERT_TRUE(forward) << CS_lastMessage();
        EXPECT_EQ(Steps(forward.get()), c.steps);
        ConverterPtr inverse(CS_datumConverterBuild(c.to, c.from, 1));
        ASSERT_TRUE(inverse) << CS_lastMessage();
        const auto [lon, lat] = NodeShifted(c.node[0], c.node[1], c.floats);
        const double in[3] = {c.node[0], c.node[1], 30.0};
        double out[3], back[3];
        ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0) << CS_lastMessage();
        EXPECT_NEAR(out[0], lon, 1e-12);
        EXPECT_NEAR(out[1], lat, 1e-12);
        EXPECT_EQ(out[2], 30.0);
        ASSERT_EQ(CS_datumConvert(inverse.get(), out, back), 0) << CS_lastMessage();
        EXPECT_NEAR(back[0], in[0], 1e-9);
        EXPECT_NEAR(back[1], in[1], 1e-9);
        // A point between the nodes comes back too.
        const double between[3] = {c.node[0] + 0.1, c.node[1] + 0.07, 0.0};
        ASSERT_EQ(CS_datumConvert(forward.get(), between, out), 0);
        ASSERT_EQ(CS_datumConvert(inverse.get(), out, back), 0);
        EXPECT_NEAR(back[0], between[0], 1e-9);
        EXPECT_NEAR(back[1], between[1], 1e-9);
        const double away[3] = {-80.5, 30.5, 0.0};
        EXPECT_EQ(CS_datumConvert(forward.get(), away, out), 1);
        EXPECT_EQ(CS_lastError(), c.missWarning);
        EXPECT_EQ(out[0], away[0]);
        EXPECT_EQ(out[1], away[1]);
    }
}

// Two NTv1 files over one area whose shifts differ by a second: the catalog's
// densities choose, the finer whatever the order, the first when equal.
TEST_F(GridCatalog, FinerDensityChoosesAmongOverlappingFiles) {
    auto offset = [](double by) {
        return [by](double lon, double lat) {
            auto [dLat, dLon] = datumtest::SmoothShift(lon, lat);
            return std::pair{dLat + by, dLon + by};
        };
    };
    Write("plain.dac", datumtest::Ntv1Bytes(false, -66, 44, -64, 45.5, 0.5, 0.25, offset(0)));
    Write("moved.dac", datumtest::Ntv1Bytes(false, -66, 44, -64, 45.5, 0.5, 0.25, offset(1)));
    struct Case {
        const char* text;
        double expectedOffset;
    };
    const Case cases[] = {
        {"./plain.dac,0,0,15\n./moved.dac,0,0,5\n", 1.0},
        {"./moved.dac,0,0,5\n./plain.dac,0,0,15\n", 1.0},
        {"./plain.dac,0,0,5\n./moved.dac,0,0,15\n", 0.0},
        {"./moved.dac,0,0,10\n./plain.dac,0,0,10\n", 1.0},
        {"./plain.dac,0,0,10\n./moved.dac,0,0,10\n", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Write("Nad27ToNad83.gdc", c.text);
        ConverterPtr forward(CS_datumConverterBuild(&kNad27, &kNad83, 1));
        ASSERT_TRUE(forward) << CS_lastMessage();
        const double in[3] = {-65.0, 45.0, 0.0};
        double out[3];
        ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0);
        const auto [lon, lat] = NodeShifted(in[0], in[1], false, c.expectedOffset);
        EXPECT_NEAR(out[0], lon, 1e-12);
        EXPECT_NEAR(out[1], lat, 1e-12);
    }
}

// NAD27 to ATS77 through a direction-1 file and back through a direction-2
// file, each as the file transforms on its own; a catalog of direction-1
// files alone leaves every inverse point unshifted with warning 394.
TEST_F(GridCatalog, Ats77FilesServeTheirDirection) {
    const auto there = datumtest::Ats77Bytes({});
    const auto back = datumtest::Ats77Bytes({.direction = 2, .latOffset = -0.5, .lonOffset = 0.25});
    Write("11ns77.dat", there);
    Write("22ns77.dat", back);
    Write("Nad27ToATs77.gdc", "# Nova Scotia\n./22ns77.dat\n./11ns77.dat\n");
    ConverterPtr forward(CS_datumConverterBuild(&kNad27, &kAts77, 1));
    ASSERT_TRUE(forward) << CS_lastMessage();
    EXPECT_EQ(Steps(forward.get()), (std::vector<int>{24}));
    ConverterPtr inverse(CS_datumConverterBuild(&kAts77, &kNad27, 1));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    EXPECT_EQ(Steps(inverse.get()), (std::vector<int>{1024}));

    auto expected = [](const std::vector<std::uint8_t>& bytes, const double in[3]) {
        std::unique_ptr<CsAts77Transform, void (*)(CsAts77Transform*)> file(
            CS_ats77OpenBytes("/x/99ns77.dat", bytes, 0.0), CS_ats77Free);
        std::array<double, 2> out{};
        EXPECT_EQ(CS_ats77Shift(file.get(), out.data(), in), 0);
        return out;
    };
    const double in[3] = {-64.3, 45.2, 8.0};
    double out[3], home[3];
    ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0) << CS_lastMessage();
    const auto shifted = expected(there, in);
    EXPECT_DOUBLE_EQ(out[0], shifted[0]);
    EXPECT_DOUBLE_EQ(out[1], shifted[1]);
    EXPECT_EQ(out[2], 8.0);
    EXPECT_GT(std::hypot(out[0] - in[0], out[1] - in[1]), 1e-5);
    ASSERT_EQ(CS_datumConvert(inverse.get(), out, home), 0) << CS_lastMessage();
    const auto returned = expected(back, out);
    EXPECT_DOUBLE_EQ(home[0], returned[0]);
    EXPECT_DOUBLE_EQ(home[1], returned[1]);
    forward.reset();
    inverse.reset();

    Write("Nad27ToATs77.gdc", "./11ns77.dat\n");
    inverse.reset(CS_datumConverterBuild(&kAts77, &kNad27, 1));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    EXPECT_EQ(CS_datumConvert(inverse.get(), in, out), 1);
    EXPECT_EQ(CS_lastError(), 394);
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[1], in[1]);
}

// What the NADCON catalogs refuse, each ending the family's creation.
TEST_F(GridCatalog, NadconCatalogsRefuseTheirWrongEntries) {
    Write("small.los", datumtest::SmallNadcon(false));
    Write("small.las", datumtest::SmallNadcon(true));
    Write("hpgnsm.los", datumtest::SmallNadcon(false));
    Write("hpgnsm.las", datumtest::NadconBytes(true, -100.0, 35.0, 25, 8, 0.25));
    struct Case {
        const char* catalog;
        const char* entry;
        int error;
    };
    const Case cases[] = {
        {"Nad27ToNad83.gdc", "./small.las", 316},
        {"Nad27ToNad83.gdc", "./small.LOS", 317},
        {"Nad27ToNad83.gdc", "./small.xyz", 315},
        {"Nad27ToNad83.gdc", "./hpgnsm.l?s", 314},
        {"Nad83ToHarn.gdc", "./small.l?s", 318},
        {"Nad83ToHarn.gdc", "./hpgnsm.LAS", 319},
        {"Nad83ToHarn.gdc", "./hpgnsm.los", 320},
        {"Nad83ToHarn.gdc", "./hpgnsm.dac", 321},
        // The two files of the pair differ in their rows.
        {"Nad83ToHarn.gdc", "./hpgnsm.l?s", 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.catalog) + ": " + c.entry);
        fs::remove(dir_ / "Nad27ToNad83.gdc");
        fs::remove(dir_ / "Nad83ToHarn.gdc");
        Write(c.catalog, std::string(c.entry) + "\n");
        const bool harn = c.catalog[3] == '8';
        EXPECT_EQ(harn ? CS_datumConverterBuild(&kWgs84, &kHarn, 1)
                       : CS_datumConverterBuild(&kNad27, &kNad83, 1),
                  nullptr);
        EXPECT_EQ(CS_lastError(), c.error) << CS_lastMessage();
        EXPECT_EQ(
            CS_gridFamilyUseCount(harn ? CsGridFamily::kNad83ToHarn : CsGridFamily::kNad27ToNad83),
            0);
    }
}

TEST_F(GridCatalog, EntriesNeedAWholePathWithAnExtension) {
    const std::string longest = "/" + std::string(kCsCatalogPathSize - 6, 'g') + ".gsb";
    const struct {
        std::string path;
        int error;  // 0: the entry is made
    } cases[] = {{"./a.gsb", 0}, {"a.gsb", 313}, {"./a", 327},
                 {"./a.", 327},  {longest, 0},   {longest + "b", 313}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CsGridCatalogEntry* entry = CS_newCatalogEntry(c.path.c_str(), kCsPathAsIs, 0, 0, 0.0);
        EXPECT_EQ(entry != nullptr, c.error == 0);
        if (entry) {
            EXPECT_EQ(std::string(entry->path), c.path);
            CS_free(entry);
        } else {
            EXPECT_EQ(CS_lastError(), c.error) << CS_lastMessage();
        }
    }
}

}  // namespace
