// Golden points of the projection families, with expected values from PROJ
// (see tests/data/generate_golden.py). Each file names a dictionary system or
// defines one inline, gives a tolerance in metres on the ground (and, where the
// inverse series is cut shorter than the forward one, an inverseTolerance),
// and lists "longitude latitude x y" rows; every row is projected forward and
// its x, y back, and both must land within their tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

struct Golden {
    std::map<std::string, std::string> fields;
    std::vector<std::array<double, 4>> rows;
};

Golden Load(const fs::path& path) {
    Golden golden;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (auto equals = line.find('='); equals != std::string::npos) {
            auto trim = [](std::string s) {
                s.erase(0, s.find_first_not_of(' '));
                s.erase(s.find_last_not_of(' ') + 1);
                return s;
            };
            golden.fields[trim(line.substr(0, equals))] = trim(line.substr(equals + 1));
            continue;
        }
        std::istringstream row(line);
        std::array<double, 4> values;
        for (double& v : values) row >> v;
        EXPECT_FALSE(row.fail()) << line;
        golden.rows.push_back(values);
    }
    return golden;
}

CsPtr<CsParams> Build(const Golden& golden) {
    auto field = [&](const std::string& name, const std::string& fallback = "") {
        auto it = golden.fields.find(name);
        return it == golden.fields.end() ? fallback : it->second;
    };
    if (golden.fields.count("system"))
        return CsPtr<CsParams>(CS_loadCoordSys(field("system").c_str()));
    CsCoordSysDef def{};
    std::strcpy(def.key, "GOLDEN");
    std::strcpy(def.projectionKey, field("projection").c_str());
    std::strcpy(def.datumKey, field("datum").c_str());
    std::strcpy(def.ellipsoidKey, field("ellipsoid").c_str());
    std::strcpy(def.unit, field("unit").c_str());
    for (int i = 0; i < 24; ++i) {
        def.parameters[i] = std::stod(field("param" + std::to_string(i + 1), "0"));
    }
    def.originLongitude = std::stod(field("originLongitude", "0"));
    def.originLatitude = std::stod(field("originLatitude", "0"));
    def.falseEasting = std::stod(field("falseEasting", "0"));
    def.falseNorthing = std::stod(field("falseNorthing", "0"));
    def.scaleReduction = std::stod(field("scaleReduction", "1"));
    def.mapScale = 1.0;
    def.quadrant = static_cast<std::int16_t>(std::stoi(field("quadrant", "1")));
    return CsPtr<CsParams>(CS_paramsFromDef(&def));
}

std::vector<std::string> GoldenFiles() {
    std::vector<std::string> names;
    for (const auto& entry :
         fs::directory_iterator(wlxtest::SourcePath("projections/tests/data"))) {
        if (entry.path().extension() == ".golden") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenPoints : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
};

TEST_P(GoldenPoints, MatchProj) {
    Golden golden = Load(wlxtest::SourcePath("projections/tests/data/" + GetParam() + ".golden"));
    ASSERT_FALSE(golden.rows.empty());
    const double tolerance = std::stod(golden.fields.at("tolerance"));
    const double inverseTolerance = golden.fields.count("inverseTolerance")
                                        ? std::stod(golden.fields.at("inverseTolerance"))
                                        : tolerance;
    CsPtr<CsParams> params = Build(golden);
    ASSERT_TRUE(params) << CS_lastMessage();
    const double metresPerUnit = params->csDef.unitScale;

    double worstForward = 0.0, worstInverse = 0.0;
    for (const auto& [longitude, latitude, x, y] : golden.rows) {
        const double ll[3] = {longitude, latitude, 0.0};
        double xy[3];
        EXPECT_EQ(CS_forwardProject(params.get(), xy, ll), 0) << longitude << " " << latitude;
        double forward = std::hypot(xy[0] - x, xy[1] - y) * metresPerUnit;
        EXPECT_LE(forward, tolerance) << "forward " << longitude << " " << latitude;

        const double in[3] = {x, y, 0.0};
        double back[3];
        EXPECT_EQ(CS_inverseProject(params.get(), back, in), 0) << x << " " << y;
        double north = (back[1] - latitude) * 111132.0;
        double east = (back[0] - longitude) * 111320.0 * std::cos(latitude * M_PI / 180.0);
        double inverse = std::hypot(north, east);
        EXPECT_LE(inverse, inverseTolerance) << "inverse " << longitude << " " << latitude;
        worstForward = std::max(worstForward, forward);
        worstInverse = std::max(worstInverse, inverse);
    }
    RecordProperty("worst_forward_m", std::to_string(worstForward));
    RecordProperty("worst_inverse_m", std::to_string(worstInverse));
}

INSTANTIATE_TEST_SUITE_P(Proj, GoldenPoints, ::testing::ValuesIn(GoldenFiles()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
