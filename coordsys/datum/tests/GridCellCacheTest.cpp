// The grid cell cache: hits, misses and the order cells are reused in, the
// edges and longitude counting of each kind, and that a cached cell shifts a
// point exactly as the grid file it came from.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/NadconGridFile.h"
#include "coordsys/datum/Ntv1GridFile.h"
#include "coordsys/datum/Ntv2GridFile.h"
#include "testing/GridFixtures.h"

namespace {

struct CacheFree {
    void operator()(CSgridCellCache* cache) const { CS_freeCellCache(cache); }
};
using CachePtr = std::unique_ptr<CSgridCellCache, CacheFree>;

// A one-degree cell with its south-west corner at (x, y) whose longitude
// shift is `a0` seconds everywhere and whose latitude shift is 0.
CsGridFileCell Cell(const char* name, double x, double y, double a0) {
    CsGridFileCell cell{};
    cell.minX = x, cell.minY = y, cell.maxX = x + 1, cell.maxY = y + 1;
    cell.width = cell.height = 1, cell.density = 1;
    cell.coefficients[0] = a0;
    std::strcpy(cell.source, name);
    return cell;
}

std::string Order(const CSgridCellCache* cache) {
    std::string order;
    for (const CsGridCell* c = cache->first; c; c = c->next) order += c->source;
    return order;
}

// The cell that shifted the point (its a0 is 3600 times its name's letter
// number), "-" for a miss.
std::string Hit(CSgridCellCache* cache, double lon, double lat) {
    const double in[2] = {lon, lat};
    double out[2] = {0, 0};
    const int status = CS_cellShift(cache, out, in);
    if (status != 0) return status == 1 ? "-" : "error";
    return std::string(1, static_cast<char>('A' - 1 + static_cast<int>(lon - out[0] + 0.5)));
}

TEST(GridCellCache, HitsMissesAndReusesTheLeastRecentlyUsed) {
    CachePtr cache(CS_newCellCache(3));
    ASSERT_TRUE(cache);
    // West-positive cells: X = -longitude.
    const struct {
        char op;  // 'a' add a cell at X = x, 'l' look the point (lon, 0.5) up
        double x;
        const char* expected;  // the cell hit, then the list's order
    } steps[] = {
        {'a', 10, "A"},        {'a', 20, "BA"},       {'a', 30, "CBA"},
        {'l', -10.5, "A ACB"}, {'l', -20.5, "B BAC"}, {'l', -40.5, "- BAC"},
        {'l', -30.5, "C CBA"}, {'a', 40, "DCB"},  // A, the least recently used, goes
        {'l', -10.5, "- DCB"}, {'l', -20.5, "B BDC"}, {'a', 50, "EBD"},
        {'l', -30.5, "- EBD"},
    };
    char next = 'A';
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(1, s.op) + " " + std::to_string(s.x));
        if (s.op == 'a') {
            const std::string name(1, next);
            const CsGridFileCell cell = Cell(name.c_str(), s.x, 0, 3600.0 * (next - 'A' + 1));
            ASSERT_EQ(CS_addCell(cache.get(), kCsCellNtv2, &cell, &cell), 0);
            ++next;
            EXPECT_EQ(Order(cache.get()), s.expected);
        } else {
            const std::string hit = Hit(cache.get(), s.x, 0.5);
            EXPECT_EQ(hit + " " + Order(cache.get()), s.expected);
        }
    }
    EXPECT_EQ(cache->count, 3);
    CS_clearCellCache(cache.get());
    EXPECT_EQ(cache->count, 0);
    EXPECT_EQ(Hit(cache.get(), -50.5, 0.5), "-");
}

TEST(GridCellCache, ReusesTheLeastRecentlyUsedOfThirtyTwo) {
    CachePtr cache(CS_newCellCache(32));
    std::vector<std::string> names;
    for (int i = 0; i < 32; ++i) {
        const CsGridFileCell cell = Cell(("c" + std::to_string(i)).c_str(), i, 0, 0);
        ASSERT_EQ(CS_addCell(cache.get(), kCsCellNtv2, &cell, &cell), 0);
    }
    EXPECT_EQ(Hit(cache.get(), -0.5, 0.5), "@");  // c0, the oldest, is used now
    const CsGridFileCell extra = Cell("extra", 100, 0, 0);
    ASSERT_EQ(CS_addCell(cache.get(), kCsCellNtv2, &extra, &extra), 0);
    EXPECT_EQ(cache->count, 32);
    EXPECT_EQ(Hit(cache.get(), -0.5, 0.5), "@");  // c0 stayed
    EXPECT_EQ(Hit(cache.get(), -1.5, 0.5), "-");  // c1 went
}

