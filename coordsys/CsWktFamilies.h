// The PARAMETERs of each projection family in WKT: which definition field
// each carries, in the order the writer writes them, and the value the reader
// takes when a text leaves one out. One table serves both directions.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct CsCoordSysDef;

// Where a PARAMETER's value lives: projection parameter 0..23, or a named
// field of the definition.
enum ECsWktField : std::uint8_t {
    kWktFieldParameter0 = 0,
    kWktFieldOriginLongitude = 24,
    kWktFieldOriginLatitude,
    kWktFieldFalseEasting,
    kWktFieldFalseNorthing,
    kWktFieldScaleReduction,
};

double& WktFieldOf(CsCoordSysDef& def, ECsWktField field);
double WktFieldOf(const CsCoordSysDef& def, ECsWktField field);

// A default of this value means the PARAMETER has none: a text without it
// fails with the PARAMETER's own status.
inline constexpr double kWktNoDefault = -9999999.0;

struct CsWktParameter {
    const char* name;
    ECsWktField field;
    double readDefault;
};

enum class ECsWktFamilyKind : std::uint8_t {
    kPlain,               // the PARAMETERs as listed, both ways
    kTransverseMercator,  // TM and GAUSSK: read by one reader that also knows a "zone"
    kUtm,                 // UTM and the OSTN grids: zone, hemisphere and derived values
};

struct CsWktFamily {
    const char* keys[5];  // the projection keys served; unused places are null
    std::span<const CsWktParameter> parameters;
    bool quadrant;  // "VLSM_quadrant" closes the list
    ECsWktFamilyKind kind;
};

extern const std::span<const CsWktFamily> cs_WktFamilies;

// The family serving `projectionKey` (letter case ignored in 'A'-'Z' unless
// `exact`); null for keys WKT has no form for.
const CsWktFamily* WktFamilyOf(std::string_view projectionKey, bool exact);

// The reader's defaults of the UTM-type families and of the quadrant.
inline constexpr double kWktUtmDefaultZone = 1.0;
inline constexpr double kWktUtmDefaultScale = 0.9996;
inline constexpr double kWktDefaultQuadrant = 1.0;
