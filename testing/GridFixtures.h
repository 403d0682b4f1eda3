// Builders of small grid files for the tests: NTv2 (nested sub-grids, either
// header layout), NTv1 (either byte order), NADCON .los/.las pairs and ATS77
// transformations, each written field by field. The fixtures of tests/data
// are these builders' output (make_grid_fixtures writes them).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/ByteOrder.h"

namespace datumtest {

using byteorder::Endian;

class Bytes {
public:
    std::vector<std::uint8_t> data;
    bool big = false;

    void Text(const std::string& text, std::size_t width) {
        std::string padded = text;
        padded.resize(width, ' ');
        data.insert(data.end(), padded.begin(), padded.end());
    }
    template <class T>
    void Put(T value) {
        std::uint8_t b[sizeof(T)];
        if (big) {
            byteorder::Store<Endian::kBig>(value, b);
        } else {
            byteorder::Store<Endian::kLittle>(value, b);
        }
        data.insert(data.end(), b, b + sizeof b);
    }
    void Zeros(std::size_t count) { data.insert(data.end(), count, 0); }
};

// A shift at a node, seconds of arc: {latitude, longitude (positive west)}.
using ShiftFunction = std::function<std::pair<double, double>(double lon, double lat)>;

// A smooth shift that is not bilinear, so that interpolation shows.
inline std::pair<double, double> SmoothShift(double lon, double lat) {
    return {0.35 + 0.02 * lon - 0.05 * lat + 0.003 * lon * lat + 0.0007 * lon * lon,
            -1.25 + 0.04 * lat + 0.01 * lon - 0.002 * lat * lat + 0.0009 * lon * lat};
}

struct Ntv2SubGridSpec {
    std::string name, parent;
    // Extent in degrees, east-positive, and steps in degrees.
    double west, south, east, north, lonStep, latStep;
    double offset;  // added to both shifts, so that each grid's values show
};

// An NTv2 file; `twelve` writes the 12-byte integer records.
inline std::vector<std::uint8_t> Ntv2Bytes(const std::vector<Ntv2SubGridSpec>& grids,
                                           bool twelve = false,
                                           const ShiftFunction& shift = SmoothShift) {
    Bytes b;
    auto intRecord = [&](const char* name, std::int32_t value) {
        b.Text(name, 8);
        b.Put(value);
        if (!twelve) b.Zeros(4);
    };
    auto textRecord = [&](const char* name, const char* value) {
        b.Text(name, 8);
        b.Text(value, 8);
    };
    auto doubleRecord = [&](const char* name, double value) {
        b.Text(name, 8);
        b.Put(value);
    };
    intRecord("NUM_OREC", 11);
    intRecord("NUM_SREC", 11);
    intRecord("NUM_FILE", static_cast<std::int32_t>(grids.size()));
    textRecord("GS_TYPE", "SECONDS");
    textRecord("VERSION", "NTv2.0");
    textRecord("SYSTEM_F", "TESTF");
    textRecord("SYSTEM_T", "TESTT");
    doubleRecord("MAJOR_F", 6378388.0);
    doubleRecord("MINOR_F", 6356911.946);
    doubleRecord("MAJOR_T", 6378137.0);
    doubleRecord("MINOR_T", 6356752.314);
    for (const Ntv2SubGridSpec& g : grids) {
        textRecord("SUB_NAME", g.name.c_str());
        textRecord("PARENT", g.parent.c_str());
        textRecord("CREATED", "20240101");
        textRecord("UPDATED", "20240101");
        doubleRecord("S_LAT", g.south * 3600);
        doubleRecord("N_LAT", g.north * 3600);
        doubleRecord("E_LONG", -g.east * 3600);
        doubleRecord("W_LONG", -g.west * 3600);
        doubleRecord("LAT_INC", g.latStep * 3600);
        doubleRecord("LONG_INC", g.lonStep * 3600);
        const int rows = static_cast<int>(std::lround((g.north - g.south) / g.latStep)) + 1;
        const int columns = static_cast<int>(std::lround((g.east - g.west) / g.lonStep)) + 1;
        intRecord("GS_COUNT", rows * columns);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {  // from the east edge westwards
                const auto [lat, lon] = shift(g.east - c * g.lonStep, g.south + r * g.latStep);
                b.Put(static_cast<float>(lat + g.offset));
                b.Put(static_cast<float>(lon + g.offset));
                b.Put(0.01f);
                b.Put(0.02f);
            }
        }
    }
    b.Text("END", 8);
    b.Zeros(8);
    return b.data;
}

// The nested grids of ntv2-nested.gsb: a parent with two children sharing an
// edge, a grandchild, and a second top-level grid between the children.
inline std::vector<Ntv2SubGridSpec> NestedGrids() {
    return {
        {"PARENT", "NONE", -10, 40, 0, 46, 1.0, 1.0, 0.0},
        {"CHILDA", "PARENT", -8, 41, -6, 43, 0.25, 0.25, 0.5},
        {"ISLAND", "NONE", 5, 40, 6, 41, 0.5, 0.5, 2.0},
        {"CHILDB", "PARENT", -6, 41, -4, 43, 0.5, 0.25, 1.0},
        {"GRANDA", "CHILDA", -7.5, 41.5, -7, 42, 0.125, 0.125, 1.5},
    };
}

