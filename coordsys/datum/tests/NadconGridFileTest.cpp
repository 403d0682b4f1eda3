// NADCON grid files: the .los/.las fixture against GDAL's LOS/LAS reader at
// the nodes (golden file), interpolation between them, the kinds of names,
// the step snapping and the read buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/NadconGridFile.h"
#include "coordsys/datum/tests/GoldenFile.h"
#include "testing/GridFixtures.h"
#include "testing/TestSupport.h"

namespace {

struct UsGridFree {
    void operator()(CS_usGridFile* file) const { CS_usGridFileFree(file); }
};
using UsGridPtr = std::unique_ptr<CS_usGridFile, UsGridFree>;

TEST(NadconGridFile, GivesGdalsValuesAtTheNodes) {
    const auto files = datumtest::GoldenFiles("nadcon");
    ASSERT_EQ(files.size(), 1u);
    const datumtest::Golden& golden = files[0];
    const auto dir = golden.path.parent_path();
    UsGridPtr los(CS_usGridFileNew((dir / "nadcon-small.los").c_str(), 0, 0.0));
    UsGridPtr las(CS_usGridFileNew((dir / "NADCON-SMALL.LAS").c_str(), 0, 0.0));  // any case
    ASSERT_TRUE(los && las) << CS_lastMessage();
    EXPECT_EQ(los->kind, kCsUsGridNadconLos);
    EXPECT_EQ(las->kind, kCsUsGridNadconLas);
    for (const auto& row : golden.rows) {
        ASSERT_EQ(row.values.size(), 4u);
        const double ll[2] = {row.values[0], row.values[1]};
        double lon, lat;
        ASSERT_EQ(CS_usGridFileValue(los.get(), &lon, ll), 0) << ll[0] << " " << ll[1];
        ASSERT_EQ(CS_usGridFileValue(las.get(), &lat, ll), 0);
        EXPECT_NEAR(lon, row.values[2], 1e-9) << ll[0] << " " << ll[1];
        EXPECT_NEAR(lat, row.values[3], 1e-9) << ll[0] << " " << ll[1];
    }
}

TEST(NadconGridFile, InterpolatesBetweenTheFourNodes) {
    const auto bytes = datumtest::SmallNadcon(true);
    UsGridPtr file(CS_usGridFileNewBytes("small.las", bytes, 0, 0.0));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->maxLongitude, -94.0);
    EXPECT_EQ(file->maxLatitude, 36.5);
    auto node = [](double lon, double lat) {
        return static_cast<double>(static_cast<float>(datumtest::SmoothShift(lon, lat).first));
    };
    const double ll[2] = {-99.8, 35.4};  // x = 0.8, y = 0.6 in the cell at 100W, 35.25N
    double value;
    ASSERT_EQ(CS_usGridFileValue(file.get(), &value, ll), 0);
    const double expected = node(-100, 35.25) * 0.2 * 0.4 + node(-99.75, 35.25) * 0.8 * 0.4 +
                            node(-100, 35.5) * 0.2 * 0.6 + node(-99.75, 35.5) * 0.8 * 0.6;
    EXPECT_NEAR(value, expected, 1e-12);
    EXPECT_EQ(file->cell.minX, -100.0);
    EXPECT_EQ(file->cell.minY, 35.25);
    // Coverage is half-open; outside the nodes the cell cannot be loaded.
    const double east[2] = {-94.0, 35.5}, beyond[2] = {-93.9, 35.5};
    EXPECT_EQ(CS_usGridFileCoverage(file.get(), east), 0.0);
    EXPECT_EQ(CS_usGridFileCoverage(file.get(), ll), 0.25);
    EXPECT_EQ(CS_usGridFileValue(file.get(), &value, beyond), -1);
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(CS_lastError(), kCsErrInternal);
}

TEST(NadconGridFile, KnowsItsKindFromItsName) {
    const struct {
        const char* path;
        int kind;
    } cases[] = {{"/d/conus.las", kCsUsGridNadconLas}, {"/d/conus.LOS", kCsUsGridNadconLos},
                 {"/d/HPGNwa.las", kCsUsGridHpgnLas},  {"/d/hpgnwa.los", kCsUsGridHpgnLos},
                 {"/d/vertcon.94", kCsUsGridVertcon},  {"/d/g99.GEO", kCsUsGridGeoid},
                 {"/d/other.bin", kCsUsGridOther},     {"/hpgn.d/conus.las", kCsUsGridNadconLas}};
    for (const auto& c : cases) EXPECT_EQ(CS_usGridFileKind(c.path), c.kind) << c.path;
}

TEST(NadconGridFile, SnapsStepsToWholeSecondsAndSizesItsBuffer) {
    const auto bytes = datumtest::NadconBytes(false, -100.0, 35.0, 25, 7, 0.2499999);
    UsGridPtr file(CS_usGridFileNewBytes("snap.los", bytes, 0, 0.0));
    ASSERT_TRUE(file) << CS_lastMessage();
    EXPECT_EQ(file->lonStep, 900.0 / 3600);
    EXPECT_EQ(file->density, 0.25);
    const std::uint64_t record = file->recordSize;
    EXPECT_EQ(file->bufferSize, 2 * record);
    const struct {
        int asked;
        std::uint64_t records;
    } buffers[] = {{-5, 2},
                   {static_cast<int>(2 * record), 2},
                   {static_cast<int>(3.5 * record), 3},
                   {1 << 20, 8}};
    for (const auto& b : buffers) {
        UsGridPtr sized(CS_usGridFileNewBytes("snap.los", bytes, b.asked, 0.0));
        EXPECT_EQ(sized->bufferSize, b.records * record) << b.asked;
        // Every row through every buffer gives the same value.
        for (double lat = 35.01; lat < 36.5; lat += 0.2) {
            const double ll[2] = {-97.3, lat};
            double a, c;
            ASSERT_EQ(CS_usGridFileValue(sized.get(), &a, ll), 0);
            ASSERT_EQ(CS_usGridFileValue(file.get(), &c, ll), 0);
            EXPECT_EQ(a, c);
        }
    }
}

}  // namespace
