// The Mercator, transverse and oblique cylindrical families end to end: the
// real wlxconv projects a point of each family's golden file (made by PROJ)
// from a CSV into a WLT, and takes that WLT back to latitude and longitude.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "testing/TestSupport.h"

namespace {

// The coordinates of the WLT's point records (northing or latitude first).
std::vector<double> PointLines(const std::string& text) {
    std::vector<double> numbers;
    std::istringstream lines(text);
    const std::regex pair("^(-?[0-9.]+),(-?[0-9.]+)$");
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, pair)) {
            numbers.push_back(std::stod(match[1]));
            numbers.push_back(std::stod(match[2]));
        }
    }
    return numbers;
}

// One row of each family's golden file in projections/tests/data.
const struct {
    const char* key;
    double longitude, latitude, x, y;
    double inverseTolerance = 0.001;  // metres, the golden file's
} kRows[] = {
    {"WGS84-MERC41", 170.0, -60.0, 5889462.957985028, -6320521.100279815},
    {"BESSEL-NEIEZ", 141.0, -11.0, 7340152.408164373, -320169.890688276},
    {"EXAMPLE-TM-SNYDER", 19.0, 45.0, 815261.427153925, 4990738.261611241, 0.003},
};

TEST(CylindricalProgram, ProjectsAGoldenRowAndBack) {
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.key);
        wlxtest::TempDir dir;
        std::ostringstream csv;
        csv.precision(17);
        csv << "\"p1\",\"golden\"," << row.latitude << "," << row.longitude << "\n";
        wlxtest::WriteText(dir / "pts.csv", csv.str());
        wlxtest::RunOptions options;
        options.workingDirectory = dir.path();

        const std::string out = std::string("/COORDSYS:IN:LL84:OUT:") + row.key;
        auto result =
            wlxtest::RunWlxconv({"/IC", "/OL", "/COORDPREC:64", out, "pts.csv", "out"}, options);
        ASSERT_EQ(result.exitCode, 0) << result.out;
        const std::string projected = wlxtest::ReadText(dir / "out.wlt");
        EXPECT_NE(projected.find(std::string("#PROJCS[\"") + row.key + "\""), std::string::npos);
        std::vector<double> xy = PointLines(projected);
        ASSERT_EQ(xy.size(), 2u) << projected;
        EXPECT_NEAR(xy[1], row.x, 0.001);
        EXPECT_NEAR(xy[0], row.y, 0.001);

        const std::string back = std::string("/COORDSYS:IN:") + row.key + ":OUT:LL84";
        result =
            wlxtest::RunWlxconv({"/IL", "/OL", "/COORDPREC:64", back, "out.wlt", "back"}, options);
        ASSERT_EQ(result.exitCode, 0) << result.out;
        std::vector<double> ll = PointLines(wlxtest::ReadText(dir / "back.wlt"));
        ASSERT_EQ(ll.size(), 2u);
        const double north = (ll[0] - row.latitude) * 111132.0;
        const double east =
            (ll[1] - row.longitude) * 111320.0 * std::cos(row.latitude * M_PI / 180.0);
        EXPECT_LE(std::hypot(north, east), row.inverseTolerance) << ll[1] << " " << ll[0];
    }
}

}  // namespace
