// What the end-to-end tests compare wlxconv's work with: files that ogr2ogr
// writes, what ogrinfo reads from a file, and readers of wlxconv's own WLT
// records, exported tables and summary.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "testing/TestSupport.h"

namespace wlxtest {

// ogr2ogr's shapefile `shp` of a GeoJSON file, its DBF in UTF-8.
inline void MakeShapefile(const std::filesystem::path& ogr2ogr,
                          const std::filesystem::path& geojson, const std::filesystem::path& shp) {
    const auto result = Run(ogr2ogr, {"-f", "ESRI Shapefile", "-lco", "ENCODING=UTF-8",
                                      shp.string(), geojson.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

struct OgrField {
    std::string type;
    std::string value;
};
struct OgrFeature {
    std::map<std::string, OgrField> fields;
    std::string geometry;                           // as WKT
    std::vector<std::pair<double, double>> points;  // the x and y of every vertex of it
};

// Every feature of `file` as ogrinfo lists it.
inline std::vector<OgrFeature> OgrInfo(const std::filesystem::path& ogrinfo,
                                       const std::filesystem::path& file) {
    const auto result = Run(ogrinfo, {"-al", "-q", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<OgrFeature> features;
    // A type may carry a subtype: "Integer(Boolean)".
    const std::regex field("^  (\\w+) \\((\\w+(?:\\(\\w+\\))?)\\) = (.*)$");
    const std::regex geometry("^  ([A-Z]+ .*)$");
    const std::regex pair("(-?[0-9.e+-]+) (-?[0-9.e+-]+)");
    std::istringstream lines(result.out);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (line.rfind("OGRFeature(", 0) == 0) features.emplace_back();
        if (features.empty()) continue;
        if (std::regex_match(line, m, field))
            features.back().fields[m[1]] = OgrField{m[2], m[3]};
        else if (std::regex_match(line, m, geometry)) {
            OgrFeature& feature = features.back();
            feature.geometry = m[1];
            for (auto it =
                     std::sregex_iterator(feature.geometry.begin(), feature.geometry.end(), pair);
                 it != std::sregex_iterator(); ++it)
                feature.points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
        }
    }
    return features;
}

// An integer field; 0 when the feature has none.
inline int IntField(const OgrFeature& feature, const std::string& name) {
    const auto found = feature.fields.find(name);
    return found == feature.fields.end() ? 0 : std::stoi(found->second.value);
}

// The first two numbers of a geometry's text: a point's, or a multipoint's first.
inline std::pair<double, double> FirstPoint(const std::string& wkt) {
    std::smatch m;
    const std::regex numbers("([-0-9.e]+) ([-0-9.e]+)");
    if (!std::regex_search(wkt, m, numbers)) return {0, 0};
    return {std::stod(m[1]), std::stod(m[2])};
}

using Rows = std::vector<std::vector<std::string>>;

// Our CSV files: fields separated by commas, quoted fields with doubled quotes.
inline Rows ReadCsv(const std::filesystem::path& file) {
    Rows rows;
    std::istringstream lines(ReadText(file));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        rows.push_back(fields);
    }
    return rows;
}

struct WltRecord {
    std::string kind, name, key;
    std::vector<std::pair<double, double>> points;  // x, y
};

// The records of a WLT file: a header line, then one "y,x" line a point.
inline std::vector<WltRecord> ReadWlt(const std::filesystem::path& file) {
    std::vector<WltRecord> records;
    std::istringstream lines(ReadText(file));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        // A header is a kind letter and a comma; a point line may be "0,-180".
        if (line.size() > 1 && line[1] == ',' && std::strchr("MLP", line[0])) {
            std::istringstream header(line);
            std::vector<std::string> fields;
            for (std::string field; std::getline(header, field, ',');)
                fields.push_back(field.size() >= 2 && field.front() == '"'
                                     ? field.substr(1, field.size() - 2)
                                     : field);
            fields.resize(std::max<std::size_t>(fields.size(), 3));
            records.push_back({fields[0], fields[1], fields[2], {}});
        } else if (!records.empty()) {
            const std::size_t comma = line.find(',');
            records.back().points.emplace_back(std::stod(line.substr(comma + 1)),
                                               std::stod(line.substr(0, comma)));
        }
    }
    return records;
}

// The counts of the summary wlxconv prints at the end of a run.
inline std::string Summary(int points, int polylines, int polypolylines, int polygons,
                           int polypolygons) {
    std::ostringstream s;
    s << "\nPoints: " << points << "\nPolylines: " << polylines
      << "\nPolyPolylines: " << polypolylines << "\nPolygons: " << polygons
      << "\nPolyPolygons: " << polypolygons
      << "\nTotal: " << points + polylines + polypolylines + polygons + polypolygons
      << "\nEMFs created: 0\n";
    return s.str();
}

}  // namespace wlxtest
