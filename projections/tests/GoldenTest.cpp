// Golden points of the projection families, with expected values from PROJ
// (see tests/data/generate_golden.py). Each file names a dictionary system or
// defines one inline, gives a tolerance in metres on the ground (and, where the
// inverse series is cut shorter than the forward one, an inverseTolerance),
// and lists rows of the columns its "columns" line names (default "longitude
// latitude x y"; "-" is no value). Every row is projected forward with the
// status it gives (0 when it gives none) and must land on its x, y; a row of
// status 0 comes back from its x, y; k, h and convergence are compared with the
// parallel and meridian scales and the convergence, within scaleTolerance and
// convergenceTolerance (degrees).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "coordsys/CsParams.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

using Row = std::map<std::string, double>;  // the row's cells that have a value

struct Golden {
    std::map<std::string, std::string> fields;
    std::vector<Row> rows;
};

Golden Load(const fs::path& path) {
    Golden golden;
    std::vector<std::string> columns = {"longitude", "latitude", "x", "y"};
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
            std::string name = trim(line.substr(0, equals));
            golden.fields[name] = trim(line.substr(equals + 1));
            if (name == "columns") {
                columns.clear();
                std::istringstream names(golden.fields[name]);
                for (std::string column; names >> column;) columns.push_back(column);
            }
            continue;
        }
        std::istringstream cells(line);
        Row row;
        std::string cell;
        for (size_t i = 0; cells >> cell; ++i) {
            EXPECT_LT(i, columns.size()) << "more cells than columns: " << line;
            if (i >= columns.size() || cell == "-") continue;
            std::size_t used = 0;
            double value = std::stod(cell, &used);
            EXPECT_EQ(used, cell.size()) << line;
            row[columns[i]] = value;
        }
        EXPECT_TRUE(row.count("longitude") && row.count("latitude")) << line;
        golden.rows.push_back(row);
    }
    return golden;
}

std::optional<double> Cell(const Row& row, const char* column) {
    auto it = row.find(column);
    return it == row.end() ? std::nullopt : std::optional<double>(it->second);
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
    auto tolerance = [&](const char* name, double fallback) {
        auto it = golden.fields.find(name);
        return it == golden.fields.end() ? fallback : std::stod(it->second);
    };
    const double forwardTolerance = std::stod(golden.fields.at("tolerance"));
    const double inverseTolerance = tolerance("inverseTolerance", forwardTolerance);
    // PROJ prints scales and convergence to eight decimals.
    const double scaleTolerance = tolerance("scaleTolerance", 1e-8);
    const double convergenceTolerance = tolerance("convergenceTolerance", 1e-8);
    CsPtr<CsParams> params = Build(golden);
    ASSERT_TRUE(params) << CS_lastMessage();
    const CsProjectionConstants* constants = CS_constants(params.get());
    const double metresPerUnit = params->csDef.unitScale;

    double worstForward = 0.0, worstInverse = 0.0, worstScale = 0.0, worstConvergence = 0.0;
    for (const Row& row : golden.rows) {
        const double longitude = row.at("longitude"), latitude = row.at("latitude");
        std::ostringstream where;
        where << longitude << " " << latitude;
        const int status = static_cast<int>(Cell(row, "status").value_or(0.0));
        const double ll[3] = {longitude, latitude, 0.0};
        double xy[3];
        EXPECT_EQ(CS_forwardProject(params.get(), xy, ll), status) << where.str();
        EXPECT_TRUE(std::isfinite(xy[0]) && std::isfinite(xy[1])) << where.str();

        auto x = Cell(row, "x"), y = Cell(row, "y");
        if (x && y) {
            double forward = std::hypot(xy[0] - *x, xy[1] - *y) * metresPerUnit;
            EXPECT_LE(forward, forwardTolerance) << "forward " << where.str();
            worstForward = std::max(worstForward, forward);
        }
        if (x && y && status == 0) {
            const double in[3] = {*x, *y, 0.0};
            double back[3];
            EXPECT_EQ(CS_inverseProject(params.get(), back, in), 0) << *x << " " << *y;
            double north = (back[1] - latitude) * 111132.0;
            double east = (back[0] - longitude) * 111320.0 * std::cos(latitude * M_PI / 180.0);
            double inverse = std::hypot(north, east);
            EXPECT_LE(inverse, inverseTolerance) << "inverse " << where.str();
            worstInverse = std::max(worstInverse, inverse);
        }
        struct {
            const char* column;
            CsScaleFn routine;
            double tolerance;
            double* worst;
        } scales[] = {
            {"k", params->parallelScale, scaleTolerance, &worstScale},
            {"h", params->meridianScale, scaleTolerance, &worstScale},
            {"convergence", params->convergence, convergenceTolerance, &worstConvergence},
        };
        for (const auto& scale : scales) {
            auto expected = Cell(row, scale.column);
            if (!expected) continue;
            double error = std::fabs(scale.routine(constants, ll) - *expected);
            EXPECT_LE(error, scale.tolerance) << scale.column << " " << where.str();
            *scale.worst = std::max(*scale.worst, error);
        }
    }
    auto text = [](double value) {
        std::ostringstream out;
        out.precision(3);
        out << value;
        return out.str();
    };
    RecordProperty("worst_forward_m", text(worstForward));
    RecordProperty("worst_inverse_m", text(worstInverse));
    RecordProperty("worst_scale", text(worstScale));
    RecordProperty("worst_convergence_deg", text(worstConvergence));
}

INSTANTIATE_TEST_SUITE_P(Proj, GoldenPoints, ::testing::ValuesIn(GoldenFiles()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
