// What every projection family's tests share: a fixture that builds blocks
// from definitions over the shipped dictionaries, and the checks each family
// makes of its dictionary systems: the WKT written for the system reads back
// to the same definition and PROJ accepts it, and the real wlxconv converts a
// point to the system and back.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/CsWktReader.h"
#include "coordsys/CsWktWriter.h"
#include "testing/TestSupport.h"

namespace familytest {

class FamilyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
    static CsPtr<CsParams> Build(const CsCoordSysDef& def) {
        CsPtr<CsParams> params(CS_paramsFromDef(&def));
        EXPECT_TRUE(params) << CS_lastMessage();
        return params;
    }
    // One point through the system's forward or inverse, height 0.
    static int Forward(const CsParams* params, double lon, double lat, double out[3]) {
        const double in[3] = {lon, lat, 0.0};
        return CS_forwardProject(params, out, in);
    }
    static int Inverse(const CsParams* params, double x, double y, double out[3]) {
        const double in[3] = {x, y, 0.0};
        return CS_inverseProject(params, out, in);
    }
};

inline void ExpectWktRoundTrip(const char* key) {
    SCOPED_TRACE(key);
    ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    CsPtr<CsParams> loaded(CS_loadCoordSys(key));
    ASSERT_TRUE(loaded) << CS_lastMessage();
    std::string text;
    ASSERT_EQ(WriteWkt(*loaded, text), kWktOk);
    CsParams read;
    ASSERT_EQ(ReadWkt(text, &read), kWktOk) << text;
    const CsCoordSysDef &a = loaded->csDef, &b = read.csDef;
    EXPECT_STREQ(b.projectionKey, a.projectionKey);
    EXPECT_EQ(read.projectionCode, loaded->projectionCode);
    auto near = [](double x, double y) { return std::fabs(x - y) <= 1e-10 * std::fmax(1, x); };
    const double expected[] = {a.originLongitude, a.originLatitude, a.falseEasting,
                               a.falseNorthing,   a.scaleReduction, a.unitScale};
    const double actual[] = {b.originLongitude, b.originLatitude, b.falseEasting,
                             b.falseNorthing,   b.scaleReduction, b.unitScale};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_TRUE(near(actual[i], expected[i])) << i << ": " << actual[i] << " " << expected[i];
    }
    for (int i = 0; i < 24; ++i) {
        EXPECT_TRUE(near(b.parameters[i], a.parameters[i])) << "parameter " << i + 1;
    }
    EXPECT_TRUE(near(read.datum.equatorialRadius, loaded->datum.equatorialRadius));
    EXPECT_TRUE(near(read.datum.eccentricity, loaded->datum.eccentricity));
    std::string again;
    ASSERT_EQ(WriteWkt(read, again), kWktOk);
    EXPECT_EQ(again, text);

    if (!wlxtest::HaveTool("projinfo")) GTEST_SKIP() << "projinfo (proj-bin) is not installed";
    auto result = wlxtest::Run(
        "/bin/sh", {"-c", "exec projinfo -o WKT2_2019 --single-line \"$1\"", "sh", text});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out.find("Warning"), std::string::npos) << text << "\n" << result.out;
    EXPECT_EQ(result.out.find("Error"), std::string::npos) << text << "\n" << result.out;
    EXPECT_EQ(result.err, "");
}

// The point of the first record of a WLT file: (x, y), written north first.
inline std::vector<double> WltPoint(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || !(std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '-'))
            continue;
        double north = 0, east = 0;
        char comma = 0;
        std::istringstream cells(line);
        if (cells >> north >> comma >> east) return {east, north};
    }
    return {};
}

// wlxconv /IC /OL /COORDPREC:64 from LL84 to `key` and back: the golden row's
// x, y within `metres`, and its longitude and latitude again.
inline void ExpectProgramRoundTrip(const char* key, double longitude, double latitude, double x,
                                   double y, double metresPerUnit, double metres = 0.001) {
    SCOPED_TRACE(key);
    wlxtest::TempDir dir;
    std::ostringstream csv;
    csv.precision(17);
    csv << "\"p1\",\"golden\"," << latitude << "," << longitude << "\n";
    wlxtest::WriteText(dir / "pts.csv", csv.str());
    wlxtest::RunOptions options;
    options.workingDirectory = dir.path();
    const std::string out = std::string("/COORDSYS:IN:LL84:OUT:") + key;
    auto forward =
        wlxtest::RunWlxconv({"/IC", "/OL", "/COORDPREC:64", out, "pts.csv", "out"}, options);
    ASSERT_EQ(forward.exitCode, 0) << forward.out;
    std::vector<double> xy = WltPoint(wlxtest::ReadText(dir / "out.wlt"));
    ASSERT_EQ(xy.size(), 2u);
    EXPECT_LE(std::hypot(xy[0] - x, xy[1] - y) * metresPerUnit, metres) << xy[0] << " " << xy[1];

    const std::string in = std::string("/COORDSYS:IN:") + key + ":OUT:LL84";
    auto back =
        wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64", in, "out.wlt", "back"}, options);
    ASSERT_EQ(back.exitCode, 0) << back.out;
    std::vector<double> ll = WltPoint(wlxtest::ReadText(dir / "back.wlt"));
    ASSERT_EQ(ll.size(), 2u);
    EXPECT_NEAR(ll[0], longitude, 1e-8);
    EXPECT_NEAR(ll[1], latitude, 1e-8);
}

}  // namespace familytest
