// One grid file in the NADCON binary layout: the NAD27 to NAD83 .las
// (latitude) and .los (longitude) shift files, the HPGN files of the same
// layout and files with the extensions "94" and "geo". Little-endian: a
// 96-byte header in the first record, then one record per row from the south,
// each a 4-byte prefix and one f32 per column from the west. Values are
// seconds of arc (the longitude shift positive west); longitudes east-positive.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/GridFileInput.h"

// Kinds from the file name.
enum ECsUsGridKind : int {
    kCsUsGridNadconLos = 1,
    kCsUsGridNadconLas = 2,
    kCsUsGridHpgnLas = 3,
    kCsUsGridHpgnLos = 4,
    kCsUsGridVertcon = 5,  // extension "94"
    kCsUsGridGeoid = 6,    // extension "geo"
    kCsUsGridOther = 999,
};

struct CS_usGridFile {
    int kind = kCsUsGridOther;
    double minLongitude = 0, minLatitude = 0, maxLongitude = 0, maxLatitude = 0;
    double density = 0;
    double lonStep = 0, latStep = 0;  // snapped to whole seconds of arc
    std::int32_t columns = 0, rows = 0;
    std::int32_t recordSize = 0;
    std::uint64_t fileSize = 0;
    std::uint64_t bufferSize = 0;
    CGridFileInput input;
    CGridWindow window;
    CsGridFileCell cell{};  // the current cell: corners and a0..a3
    std::string path;
    char name[16] = {};

    explicit CS_usGridFile(CGridFileInput in) : input(std::move(in)) {}
};

// The kind of a file by its name (extension and "hpgn" prefix, any case).
int CS_usGridFileKind(const std::string& path);

// Opens the file and reads its header (`density` in degrees replaces the
// file's own when not 0); null with 104, 113, 128 or 107 reported.
CS_usGridFile* CS_usGridFileNew(const char* path, int bufferSize, double density);
// The same over bytes in memory under a name (they must outlive the file).
CS_usGridFile* CS_usGridFileNewBytes(const char* name, std::span<const std::uint8_t> bytes,
                                     int bufferSize, double density);
// Loads the cell holding the point: 0, or -1 reported (139 outside the grid).
int CS_usGridFileCell(CS_usGridFile* file, const double ll[2]);
// The density when min <= longitude < max and min <= latitude < max, else 0.
double CS_usGridFileCoverage(const CS_usGridFile* file, const double ll[2]);
// The file's value at the point (seconds of arc): 0, or the failed cell
// load's result with the value 0.
int CS_usGridFileValue(CS_usGridFile* file, double* value, const double ll[2]);
// Frees the buffer, empties the window and the cell, closes the file.
void CS_usGridFileRelease(CS_usGridFile* file);
// Null is accepted.
void CS_usGridFileFree(CS_usGridFile* file);
