// The grid cells recent points fell into, so that the next point in the same
// cell is shifted without touching the grid files; kept in most-recently-used
// order. The grid files describe their current cells as CsGridFileCell.
#pragma once

#include <cstdint>

// One interpolation cell of a grid file for one of its two shifts: corners in
// degrees (longitude east- or west-positive as the file counts it), and the
// bilinear coefficients a0..a3 in seconds of arc of
// value = a0 + a1 x + a2 y + a3 x y, x and y the point's fractions of the cell.
struct CsGridFileCell {
    double minX, minY, maxX, maxY;
    double density;
    double width, height;
    double coefficients[4];
    char source[32];
};

// The cell's value at the point (X as the cell counts it).
inline double CS_gridCellValue(const CsGridFileCell& cell, double x, double y) {
    const double fx = (x - cell.minX) / cell.width;
    const double fy = (y - cell.minY) / cell.height;
    const double* a = cell.coefficients;
    return a[0] + a[1] * fx + a[2] * fy + a[3] * fx * fy;
}

// Sets a cell empty: no point lies in it.
void CS_emptyGridCell(CsGridFileCell* cell);

// Kinds of cached cells: how longitudes are counted in them.
enum ECsCellKind : int {
    kCsCellNadcon = 1,  // 1, 2: east-positive, the extent at or below 0
    kCsCellHpgn = 2,
    kCsCellNtv1 = 3,  // 3, 4, 5: west-positive
    kCsCellNtv2 = 4,
    kCsCellOther = 5,
};

struct CsGridCell {
    CsGridCell* next;
    int kind;
    double maxX, maxY;
    double minX, minY;
    double cellWidth, cellHeight;
    double coefficients[8];  // a0, b0, a1, b1, ... : longitude a, latitude b
    char source[32];
};

struct CSgridCellCache {
    int maxCells;
    int count;
    CsGridCell* first;
};

// Null with 139 reported for fewer than 2 cells, or 104.
CSgridCellCache* CS_newCellCache(int maxCells);
// Stores a cell from the two shifts' cells (corners, width and longitude
// coefficients from the first, height and latitude coefficients from the
// second), reusing the least recently used one when full: 0, or -1 reported.
int CS_addCell(CSgridCellCache* cache, int kind, const CsGridFileCell* longitudeCell,
               const CsGridFileCell* latitudeCell);
// 0 with the point shifted when a cached cell covers it; 1 when none does
// (output untouched); -1 with 139 for a cell of an unknown kind.
int CS_cellShift(CSgridCellCache* cache, double out[2], const double in[2]);
// Null is accepted by both.
void CS_clearCellCache(CSgridCellCache* cache);
void CS_freeCellCache(CSgridCellCache* cache);
