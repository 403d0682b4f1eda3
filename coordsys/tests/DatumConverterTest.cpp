// The datum converter over grid catalogs written into a scratch dictionary
// directory: the NZGD49 to NZGD2000 grid of PROJ's data against cct, step
// lists, fallbacks, coverage modes and the release of a failed set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "coordsys/CsParams.h"
#include "coordsys/DatumConverter.h"
#include "coordsys/FrenchGrid.h"
#include "coordsys/GridCatalog.h"
#include "coordsys/JapanGrid.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/tests/DatumConverterTestKit.h"
#include "testing/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using convertertest::ConverterPtr;
using convertertest::Datum;
using convertertest::Steps;

fs::path NzGrid() {
    for (const char* variable : {"PROJ_DATA", "PROJ_LIB"}) {
        if (const char* dir = std::getenv(variable);
            dir && fs::exists(fs::path(dir) / "nzgd2kgrid0005.gsb")) {
            return fs::path(dir) / "nzgd2kgrid0005.gsb";
        }
    }
    const fs::path system = "/usr/share/proj/nzgd2kgrid0005.gsb";
    return fs::exists(system) ? system : fs::path();
}

const CsDatumBlock kNzgd49 = Datum("NZGD49", 15, 6378388.0, 0.0819918899790298);
const CsDatumBlock kNzgd2000 = Datum("NZGD2000", 18, 6378137.0, 0.0818191910428158);
const CsDatumBlock kNad27 = Datum("NAD27", 4, 6378206.4, 0.0822718542230039);
const CsDatumBlock kNad83 = Datum("NAD83", 5, 6378137.0, 0.0818191910428158);
const CsDatumBlock kCsrs = Datum("CSRS", 19, 6378137.0, 0.0818191910428158);
const CsDatumBlock kNtf = Datum("NTF", 21, 6378249.2, 0.08248325676341775);
const CsDatumBlock kWgs84 = Datum("WGS84", 6, 6378137.0, 0.0818191908426215);
const CsDatumBlock kTokyo = Datum("TOKYO", 20, 6377397.155, 0.0816968312225269);
const CsDatumBlock kAgd66 = Datum("AGD66", 10, 6378160.0, 0.0818201799960599);

class DatumConverter : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Coordsys.CSD", "Datums.CSD", "Elipsoid.CSD"}) {
            fs::copy_file(wlxtest::BinDir() / name, dir_ / name);
        }
        ASSERT_EQ(CS_setDictionaryDirectory(dir_.path().string().c_str()), 0);
    }
    void TearDown() override { CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()); }
    void Catalog(const char* name, const std::string& text) {
        wlxtest::WriteText(dir_ / name, text);
    }
    wlxtest::TempDir dir_;
};

