// The names WKT texts use for the library's keys: projections, datums and
// ellipsoids, each an alias table of (key, name) rows that the writer reads
// one way and the reader the other; and the prime meridians.
#pragma once

#include <span>
#include <string_view>

// Equal after both are upper-cased (ASCII letters) and every blank,
// underscore, hyphen, comma and apostrophe is dropped, so that
// Albers_Conical_Equal_Area and "albers conical equal-area" are one name.
// Bytes of multibyte characters are compared as they are.
bool WktNamesEqual(std::string_view a, std::string_view b);

struct CsWktAlias {
    const char* key;
    const char* name;
};

extern const std::span<const CsWktAlias> cs_WktProjectionNames;
extern const std::span<const CsWktAlias> cs_WktDatumNames;
extern const std::span<const CsWktAlias> cs_WktEllipsoidNames;

// The name the writer gives `key`: the first non-empty name of a row whose key
// equals it (as WktNamesEqual compares), else the key itself.
std::string_view WktNameOfKey(std::span<const CsWktAlias> table, std::string_view key);
// The key of the first row whose name equals `name`; null when none does.
const char* WktKeyOfName(std::span<const CsWktAlias> table, std::string_view name);

struct CsWktPrimeMeridian {
    const char* name;
    double longitude;  // degrees, as stored: all positive
};
extern const std::span<const CsWktPrimeMeridian> cs_WktPrimeMeridians;

// The name written for an origin longitude: that of the last meridian within
// 0.1 degree of it, else "prime meridian".
std::string_view WktPrimeMeridianName(double originLongitude);
// Whether `name` is one the writer can write.
bool IsWktPrimeMeridianName(std::string_view name);
