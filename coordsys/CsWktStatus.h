// Status codes of the WKT reader and writer. They form a family of their own,
// 0x80044000 to 0x80044FFF, apart from every family of the loader, so that a
// caller can tell a WKT failure from a file failure and word it itself.
#pragma once

#include <cstdint>
#include <string_view>

using WktStatus = std::int32_t;

constexpr WktStatus MakeWktStatus(std::uint32_t offset) {
    return static_cast<WktStatus>(0x80044000u + offset);
}

enum EWktReturnCode : WktStatus {
    kWktOk = 0,
    kWktUnknownError = MakeWktStatus(0x00),
    kWktMissingArgument = MakeWktStatus(0x01),
    kWktNoAngularUnit = MakeWktStatus(0x05),
    kWktProjectionName = MakeWktStatus(0x0A),  // no WKT equivalent, or not readable
    kWktDatum = MakeWktStatus(0x0C),
    kWktEllipsoid = MakeWktStatus(0x16),
    kWktGeogcs = MakeWktStatus(0x1A),
    kWktInverseFlattening = MakeWktStatus(0x1B),
    kWktLatitudeOfOrigin = MakeWktStatus(0x1E),
    kWktLinearUnits = MakeWktStatus(0x21),
    kWktLocalcs = MakeWktStatus(0x22),
    kWktPrimeMeridian = MakeWktStatus(0x41),
    kWktProjcs = MakeWktStatus(0x43),
    kWktQuadrant = MakeWktStatus(0x44),
    kWktScaleFactor = MakeWktStatus(0x45),
    kWktUnsupportedCs = MakeWktStatus(0x49),
    kWktComponents = MakeWktStatus(0x4A),
    kWktString = MakeWktStatus(0x4B),
    kWktZone = MakeWktStatus(0x4C),
    kWktProjectionKeyTooLong = MakeWktStatus(0x67),
    kWktTableEnd = MakeWktStatus(0x999),
};

// The family's range, for callers that map it to messages of their own.
constexpr bool IsWktStatus(WktStatus status) {
    return static_cast<std::uint32_t>(status) >= 0x80044000u &&
           static_cast<std::uint32_t>(status) <= 0x80044FFFu;
}

struct CsWktStatusEntry {
    WktStatus code;
    const char* text;
};
// Starts with code 0 and an empty text; ends with kWktTableEnd.
extern const CsWktStatusEntry cs_WktStatusTable[];

// The text of a code ("Invalid or missing DATUM"); empty when it has none.
std::string_view WktStatusText(WktStatus status);

// The code whose text is "Invalid or missing " followed by `name` (names
// compared as WktNamesEqual compares them; the last matching row wins), or
// kWktUnknownError.
WktStatus WktStatusFromName(std::string_view name);
