// Multiple-regression datum shifts: polynomials in normalised latitude and
// longitude read from the datum's .MRT file in the dictionary directory, with
// a parameter method of the same datum as the fallback outside their range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "coordsys/core/CsParamsBlock.h"
#include "coordsys/datum/DatumMethods.h"

inline constexpr std::uint32_t kCsMrtMagic = 0x800d0019u;
inline constexpr int kCsMrtRecordSize = 1288;
inline constexpr int kCsMrtCoefficients = 150;
// The term U^q V^p has the mask bit 10 p + q, so at most ten powers of each.
inline constexpr int kCsMrtMaxPowers = 10;
// |U| and |V| beyond this are outside the polynomials' range.
inline constexpr double kCsMrtRangeLimit = 1.401;

// The .MRT record, little-endian at these offsets: 0 magic, 4 record size,
// 8 U powers, 9 V powers, 10 first latitude coefficient, 11 first height
// coefficient, 12 four bytes not read, 16/32/48 the longitude, latitude and
// height term masks (4 u32 each), 64 k, 72 latitude offset, 80 longitude
// offset, 88 the 150 coefficients.
struct CsMrtRecord {
    std::uint32_t magic;
    std::int32_t recordSize;
    std::uint8_t uPowers;
    std::uint8_t vPowers;
    std::uint8_t latitudeFirst;
    std::uint8_t heightFirst;
    std::uint32_t longitudeMask[4];
    std::uint32_t latitudeMask[4];
    std::uint32_t heightMask[4];
    double k;
    double latitudeOffset;  // degrees
    double longitudeOffset;
    double coefficients[kCsMrtCoefficients];
};

// The record's file bytes, and the record from them (false when they are
// not kCsMrtRecordSize bytes).
std::vector<std::uint8_t> CS_encodeMrtRecord(const CsMrtRecord& record);
bool CS_decodeMrtRecord(std::span<const std::uint8_t> bytes, CsMrtRecord* record);

struct CsMultipleRegression {
    CsMrtRecord record;
    CsDatumShiftMethod fallbackKind;  // kNone, kMolodensky, kSevenParameter or kSixParameter
    void* fallback;
};

// Reads "<datum key>.MRT" from the dictionary directory (any letter case) and
// sets the fallback up from the datum and WGS84; null with 194 (missing),
// 107, 113 (size), 147 (magic or terms the record cannot hold) or the
// fallback's failure reported.
CsMultipleRegression* CS_setupMultipleRegression(const CsDatumBlock* datum,
                                                 const CsDatumBlock* wgs84);
// Frees the fallback and the object; null is accepted.
void CS_multipleRegressionFree(CsMultipleRegression* method);

// Three-dimensional: 0 by the polynomials; outside their range 146 is
// reported and the fallback's kernel shifts (1, or -1 when it fails or,
// with 369 reported, when there is none).
int CS_evalMultipleRegression(double out[3], const double in[3],
                              const CsMultipleRegression* method);
// Two-dimensional: 0 by the polynomials, 2 through the fallback, negative
// failed.
int CS_multipleRegressionForward(double out[3], const double in[3],
                                 const CsMultipleRegression* method);
// 0, 2 when the fallback served a round, 1 (134 reported) when it ended
// close to converging, negative failed.
int CS_multipleRegressionInverse(double out[3], const double in[3],
                                 const CsMultipleRegression* method);
