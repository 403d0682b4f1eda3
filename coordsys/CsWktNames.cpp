#include "coordsys/CsWktNames.h"

#include <cmath>

namespace {

bool IsDroppedInName(char c) {
    return c == ' ' || c == '_' || c == '-' || c == ',' || c == '\'';
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Each key's first name is the one written; the rows after it are only read.
constexpr CsWktAlias kProjectionNames[] = {
    {"", ""},
    {"", "None"},
    {"AE", "AE"},
    {"AE", "Albers Conic Equal Area"},
    {"AE", "Albers Conical Equal Area"},
    {"AZMEA", "AZMEA"},
    {"AZMEA", "Lambert Azimuthal Equal Area"},
    {"AZMED", "AZMED"},
    {"AZMED", "Azimuthal Equidistant"},
    {"BIPOLAR", "Bipolar"},
    {"BIPOLAR", "Bipolar Oblique Conformal Conic"},
    {"BONNE", "Bonne"},
    {"CASSINI", "Cassini"},
    {"CASSINI", "Cassini Soldner"},
    {"ECKERT4", "ECKERT4"},
    {"ECKERT4", "Eckert IV"},
    {"ECKERT6", "ECKERT6"},
    {"ECKERT6", "Eckert VI"},
    {"EDCNC", "Equidistant Conic"},
    {"EDCYL", "Equidistant Cylindrical"},
    {"GAUSSK", "Gauss"},
    {"GAUSSK", "Gauss Kruger Projection, aka Gauss"},
    {"GNOMONIC", "Gnomonic"},
    {"GOODE", "Goode"},
    {"GOODE", "Good Homolosine"},
    {"HOM1UV", "Hotine Oblique Mercator \u2013 one point, unrectified"},
    {"HOM1XY", "Hotine Oblique Mercator"},
    {"HOM1XY", "Oblique Mercator Hotin"},
    {"HOM1XY", "Hotine Oblique Mercator, Alaska Variation"},
    {"HOM2UV", "Hotine Oblique Mercator \u2013 two points, unrectified"},
    {"HOM2XY", "Hotine Oblique Mercator \u2013 two points, rectified"},
    {"KROVAK", "Krovak"},
    {"KROVAK", "Krovak Oblique Conformal Conic, Czechoslovkia"},
    {"KROVAK95", "Krovak Oblique Conformal Conic, Czechoslovkia, 1995 Adjustment"},
    {"LL", "LL"},
    {"LL", "Latitude/Longitude"},
    {"LM", "LM"},
    {"LM", "Lambert Conformal Conic"},
    {"LM", "Lambert Conformal Conic 2SP"},
    {"LM1SP", "Lambert Conformal Conic 1SP"},
    {"LM1SP", "Lambert Conformal Conic Projection, One Standard Parallel"},
    {"LMBLGN", "Lambert Conformal Conic 2SP Belgian"},
    {"LMBLGN", "Lambert Conformal Conic (Belgian 1972)"},
    {"LMBLGN", "Lambert Conformal Conic (Belgium 1972)"},
    {"LMBLGN", "Lambert Conformal Conic Projection, Belgian Variation"},
    {"LM-MNDOT", "Lambert Conformal Conic, Minnesota DOT Variation"},
    {"LMTAN", "LMTAN"},
    {"LMTAN", "Lambert Tangential"},
    {"LM-WCCS", "Lambert Conformal Conic, Wisconsin County Variation"},
    {"MILLER", "Miller"},
    {"MILLER", "Miller Cylindrical"},
    {"MODPC", "Modified Polyconic"},
    {"MOLLWEID", "Mollweide"},
    {"MRCAT", "MRCAT"},
    {"MRCAT", "Mercator"},
    {"MRCAT", "Mercator 2SP"},
    {"MRCAT", "Mercator Cylindrical Projection with Standard Parallel (Traditional)"},
    {"MRCATK", "Mercator Cylindrical Projection with Scale Reduction"},
    {"MSTERO", "MSTERO"},
    {"MSTERO", "Modified Stereographic"},
    {"NEACYL", "NEACYL"},
    {"NEACYL", "Cylindrical Equal Area"},
    {"NEACYL", "Normal Aspect Equal Area Cylindrical"},
    {"NZEALAND", "NZEALAND"},
    {"NZEALAND", "New Zealand National Grid"},
    {"NZEALAND", "New Zealand Map Grid"},
    {"ORTHO", "ORTHO"},
    {"ORTHO", "Orthographic"},
    {"OSTERO", "OSTERO"},
    {"OSTERO", "Oblique Stereographic"},
    {"OSTERO", "Oblique Stereographic (International)"},
    {"OSTEROUS", "Oblique Stereographic (per Snyder USA)"},
    {"OSTN02", "OSTN02"},
    {"OSTN02", "Ordnance Survey National Transformation of 2002"},
    {"OSTN02", "ETRF89 Referenced OSGB"},
    {"OSTN97", "OSTN97"},
    {"OSTN97", "Ordnance Survey National Transformation of 1997"},
    {"OSTN97", "ETRF89 Referenced OSGB (ETRF89<-->OSGB via OSTN97)"},
    {"PLYCN", "PLYCN"},
    {"PLYCN", "Polyconic"},
    {"PLYCN", "American Polyconic"},
    {"PSTERO", "PSTERO"},
    {"PSTERO", "Polar Stereographic"},
    {"PSTERO", "Stereographic"},
    {"ROBINSON", "Robinson"},
    {"RSKEW", "RSKEW"},
    {"RSKEW", "Rectified Skew Orthomorphic, Azimuth at Projection Center"},
    {"RSKEWC", "RSKEWC"},
    {"RSKEWC", "Rectified Skew Orthomorphic, Origin and Azimuth at Center"},
    {"RSKEWO", "RSKEWO"},
    {"RSKEWO", "Rectified Skew Orthomorphic, Skew Azimuth at Rectified Origin"},
    {"SINUS", "SINUS"},
    {"SINUS", "Sinusoidal"},
    {"SOTM", "SOTM"},
    {"SOTM", "Transverse Mercator South Orientated"},
    {"SOTM", "South-Oriented Transverse Mercator"},
    {"SWISS", "SWISS"},
    {"SWISS", "Swiss Oblique Cylindrical"},
    {"SWISS", "Swiss Oblique Mercator"},
    {"TEACYL", "TEACYL"},
    {"TEACYL", "Transverse Aspect Equal Area Cylindrical"},
    {"TM", "TM"},
    {"TM", "Transverse Mercator"},
    {"TM", "Transverse Mercator Finnish KKJ"},
    {"TM", "Transverse Mercator Sjaelland"},
    {"TM", "Transverse Mercator Danish System 34 Jylland-Fyn"},
    {"TM", "Transverse Mercator Danish System 45 Bornholm"},
    {"TM-MNDOT", "Transverse Mercator, Minnesota DOT Variation"},
    {"TM-SNYDER", "Transverse Mercator per J. P. Snyder"},
    {"TM-WCCS", "Transverse Mercator, Wisconsin County Variation"},
    {"UTM", "UTM"},
    {"UTM", "Universal Transverse Mercator"},
    {"UTM", "Universal Transverse Mercator System"},
    {"VDGRNTN", "Van der Grinton"},
};

// Datums: the first name of a key is the common WKT name; the others are
// spellings published by the EPSG registry and in ESRI's "D_" form.
constexpr CsWktAlias kDatumNames[] = {
    {"", ""},
    {"", "None"},
    {"WGS84", "WGS 84"},
    {"WGS84", "WGS 1984"},
    {"WGS84", "D_WGS_1984"},
    {"WGS84", "World Geodetic System 1984"},
    {"WGS84", "WGS84"},
    {"NAD83", "NAD 83"},
    {"NAD83", "NAD 1983"},
    {"NAD83", "D_North_American_1983"},
    {"NAD83", "North American 1983"},
    {"NAD83", "North American Datum 1983"},
    {"NAD83", "NAD83"},
    {"NAD27", "NAD 27"},
    {"NAD27", "D_NAD_27"},
    {"NAD27", "NAD 1927"},
    {"NAD27", "North American 1927"},
    {"NAD27", "D_North_American_1927"},
    {"NAD27", "North American Datum 1927"},
    {"NAD27", "NAD27"},
    {"WGS72", "WGS 72"},
    {"WGS72", "WGS 1972"},
    {"WGS72", "D_WGS_1972"},
    {"WGS72", "World Geodetic System 1972"},
    {"WGS72", "WGS72"},
    {"ETRF89", "ETRS 89"},
    {"ETRF89", "ETRS 1989"},
    {"ETRF89", "D_ETRS_1989"},
    {"ETRF89", "European Terrestrial Reference System 1989"},
    {"ETRF89", "ETRF 89"},
    {"ETRF89", "European Terrestrial Reference Frame 1989"},
    {"ETRF89", "ETRS89"},
    {"HARTEBEESTHOEK94", "Hartebeesthoek 1994"},
    {"HARTEBEESTHOEK94", "Hartebeesthoek94"},
    {"HARTEBEESTHOEK94", "D_Hartebeesthoek_1994"},
    {"ARC1960", "Arc 1960"},
    {"ARC1960", "D_Arc_1960"},
    {"ARC1960", "Arc1960"},
    {"ED50", "European 1950"},
    {"ED50", "ED 50"},
    {"ED50", "D_European_1950"},
    {"ED50", "European Datum 1950"},
    {"ED50", "ED50"},
    {"ED79", "European 1979"},
    {"ED79", "D_European_1979"},
    {"ED87", "European 1987"},
    {"ED87", "D_European_1987"},
    {"PULKOVO42", "Pulkovo 1942"},
    {"PULKOVO42", "D_Pulkovo_1942"},
    {"PULKOVO42", "Pulkovo42"},
    {"DHDN", "Deutsches Hauptdreiecksnetz"},
    {"DHDN", "D_Deutsches_Hauptdreiecksnetz"},
    {"DHDN", "DHDN"},
    {"OSGB36", "OSGB 1936"},
    {"OSGB36", "D_OSGB_1936"},
    {"OSGB36", "Ordnance Survey of Great Britain 1936"},
    {"OSGB36", "OSGB36"},
    {"AGD66", "Australian Geodetic Datum 1966"},
    {"AGD66", "D_Australian_1966"},
    {"AGD66", "AGD66"},
    {"AGD84", "Australian Geodetic Datum 1984"},
    {"AGD84", "D_Australian_1984"},
    {"AGD84", "AGD84"},
    {"GDA94", "Geocentric Datum of Australia 1994"},
    {"GDA94", "D_GDA_1994"},
    {"GDA94", "GDA94"},
    {"NZGD49", "New Zealand Geodetic Datum 1949"},
    {"NZGD49", "D_New_Zealand_1949"},
    {"NZGD49", "NZGD49"},
    {"NZGD2000", "New Zealand Geodetic Datum 2000"},
    {"NZGD2000", "D_NZGD_2000"},
    {"NZGD2000", "NZGD2000"},
    {"TOKYO", "Tokyo"},
    {"TOKYO", "D_Tokyo"},
    {"JGD2000", "Japanese Geodetic Datum 2000"},
    {"JGD2000", "D_JGD_2000"},
    {"JGD2000", "JGD2000"},
    {"CH1903", "CH1903"},
    {"CH1903", "D_CH1903"},
    {"CH1903Plus", "CH1903+"},
    {"CH1903Plus", "D_CH1903+"},
    {"NTF", "Nouvelle Triangulation Francaise"},
    {"NTF", "D_NTF"},
    {"NTF", "NTF"},
    {"RGF93", "Reseau Geodesique Francais 1993"},
    {"RGF93", "D_RGF_1993"},
    {"RGF93", "RGF93"},
    {"AMERSFRT", "Amersfoort"},
    {"AMERSFRT", "D_Amersfoort"},
    {"BELGE72", "Reseau National Belge 1972"},
    {"BELGE72", "D_Belge_1972"},
    {"BELGE72", "Belge 1972"},
    {"S-JTSK", "System Jednotne Trigonometricke Site Katastralni"},
    {"S-JTSK", "D_S_JTSK"},
    {"S-JTSK", "S-JTSK"},
    {"MGI", "Militar-Geographische Institut"},
    {"MGI", "D_MGI"},
    {"MGI", "MGI"},
    {"SAD69", "South American Datum 1969"},
    {"SAD69", "D_South_American_1969"},
    {"SAD69", "SAD69"},
    {"SIRGAS2000", "Sistema de Referencia Geocentrico para las AmericaS 2000"},
    {"SIRGAS2000", "D_SIRGAS_2000"},
    {"SIRGAS2000", "SIRGAS 2000"},
    {"HARN", "NAD83 (High Accuracy Reference Network)"},
    {"HARN", "D_North_American_1983_HARN"},
    {"HARN", "NAD83(HARN)"},
    {"CSRS", "NAD83 Canadian Spatial Reference System"},
    {"CSRS", "D_North_American_1983_CSRS"},
    {"CSRS", "NAD83(CSRS)"},
    {"HK80", "Hong Kong 1980"},
    {"HK80", "D_Hong_Kong_1980"},
    {"INDIAN75", "Indian 1975"},
    {"INDIAN75", "D_Indian_1975"},
    {"KERTAU", "Kertau 1968"},
    {"KERTAU", "D_Kertau"},
    {"TIMBALAI", "Timbalai 1948"},
    {"TIMBALAI", "D_Timbalai_1948"},
};

// Ellipsoids, in the same way.
constexpr CsWktAlias kEllipsoidNames[] = {
    {"", ""},
    {"WGS84", "WGS 84"},
    {"WGS84", "WGS 1984"},
    {"WGS84", "World Geodetic System 1984"},
    {"WGS84", "WGS84"},
    {"GRS1980", "GRS 80"},
    {"GRS1980", "GRS 1980"},
    {"GRS1980", "Geodetic Reference System 1980"},
    {"GRS1980", "GRS80"},
    {"WGS72", "WGS 72"},
    {"WGS72", "WGS 1972"},
    {"WGS72", "World Geodetic System 1972"},
    {"CLRK66", "Clarke 1866"},
    {"CLRK66", "Clarke66"},
    {"CLRK80", "Clarke 1880 (RGS)"},
    {"CLRK80", "Clarke 1880 RGS"},
    {"CLRK80", "Clarke 1880"},
    {"CLRK-IGN", "Clarke 1880 (IGN)"},
    {"CLRK-IGN", "Clarke 1880 IGN"},
    {"CLRK-ARC", "Clarke 1880 (Arc)"},
    {"CLRK-ARC", "Clarke 1880 Arc"},
    {"INTNL", "International 1924"},
    {"INTNL", "International 1909 (Hayford)"},
    {"INTNL", "International 1909"},
    {"INTNL", "Hayford 1909"},
    {"BESSEL", "Bessel 1841"},
    {"BESL-NMB", "Bessel Namibia (GLM)"},
    {"BESL-NMB", "Bessel Namibia"},
    {"AIRY", "Airy 1830"},
    {"AIRY", "Airy"},
    {"AIRY-MOD", "Airy Modified 1849"},
    {"KRASOVSK", "Krassowsky 1940"},
    {"KRASOVSK", "Krasovsky 1940"},
    {"KRASOVSK", "Krassovsky 1940"},
    {"KRASOVSK", "Krassowsky 1942"},
    {"SPHERE", "Normal Sphere (r=6370997)"},
    {"SPHERE", "Sphere"},
    {"GRS1967", "GRS 1967"},
    {"GRS1967", "GRS 67"},
    {"SA1969", "GRS 1967 Modified"},
    {"SA1969", "South American 1969"},
    {"ANS", "Australian National Spheroid"},
    {"ANS", "Australian"},
    {"EVRST30", "Everest 1830 (1937 Adjustment)"},
    {"EVRST30", "Everest 1830"},
    {"EVRST30", "Everest (1830 Definition)"},
    {"EVRST56", "Everest 1830 (1962 Definition)"},
    {"EVRST56", "Everest 1956"},
    {"EVRSTSS", "Everest 1830 (1967 Definition)"},
    {"EVRST-MD", "Everest 1830 Modified"},
    {"HELMERT", "Helmert 1906"},
    {"HOUGH", "Hough 1960"},
    {"IAG-75", "IAG 1975"},
    {"MERIT", "MERIT 1983"},
    {"NWL-9D", "NWL 9D"},
    {"WGS66", "WGS 66"},
    {"WGS66", "WGS 1966"},
    {"WGS60", "WGS 60"},
    {"WGS60", "WGS 1960"},
};

constexpr CsWktPrimeMeridian kPrimeMeridians[] = {
    {"Greenwich", 0.0},         {"Bern", 7.439583333333},      {"Bogota", 74.08091666667},
    {"Brussels", 4.367975},     {"Ferro", 17.66666666667},     {"Jakarta", 106.8077194444},
    {"Lisbon", 9.131906111111}, {"Madrid", 3.687938888889},    {"Paris", 2.337229166667},
    {"Rome", 12.45233333333},   {"Stockholm", 18.05805555556},
};

constexpr const char* kUnnamedPrimeMeridian = "prime meridian";

}  // namespace

const std::span<const CsWktAlias> cs_WktProjectionNames(kProjectionNames);
const std::span<const CsWktAlias> cs_WktDatumNames(kDatumNames);
const std::span<const CsWktAlias> cs_WktEllipsoidNames(kEllipsoidNames);
const std::span<const CsWktPrimeMeridian> cs_WktPrimeMeridians(kPrimeMeridians);

bool WktNamesEqual(std::string_view a, std::string_view b) {
    // Walks both at once: the comparison runs for every row of the tables.
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        while (i < a.size() && IsDroppedInName(a[i])) ++i;
        while (j < b.size() && IsDroppedInName(b[j])) ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (UpperAscii(a[i]) != UpperAscii(b[j])) return false;
        ++i;
        ++j;
    }
}

std::string_view WktNameOfKey(std::span<const CsWktAlias> table, std::string_view key) {
    for (const CsWktAlias& row : table) {
        if (row.name[0] != '\0' && WktNamesEqual(row.key, key)) return row.name;
    }
    return key;
}

const char* WktKeyOfName(std::span<const CsWktAlias> table, std::string_view name) {
    for (const CsWktAlias& row : table) {
        if (WktNamesEqual(row.name, name)) return row.key;
    }
    return nullptr;
}

std::string_view WktPrimeMeridianName(double originLongitude) {
    std::string_view name = kUnnamedPrimeMeridian;
    for (const CsWktPrimeMeridian& meridian : kPrimeMeridians) {
        if (std::fabs(meridian.longitude - originLongitude) <= 0.1) name = meridian.name;
    }
    return name;
}

bool IsWktPrimeMeridianName(std::string_view name) {
    if (WktNamesEqual(name, kUnnamedPrimeMeridian)) return true;
    for (const CsWktPrimeMeridian& meridian : kPrimeMeridians) {
        if (WktNamesEqual(name, meridian.name)) return true;
    }
    return false;
}
