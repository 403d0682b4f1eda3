// What every projection family shares: the routine signatures of the family
// contract (the slots it fills are in the parameter block), the projection
// codes, and the numeric conventions.
#pragma once

#include <cstdint>

#include "coordsys/core/CsParamsBlock.h"

// Fills the family's constants, the useful range and all eight slots.
using CsSetupFn = void (*)(CsParams* params);
// Counts the definition's problems, storing their error codes while
// `capacity` lasts (a null array counts as capacity 0).
using CsCheckFn = int (*)(const CsCoordSysDef* def, std::uint16_t code, int errors[], int capacity);

enum ECsProjectionCode : std::uint16_t {
    kCsProjLl = 1,
    kCsProjLm = 37,
    kCsProjLm1sp = 36,
    kCsProjLmblgn = 38,
    kCsProjLmWccs = 39,
    kCsProjLmMndot = 41,
    kCsProjTm = 3,
    kCsProjUtm = 44,
    kCsProjGaussk = 46,
    kCsProjSotm = 43,
    kCsProjTmWccs = 40,
    kCsProjTmMndot = 42,
    kCsProjTmSnyder = 45,
    kCsProjAe = 4,
    kCsProjHom1uv = 1281,
    kCsProjHom1xy = 1282,
    kCsProjHom2uv = 1283,
    kCsProjHom2xy = 1284,
    kCsProjRskew = 1285,
    kCsProjRskewc = 1286,
    kCsProjMrcat = 6,
    kCsProjMrcatk = 49,
    kCsProjAzmed = 7,
    kCsProjAzmea = 11,
    kCsProjLmtan = 8,
    kCsProjPlycn = 9,
    kCsProjModpc = 10,
    kCsProjEdcnc = 12,
    kCsProjMiller = 13,
    kCsProjOsterous = 35,
    kCsProjOstero = 34,
    kCsProjPstero = 33,
    kCsProjPsterosl = 53,
    kCsProjSinus = 17,
    kCsProjOrtho = 18,
    kCsProjGnomonic = 19,
    kCsProjEdcyl = 20,
    kCsProjVdgrntn = 21,
    kCsProjCassini = 22,
    kCsProjMstero = 15,
    kCsProjNzealand = 16,
    kCsProjRobinson = 23,
    kCsProjBonne = 24,
    kCsProjEckert4 = 25,
    kCsProjEckert6 = 26,
    kCsProjMollweid = 27,
    kCsProjGoode = 28,
    kCsProjNeacyl = 29,
    kCsProjTeacyl = 30,
    kCsProjBipolar = 31,
    kCsProjSwiss = 32,
    kCsProjKrovak = 47,
    kCsProjKrovak95 = 51,
    kCsProjTmaf = 54,
    kCsProjNerth = 55,
    kCsProjObqcyl = 56,
    kCsProjSystm34 = 57,
    kCsProjOstn97 = 58,
    kCsProjAzmedElev = 59,
    kCsProjOstn02 = 60,
    kCsProjSystm3499 = 61,
    kCsProjRskewo = 1287,
    kCsProjTrmrkrg = 62,
    kCsProjWinkel = 63,
};

inline constexpr double kCsPi = 3.14159265358979323846;
inline constexpr double kCsHalfPi = kCsPi / 2.0;
inline constexpr double kCsTwoPi = 2.0 * kCsPi;
inline constexpr double kCsDegToRad = 0.017453292519943295;
inline constexpr double kCsRadToDeg = 57.29577951308232;
// Latitudes, longitude differences and points this close count as equal.
inline constexpr double kCsAngularTolerance = 4.85e-8;
// The largest latitude treated as regular (pi/2 less the tolerance).
inline constexpr double kCsMaxLatitude = 1.5707962782948965;
inline constexpr double kCsPoleTangent = 1e32;
// Reported where the true scale is infinite.
inline constexpr double kCsInfiniteScale = 9999.99;
// Equality tolerance of the checks, degrees (0.1 second of arc).
inline constexpr double kCsCheckTolerance = 2.78e-05;
inline constexpr double kCsMaxParallel = 89.9997222;
inline constexpr double kCsMinScaleReduction = 0.5;
inline constexpr double kCsMaxScaleReduction = 1.5;

// Stores `code` at the next free place of a check's error array and counts it.
inline void CS_addCheckError(int errors[], int capacity, int& count, int code) {
    if (errors != nullptr && count < capacity) errors[count] = code;
    ++count;
}
