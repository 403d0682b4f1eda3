// The three dictionary records: an ellipsoid, a datum naming an ellipsoid,
// and a coordinate system naming a datum (or an ellipsoid), a projection and
// a unit. In memory they are plain records; on disk they are fixed-size
// little-endian records that CsDictionary.h encodes and decodes field by field.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "coordsys/core/CsCore.h"

struct CsEllipsoidDef {
    char key[kCsKeySize];
    std::uint8_t group[8];  // group[6] is the scramble seed on disk
    double equatorialRadius;
    double polarRadius;
    double flattening;
    double eccentricity;
    char description[64];
    char source[64];
    std::int16_t flags;
    std::int16_t reserved[7];
};

struct CsDatumDef {
    char key[kCsKeySize];
    char ellipsoidKey[kCsKeySize];
    char groupKey[kCsKeySize];
    char sourceKey[kCsKeySize];
    char location[48];
    std::uint8_t group[8];  // group[0] is the scramble seed on disk
    double deltaX;          // metres
    double deltaY;
    double deltaZ;
    double rotX;  // arc-seconds
    double rotY;
    double rotZ;
    double bwScale;  // parts per million
    char description[64];
    char source[64];
    std::int16_t flags;
    std::int16_t method;  // datum conversion method
    std::int16_t reserved[6];
};

// Datum record methods whose rotations are coordinate-frame rotations (the
// seven- and six-parameter methods, and multiple regression, whose fallback is
// one of them); Bursa/Wolf's are position-vector rotations.
inline constexpr std::int16_t kCsDatumMethodMultipleRegression = 2;
inline constexpr std::int16_t kCsDatumMethodSevenParameter = 9;
inline constexpr std::int16_t kCsDatumMethodSixParameter = 12;
constexpr bool CS_coordinateFrameRotations(int method) {
    return method == kCsDatumMethodSevenParameter || method == kCsDatumMethodSixParameter ||
           method == kCsDatumMethodMultipleRegression;
}

struct CsCoordSysDef {
    char key[kCsKeySize];
    char datumKey[kCsKeySize];  // empty when the system refers to an ellipsoid
    char ellipsoidKey[kCsKeySize];
    char projectionKey[kCsKeySize];
    char group[kCsKeySize];
    char location[kCsKeySize];
    char country[48];
    char unit[16];
    std::uint8_t seed[8];  // seed[0] is the scramble seed on disk
    double parameters[24];
    double originLongitude;  // degrees
    double originLatitude;
    double falseEasting;  // system units
    double falseNorthing;
    double scaleReduction;
    double unitScale;  // metres per unit, or the angular unit factor
    double mapScale;
    double scale;  // metres (or degrees) to system units
    double zeroX;  // smaller projected magnitudes become 0
    double zeroY;
    double elevation[4];
    double minLongitude;  // geographic useful range, degrees
    double minLatitude;
    double maxLongitude;
    double maxLatitude;
    double minX;  // cartesian useful range, system units
    double minY;
    double maxX;
    double maxY;
    char description[64];
    char source[64];
    std::int16_t quadrant;  // -4..4
    std::int16_t order;
    std::int16_t zoneCount;
    std::int16_t flags;
    std::int16_t reserved[4];
};

// Copies `text` into a record's text field, zero-filled, cut at a UTF-8
// character boundary when too long; false when it was cut.
template <std::size_t N>
bool CopyField(char (&field)[N], std::string_view text) {
    std::size_t length = text.size();
    bool fits = length < N;
    if (!fits) {
        length = N - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    // An empty view may have no data at all, which memcpy must never see.
    std::copy_n(text.data(), length, field);
    std::memset(field + length, 0, N - length);
    return fits;
}

// A record's text field up to its terminator, or its whole width.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}
