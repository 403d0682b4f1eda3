// The OSTN97 and OSTN02 grids: 1 km grids of easting and northing shifts
// (metres) over Great Britain, read from their text files once and kept as
// a binary file beside them ("_nt" or "_02"), reused while newer.
#pragma once

#include <cstdint>
#include <vector>

#include "coordsys/core/CsCore.h"

struct CsOstnGrid {
    double minLongitude, minLatitude, maxLongitude, maxLatitude, density;
    std::int32_t columns, rows;
    std::int32_t rowSize, nodeSize;
    std::vector<float> nodes;  // easting and northing shift per node, row by row
    char path[kCsPathSize];
    char name[32];
};

// Null with 104, 128, 113 or 158 reported.
CsOstnGrid* CS_ostn97New(const char* textPath);
CsOstnGrid* CS_ostn02New(const char* textPath);
void CS_ostnFree(CsOstnGrid* grid);
// Kept for callers; the nodes stay in memory.
void CS_ostnRelease(CsOstnGrid* grid);
// 0 with the shifts; 1 outside (shifts 0, 0). Points in the last row or
// column, whose cell lacks its upper or right nodes, are outside.
int CS_ostnShift(const CsOstnGrid* grid, double shift[2], const double en[2]);
inline int CS_ostn97Shift(CsOstnGrid* g, double s[2], const double en[2]) {
    return CS_ostnShift(g, s, en);
}
inline int CS_ostn02Shift(CsOstnGrid* g, double s[2], const double en[2]) {
    return CS_ostnShift(g, s, en);
}
// Adds the shifts; on a non-zero result the output is the input.
int CS_ostnForward(const CsOstnGrid* grid, double out[2], const double en[2]);
// Removes them by iteration (139 "CS_geoid99:2" and -1 after 10 rounds).
int CS_ostnInverse(const CsOstnGrid* grid, double out[2], const double en[2]);
inline int CS_ostn97Forward(CsOstnGrid* g, double o[2], const double en[2]) {
    return CS_ostnForward(g, o, en);
}
inline int CS_ostn02Forward(CsOstnGrid* g, double o[2], const double en[2]) {
    return CS_ostnForward(g, o, en);
}
inline int CS_ostn97Inverse(CsOstnGrid* g, double o[2], const double en[2]) {
    return CS_ostnInverse(g, o, en);
}
inline int CS_ostn02Inverse(CsOstnGrid* g, double o[2], const double en[2]) {
    return CS_ostnInverse(g, o, en);
}
