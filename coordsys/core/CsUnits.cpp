// The unit table and its lookup by name or abbreviation.
#include <cstring>

#include "coordsys/core/CsCore.h"

#define CS_FREE_UNIT_ROW \
    { 'z', " <user>", " <user>", " z", 0.0, 0, 0 }

const CsUnitEntry cs_UnitTable[] = {
    // Linear units: metres per unit.
    {kCsLinearUnit, "Meter", "", "M", 1.0, 9001, 0},
    {kCsLinearUnit, "Foot", "", "FT", 0.3048006096012192, 9003, 0},
    {kCsLinearUnit, "Inch", "", "IN", 0.0254000508001016, 0, 0},
    {kCsLinearUnit, "IFoot", "", "IFT", 0.3048, 9002, 0},
    {kCsLinearUnit, "ClarkeFoot", "", "CF", 0.3047972651151, 9005, 0},
    {kCsLinearUnit, "SearsFoot", "", "SF", 0.30479947153867626, 9041, 0},
    {kCsLinearUnit, "GoldCoastFoot", "", "GCF", 0.3047997101815088, 9094, 0},
    {kCsLinearUnit, "IInch", "", "IIN", 0.0254, 0, 0},
    {kCsLinearUnit, "MicroInch", "", "UI", 2.54e-08, 0, 0},
    {kCsLinearUnit, "Mil", "", "ML", 2.54e-05, 0, 0},
    {kCsLinearUnit, "Centimeter", "", "CM", 0.01, 0, 0},
    {kCsLinearUnit, "Kilometer", "", "KM", 1000.0, 9036, 0},
    {kCsLinearUnit, "Yard", "", "YD", 0.9144018288036576, 0, 0},
    {kCsLinearUnit, "SearsYard", "", "SY", 0.914398414616029, 9040, 0},
    {kCsLinearUnit, "IndianYard", "", "InY", 0.9143985307444408, 9084, 0},
    {kCsLinearUnit, "IndianYd37", "", "InY", 0.91439523, 9085, 0},
    {kCsLinearUnit, "IndianFoot", "", "InFt", 0.30479951, 9080, 0},
    {kCsLinearUnit, "IndianFt37", "", "InFt37", 0.30479841, 9081, 0},
    {kCsLinearUnit, "IndianFt62", "", "InFt62", 0.3047996, 9082, 0},
    {kCsLinearUnit, "IndianFt75", "", "InFt75", 0.3047995, 9083, 0},
    {kCsLinearUnit, "Mile", "", "MI", 1609.3472186944373, 0, 0},
    {kCsLinearUnit, "IYard", "", "IYD", 0.9144, 0, 0},
    {kCsLinearUnit, "IMile", "", "IMI", 1609.344, 9093, 0},
    {kCsLinearUnit, "Knot", "", "KT", 1852.0, 9030, 0},
    {kCsLinearUnit, "NautM", "", "NM", 1852.0, 9030, 0},
    {kCsLinearUnit, "Lat-66", "", "L66", 110943.31648893273, 0, 0},
    {kCsLinearUnit, "Lat-83", "", "L83", 110946.25736872235, 0, 0},
    {kCsLinearUnit, "Decimeter", "", "DM", 0.1, 0, 0},
    {kCsLinearUnit, "Millimeter", "", "MM", 0.001, 0, 0},
    {kCsLinearUnit, "Decameter", "", "DAM", 10.0, 0, 0},
    {kCsLinearUnit, "Dekameter", "", "DK", 10.0, 0, 0},
    {kCsLinearUnit, "Hectometer", "", "HM", 100.0, 0, 0},
    {kCsLinearUnit, "GermanMeter", "", "GM", 1.0000135965, 9031, 0},
    {kCsLinearUnit, "CaGrid", "", "CG", 0.999738, 0, 0},
    {kCsLinearUnit, "ClarkeChain", "", "CC", 20.1166194976, 9039, 0},
    {kCsLinearUnit, "GunterChain", "", "GC", 20.11684023368047, 0, 0},
    {kCsLinearUnit, "BenoitChain", "", "BC", 20.116782494375872, 9062, 0},
    {kCsLinearUnit, "SearsChain", "", "SC", 20.11676512155, 9042, 0},
    {kCsLinearUnit, "ClarkeLink", "", "CL", 0.201166194976, 9039, 0},
    {kCsLinearUnit, "GunterLink", "", "GL", 0.2011684023368047, 0, 0},
    {kCsLinearUnit, "BenoitLink", "", "BL", 0.20116782494375873, 9063, 0},
    {kCsLinearUnit, "SearsLink", "", "SL", 0.2011676512155, 9043, 0},
    {kCsLinearUnit, "Rod", "", "RD", 5.02921005842012, 0, 0},
    {kCsLinearUnit, "Perch", "", "PE", 5.02921005842012, 0, 0},
    {kCsLinearUnit, "Pole", "", "PO", 5.02921005842012, 0, 0},
    {kCsLinearUnit, "Furlong", "", "FU", 201.1684023368046, 0, 0},
    {kCsLinearUnit, "Rood", "", "RO", 3.778266898, 0, 0},
    {kCsLinearUnit, "CapeFoot", "", "CA", 0.3047972615, 0, 0},
    {kCsLinearUnit, "Brealey", "", "BR", 375.0, 0, 0},
    // Angular units: degrees per unit.
    {kCsAngularUnit, "Degree", "", "DG", 1.0, 9102, 0},
    {kCsAngularUnit, "Grad", "", "GR", 0.9, 9105, 0},
    {kCsAngularUnit, "Grade", "", "GR", 0.9, 9105, 0},
    {kCsAngularUnit, "MapInfo", "", "MA", 1e-06, 0, 0},
    {kCsAngularUnit, "Mil", "", "MIL", 0.05625, 9114, 0},
    {kCsAngularUnit, "Minute", "", "MN", 0.016666666666666666, 9103, 0},
    {kCsAngularUnit, "Radian", "", "RA", 57.29577951308232, 9101, 0},
    {kCsAngularUnit, "Second", "", "SE", 0.0002777777777777778, 9104, 0},
    {kCsAngularUnit, "Decisec", "", "DS", 2.777777777777777e-05, 0, 0},
    {kCsAngularUnit, "Centisec", "", "CS", 2.77777777777777e-06, 0, 0},
    {kCsAngularUnit, "Millisec", "", "MS", 2.7777777777777e-07, 0, 0},
    // Free rows for units added at run time; their type never matches a lookup.
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    CS_FREE_UNIT_ROW,
    {0, "", "", "", 0.0, 0, 0},
};

#undef CS_FREE_UNIT_ROW

double CS_unitLookup(int type, const char* name) {
    if (type != kCsLinearUnit && type != kCsAngularUnit) {
        CS_reportError(kCsErrBadUnitType);
        return -static_cast<double>(kCsErrBadUnitType);
    }
    const char* passed = name ? name : "";
    const char* p = passed;
    while (*p == ' ') ++p;
    char text[kCsKeySize];
    CS_strNCopy(text, p, sizeof text);
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
    if (length >= 2 && ((text[0] == '[' && text[length - 1] == ']') ||
                        (text[0] == '(' && text[length - 1] == ')'))) {
        text[length - 1] = '\0';
        std::memmove(text, text + 1, length - 1);
    }
    if (text[0] != '\0') {
        for (const CsUnitEntry* u = cs_UnitTable; u->type != 0; ++u) {
            if (u->type == type && CS_stricmp(u->name, text) == 0) return u->factor;
        }
        for (const CsUnitEntry* u = cs_UnitTable; u->type != 0; ++u) {
            if (u->type == type && CS_stricmp(u->abbreviation, text) == 0) return u->factor;
        }
    }
    CS_setErrorContext(passed);
    CS_reportError(kCsErrUnknownUnit);
    return 0.0;
}