TEST_F(DatumConverter, NzgdCatalogMatchesCctBothWays) {
    const fs::path grid = NzGrid();
    if (grid.empty()) GTEST_SKIP() << "nzgd2kgrid0005.gsb not installed";
    fs::copy_file(grid, dir_ / "NZGD2KGRID0005.GSB");
    // Lower case in the catalog, upper case on disk: names match in any case.
    Catalog("nzgd49tonzgd2k.gdc", "# NZ\n./grids/../nzgd2kgrid0005.gsb # the national grid\n");
    fs::create_directory(dir_ / "grids");
    ConverterPtr forward(CS_datumConverterBuild(&kNzgd49, &kNzgd2000, 1));
    ASSERT_TRUE(forward) << CS_lastMessage();
    EXPECT_EQ(Steps(forward.get()), (std::vector<int>{12, 8, 1008}));
    ConverterPtr inverse(CS_datumConverterBuild(&kNzgd2000, &kNzgd49, 1));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    EXPECT_EQ(CS_gridFamilyUseCount(CsGridFamily::kNzgd49ToNzgd2k), 2);
    std::ifstream golden(wlxtest::SourcePath("coordsys/datum/tests/data/nzgd2kgrid0005.golden"));
    std::string line;
    int rows = 0;
    while (std::getline(golden, line)) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::istringstream in(line);
        double v[6];
        for (double& x : v) in >> x;
        const double point[3] = {v[0], v[1], 12.5};
        double out[3];
        if (line.find("outside") != std::string::npos) {
            EXPECT_EQ(CS_datumConvert(forward.get(), point, out), 1) << line;
            EXPECT_EQ(out[0], point[0]);
            continue;
        }
        ASSERT_EQ(CS_datumConvert(forward.get(), point, out), 0) << line;
        EXPECT_NEAR(out[0], v[2], 1e-9) << line;
        EXPECT_NEAR(out[1], v[3], 1e-9) << line;
        EXPECT_EQ(out[2], 12.5);
        // On the border the inverse's guess leaves the grid, where cct and the
        // family part ways; the forward is checked there.
        if (v[0] <= 166 || v[0] >= 180 || v[1] <= -48 || v[1] >= -34) continue;
        ASSERT_EQ(CS_datumConvert(inverse.get(), point, out), 0) << line;
        EXPECT_NEAR(out[0], v[4], 1e-8) << line;
        EXPECT_NEAR(out[1], v[5], 1e-8) << line;
        ++rows;
    }
    EXPECT_GE(rows, 5);
    forward.reset();
    inverse.reset();
    EXPECT_EQ(CS_gridFamilyUseCount(CsGridFamily::kNzgd49ToNzgd2k), 0);
}

TEST_F(DatumConverter, FailedSetUpReleasesEachFamilyOnce) {
    const fs::path grid = NzGrid();
    if (grid.empty()) GTEST_SKIP() << "nzgd2kgrid0005.gsb not installed";
    Catalog("Nzgd49ToNzgd2K.gdc", grid.string() + "\n");
    ConverterPtr keep(CS_datumConverterBuild(&kNzgd49, &kNzgd2000, 1));
    ASSERT_TRUE(keep);
    // AGD66 has no catalog here: the set-up fails after the NZGD49 family.
    EXPECT_EQ(CS_datumConverterBuild(&kNzgd49, &kAgd66, 1), nullptr);
    EXPECT_EQ(CS_lastError(), 128);
    EXPECT_EQ(CS_gridFamilyUseCount(CsGridFamily::kNzgd49ToNzgd2k), 1);
}

TEST_F(DatumConverter, StepListsAndFallbackOnlyCatalog) {
    Catalog("Nad27ToNad83.gdc", "# no grids\nFallback = NAD27-CONUS\n");
    Catalog("Nad83ToCsrs.gdc", "fallback NAD27-CONUS\n");
    ConverterPtr toNad83(CS_datumConverterBuild(&kNad27, &kNad83, 1));
    ASSERT_TRUE(toNad83) << CS_lastMessage();
    EXPECT_EQ(Steps(toNad83.get()), (std::vector<int>{4}));
    ConverterPtr toCsrs(CS_datumConverterBuild(&kNad27, &kCsrs, 1));
    ASSERT_TRUE(toCsrs) << CS_lastMessage();
    EXPECT_EQ(Steps(toCsrs.get()), (std::vector<int>{4, 14}));
    ConverterPtr same(CS_datumConverterBuild(&kNad83, &kNad83, 1));
    ASSERT_TRUE(same);
    EXPECT_TRUE(Steps(same.get()).empty());

    // Every point takes the fallback: Molodensky of NAD27-CONUS, with warning 359.
    CsPtr<CsDatumBlock> conus(CS_loadDatum("NAD27-CONUS"));
    ASSERT_TRUE(conus);
    CsPtr<CsDatumBlock> wgs84(CS_loadDatum("WGS84"));
    CsPtr<CsMolodensky> molodensky(CS_molodenskySetup(conus.get(), wgs84.get()));
    const double in[3] = {-77.4, 38.9, 100.0};
    double expected[3], out[3];
    ASSERT_EQ(CS_molodenskyForward(expected, in, molodensky.get()), 0);
    EXPECT_EQ(CS_datumConvert(toNad83.get(), in, out), 1);
    EXPECT_EQ(CS_lastError(), 359);
    EXPECT_STREQ(CS_lastMessage(),
                 "WARNING: Data in range 77W:38N is outside NAD27<->NAD83 NADCON coverage; "
                 "using fallback approximation.");
    EXPECT_DOUBLE_EQ(out[0], expected[0]);
    EXPECT_DOUBLE_EQ(out[1], expected[1]);
    EXPECT_EQ(out[2], 100.0);
}

