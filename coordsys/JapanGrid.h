// The Tokyo to JGD2000 shift by the Japanese third-mesh grid: a text file of
// per-mesh latitude and longitude shifts, kept as records sorted by mesh code
// (also written beside the text as a binary "_jg" file, reused while newer).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coordsys/datum/GridCellCache.h"

struct CsJapanRecord {
    std::uint32_t mesh;
    std::int32_t latShift;  // seconds of arc x 100000
    std::int32_t lonShift;
};

struct CsJapanGrid {
    CsGridFileCell longitudeCell, latitudeCell;  // the current cell, east-positive
    double latCellSize, lonCellSize;
    std::vector<CsJapanRecord> records;
    char path[260];
    char name[32];
};

// Null with 104, 128 or 113 reported.
CsJapanGrid* CS_japanGridNew(const char* path, int number1, unsigned number2, double density);
void CS_japanGridFree(CsJapanGrid* grid);
// 0 with 139 reported outside 120..160 E, 20..60 N.
std::uint32_t CS_japanMeshCode(const double ll[2]);
void CS_japanMeshCorner(double ll[2], std::uint32_t code);
// 0 shifted; 1 not covered (output = input); -1 failed. The shift adds east
// and north, which no kind of the cell cache describes: its cells stay out.
int CS_japanGridShift(CsJapanGrid* grid, double out[2], const double in[2], CSgridCellCache* cache);
// The binary file's name beside the text file.
std::string CS_japanBinaryPath(const std::string& textPath);
