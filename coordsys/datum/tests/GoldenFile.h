// The datum-shift golden files (tests/data/*.golden, filled from PROJ and
// GDAL by tests/data/generate_golden.py): "name = value" fields, then rows of
// numbers where the word "outside" stands for a pair that PROJ could not give
// (read as two NaNs).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testing/TestSupport.h"

namespace datumtest {

struct GoldenRow {
    std::vector<double> values;
};

struct Golden {
    std::filesystem::path path;
    std::map<std::string, std::string> fields;
    std::vector<GoldenRow> rows;

    std::string Field(const std::string& name, const std::string& fallback = "") const {
        auto it = fields.find(name);
        return it == fields.end() ? fallback : it->second;
    }
};

inline std::string Trim(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

inline Golden LoadGolden(const std::filesystem::path& path) {
    Golden golden;
    golden.path = path;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (auto equals = line.find('='); equals != std::string::npos) {
            golden.fields[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
            continue;
        }
        std::istringstream text(line);
        GoldenRow row;
        std::string word;
        while (text >> word) {
            if (word == "outside") {
                row.values.insert(row.values.end(), 2, std::nan(""));
            } else {
                row.values.push_back(std::stod(word));
            }
        }
        golden.rows.push_back(row);
    }
    return golden;
}

// The golden files of tests/data whose "kind" field is `kind`.
inline std::vector<Golden> GoldenFiles(const std::string& kind) {
    std::vector<Golden> files;
    const auto dir = wlxtest::SourcePath("coordsys/datum/tests/data");
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".golden") continue;
        Golden golden = LoadGolden(entry.path());
        if (golden.Field("kind") == kind) files.push_back(golden);
    }
    return files;
}

}  // namespace datumtest