TEST_F(DatumConverter, CoverageModes) {
    const fs::path grid = NzGrid();
    if (grid.empty()) GTEST_SKIP() << "nzgd2kgrid0005.gsb not installed";
    Catalog("Nzgd49ToNzgd2K.gdc", grid.string() + "\n");
    // Results for 12 points outside the grid, each in a new whole-degree cell,
    // then a repeat of the first cell.
    struct Case {
        int mode;
        std::vector<int> results;
        std::vector<int> reports;  // last error after each point, 0 for none
    };
    const Case cases[] = {
        {0,
         {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
         {330, 330, 330, 330, 330, 330, 330, 330, 330, 330, 330, 330, 330}},
        {1,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         {331, 331, 331, 331, 331, 331, 331, 331, 331, 331, 331, 331, 331}},
        {2,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, -1, -1, -1, -1},
         {331, 331, 331, 331, 331, 331, 331, 331, 331, 368, 368, 368, 368}},
        {3, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {4,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0},
         {331, 331, 331, 331, 331, 331, 331, 331, 331, 371, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        ConverterPtr converter(CS_datumConverterBuild(&kNzgd49, &kNzgd2000, c.mode));
        ASSERT_TRUE(converter) << CS_lastMessage();
        for (std::size_t i = 0; i < c.results.size(); ++i) {
            const double lon = i < 12 ? 10.5 + static_cast<double>(i) : 10.7;
            const double in[3] = {lon, 20.5, 3.0};
            double out[3];
            CS_reportError(0);
            EXPECT_EQ(CS_datumConvert(converter.get(), in, out), c.results[i]) << i;
            EXPECT_EQ(CS_lastError(), c.reports[i]) << i;
            EXPECT_EQ(out[0], lon);
            EXPECT_EQ(out[2], 3.0);
        }
    }
}

// A French grid of constant translations: the shift is then a Helmert between
// Clarke 1880 IGN and GRS80, which cct gives:
// cct -d 10 +proj=pipeline +step +proj=cart +ellps=clrk80ign
//   +step +proj=helmert +x=-165 +y=-62 +z=318 +step +inv +proj=cart +ellps=GRS80
TEST_F(DatumConverter, FrenchGridMatchesCctHelmert) {
    std::string text =
        "GR3D  002024 024 20370201\n GR3D1 -2.0 8.0 42.0 50.0 1.0 1.0\nGR3D2 x\nGR3D3\n";
    for (int lon = -2; lon <= 8; ++lon) {
        for (int lat = 42; lat <= 50; ++lat) {
            text += "00002 " + std::to_string(lon) + ".0 " + std::to_string(lat) +
                    ".0   -165.000 -62.000  318.000 99  -0158\n";
        }
    }
    wlxtest::WriteText(dir_ / "GR3DF97A.TXT", text);
    ConverterPtr forward(CS_datumConverterBuild(&kNtf, &kWgs84, 1));
    ASSERT_TRUE(forward) << CS_lastMessage();
    EXPECT_EQ(Steps(forward.get()), (std::vector<int>{20}));
    ConverterPtr inverse(CS_datumConverterBuild(&kWgs84, &kNtf, 1));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    EXPECT_EQ(CS_frenchGridUseCount(), 2);
    const double rows[][4] = {
        {2.35, 48.85, 2.3492481156, 48.8498991861},
        {-1.5, 43.4, -1.5008183851, 43.3999492732},
        {7.2, 43.7, 7.1994934716, 43.6999934257},
    };
    for (const auto& row : rows) {
        const double in[3] = {row[0], row[1], 7.0};
        double out[3], back[3];
        ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0);
        EXPECT_NEAR(out[0], row[2], 2e-10);
        EXPECT_NEAR(out[1], row[3], 2e-10);
        EXPECT_EQ(out[2], 7.0);
        ASSERT_EQ(CS_datumConvert(inverse.get(), out, back), 0);
        // Both ways run in two dimensions: the ellipsoidal height the forward
        // gained is not carried back, worth a few 1e-9 degree.
        EXPECT_NEAR(back[0], row[0], 1e-8);
        EXPECT_NEAR(back[1], row[1], 1e-8);
    }
    // The maximum longitude is outside: the mean translations and warning 381.
    const double edge[3] = {8.0, 45.0, 0.0};
    double out[3];
    EXPECT_EQ(CS_datumConvert(inverse.get(), edge, out), 1);
    EXPECT_EQ(CS_lastError(), 381);
    forward.reset();
    inverse.reset();
    EXPECT_EQ(CS_frenchGridUseCount(), 0);
}

TEST_F(DatumConverter, FrenchGridRefusesNodeOutsideItsExtent) {
    wlxtest::WriteText(dir_ / "gr3df97a.txt",
                       "GR3D\nGR3D1 0 1 40 41 1 1\nGR3D3\n1 2.0 40.0 -1 -2 3 99 1\n");
    EXPECT_EQ(CS_datumConverterBuild(&kNtf, &kWgs84, 1), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
    wlxtest::WriteText(dir_ / "gr3df97a.txt", "GR3D\nGR3D3\n");
    EXPECT_EQ(CS_datumConverterBuild(&kNtf, &kWgs84, 1), nullptr);
    EXPECT_EQ(CS_lastError(), 113);
    // An extent of 1e16 nodes in a file of a few lines, and a translation
    // beyond any int: refused, nothing allocated for them.
    for (const char* text : {"GR3D\nGR3D1 0 1e4 0 1e4 1e-4 1e-4\nGR3D3\n",
                             "GR3D\nGR3D1 0 1 40 41 1 1\nGR3D3\n1 0.0 40.0 1e300 -2 3 99 1\n",
                             "GR3D\nGR3D1 0 1 40 41 1 1\nGR3D3\n1 0.0 40.0 nan -2 3 99 1\n"}) {
        wlxtest::WriteText(dir_ / "gr3df97a.txt", text);
        EXPECT_EQ(CS_datumConverterBuild(&kNtf, &kWgs84, 1), nullptr) << text;
        EXPECT_EQ(CS_lastError(), 113) << text;
    }
}

// A line whose shifts are no numbers of the file's range is no record.
TEST_F(DatumConverter, TokyoGridSkipsLinesOutOfRange) {
    const std::string path = (dir_ / "tky2jgd.par").string();
    wlxtest::WriteText(dir_ / "tky2jgd.par",
                       "MeshCode dB(sec) dL(sec)\n53394610 1e300 5\n53394611 nan 5\n"
                       "53394620 11.5 -12.25\n");
    CsJapanGrid* grid = CS_japanGridNew(path.c_str(), 0, 0, 0.0);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->records.size(), 1u);
    EXPECT_EQ(grid->records[0].mesh, 53394620u);
    EXPECT_EQ(grid->records[0].latShift, 1150000);
    CS_japanGridFree(grid);
}

TEST(JapanGrid, MeshCodeAndCorner) {
    const double ll[2] = {139.75, 35.6833};
    EXPECT_EQ(CS_japanMeshCode(ll), 53394610u);
    double corner[2];
    CS_japanMeshCorner(corner, 53394610u);
    EXPECT_NEAR(corner[0], 139.75, 1e-12);
    EXPECT_NEAR(corner[1], 35.675, 1e-12);
    const double outside[2] = {119.9, 35.0};
    EXPECT_EQ(CS_japanMeshCode(outside), 0u);
}

// The four meshes round 53394610 with shifts that vary linearly, so that the
// bilinear value is known at every point of the mesh.
TEST_F(DatumConverter, TokyoCatalogShiftsBilinearlyBothWays) {
    auto lat = [](double lon, double la) {
        return 11.0 + 20.0 * (la - 35.675) + 3.0 * (lon - 139.75);
    };
    auto lon = [](double lo, double la) {
        return -12.0 + 40.0 * (lo - 139.75) - 5.0 * (la - 35.675);
    };
    std::string text = "MeshCode dB(sec) dL(sec)\n";
    for (std::uint32_t code : {53394610u, 53394611u, 53394620u, 53394621u}) {
        double c[2];
        CS_japanMeshCorner(c, code);
        char row[96];
        std::snprintf(row, sizeof row, "%u %.5f %.5f\n", code, lat(c[0], c[1]), lon(c[0], c[1]));
        text += row;
    }
    wlxtest::WriteText(dir_ / "TKY2JGD.PAR", text);
    Catalog("TokyoToJgd2k.gdc", "./tky2jgd.par\n");
    ConverterPtr forward(CS_datumConverterBuild(&kTokyo, &kWgs84, 1));
    ASSERT_TRUE(forward) << CS_lastMessage();
    EXPECT_EQ(Steps(forward.get()), (std::vector<int>{19}));
    EXPECT_TRUE(fs::exists(dir_ / "tky2jgd._jg"));
    ConverterPtr inverse(CS_datumConverterBuild(&kWgs84, &kTokyo, 1));
    ASSERT_TRUE(inverse) << CS_lastMessage();
    const double in[3] = {139.757, 35.677, 4.0};
    double out[3], back[3];
    ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0);
    // The records keep 1e-5 second, truncated.
    EXPECT_NEAR(out[0], in[0] + lon(in[0], in[1]) / 3600.0, 5e-9);
    EXPECT_NEAR(out[1], in[1] + lat(in[0], in[1]) / 3600.0, 5e-9);
    EXPECT_EQ(out[2], 4.0);
    ASSERT_EQ(CS_datumConvert(inverse.get(), out, back), 0);
    EXPECT_NEAR(back[0], in[0], 1e-9);
    EXPECT_NEAR(back[1], in[1], 1e-9);
    // A mesh whose neighbours are not listed is not covered.
    const double far[3] = {139.9, 35.9, 0.0};
    EXPECT_EQ(CS_datumConvert(forward.get(), far, out), 1);
    EXPECT_EQ(CS_lastError(), 376);
}

