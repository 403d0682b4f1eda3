#include "coordsys/CsWktFamilies.h"

#include "coordsys/core/CsCore.h"
#include "coordsys/core/CsRecords.h"

namespace {

constexpr ECsWktField P(int index) {
    return static_cast<ECsWktField>(kWktFieldParameter0 + index);
}

constexpr CsWktParameter kCentralMeridian{"central_meridian", kWktFieldOriginLongitude, 0.0};
constexpr CsWktParameter kCentralMeridianP0{"central_meridian", P(0), 0.0};
constexpr CsWktParameter kLatitudeOfOrigin{"latitude_of_origin", kWktFieldOriginLatitude, 0.0};
constexpr CsWktParameter kScaleFactor{"scale_factor", kWktFieldScaleReduction, 1.0};
constexpr CsWktParameter kFalseEasting{"false_easting", kWktFieldFalseEasting, 0.0};
constexpr CsWktParameter kFalseNorthing{"false_northing", kWktFieldFalseNorthing, 0.0};
constexpr CsWktParameter kStandardParallel1P0{"standard_parallel_1", P(0), 0.0};
constexpr CsWktParameter kStandardParallel2P1{"standard_parallel_2", P(1), 0.0};
constexpr CsWktParameter kAzimuthP0{"azimuth", P(0), 0.0};

constexpr CsWktParameter kConic[] = {
    kStandardParallel1P0, kStandardParallel2P1, kCentralMeridian,
    kLatitudeOfOrigin,    kFalseEasting,        kFalseNorthing,
};
constexpr CsWktParameter kLmMndot[] = {
    kStandardParallel1P0, kStandardParallel2P1, {"VLSM_average_elevation", P(2), 0.0},
    kCentralMeridian,     kLatitudeOfOrigin,    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kLmWccs[] = {
    kStandardParallel1P0,
    kStandardParallel2P1,
    {"VLSM_average_geoid_separation", P(2), 0.0},
    {"VLSM_average_elevation", P(3), 0.0},
    kCentralMeridian,
    kLatitudeOfOrigin,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kOriginScale[] = {
    kCentralMeridian, kLatitudeOfOrigin, kScaleFactor, kFalseEasting, kFalseNorthing,
};
constexpr CsWktParameter kPolarStereographic[] = {
    kCentralMeridian,
    {"latitude_of_origin", kWktFieldOriginLatitude, kWktNoDefault},
    {"scale_factor", kWktFieldScaleReduction, 0.994},
    {"false_easting", kWktFieldFalseEasting, 2000000.0},
    {"false_northing", kWktFieldFalseNorthing, 2000000.0},
};
constexpr CsWktParameter kAzimuthal[] = {
    kAzimuthP0, kCentralMeridian, kLatitudeOfOrigin, kFalseEasting, kFalseNorthing,
};
constexpr CsWktParameter kObliqueStereographicUs[] = {
    kAzimuthP0, kCentralMeridian, kLatitudeOfOrigin, kScaleFactor, kFalseEasting, kFalseNorthing,
};
constexpr CsWktParameter kBipolar[] = {
    {"longitude_of_point_1", P(0), 0.0},
    {"latitude_of_point_1", P(1), 0.0},
    {"longitude_of_point_2", P(2), 0.0},
    {"latitude_of_point_2", P(3), 0.0},
    {"VLSM_angular_distance", P(4), 0.0},
    {"VLSM_angle_1", P(5), 0.0},
    {"VLSM_angle_2", P(6), 0.0},
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kOrigin[] = {
    kCentralMeridian,
    kLatitudeOfOrigin,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kSwiss[] = {
    {"central_meridian", kWktFieldOriginLongitude, 7.439583},
    {"latitude_of_origin", kWktFieldOriginLatitude, 46.952406},
    {"false_easting", kWktFieldFalseEasting, 600000.0},
    {"false_northing", kWktFieldFalseNorthing, 200000.0},
};
constexpr CsWktParameter kMeridianP0Origin[] = {
    kCentralMeridianP0,
    kLatitudeOfOrigin,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kWorld[] = {kCentralMeridian, kFalseEasting, kFalseNorthing};
constexpr CsWktParameter kMiller[] = {kCentralMeridianP0, kFalseEasting, kFalseNorthing};
constexpr CsWktParameter kEquidistantCylindrical[] = {
    kStandardParallel1P0, kCentralMeridian, kLatitudeOfOrigin, kFalseEasting, kFalseNorthing,
};
constexpr CsWktParameter kNormalEqualArea[] = {
    kCentralMeridian,
    kStandardParallel1P0,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kMercator[] = {
    kCentralMeridianP0,
    {"standard_parallel_1", P(1), 0.0},
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kMercatorScale[] = {
    kCentralMeridianP0, {"standard_parallel_1", P(1), 0.0}, kScaleFactor, kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kModifiedPolyconic[] = {
    kCentralMeridianP0,
    {"eastern_meridian", P(1), 0.0},
    {"standard_parallel_1", P(2), 0.0},
    {"standard_parallel_2", P(3), 0.0},
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kInterrupted[] = {
    kCentralMeridian,
    {"VLSM_zone_extent_1_x", P(0), 0.0},
    {"VLSM_zone_extent_1_y", P(1), 0.0},
    {"VLSM_zone_extent_1_z", P(2), 0.0},
    {"VLSM_zone_extent_2_x", P(3), 0.0},
    {"VLSM_zone_extent_2_y", P(4), 0.0},
    {"VLSM_zone_extent_2_z", P(5), 0.0},
    {"VLSM_zone_extent_3_x", P(6), 0.0},
    {"VLSM_zone_extent_3_y", P(7), 0.0},
    {"VLSM_zone_extent_3_z", P(8), 0.0},
    {"VLSM_zone_extent_4_x", P(9), 0.0},
    {"VLSM_zone_extent_4_y", P(10), 0.0},
    {"VLSM_zone_extent_4_z", P(11), 0.0},
    {"VLSM_zone_extent_5_x", P(12), 0.0},
    {"VLSM_zone_extent_5_y", P(13), 0.0},
    {"VLSM_zone_extent_5_z", P(14), 0.0},
    {"VLSM_zone_extent_6_x", P(15), 0.0},
    {"VLSM_zone_extent_6_y", P(16), 0.0},
    {"VLSM_zone_extent_6_z", P(17), 0.0},
    {"VLSM_zone_extent_7_x", P(18), 0.0},
    {"VLSM_zone_extent_7_y", P(19), 0.0},
    {"VLSM_zone_extent_7_z", P(20), 0.0},
    {"VLSM_zone_extent_8_x", P(21), 0.0},
    {"VLSM_zone_extent_8_y", P(22), 0.0},
    {"VLSM_zone_extent_8_z", P(23), 0.0},
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kObliqueMercator[] = {
    {"longitude_of_center", P(0), 0.0},
    {"latitude_of_center", P(1), 0.0},
    {"azimuth", P(2), 0.0},
    kScaleFactor,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kAlaskaObliqueMercator[] = {
    {"longitude_of_center", P(0), -133.666666666667},
    {"latitude_of_center", P(1), 57.0},
    {"azimuth", P(2), -36.8698976458333},
    {"scale_factor", kWktFieldScaleReduction, 0.9999},
    {"false_easting", kWktFieldFalseEasting, 5000000.0},
    {"false_northing", kWktFieldFalseNorthing, -5000000.0},
};
constexpr CsWktParameter kTwoPointObliqueMercator[] = {
    {"longitude_of_point_1", P(0), 0.0},
    {"latitude_of_point_1", P(1), 0.0},
    {"longitude_of_point_2", P(2), 0.0},
    {"latitude_of_point_2", P(3), 0.0},
    kLatitudeOfOrigin,
    kScaleFactor,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kKrovak[] = {
    {"longitude_of_center", kWktFieldOriginLongitude, 0.0},
    {"latitude_of_center", kWktFieldOriginLatitude, 0.0},
    {"longitude_of_point_1", P(0), 0.0},
    {"latitude_of_point_1", P(1), 0.0},
    {"latitude_of_origin", P(2), 0.0},
    kFalseEasting,
    kFalseNorthing,
    kScaleFactor,
};
constexpr CsWktParameter kModifiedStereographic[] = {
    kCentralMeridian,
    kLatitudeOfOrigin,
    kScaleFactor,
    {"VLSM_power_series_coeff_1", P(0), 0.0},
    {"VLSM_power_series_coeff_2", P(1), 0.0},
    {"VLSM_power_series_coeff_3", P(2), 0.0},
    {"VLSM_power_series_coeff_4", P(3), 0.0},
    {"VLSM_power_series_coeff_5", P(4), 0.0},
    {"VLSM_power_series_coeff_6", P(5), 0.0},
    {"VLSM_power_series_coeff_7", P(6), 0.0},
    {"VLSM_power_series_coeff_8", P(7), 0.0},
    {"VLSM_power_series_coeff_9", P(8), 0.0},
    {"VLSM_power_series_coeff_10", P(9), 0.0},
    {"VLSM_power_series_coeff_11", P(10), 0.0},
    {"VLSM_power_series_coeff_12", P(11), 0.0},
    {"VLSM_power_series_coeff_13", P(12), 0.0},
    {"VLSM_power_series_coeff_14", P(13), 0.0},
    {"VLSM_power_series_coeff_15", P(14), 0.0},
    {"VLSM_power_series_coeff_16", P(15), 0.0},
    {"VLSM_power_series_coeff_17", P(16), 0.0},
    {"VLSM_power_series_coeff_18", P(17), 0.0},
    {"VLSM_power_series_coeff_19", P(18), 0.0},
    {"VLSM_power_series_coeff_20", P(19), 0.0},
    {"VLSM_power_series_coeff_21", P(20), 0.0},
    {"VLSM_power_series_coeff_22", P(21), 0.0},
    {"VLSM_power_series_coeff_23", P(22), 0.0},
    {"VLSM_power_series_coeff_24", P(23), 0.0},
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kGaussKruger[] = {
    kCentralMeridianP0,
    kLatitudeOfOrigin,
    kFalseEasting,
    kFalseNorthing,
};
constexpr CsWktParameter kTm[] = {
    kCentralMeridianP0, kLatitudeOfOrigin, kScaleFactor, kFalseEasting, kFalseNorthing,
};
constexpr CsWktParameter kTmMndot[] = {
    kCentralMeridianP0, {"VLSM_average_elevation", P(1), 0.0},
    kLatitudeOfOrigin,  kScaleFactor,
    kFalseEasting,      kFalseNorthing,
};
constexpr CsWktParameter kTmWccs[] = {
    kCentralMeridianP0,
    {"VLSM_average_geoid_separation", P(1), 0.0},
    {"VLSM_average_elevation", P(2), 0.0},
    kLatitudeOfOrigin,
    kScaleFactor,
    kFalseEasting,
    kFalseNorthing,
};

using enum ECsWktFamilyKind;

// LL, NERTH, OBQCYL, SYSTM34, SYSTM34-99, AZMED-ELEV, PSTEROSL, TMAF,
// TRMRKRG and WINKEL have no WKT form.
constexpr CsWktFamily kFamilies[] = {
    {{"AE", "EDCNC", "LM", "LMBLGN"}, kConic, true, kPlain},
    {{"LM-MNDOT"}, kLmMndot, true, kPlain},
    {{"LM-WCCS"}, kLmWccs, true, kPlain},
    {{"LM1SP", "LMTAN", "NZEALAND", "OSTERO", "TEACYL"}, kOriginScale, true, kPlain},
    {{"PSTERO"}, kPolarStereographic, true, kPlain},
    {{"AZMEA", "AZMED"}, kAzimuthal, true, kPlain},
    {{"OSTEROUS"}, kObliqueStereographicUs, true, kPlain},
    {{"BIPOLAR"}, kBipolar, true, kPlain},
    {{"BONNE", "GNOMONIC", "ORTHO"}, kOrigin, true, kPlain},
    {{"SWISS"}, kSwiss, true, kPlain},
    {{"CASSINI", "PLYCN"}, kMeridianP0Origin, true, kPlain},
    {{"ECKERT4", "ECKERT6", "ROBINSON", "VDGRNTN"}, kWorld, true, kPlain},
    {{"MILLER"}, kMiller, true, kPlain},
    {{"EDCYL"}, kEquidistantCylindrical, true, kPlain},
    {{"NEACYL"}, kNormalEqualArea, true, kPlain},
    {{"MRCAT"}, kMercator, true, kPlain},
    {{"MRCATK"}, kMercatorScale, true, kPlain},
    {{"MODPC"}, kModifiedPolyconic, true, kPlain},
    {{"GOODE", "MOLLWEID", "SINUS"}, kInterrupted, true, kPlain},
    {{"HOM1UV", "RSKEW", "RSKEWC", "RSKEWO"}, kObliqueMercator, true, kPlain},
    {{"HOM1XY"}, kAlaskaObliqueMercator, true, kPlain},
    {{"HOM2UV", "HOM2XY"}, kTwoPointObliqueMercator, true, kPlain},
    {{"KROVAK", "KROVAK95"}, kKrovak, true, kPlain},
    {{"MSTERO"}, kModifiedStereographic, true, kPlain},
    {{"GAUSSK"}, kGaussKruger, false, kTransverseMercator},
    {{"TM"}, kTm, true, kTransverseMercator},
    {{"SOTM", "TM-SNYDER"}, kTm, true, kPlain},
    {{"TM-MNDOT"}, kTmMndot, true, kPlain},
    {{"TM-WCCS"}, kTmWccs, true, kPlain},
    {{"UTM", "OSTN97", "OSTN02"}, {}, true, kUtm},
};

}  // namespace

const std::span<const CsWktFamily> cs_WktFamilies(kFamilies);

double& WktFieldOf(CsCoordSysDef& def, ECsWktField field) {
    switch (field) {
        case kWktFieldOriginLongitude:
            return def.originLongitude;
        case kWktFieldOriginLatitude:
            return def.originLatitude;
        case kWktFieldFalseEasting:
            return def.falseEasting;
        case kWktFieldFalseNorthing:
            return def.falseNorthing;
        case kWktFieldScaleReduction:
            return def.scaleReduction;
        default:
            return def.parameters[field - kWktFieldParameter0];
    }
}

double WktFieldOf(const CsCoordSysDef& def, ECsWktField field) {
    return WktFieldOf(const_cast<CsCoordSysDef&>(def), field);
}

const CsWktFamily* WktFamilyOf(std::string_view projectionKey, bool exact) {
    for (const CsWktFamily& family : kFamilies) {
        for (const char* key : family.keys) {
            if (key == nullptr) break;
            bool equal = exact ? projectionKey == key
                               : projectionKey.size() == std::char_traits<char>::length(key) &&
                                     CS_strnicmp(key, projectionKey.data(),
                                                 static_cast<int>(projectionKey.size())) == 0;
            if (equal) return &family;
        }
    }
    return nullptr;
}
