#include "coordsys/CsWktStatus.h"

#include <string>

#include "coordsys/CsWktNames.h"

// Parameter rows are ordered by name, the "VLSM_" prefix not counted.
const CsWktStatusEntry cs_WktStatusTable[] = {
    {0, ""},
    {MakeWktStatus(0x00), "unknown error"},
    {MakeWktStatus(0x02), "Invalid or missing VLSM_ANGLE_1"},
    {MakeWktStatus(0x03), "Invalid or missing VLSM_ANGLE_2"},
    {MakeWktStatus(0x04), "Invalid or missing VLSM_ANGULAR_DISTANCE"},
    {MakeWktStatus(0x06), "Invalid or missing VLSM_AVERAGE_ELEVATION"},
    {MakeWktStatus(0x07), "Invalid or missing VLSM_AVERAGE_GEOID_SEPARATION"},
    {MakeWktStatus(0x08), "Invalid or missing AZIMUTH"},
    {MakeWktStatus(0x09), "Invalid or missing CENTRAL_MERIDIAN"},
    {MakeWktStatus(0x0A), "Invalid or missing projection name"},
    {MakeWktStatus(0x0B), "Invalid or missing datum name"},
    {MakeWktStatus(0x0C), "Invalid or missing DATUM"},
    {MakeWktStatus(0x0D), "Invalid or missing VLSM_DT_TO84_VIA"},
    {MakeWktStatus(0x0E), "Invalid or missing EASTERN_MERIDIAN"},
    {MakeWktStatus(0x16), "Invalid or missing ELLIPSOID"},
    {MakeWktStatus(0x17), "Invalid or missing FALSE_EASTING"},
    {MakeWktStatus(0x18), "Invalid or missing FALSE_NORTHING"},
    {MakeWktStatus(0x1A), "Invalid or missing GEOGCS"},
    {MakeWktStatus(0x1B), "Invalid inverse flattening ratio"},
    {MakeWktStatus(0x1C), "Key name is too long"},
    {MakeWktStatus(0x1D), "Invalid or missing LATITUDE_OF_CENTER"},
    {MakeWktStatus(0x1E), "Invalid or missing LATITUDE_OF_ORIGIN"},
    {MakeWktStatus(0x1F), "Invalid or missing LATITUDE_OF_POINT_1"},
    {MakeWktStatus(0x20), "Invalid or missing LATITUDE_OF_POINT_2"},
    {MakeWktStatus(0x21), "Invalid or missing LINEAR_UNITS"},
    {MakeWktStatus(0x22), "Invalid or missing LOCALCS"},
    {MakeWktStatus(0x23), "Invalid or missing LONGITUDE_OF_CENTER"},
    {MakeWktStatus(0x24), "Invalid or missing LONGITUDE_OF_POINT_1"},
    {MakeWktStatus(0x25), "Invalid or missing LONGITUDE_OF_POINT_2"},
    {MakeWktStatus(0x26), "Invalid or missing VLSM_MAXIMUM_LONGITUDE"},
    {MakeWktStatus(0x27), "Invalid or missing VLSM_MINIMUM_LONGITUDE"},
    {MakeWktStatus(0x28), "Invalid or missing VLSM_POWER_SERIES_COEFF_1"},
    {MakeWktStatus(0x29), "Invalid or missing VLSM_POWER_SERIES_COEFF_2"},
    {MakeWktStatus(0x2A), "Invalid or missing VLSM_POWER_SERIES_COEFF_3"},
    {MakeWktStatus(0x2B), "Invalid or missing VLSM_POWER_SERIES_COEFF_4"},
    {MakeWktStatus(0x2C), "Invalid or missing VLSM_POWER_SERIES_COEFF_5"},
    {MakeWktStatus(0x2D), "Invalid or missing VLSM_POWER_SERIES_COEFF_6"},
    {MakeWktStatus(0x2E), "Invalid or missing VLSM_POWER_SERIES_COEFF_7"},
    {MakeWktStatus(0x2F), "Invalid or missing VLSM_POWER_SERIES_COEFF_8"},
    {MakeWktStatus(0x30), "Invalid or missing VLSM_POWER_SERIES_COEFF_9"},
    {MakeWktStatus(0x31), "Invalid or missing VLSM_POWER_SERIES_COEFF_10"},
    {MakeWktStatus(0x32), "Invalid or missing VLSM_POWER_SERIES_COEFF_11"},
    {MakeWktStatus(0x33), "Invalid or missing VLSM_POWER_SERIES_COEFF_12"},
    {MakeWktStatus(0x34), "Invalid or missing VLSM_POWER_SERIES_COEFF_13"},
    {MakeWktStatus(0x35), "Invalid or missing VLSM_POWER_SERIES_COEFF_14"},
    {MakeWktStatus(0x36), "Invalid or missing VLSM_POWER_SERIES_COEFF_15"},
    {MakeWktStatus(0x37), "Invalid or missing VLSM_POWER_SERIES_COEFF_16"},
    {MakeWktStatus(0x38), "Invalid or missing VLSM_POWER_SERIES_COEFF_17"},
    {MakeWktStatus(0x39), "Invalid or missing VLSM_POWER_SERIES_COEFF_18"},
    {MakeWktStatus(0x3A), "Invalid or missing VLSM_POWER_SERIES_COEFF_19"},
    {MakeWktStatus(0x3B), "Invalid or missing VLSM_POWER_SERIES_COEFF_20"},
    {MakeWktStatus(0x3C), "Invalid or missing VLSM_POWER_SERIES_COEFF_21"},
    {MakeWktStatus(0x3D), "Invalid or missing VLSM_POWER_SERIES_COEFF_22"},
    {MakeWktStatus(0x3E), "Invalid or missing VLSM_POWER_SERIES_COEFF_23"},
    {MakeWktStatus(0x3F), "Invalid or missing VLSM_POWER_SERIES_COEFF_24"},
    {MakeWktStatus(0x41), "Invalid or missing PRIME_MERIDIAN"},
    {MakeWktStatus(0x43), "Invalid or missing PROJCS"},
    {MakeWktStatus(0x44), "Invalid or missing VLSM_QUADRANT"},
    {MakeWktStatus(0x45), "Invalid or missing SCALE_FACTOR"},
    {MakeWktStatus(0x46), "Invalid or missing STANDARD_PARALLEL_1"},
    {MakeWktStatus(0x47), "Invalid or missing STANDARD_PARALLEL_2"},
    {MakeWktStatus(0x49), "Invalid or missing UNSUPPORTED_CS"},
    {MakeWktStatus(0x4A), "Invalid or missing WKT_COMPONENTS"},
    {MakeWktStatus(0x4B), "Invalid or missing WKT_STRING"},
    {MakeWktStatus(0x4C), "Invalid or missing ZONE"},
    {MakeWktStatus(0x4D), "Invalid or missing VLSM_ZONE_EXTENT_1_X"},
    {MakeWktStatus(0x4E), "Invalid or missing VLSM_ZONE_EXTENT_1_Y"},
    {MakeWktStatus(0x4F), "Invalid or missing VLSM_ZONE_EXTENT_1_Z"},
    {MakeWktStatus(0x50), "Invalid or missing VLSM_ZONE_EXTENT_2_X"},
    {MakeWktStatus(0x51), "Invalid or missing VLSM_ZONE_EXTENT_2_Y"},
    {MakeWktStatus(0x52), "Invalid or missing VLSM_ZONE_EXTENT_2_Z"},
    {MakeWktStatus(0x53), "Invalid or missing VLSM_ZONE_EXTENT_3_X"},
    {MakeWktStatus(0x54), "Invalid or missing VLSM_ZONE_EXTENT_3_Y"},
    {MakeWktStatus(0x55), "Invalid or missing VLSM_ZONE_EXTENT_3_Z"},
    {MakeWktStatus(0x56), "Invalid or missing VLSM_ZONE_EXTENT_4_X"},
    {MakeWktStatus(0x57), "Invalid or missing VLSM_ZONE_EXTENT_4_Y"},
    {MakeWktStatus(0x58), "Invalid or missing VLSM_ZONE_EXTENT_4_Z"},
    {MakeWktStatus(0x59), "Invalid or missing VLSM_ZONE_EXTENT_5_X"},
    {MakeWktStatus(0x5A), "Invalid or missing VLSM_ZONE_EXTENT_5_Y"},
    {MakeWktStatus(0x5B), "Invalid or missing VLSM_ZONE_EXTENT_5_Z"},
    {MakeWktStatus(0x5C), "Invalid or missing VLSM_ZONE_EXTENT_6_X"},
    {MakeWktStatus(0x5D), "Invalid or missing VLSM_ZONE_EXTENT_6_Y"},
    {MakeWktStatus(0x5E), "Invalid or missing VLSM_ZONE_EXTENT_6_Z"},
    {MakeWktStatus(0x5F), "Invalid or missing VLSM_ZONE_EXTENT_7_X"},
    {MakeWktStatus(0x60), "Invalid or missing VLSM_ZONE_EXTENT_7_Y"},
    {MakeWktStatus(0x61), "Invalid or missing VLSM_ZONE_EXTENT_7_Z"},
    {MakeWktStatus(0x62), "Invalid or missing VLSM_ZONE_EXTENT_8_X"},
    {MakeWktStatus(0x63), "Invalid or missing VLSM_ZONE_EXTENT_8_Y"},
    {MakeWktStatus(0x64), "Invalid or missing VLSM_ZONE_EXTENT_8_Z"},
    {MakeWktStatus(0x67), "Projection name is too long"},
    {kWktTableEnd, nullptr},
};

std::string_view WktStatusText(WktStatus status) {
    for (const CsWktStatusEntry* row = cs_WktStatusTable; row->code != kWktTableEnd; ++row) {
        if (row->code == status) return row->text;
    }
    return {};
}

WktStatus WktStatusFromName(std::string_view name) {
    std::string wanted = "Invalid or missing ";
    wanted.append(name);
    WktStatus found = kWktUnknownError;
    for (const CsWktStatusEntry* row = cs_WktStatusTable; row->code != kWktTableEnd; ++row) {
        if (WktNamesEqual(row->text, wanted)) found = row->code;
    }
    return found;
}
