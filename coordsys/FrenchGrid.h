// The NTF to RGF93 shift: geocentric translations interpolated from the text
// grid "gr3df97a.txt" of the dictionary directory, one grid shared by every
// converter with a use count.
#pragma once

#include <cstdint>
#include <vector>

#include "coordsys/core/CsCore.h"

struct CsFrenchGrid {
    double minLongitude, minLatitude, maxLongitude, maxLatitude;
    double coverage;  // the latitude step
    std::int32_t columns, rows;
    double lonStep, latStep;
    double grsA, grsE2;
    double clarkeA, clarkeE2;
    char path[kCsPathSize];
    char name[32];
    std::vector<std::int32_t> tX, tY, tZ;  // millimetres, node (c, r) at r x columns + c
};

// Null with 128, 113, 107 or 104 reported.
CsFrenchGrid* CS_frenchGridNew(const char* path);
void CS_frenchGridFree(CsFrenchGrid* grid);
// 0 inside; 1 outside with the mean translations (-168, -60, +320).
int CS_frenchGridShifts(const CsFrenchGrid* grid, const double ll[2], double* tX, double* tY,
                        double* tZ);
int CS_ntfToRgf93(const CsFrenchGrid* grid, double out[3], const double in[3]);
int CS_rgf93ToNtf(const CsFrenchGrid* grid, double out[3], const double in[3]);

// Line handling of the grid: blanks collapsed, fields split (at most `max`).
void CS_collapseBlanks(char* line);
int CS_splitFields(char* line, const char* fields[], int max);

// The converter's step 20 over the shared grid.
int CS_frenchGridInit();
void CS_frenchGridRelease();
int CS_frenchGridUseCount();
int CS_frenchGridForward(double out[3], const double in[3]);
int CS_frenchGridInverse(double out[3], const double in[3]);
