// The ground floor of the coordinate-system library: where its data files
// live, how failures are recorded and worded, units, key names, quadrants,
// and the string, file, byte-order and complex-number routines the rest of the
// library shares. All state here is process-wide and unguarded: the library
// runs on the loader's one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

inline constexpr int kCsPathSize = 260;     // directory plus file name, with terminator
inline constexpr int kCsMessageSize = 256;  // last message, with terminator
inline constexpr int kCsContextSize = 260;  // error context, with terminator
inline constexpr int kCsKeySize = 24;       // key fields: 23 characters and a terminator
inline constexpr int kCsMaxKeyLength = kCsKeySize - 1;

// ---------------------------------------------------------------------------
// Dictionary directory

// Makes `directory` the directory of the dictionaries and data files when it
// holds "Coordsys.CSD": 0, else -1 and the previous directory stays. Null
// takes the environment variable CS_KORE_DIR, else the current directory; an
// empty text is the current directory.
int CS_setDictionaryDirectory(const char* directory);
// The directory in force, ending in '/' (empty: the current directory).
const char* CS_dictionaryDirectory();
// The full path of `fileName` in the dictionary directory, written into the
// library's path buffer (valid until the next call). Null with 158 reported
// when directory and name do not fit the buffer.
const char* CS_dataFilePath(const char* fileName);

// ---------------------------------------------------------------------------
// Errors

enum ECsErrorKind : std::int16_t {
    kCsPlainMessage = 0,
    kCsContextMessage = 1,   // "%s" is the error context
    kCsPositionMessage = 2,  // "%s" is the failing position, e.g. 12W:45N
};

struct CsErrorEntry {
    std::int16_t code;
    std::int16_t kind;
    std::int16_t category;  // carried, never read
    const char* text;
};
// Ends in a row whose code is 0.
extern const CsErrorEntry cs_ErrorTable[];

// Records `code` and words its message into the library's last message.
void CS_reportError(int code);
// Records `code` as the last error and writes its message into `buffer`.
void CS_formatErrorMessage(char* buffer, int size, int code);
// The text kind-1 messages insert (at most 259 characters are kept).
void CS_setErrorContext(const char* text);
const char* CS_errorContext();
// Whole degrees of the failing point, inserted by kind-2 messages.
void CS_setErrorPosition(int longitude, int latitude);
int CS_lastError();
const char* CS_lastMessage();

// Codes the library's own routines report (the error table words them all).
enum ECsError : int {
    kCsErrCsDictOpen = 102,
    kCsErrCsNotFound = 103,
    kCsErrNoMemory = 104,
    kCsErrUnknownProjection = 105,
    kCsErrNotCsDict = 106,
    kCsErrIo = 107,
    kCsErrDtDictOpen = 109,
    kCsErrNotDtDict = 110,
    kCsErrDtNotFound = 111,
    kCsErrCorrupt = 113,
    kCsErrDiskFull = 115,
    kCsErrBadKeyName = 118,
    kCsErrUnknownUnit = 119,
    kCsErrElNotFound = 135,
    kCsErrElDictOpen = 136,
    kCsErrNotElDict = 137,
    kCsErrByteOrder = 151,
    kCsErrFileOpen = 158,
    kCsErrBadEllipsoid = 160,
    kCsErrBadDatum = 161,
    kCsErrRegionPoints = 162,
    kCsErrBadUnitType = 183,
    kCsErrDoubleSpace = 193,
    kCsErrAzimuth = 201,
    kCsErrGreatCircleAzimuth = 202,
    kCsErrLatitude = 203,
    kCsErrLongitude = 205,
    kCsErrMapScale = 207,
    kCsErrCentralLineParallel = 209,
    kCsErrCoefficient = 210,
    kCsErrNoReference = 211,
    kCsErrOriginLatitude = 215,
    kCsErrOriginLongitude = 216,
    kCsErrScaleReduction = 227,
    kCsErrStandardParallel = 229,
    kCsErrStandardParallels = 231,
    kCsErrUnit = 234,
    kCsErrProjectionKey = 235,
    kCsErrDatumName = 236,
    kCsErrEllipsoidName = 237,
    kCsErrRangeTooSmall = 238,
    kCsErrRangeOrder = 239,
    kCsErrQuadrant = 240,
    kCsErrGeoRange = 241,
    kCsErrXyRange = 242,
    kCsErrNotPolar = 244,
    kCsErrPolar = 245,
    kCsErrUtmZone = 246,
    kCsErrHemisphere = 247,
    kCsErrSwissAzimuth = 248,
    kCsErrAffine = 251,
    kCsErrOstn97File = 253,
    kCsErrElevation = 254,
    kCsErrOstn02File = 255,
    kCsErrKrugerLatitude = 256,
    kCsErrNonEarth = 358,
};

// ---------------------------------------------------------------------------
// Units

inline constexpr std::uint16_t kCsLinearUnit = 'L';
inline constexpr std::uint16_t kCsAngularUnit = 'R';