TEST(GridCellCache, CoversTheWestAndSouthEdgesButNotTheEastAndNorth) {
    CachePtr cache(CS_newCellCache(2));
    // East-positive NADCON cell over 100..99W, 35..36N.
    CsGridFileCell cell = Cell("A", -100, 35, 3600);
    ASSERT_EQ(CS_addCell(cache.get(), kCsCellNadcon, &cell, &cell), 0);
    EXPECT_EQ(Hit(cache.get(), -100, 35), "A");
    EXPECT_EQ(Hit(cache.get(), -99, 35.5), "-");
    EXPECT_EQ(Hit(cache.get(), -99.5, 36), "-");
    // West-positive NTv2 cell over 10..11W: its east edge is X = 10.
    CsGridFileCell west = Cell("A", 10, 35, 3600);
    ASSERT_EQ(CS_addCell(cache.get(), kCsCellNtv2, &west, &west), 0);
    EXPECT_EQ(Hit(cache.get(), -10, 35.5), "A");
    EXPECT_EQ(Hit(cache.get(), -11, 35.5), "-");
}

TEST(GridCellCache, EastPositiveCellsLieAtOrWestOfZero) {
    CachePtr cache(CS_newCellCache(2));
    // A cell over 360..359 degrees west holds 0..1 east; 0 itself is not moved.
    CsGridFileCell cell = Cell("A", -360, 0, 360);  // 0.1 degree west everywhere
    ASSERT_EQ(CS_addCell(cache.get(), kCsCellNadcon, &cell, &cell), 0);
    const double in[2] = {0.5, 0.5};
    double out[2];
    ASSERT_EQ(CS_cellShift(cache.get(), out, in), 0);
    EXPECT_NEAR(out[0], 0.4, 1e-12);
    const double zero[2] = {0.0, 0.5};
    EXPECT_EQ(CS_cellShift(cache.get(), out, zero), 1);
}

TEST(GridCellCache, RefusesTooSmallCachesAndUnknownKinds) {
    EXPECT_EQ(CS_newCellCache(1), nullptr);
    EXPECT_EQ(CS_lastError(), kCsErrInternal);
    CachePtr cache(CS_newCellCache(2));
    const CsGridFileCell cell = Cell("A", 0, 0, 0);
    EXPECT_EQ(CS_addCell(cache.get(), 6, &cell, &cell), -1);
    EXPECT_EQ(CS_lastError(), kCsErrInternal);
    CS_freeCellCache(nullptr);
}

// Every grid file's cells, cached, shift as the file does.
TEST(GridCellCache, CachedCellsShiftAsTheirFiles) {
    CachePtr cache(CS_newCellCache(32));
    const auto ntv2Bytes = datumtest::Ntv2Bytes(datumtest::NestedGrids());
    const auto ntv1Bytes = datumtest::SmallNtv1(false);
    const auto los = datumtest::SmallNadcon(false), las = datumtest::SmallNadcon(true);
    CsNtv2File* ntv2 = CS_ntv2OpenBytes(5, "n2.gsb", ntv2Bytes, 0, 0);
    CsNtv1File* ntv1 = CS_ntv1OpenBytes("n1.dac", ntv1Bytes, 0, 0);
    CS_usGridFile* losFile = CS_usGridFileNewBytes("n.los", los, 0, 0);
    CS_usGridFile* lasFile = CS_usGridFileNewBytes("n.las", las, 0, 0);
    ASSERT_TRUE(ntv2 && ntv1 && losFile && lasFile) << CS_lastMessage();
    auto compare = [&](const double ll[2], const double shift[2]) {
        double direct[2], cached[2];
        CS_applyGridShift(direct, ll, shift);
        ASSERT_EQ(CS_cellShift(cache.get(), cached, ll), 0);
        EXPECT_NEAR(cached[0], direct[0], 1e-13) << ll[0] << " " << ll[1];
        EXPECT_NEAR(cached[1], direct[1], 1e-13) << ll[0] << " " << ll[1];
    };
    for (double t = 0.05; t < 1; t += 0.1) {
        double shift[2];
        const double a[2] = {-9.9 + 9.8 * t, 40.1 + 5.8 * t * t};
        ASSERT_EQ(CS_ntv2Shift(ntv2, shift, a), 0);
        CS_clearCellCache(cache.get());
        CS_addCell(cache.get(), kCsCellNtv2, &ntv2->longitudeCell, &ntv2->latitudeCell);
        compare(a, shift);

        const double b[2] = {-65.95 + 1.9 * t, 44.02 + 1.45 * (1 - t)};
        ASSERT_EQ(CS_ntv1Shift(ntv1, shift, b), 0);
        CS_clearCellCache(cache.get());
        CS_addCell(cache.get(), kCsCellNtv1, &ntv1->longitudeCell, &ntv1->latitudeCell);
        compare(b, shift);

        const double c[2] = {-99.9 + 5.8 * t, 35.05 + 1.4 * t};
        ASSERT_EQ(CS_usGridFileValue(losFile, &shift[0], c), 0);
        ASSERT_EQ(CS_usGridFileValue(lasFile, &shift[1], c), 0);
        CS_clearCellCache(cache.get());
        CS_addCell(cache.get(), kCsCellNadcon, &losFile->cell, &lasFile->cell);
        compare(c, shift);
    }
    CS_ntv2Close(ntv2);
    CS_ntv1Free(ntv1);
    CS_usGridFileFree(losFile);
    CS_usGridFileFree(lasFile);
}

}  // namespace
