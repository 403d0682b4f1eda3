// The outside tools the library is compared with: covers made from E00 texts
// by `avcimport`, their features as `ogrinfo -ro -al` prints them, and their
// tic table as `avcexport` writes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace covtest {

// Imports the fixture coverage/lib/tests/data/<name>.e00 as workspace/<name>;
// false when `avcimport` fails.
bool ImportE00(const std::filesystem::path& avcimport, const std::string& name,
               const std::filesystem::path& workspace);

struct OgrFeature {
    std::int64_t fid = 0;
    std::map<std::string, std::string> fields;  // name -> value text
    std::vector<double> coordinates;            // every number of the geometry, in order
};

// Layer name -> features; empty when ogrinfo cannot open the cover.
using OgrLayers = std::map<std::string, std::vector<OgrFeature>>;

OgrLayers ReadWithOgrInfo(const std::filesystem::path& ogrinfo,
                          const std::filesystem::path& cover_directory);

// The integers of an IntegerList value such as "(3:1,0,-2)".
std::vector<std::int32_t> IntegerList(const std::string& value);

struct ExportedTic {
    std::int32_t id;
    double x, y;
};
// The rows of the cover's TIC table in `avcexport`'s E00 output.
std::vector<ExportedTic> TicsFromAvcExport(const std::filesystem::path& avcexport,
                                           const std::filesystem::path& cover_directory);

}  // namespace covtest