// Where the binary file cannot be put, the records stay in memory and no
// half-written file is left behind.
TEST_F(DatumConverter, TokyoGridWorksWhereItsBinaryFileCannotBeWritten) {
    fs::create_directory(dir_ / "tky2jgd._jg");
    wlxtest::WriteText(dir_ / "tky2jgd._jg" / "keep", "x");
    wlxtest::WriteText(dir_ / "tky2jgd.par",
                       "header\n53394610 1.0 2.0\n53394611 1.0 2.0\n"
                       "53394620 1.0 2.0\n53394621 1.0 2.0\n");
    Catalog("TokyoToJgd2k.gdc", "./tky2jgd.par\n");
    ConverterPtr forward(CS_datumConverterBuild(&kTokyo, &kWgs84, 1));
    ASSERT_TRUE(forward) << CS_lastMessage();
    const double in[3] = {139.755, 35.68, 0.0};
    double out[3];
    ASSERT_EQ(CS_datumConvert(forward.get(), in, out), 0);
    EXPECT_NEAR(out[0], in[0] + 2.0 / 3600.0, 1e-12);
    EXPECT_NEAR(out[1], in[1] + 1.0 / 3600.0, 1e-12);
    EXPECT_FALSE(fs::exists(dir_ / "tky2jgd._jg.tmp"));
}

TEST_F(DatumConverter, TokyoCatalogRefusesOtherExtensions) {
    Catalog("TokyoToJgd2k.gdc", "./tky2jgd.txt\n");
    EXPECT_EQ(CS_datumConverterBuild(&kTokyo, &kWgs84, 1), nullptr);
    EXPECT_EQ(CS_lastError(), 378);
}

}  // namespace
