// What ogrinfo reads from a design, for comparing the plug-in with it: every
// feature's fields and the coordinates of its geometry, and the fixed colour
// table its colour indexes stand for.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dgn/DgnGlobal.h"
#include "testing/TestSupport.h"

namespace dgntest {

struct SOgrFeature {
    std::map<std::string, std::string> fields;
    std::string geometry;
    std::vector<std::pair<double, double>> points;
};

// Every feature as `ogrinfo -al` lists it, with the coordinates of its geometry.
inline std::vector<SOgrFeature> OgrFeatures(const std::filesystem::path& ogrinfo,
                                            const std::filesystem::path& design) {
    const auto result = wlxtest::Run(ogrinfo, {"-al", "-q", design.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<SOgrFeature> features;
    const std::regex field("^  (\\w+) \\(\\w+(?:\\(\\w+\\))?\\) = (.*)$");
    const std::regex geometry("^  ([A-Z]+ \\(.*)$");
    const std::regex pair("(-?[0-9.e+-]+) (-?[0-9.e+-]+)");
    std::istringstream lines(result.out);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (line.rfind("OGRFeature(", 0) == 0) features.emplace_back();
        if (features.empty()) continue;
        if (std::regex_match(line, m, field)) {
            features.back().fields[m[1]] = m[2];
        } else if (std::regex_match(line, m, geometry)) {
            features.back().geometry = m[1];
            const std::string wkt = m[1];
            for (auto it = std::sregex_iterator(wkt.begin(), wkt.end(), pair);
                 it != std::sregex_iterator(); ++it)
                features.back().points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
        }
    }
    return features;
}

// An integer field; 0 when the feature has none.
inline int Field(const SOgrFeature& f, const std::string& name) {
    const auto found = f.fields.find(name);
    return found == f.fields.end() ? 0 : std::stoi(found->second);
}

// The fixed table's colour of an index as the contract carries it.
inline std::int32_t FixedColour(int index) {
    const DgnRgb rgb = CDgnGlobal::FixedColours()[index];
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16;
}

}  // namespace dgntest
