// Grid-shift catalogs (.gdc) and the grid families built from them: each
// datum pair with grid data is one process-wide family, reference-counted by
// the datum converters that run it, holding one grid-file object per catalog
// entry, a cell cache and an optional parameter-method fallback used where no
// grid file covers a point. Results of a family's shifts: 0 shifted; 1 outside
// every grid file and no fallback (output unshifted); 2 outside every grid
// file, fallback used; negative failed.
#pragma once

#include <cstdint>
#include <string>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumMethods.h"

inline constexpr int kCsCatalogPathSize = 520;
inline constexpr int kCsCatalogLineSize = 323;

enum ECsCatalogError : int {
    kCsErrPathFormat = 313,
    kCsErrHpgnInNad = 314,
    kCsErrNadExtension = 315,
    kCsErrNadLas = 316,
    kCsErrNadLos = 317,
    kCsErrNadInHarn = 318,
    kCsErrHarnLas = 319,
    kCsErrHarnLos = 320,
    kCsErrHarnExtension = 321,
    kCsErrCatalogOpen = 326,
    kCsErrCatalogExtension = 327,
    kCsErrNoFallback = 355,
    kCsErrFallbackMissing = 356,
    kCsErrFallbackType = 357,
};

enum ECsCatalogPathKind : std::uint16_t {
    kCsPathAsIs = 0,
    kCsPathDot = 1,     // "./x": the catalog's directory, then x
    kCsPathDotDot = 2,  // "../x": kept whole behind the catalog's directory
};

struct CsGridCatalogEntry {
    CsGridCatalogEntry* next;
    char path[kCsCatalogPathSize];
    double density;           // degrees; 0: the grid file's own
    std::int32_t bufferSize;  // the first number
    std::uint32_t secondNumber;
    std::uint16_t pathKind;
};

struct CsGridCatalog {
    char directory[kCsCatalogPathSize];  // ends in '/'
    char fallbackKey[kCsKeySize];
    CsGridCatalogEntry* first;
    std::string comments[3];
};

// The parsed catalog, or null with the reason reported.
CsGridCatalog* CS_readGridCatalog(const char* path);
// Null is accepted.
void CS_freeGridCatalog(CsGridCatalog* catalog);
// Null past the end.
CsGridCatalogEntry* CS_catalogEntry(const CsGridCatalog* catalog, int index);
const char* CS_catalogFallbackKey(const CsGridCatalog* catalog);
// Null with 104 (or 313/327 for a malformed path) reported.
CsGridCatalogEntry* CS_newCatalogEntry(const char* path, int pathKind, std::int32_t number1,
                                       std::uint32_t number2, double density);

// ---------------------------------------------------------------------------
// Fallbacks

struct CsFallback {
    CsDatumShiftMethod method;
    void* object;
    char description[kCsKeySize + 16];
};

CsFallback* CS_newFallback(const char* datumKey, const char* catalogName);
// Null is accepted.
void CS_freeFallback(CsFallback* fallback);
// 2 when the method shifted, 1 when it did not; -1 reported for no fallback.
int CScalcFallbackForward(CsFallback* fallback, double out[3], const double in[3]);
int CScalcFallbackInverse(CsFallback* fallback, double out[3], const double in[3]);

// The WGS84 block the converter and the fallbacks share (no rotations, no
// scale), loaded on first use; null when it cannot be loaded.
const CsDatumBlock* CS_keptWgs84();

// ---------------------------------------------------------------------------
// Families

enum class CsGridFamily : int {
    kNad27ToNad83,
    kNad83ToHarn,
    kAgd66ToGda94,
    kAgd84ToGda94,
    kNzgd49ToNzgd2k,
    kAts77ToCsrs,
    kNad83ToCsrs,
    kTokyoToJgd2k,
    kNad27ToCsrs,
    kEd50ToEtrf89,
    kNad27ToAts77,
    kCount,
};

// The catalog's file name in the dictionary directory.
const char* CS_gridFamilyCatalog(CsGridFamily family);
// Builds the family when it does not exist, then counts one more user: 0, or
// -1 with the reason reported.
int CS_gridFamilyInit(CsGridFamily family);
// One user less; the last one destroys the family (the next initialisation
// reads the catalog again).
void CS_gridFamilyRelease(CsGridFamily family);
int CS_gridFamilyUseCount(CsGridFamily family);
int CS_gridFamilyForward(CsGridFamily family, double out[3], const double in[3]);
int CS_gridFamilyInverse(CsGridFamily family, double out[3], const double in[3]);
