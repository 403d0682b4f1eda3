// Grid files in the NTv1 layout: one regular grid of latitude and longitude
// shifts (seconds of arc, the longitude shift positive west) behind a header
// of 12 records of 16 bytes; rows from the south, each from the east edge
// westwards. The published files are big-endian, files of this system's
// little-endian; the header's record count tells which.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/GridFileInput.h"

struct CsNtv1File {
    // Extent in west-positive degrees: E (minimum X), S, W (maximum X), N.
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double density = 0;
    std::int32_t headerRecords = 0;
    std::int32_t columns = 0, rows = 0;
    std::int32_t rowSize = 0;  // bytes
    double lonStep = 0, latStep = 0;
    std::uint64_t fileSize = 0;
    CGridFileInput input;
    std::uint64_t bufferSize = 0;
    CGridWindow window;
    bool bigEndian = false;
    bool cellLoaded = false;
    CsGridFileCell longitudeCell{}, latitudeCell{};
    std::string path;
    char name[16] = {};

    explicit CsNtv1File(CGridFileInput in) : input(std::move(in)) {}
};

// Opens the file and reads its header (`density` in degrees replaces the
// file's own when not 0); null with 104, 128, 107 or 113 reported.
CsNtv1File* CS_ntv1Open(const char* path, int bufferSize, unsigned secondNumber, double density);
// The same over bytes in memory under a name (they must outlive the file).
CsNtv1File* CS_ntv1OpenBytes(const char* name, std::span<const std::uint8_t> bytes, int bufferSize,
                             double density);
// Null is accepted.
void CS_ntv1Free(CsNtv1File* file);
// Frees the buffer, empties the window and both cells, closes the file.
void CS_ntv1Release(CsNtv1File* file);
// The density when E <= X < W and S <= Y < N (X the negated longitude), else 0.
double CS_ntv1Coverage(const CsNtv1File* file, const double ll[2]);
// The longitude and latitude shifts at the point: 0, or -1 reported (shifts
// 0, 0; 139 for a point outside the grid).
int CS_ntv1Shift(CsNtv1File* file, double shift[2], const double ll[2]);