// An NTv1 file over [west, east] x [south, north] (east-positive degrees).
inline std::vector<std::uint8_t> Ntv1Bytes(bool bigEndian, double west, double south, double east,
                                           double north, double lonStep, double latStep,
                                           const ShiftFunction& shift = SmoothShift) {
    Bytes b;
    b.big = bigEndian;
    b.Text("HEADER", 8);
    if (bigEndian) {
        b.Put(std::int32_t{12});
        b.Zeros(4);
    } else {
        b.Put(std::int16_t{12});
        b.Zeros(6);
    }
    auto record = [&](const char* name, double value) {
        b.Text(name, 8);
        b.Put(value);
    };
    record("S LAT", south);
    record("N LAT", north);
    record("E LONG", -east);
    record("W LONG", -west);
    record("N GRID", latStep);
    record("W GRID", lonStep);
    b.Text("TYPE", 8);
    b.Text("SECONDS", 8);
    b.Text("FROM", 8);
    b.Text("NAD27", 8);
    b.Text("TO", 8);
    b.Text("NAD83", 8);
    for (double axis : {6378206.4, 6356583.8, 6378137.0, 6356752.314}) b.Put(axis);
    const int rows = static_cast<int>(std::lround((north - south) / latStep)) + 1;
    const int columns = static_cast<int>(std::lround((east - west) / lonStep)) + 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto [lat, lon] = shift(east - c * lonStep, south + r * latStep);
            b.Put(lat);
            b.Put(lon);
        }
    }
    return b.data;
}

// The grid of ntv1-small.dat: 5 columns of 0.5 degree, 7 rows of 0.25.
inline std::vector<std::uint8_t> SmallNtv1(bool bigEndian) {
    return Ntv1Bytes(bigEndian, -66.0, 44.0, -64.0, 45.5, 0.5, 0.25);
}

// One file of a NADCON pair: `latitude` picks the .las values, else .los.
inline std::vector<std::uint8_t> NadconBytes(bool latitude, double west, double south, int columns,
                                             int rows, double step,
                                             const ShiftFunction& shift = SmoothShift) {
    Bytes b;
    b.Text("NADCON EXTRACTED REGION", 56);
    b.Text("NADGRD", 8);
    b.Put(std::int32_t{columns});
    b.Put(std::int32_t{rows});
    b.Put(std::int32_t{1});
    b.Put(static_cast<float>(west));
    b.Put(static_cast<float>(step));
    b.Put(static_cast<float>(south));
    b.Put(static_cast<float>(step));
    b.Put(0.0f);
    const std::size_t record = 4 + 4 * static_cast<std::size_t>(columns);
    b.Zeros(record - b.data.size());
    for (int r = 0; r < rows; ++r) {
        b.Put(std::int32_t{0});
        for (int c = 0; c < columns; ++c) {
            const auto [lat, lon] = shift(west + c * step, south + r * step);
            b.Put(static_cast<float>(latitude ? lat : lon));
        }
    }
    return b.data;
}

// The grid of nadcon-small.las/.los: 25 columns and 7 rows of 0.25 degree.
inline std::vector<std::uint8_t> SmallNadcon(bool latitude) {
    return NadconBytes(latitude, -100.0, 35.0, 25, 7, 0.25);
}

struct Ats77Spec {
    std::int32_t degree = 2;
    std::int32_t points = 2;
    std::int32_t direction = 1;
    double sigma = 0.3;
    double phi0 = 45.0, lambda0 = 64.0;  // lambda0 positive west
    double latOffset = 0.5, lonOffset = -0.25;
    double sy = 0.8, sx = 0.6;
    double latDivisor = 2.0, lonDivisor = 4.0;
};

// An ATS77 file: complex coefficients c_k = (0.1 k + 1, 0.2 - 0.05 k),
// collocation points at (0.1 j, -0.2 j) with values (0.3, -0.1 j), weights 1.
inline std::vector<std::uint8_t> Ats77Bytes(const Ats77Spec& s) {
    Bytes b;
    b.Put(std::int32_t{0});
    b.Put(s.degree);
    b.Put(s.points);
    b.Put(s.direction);
    for (double v : {s.sigma, s.phi0, s.lambda0, s.latOffset, s.lonOffset, s.sy, s.sx, s.latDivisor,
                     s.lonDivisor}) {
        b.Put(v);
    }
    b.Put(std::int32_t{0});
    b.Put(std::int32_t{0});
    for (int j = 0; j < s.points; ++j) b.Put(0.1 * j), b.Put(-0.2 * j);
    for (int j = 0; j < s.points; ++j) b.Put(0.3), b.Put(-0.1 * j);
    for (int j = 0; j < s.points; ++j) b.Put(1.0);
    for (int k = 0; k <= s.degree; ++k) b.Put(0.1 * k + 1), b.Put(0.2 - 0.05 * k);
    b.Put(0.0);
    return b.data;
}

}  // namespace datumtest
