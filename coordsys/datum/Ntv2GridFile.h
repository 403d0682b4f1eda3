// Grid files in the NTv2 layout: an overview header, then sub-files, each a
// header and its node records, possibly nested (a sub-grid names its parent).
// Two header layouts are read, told apart by their bytes: 16-byte records
// (the published one) and 12-byte integer records. Shifts are in seconds of
// arc, the longitude shift positive west.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/GridFileInput.h"

inline constexpr std::uint16_t kCsNtv2NoGrid = 0xFFFF;
// Read-buffer size when the catalog gives none: national grids stay in it.
inline constexpr int kCsNtv2DefaultBuffer = 4 * 1024 * 1024;

struct CsNtv2SubGrid {
    double westEdge, southEdge, eastEdge, northEdge;  // east-positive degrees
    double minX, minY, maxX, maxY;                    // west-positive degrees: E_LONG..W_LONG
    double lonStep, latStep;                          // degrees
    double density;
    std::uint64_t nodeOffset;
    std::int32_t nodeCount;
    std::uint16_t parent;
    std::uint16_t firstChild;
    std::int32_t rows, columns;
    std::int32_t rowSize;  // bytes
    bool sixteenByteLayout;
    char name[9];
    char parentName[9];
};

struct CsNtv2File {
    std::vector<CsNtv2SubGrid> subGrids;
    CGridFileInput input;
    CGridBlockCache blocks;  // the read buffer
    int overviewRecords = 0, subFileRecords = 0, subFileCount = 0;
    std::int16_t nodeSize = 16;
    bool cellMayBeCached = false;  // set by every shift
    int kind = 0;
    int layout = 0;  // 1: 16-byte records, 2: 12-byte records
    int bufferSize = 0;
    CsGridFileCell longitudeCell{}, latitudeCell{};
    std::string path;
    char name[16] = {};

    explicit CsNtv2File(CGridFileInput in) : input(std::move(in)) {}
};

// Opens and indexes the file (`density`, in degrees, replaces the sub-grids'
// own when not 0); null with 104, 128, 107 or 113 reported (the path as
// context): every count and offset is checked against the file's size, and a
// sub-grid whose parent is missing is refused.
CsNtv2File* CS_ntv2Open(int kind, const char* path, int bufferSize, double density);
// The same over bytes in memory under a name (they must outlive the file).
CsNtv2File* CS_ntv2OpenBytes(int kind, const char* name, std::span<const std::uint8_t> bytes,
                             int bufferSize, double density);
// Closes and frees; null is accepted.
void CS_ntv2Close(CsNtv2File* file);
// Closes the file and frees its buffer; the next shift opens it again.
void CS_ntv2Release(CsNtv2File* file);
// The density (degrees) of the sub-grid the point falls into, 0 for none.
double CS_ntv2Coverage(const CsNtv2File* file, const double ll[2]);
// The index of the finest sub-grid holding the point, kCsNtv2NoGrid for none.
std::uint16_t CS_ntv2FindSubGrid(const CsNtv2File* file, const double ll[2]);
// The longitude and latitude shifts (seconds of arc, longitude positive west)
// at the point: 0; 1 when no sub-grid holds it (shifts 0, 0); -1 reported.
// The two current cells then hold the point's cell.
int CS_ntv2Shift(CsNtv2File* file, double shift[2], const double ll[2]);