struct CsUnitEntry {
    std::uint16_t type;  // 'L', 'R'; 'z' marks a free row, 0 ends the table
    char name[30];
    char altName[50];
    char abbreviation[14];
    double factor;  // metres per unit ('L') or degrees per unit ('R')
    std::int32_t epsgCode;
    std::int32_t reserved;
};
extern const CsUnitEntry cs_UnitTable[];

// The factor of the unit named `name` (by name, then by abbreviation, any
// letter case, blanks and one pair of [] or () ignored); 0.0 with 119 reported
// when unknown; -183.0 with 183 reported for a type other than 'L' or 'R'.
double CS_unitLookup(int type, const char* name);

// ---------------------------------------------------------------------------
// Key names

// 0 with `name` normalised in place (blanks and one pair of [] or () removed),
// or -1 with 118 (or 193 for a double blank) reported.
int CS_checkKeyName(char* name);

// ---------------------------------------------------------------------------
// Quadrants: flag 1 negates x, 2 negates y, 4 swaps the axes.

// Flags of a definition's quadrant -4..4 (0 outside that range).
int CS_quadrantFlags(int quadrant);
void CS_quadForward(double out[2], double x, double y, double falseEasting, double falseNorthing,
                    int flags);
void CS_quadInverse(double* x, double* y, const double in[2], double falseEasting,
                    double falseNorthing, int flags);
void CS_quadMinMax(double min[2], double max[2], double falseEasting, double falseNorthing,
                   int flags);

// ---------------------------------------------------------------------------
// Strings (letter case folds in 'A'-'Z' only)

char* CS_strCopy(char* dest, const char* src);
char* CS_strNCopy(char* dest, const char* src, int size);
int CS_stricmp(const char* a, const char* b);
int CS_strnicmp(const char* a, const char* b, int n);
const char* CS_stristr(const char* haystack, const char* needle);
int CS_trim(char* text);

// ---------------------------------------------------------------------------
// Numbers

int CS_degToArcsec(double degrees);
void CS_formatInt(char* buffer, int size, int value);

// ---------------------------------------------------------------------------
// Files

// Opens `path`; when it does not exist as written, a file of the same name in
// any letter case in the same directory is opened instead.
std::FILE* CS_fileOpen(const char* path, const char* mode);
// Whether `path` exists (in any letter case of its file name).
bool CS_fileExists(const char* path);
// Modification time in seconds since the epoch, 0 when the file is missing.
std::int64_t CS_fileModTime(const char* path);

// Compares a record with a key: <0, 0, >0 for record below, equal, above.
using CsRecordCompare = int (*)(const void* record, const void* key);

// Halving search of fixed-size records: 1 found (file at the first equal
// record), 0 not found (file at the last record examined), -1 failure.
int CS_bsearchFile(std::FILE* file, int start, int end, int recordSize, const void* key,
                   CsRecordCompare compare);
// Sorts the records from the current position to `end` (below 1: the end of
// the file) in place: 1, or -1 with 104, 107, 113 or 115 reported.
int CS_sortFile(std::FILE* file, short recordSize, int end,
                int (*compare)(const void* a, const void* b));

// ---------------------------------------------------------------------------
// Byte order: a format is a run of [count]letter items, c byte, s 16-bit,
// l and f 32-bit, d 64-bit; other letters skip count bytes.

void CS_swapByFormat(void* record, const char* format);
// 0 on a little-endian host (nothing done), 1 after swapping on a big-endian
// one, -1 with 151 on any other byte order.
int CS_byteSwap(void* record, const char* format);

// ---------------------------------------------------------------------------
// Complex numbers: pairs of doubles, real part first.

void CS_cmplxAdd(const double a[2], const double b[2], double out[2]);
void CS_cmplxSub(const double a[2], const double b[2], double out[2]);
void CS_cmplxScale(const double a[2], double s, double out[2]);
void CS_cmplxMul(const double a[2], const double b[2], double out[2]);
// Division by exactly 0 gives 1e32 + 1e32 i.
void CS_cmplxDiv(const double a[2], const double b[2], double out[2]);
double CS_cmplxAbs(const double a[2]);
// Sum of c[k] z^k, k = 0..n.
void CS_cmplxPolyEval(const double z[2], const double coefficients[][2], int n, double out[2]);
// Sum of k c[k] z^(k-1), k = 1..n.
void CS_cmplxPolyDeriv(const double z[2], const double coefficients[][2], int n, double out[2]);
// Sum of (k-1) c[k] z^k, k = 2..n.
void CS_cmplxPolyWeighted(const double z[2], const double coefficients[][2], int n, double out[2]);

// ---------------------------------------------------------------------------
// Memory: records and blocks the library hands out are freed with CS_free.

// Zero-filled storage for `size` bytes, or null with 104 reported.
void* CS_malloc(std::size_t size);
void CS_free(void* block);

template <class T>
T* CS_allocate() {
    return static_cast<T*>(CS_malloc(sizeof(T)));
}

struct CsFreeDeleter {
    void operator()(void* block) const { CS_free(block); }
};
// Owns one block of the library's heap.
template <class T>
using CsPtr = std::unique_ptr<T, CsFreeDeleter>;
