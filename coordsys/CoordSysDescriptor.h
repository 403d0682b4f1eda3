// One complete coordinate-system definition (system, datum, ellipsoid) held
// as plain text and numbers, independent of the dictionaries. Native files
// carry it as their coordinate-system metadata; the loader settings hold one
// for the input file and one for the output file.
#pragma once

#include <cstdint>
#include <string>

struct CsParams;

class CCoordSysDescriptor {
public:
    CCoordSysDescriptor() = default;
    CCoordSysDescriptor(const CCoordSysDescriptor&) = default;
    CCoordSysDescriptor& operator=(const CCoordSysDescriptor&) = default;
    virtual ~CCoordSysDescriptor() = default;

    // The definition, datum and ellipsoid of a parameter block (one the
    // library built, or one the WKT reader filled).
    explicit CCoordSysDescriptor(const CsParams& source);
    void ImportDefinition(const CsParams& source);
    // Writes the definition and datum into `target`'s definition record and
    // datum block (the ellipsoid's flattening and eccentricity follow from the
    // two radii); the rest of the block is left as it is. Texts longer than
    // their record fields are cut at a character boundary, and the result is
    // then false: the definition may no longer be what the texts said.
    bool ExportDefinition(CsParams& target) const;

    bool operator==(const CCoordSysDescriptor&) const = default;

    // Coordinate system.
    std::string key = "LL84";
    std::string description = "WGS84 datum, Latitude-Longitude, Degrees";
    std::string group = "LL";
    std::string projectionKey = "LL";
    std::string unit = "DEGREE";
    double originLongitude = 0.0;
    double originLatitude = 0.0;
    double falseEasting = 0.0;
    double falseNorthing = 0.0;
    double scaleReduction = 1.0;
    double unitScale = 111319.49079327;
    double mapScale = 1.0;
    double scale = 1.0;
    double parameters[24] = {};
    // -4..+4: where x and y point (1: east and north).
    std::int16_t quadrant = 1;

    // Datum.
    std::string datumKey = "WGS84";
    std::string datumDescription = "World Geodetic System of 1984";
    double deltaX = 0.0;
    double deltaY = 0.0;
    double deltaZ = 0.0;
    double rotX = 0.0;
    double rotY = 0.0;
    double rotZ = 0.0;
    double bwScale = 0.0;
    std::int16_t datumMethod = 6;

    // Ellipsoid.
    std::string ellipsoidKey = "WGS84";
    std::string ellipsoidDescription;
    double equatorialRadius = 6378137.0;
    double polarRadius = 6356752.3142;
};
