// Damaged grid files, one kind of damage per row: bad headers, counts that do
// not match the size, truncation at every length, missing parents, NaN
// shifts, and seeded byte flips. Each gives the library's error with the
// file's name as the error context, never a crash or a read outside the file
// (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "coordsys/core/CsCore.h"
#include "coordsys/datum/Ats77File.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/NadconGridFile.h"
#include "coordsys/datum/Ntv1GridFile.h"
#include "coordsys/datum/Ntv2GridFile.h"
#include "testing/GridFixtures.h"
#include "testing/TestSupport.h"

namespace {

using byteorder::Endian;
using Bytes = std::vector<std::uint8_t>;

enum Outcome { kRefused, kSound, kUnsound };

// One grid format: its intact bytes, how to open them, and points to shift.
struct Format {
    const char* name;  // also the name the bytes are opened under
    Bytes bytes;
    // Opens the bytes; when `shift`, shifts a lattice of points through them,
    // which is unsound when a result is out of the library's range.
    std::function<Outcome(const Bytes&, bool shift)> open;
    std::size_t shortestOpenable;  // a shorter prefix must be refused
};

template <class T>
Bytes Patched(Bytes bytes, std::size_t at, T value) {
    byteorder::Store<Endian::kLittle>(value, bytes.data() + at);
    return bytes;
}

Bytes Text(Bytes bytes, std::size_t at, const char* text) {
    std::memcpy(bytes.data() + at, text, std::strlen(text));
    return bytes;
}

// Every shift over a lattice around the grid: a status of 0, 1 or -1, and a
// failure with the file named.
template <class Shift>
bool ShiftLattice(const char* name, double west, double south, double east, double north,
                  Shift shift) {
    bool sound = true;
    for (double lon = west - 0.3; lon <= east + 0.3; lon += (east - west) / 17) {
        for (double lat = south - 0.3; lat <= north + 0.3; lat += (north - south) / 13) {
            const double ll[2] = {lon, lat};
            const int status = shift(ll);
            if (status < -1 || status > 1) sound = false;
            if (status == -1 && std::strcmp(CS_errorContext(), name) != 0 &&
                CS_lastError() != kCsErrInternal) {
                sound = false;
            }
        }
    }
    return sound;
}

Format Ntv2Format() {
    Format f{"damaged.gsb", datumtest::Ntv2Bytes(datumtest::NestedGrids()), nullptr, 0};
    f.shortestOpenable = f.bytes.size() - 16;  // the END record is not needed
    f.open = [name = f.name](const Bytes& bytes, bool shift) {
        CsNtv2File* file = CS_ntv2OpenBytes(5, name, bytes, 0, 0.0);
        if (file == nullptr) return kRefused;
        bool sound = true;
        if (shift) {
            sound = ShiftLattice(name, -10, 40, 6, 46, [&](const double ll[2]) {
                double s[2];
                CS_ntv2Coverage(file, ll);
                return CS_ntv2Shift(file, s, ll);
            });
        }
        CS_ntv2Close(file);
        return sound ? kSound : kUnsound;
    };
    return f;
}

Format Ntv1Format() {
    Format f{"damaged.dac", datumtest::SmallNtv1(false), nullptr, 0};
    f.shortestOpenable = f.bytes.size();
    f.open = [name = f.name](const Bytes& bytes, bool shift) {
        CsNtv1File* file = CS_ntv1OpenBytes(name, bytes, 0, 0.0);
        if (file == nullptr) return kRefused;
        bool sound = true;
        if (shift) {
            sound = ShiftLattice(name, -66, 44, -64, 45.5, [&](const double ll[2]) {
                double s[2];
                if (CS_ntv1Coverage(file, ll) == 0.0) return 1;
                return CS_ntv1Shift(file, s, ll);
            });
        }
        CS_ntv1Free(file);
        return sound ? kSound : kUnsound;
    };
    return f;
}

Format NadconFormat() {
    Format f{"damaged.los", datumtest::SmallNadcon(false), nullptr, 0};
    f.shortestOpenable = f.bytes.size();
    f.open = [name = f.name](const Bytes& bytes, bool shift) {
        CS_usGridFile* file = CS_usGridFileNewBytes(name, bytes, 0, 0.0);
        if (file == nullptr) return kRefused;
        bool sound = true;
        if (shift) {
            sound = ShiftLattice(name, -100, 35, -94, 36.5, [&](const double ll[2]) {
                double value;
                if (CS_usGridFileCoverage(file, ll) == 0.0) return 1;
                return CS_usGridFileValue(file, &value, ll);
            });
        }
        CS_usGridFileFree(file);
        return sound ? kSound : kUnsound;
    };
    return f;
}

Format Ats77Format() {
    Format f{"xxns-damaged.dat", datumtest::Ats77Bytes({}), nullptr, 0};
    f.shortestOpenable = f.bytes.size();
    f.open = [name = f.name](const Bytes& bytes, bool shift) {
        CsAts77Transform* t = CS_ats77OpenBytes(name, bytes, 0.0);
        if (t == nullptr) return kRefused;
        bool sound = true;
        if (shift) {
            sound = ShiftLattice(name, -66, 44, -62, 46, [&](const double ll[2]) {
                double out[2];
                return CS_ats77Shift(t, out, ll);
            });
        }
        CS_ats77Free(t);
        return sound ? kSound : kUnsound;
    };
    return f;
}

std::vector<Format> Formats() {
    return {Ntv2Format(), Ntv1Format(), NadconFormat(), Ats77Format()};
}

// A refusal must leave a library error naming the file.
void ExpectRefused(const Format& f, const Bytes& bytes, const std::string& what) {
    CS_reportError(0);
    CS_setErrorContext("");
    EXPECT_EQ(f.open(bytes, false), kRefused) << f.name << ": " << what;
    EXPECT_TRUE(CS_lastError() == kCsErrCorrupt || CS_lastError() == kCsErrIo)
        << f.name << ": " << what << ": " << CS_lastError();
    EXPECT_STREQ(CS_errorContext(), f.name) << what;
}

TEST(GridDamage, IntactFixturesOpenAndShift) {
    for (const Format& f : Formats()) EXPECT_EQ(f.open(f.bytes, true), kSound) << f.name;
}

TEST(GridDamage, TruncationAtEveryLengthIsRefused) {
    for (const Format& f : Formats()) {
        for (std::size_t size = 0; size < f.bytes.size(); ++size) {
            const Bytes prefix(f.bytes.begin(),
                               f.bytes.begin() + static_cast<std::ptrdiff_t>(size));
            if (size < f.shortestOpenable) {
                ExpectRefused(f, prefix, "cut to " + std::to_string(size) + " bytes");
            } else {
                EXPECT_EQ(f.open(prefix, true), kSound) << f.name << " cut to " << size;
            }
        }
        // One byte more than the counts say is refused too, but for NTv2's
        // optional trailing records.
        Bytes longer = f.bytes;
        longer.push_back(0);
        if (f.shortestOpenable == f.bytes.size()) ExpectRefused(f, longer, "one byte longer");
    }
}

TEST(GridDamage, BadHeadersAreRefused) {
    const Bytes ntv2 = datumtest::Ntv2Bytes(datumtest::NestedGrids());
    const Bytes ntv1 = datumtest::SmallNtv1(false);
    const Bytes nadcon = datumtest::SmallNadcon(false);
    // Offsets in the 16-byte NTv2 layout: the overview's counts at 8, 24, 40;
    // the first sub-file header at 176 (its node count at 176 + 168, its
    // S_LAT, N_LAT, E_LONG, W_LONG, LAT_INC, LONG_INC values from 176 + 72).
    const std::size_t sub = 176;
    const struct {
        int format;  // 0 NTv2, 1 NTv1, 2 NADCON
        const char* what;
        Bytes bytes;
    } cases[] = {
        {0, "no NUM_OREC", Text(ntv2, 0, "NUM_OREX")},
        {0, "neither layout", Text(ntv2, 16, "XXXXXXXX")},
        {0, "10 overview records", Patched(ntv2, 8, std::int32_t{10})},
        {0, "12 sub-file records", Patched(ntv2, 24, std::int32_t{12})},
        {0, "no sub-file", Patched(ntv2, 40, std::int32_t{0})},
        {0, "a negative number of sub-files", Patched(ntv2, 40, std::int32_t{-1})},
        {0, "more sub-files than the file holds", Patched(ntv2, 40, std::int32_t{6})},
        {0, "a huge number of sub-files", Patched(ntv2, 40, std::int32_t{0x7fffffff})},
        {0, "no SUB_NAME", Text(ntv2, sub, "SUB_NAMX")},
        {0, "a node count larger than the file", Patched(ntv2, sub + 168, std::int32_t{1 << 30})},
        {0, "a negative node count", Patched(ntv2, sub + 168, std::int32_t{-7})},
        {0, "a node count one short of the grid", Patched(ntv2, sub + 168, std::int32_t{76})},
        {0, "a north edge south of the south edge", Patched(ntv2, sub + 88, 39.0 * 3600)},
        {0, "a latitude step of 0", Patched(ntv2, sub + 136, 0.0)},
        {0, "a negative longitude step", Patched(ntv2, sub + 152, -3600.0)},
        {0, "a NaN edge", Patched(ntv2, sub + 104, std::nan(""))},
        {0, "an infinite step", Patched(ntv2, sub + 152, HUGE_VAL)},
        {0, "a parent that does not exist", Text(ntv2, sub + 176 + 77 * 16 + 24, "NOSUCH  ")},
        {1, "a record count of 11", Patched(ntv1, 8, std::int16_t{11})},
        {1, "a south edge north of the north edge", Patched(ntv1, 24, 46.0)},
        {1, "a latitude step of 0", Patched(ntv1, 88, 0.0)},
        {1, "a NaN longitude step", Patched(ntv1, 104, std::nan(""))},
        {1, "a finer step than the nodes", Patched(ntv1, 88, 0.125)},
        {1, "one column", Patched(ntv1, 72, 64.1)},
        {2, "one row", Patched(nadcon, 68, std::int32_t{1})},
        {2, "more columns than the size", Patched(nadcon, 64, std::int32_t{26})},
        {2, "a huge number of rows", Patched(nadcon, 68, std::int32_t{0x7fffffff})},
        {2, "a negative number of columns", Patched(nadcon, 64, std::int32_t{-25})},
        {2, "a step below a second", Patched(nadcon, 80, 0.0001f)},
        {2, "a NaN origin", Patched(nadcon, 76, std::nanf(""))},
    };
    const std::vector<Format> formats = Formats();
    for (const auto& c : cases)
        ExpectRefused(formats[static_cast<std::size_t>(c.format)], c.bytes, c.what);
    // A file name without an extension is no NADCON file.
    CS_reportError(0);
    EXPECT_EQ(CS_usGridFileNewBytes("noextension", nadcon, 0, 0.0), nullptr);
    EXPECT_EQ(CS_lastError(), kCsErrCorrupt);
}

TEST(GridDamage, SubGridsLinkedInACircleAreRefused) {
    auto grids = datumtest::NestedGrids();
    grids[0].parent = "GRANDA";  // PARENT -> GRANDA -> CHILDA -> PARENT
    ExpectRefused(Ntv2Format(), datumtest::Ntv2Bytes(grids), "a circle of parents");
}

// A node that is not a number fails the shifts that read it, naming the file.
TEST(GridDamage, NanShiftsFailTheirCells) {
    std::vector<Format> formats = Formats();
    // The first node of each grid: NTv2 and NADCON hold f32, NTv1 f64.
    formats[0].bytes = Patched(formats[0].bytes, 176 + 176 + 4, std::nanf(""));
    formats[1].bytes = Patched(formats[1].bytes, 192 + 8, std::nan(""));
    formats[2].bytes = Patched(formats[2].bytes, 104 + 4, std::nanf(""));
    const double points[3][2] = {{-0.01, 40.01}, {-64.01, 44.01}, {-99.99, 35.01}};
    for (int i = 0; i < 3; ++i) {
        const Format& f = formats[static_cast<std::size_t>(i)];
        SCOPED_TRACE(f.name);
        CS_reportError(0);
        double shift[2], value;
        int status = 0;
        if (i == 0) {
            CsNtv2File* file = CS_ntv2OpenBytes(5, f.name, f.bytes, 0, 0.0);
            ASSERT_NE(file, nullptr);
            status = CS_ntv2Shift(file, shift, points[i]);
            CS_ntv2Close(file);
        } else if (i == 1) {
            CsNtv1File* file = CS_ntv1OpenBytes(f.name, f.bytes, 0, 0.0);
            ASSERT_NE(file, nullptr);
            status = CS_ntv1Shift(file, shift, points[i]);
            CS_ntv1Free(file);
        } else {
            CS_usGridFile* file = CS_usGridFileNewBytes(f.name, f.bytes, 0, 0.0);
            ASSERT_NE(file, nullptr);
            status = CS_usGridFileValue(file, &value, points[i]);
            CS_usGridFileFree(file);
        }
        EXPECT_EQ(status, -1);
        EXPECT_EQ(CS_lastError(), kCsErrCorrupt);
        EXPECT_STREQ(CS_errorContext(), f.name);
    }
}

// Random damage: whatever opens shifts soundly; whatever is refused is
// refused with the library's error.
TEST(GridDamage, SeededByteFlipsNeverCrash) {
    std::mt19937 random(20240611);
    for (const Format& f : Formats()) {
        int opened = 0;
        for (int round = 0; round < 300; ++round) {
            Bytes bytes = f.bytes;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
            }
            CS_reportError(0);
            const Outcome outcome = f.open(bytes, true);
            EXPECT_NE(outcome, kUnsound) << f.name << " round " << round;
            if (outcome == kSound) {
                ++opened;
            } else {
                EXPECT_NE(CS_lastError(), 0) << f.name << " round " << round;
            }
        }
        std::printf("%s: %d of 300 damaged copies opened and shifted soundly\n", f.name, opened);
    }
}

}  // namespace

namespace {

// The fixtures of tests/data are what make_grid_fixtures writes today.
TEST(GridFixtures, CommittedFilesAreTheBuildersOutput) {
    const struct {
        const char* name;
        Bytes bytes;
    } files[] = {
        {"ntv2-nested.gsb", datumtest::Ntv2Bytes(datumtest::NestedGrids())},
        {"ntv1-small.dat", datumtest::SmallNtv1(true)},
        {"nadcon-small.las", datumtest::SmallNadcon(true)},
        {"nadcon-small.los", datumtest::SmallNadcon(false)},
    };
    for (const auto& f : files) {
        const Bytes committed =
            wlxtest::ReadBytes(wlxtest::SourcePath("coordsys/datum/tests/data") / f.name);
        EXPECT_EQ(wlxtest::HexDiff(f.bytes, committed), "") << f.name;
    }
}

}  // namespace
