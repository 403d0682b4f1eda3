#include "coordsys/CsWktReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

#include "coordsys/CsParams.h"
#include "coordsys/CsWktFamilies.h"
#include "coordsys/CsWktNames.h"
#include "coordsys/DictionaryRefresh.h"
#include "coordsys/core/CsLocks.h"
#include "coordsys/core/CsUnicode.h"
#include "projections/ProjectionTable.h"

namespace {

constexpr std::string_view kLocalSystem = "*X-Y*";
constexpr const char* kNoDatumDescription =
    "No Datum, cartographically referenced directly to an ellipsoid.";
// Relative difference within which a unit's factor counts as the text's.
constexpr double kUnitTolerance = 1e-9;

bool IsControl(char c) {
    return c == '\n' || c == '\t' || c == '\r' || c == '\b';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = UpperAscii(c);
    return upper;
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

// The standard text-to-number reading: leading white space, then as much of
// a number as there is; 0 when there is none (or it is not finite).
double TextToDouble(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    double value = 0.0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

// Leading white space, a sign and the digits after it; 0 when there are none.
int TextToInt(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + (c - '0'), 1LL << 31);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// One clause split into keyword and elements.
struct CWktClause {
    std::string keyword;
    std::vector<std::string> elements;

    bool Split(std::string_view text) { return SplitWktClause(text, keyword, elements); }
    std::string_view Name() const {
        return elements.empty() ? std::string_view() : std::string_view(elements[0]);
    }
};

// The unit of the table whose factor is `factor`, preferring the row that
// `name` names.
const CsUnitEntry* FindUnit(std::uint16_t type, std::string_view name, double factor) {
    auto agrees = [factor](const CsUnitEntry& row) {
        return std::fabs(row.factor - factor) <= kUnitTolerance * factor;
    };
    name = TrimBlanks(name);
    for (const CsUnitEntry* row = cs_UnitTable; row->type != 0; ++row) {
        if (row->type == type && EqualNoCaseAscii(row->name, name) && agrees(*row)) return row;
    }
    for (const CsUnitEntry* row = cs_UnitTable; row->type != 0; ++row) {
        if (row->type == type && EqualNoCaseAscii(row->abbreviation, name) && agrees(*row)) {
            return row;
        }
    }
    for (const CsUnitEntry* row = cs_UnitTable; row->type != 0; ++row) {
        if (row->type == type && agrees(*row)) return row;
    }
    return nullptr;
}

// A linear UNIT clause: the unit's name (as written when the unit table knows
// it by that name), metres per unit and the scale that follows.
WktStatus ReadLinearUnit(std::string_view unitText, CsParams* out) {
    CWktClause unit;
    if (!unit.Split(unitText)) return kWktString;
    if (unit.elements.size() < 2) return kWktLinearUnits;
    double factor = TextToDouble(unit.elements[1]);
    if (!(factor > 0.0)) return kWktLinearUnits;
    const CsUnitEntry* row = FindUnit(kCsLinearUnit, unit.elements[0], factor);
    if (row == nullptr) return kWktLinearUnits;
    CsCoordSysDef& def = out->csDef;
    bool named = EqualNoCaseAscii(row->name, TrimBlanks(unit.elements[0])) ||
                 EqualNoCaseAscii(row->abbreviation, TrimBlanks(unit.elements[0]));
    CopyField(def.unit, named ? TrimBlanks(unit.elements[0]) : std::string_view(row->name));
    def.unitScale = row->factor;
    def.scale = 1.0 / (row->factor * def.mapScale);
    return kWktOk;
}

// The angular UNIT of a latitude/longitude system. The writer gives it as
// the system's scale times pi/180; the unit is the one whose degrees per
// unit are the reciprocal of that scale.
WktStatus ReadAngularUnit(const CWktClause& unit, CsParams* out) {
    if (unit.elements.size() < 2) return kWktNoAngularUnit;
    double scale = TextToDouble(unit.elements[1]) / kCsDegToRad;
    if (!(scale > 0.0)) return kWktNoAngularUnit;
    const CsUnitEntry* row = FindUnit(kCsAngularUnit, unit.elements[0], 1.0 / scale);
    if (row == nullptr) return kWktNoAngularUnit;
    CsCoordSysDef& def = out->csDef;
    CopyField(def.unit, row->name);
    def.scale = 1.0 / row->factor;
    def.unitScale = row->factor * out->datum.equatorialRadius * (2.0 * kCsPi) / 360.0;
    return kWktOk;
}

WktStatus ReadDatum(std::string_view datumText, CsParams* out) {
    CWktClause datum;
    if (!datum.Split(datumText)) return kWktString;
    std::string_view name = datum.Name();
    const char* known = WktKeyOfName(cs_WktDatumNames, name);
    CsDatumBlock& block = out->datum;
    CopyField(block.key, known != nullptr ? std::string_view(known) : name);
    CopyField(out->csDef.datumKey, FieldText(block.key));

    if (block.key[0] == '\0') {
        CopyField(block.description, kNoDatumDescription);
    } else {
        CsDatumDef record;
        int found;
        {
            std::lock_guard<CCriticalSection> guard(CS_datumSection());
            found = CS_readDatumDef(block.key, &record);
        }
        if (found == 0) {
            CopyField(block.description, FieldText(record.description));
            block.method = static_cast<std::uint16_t>(record.method);
            block.deltaX = record.deltaX;
            block.deltaY = record.deltaY;
            block.deltaZ = record.deltaZ;
            block.rotX = record.rotX;
            block.rotY = record.rotY;
            block.rotZ = record.rotZ;
            block.bwScale = record.bwScale;
        }
    }

    if (const std::string* text = FindWktElement(datum.elements, "TOWGS84")) {
        CWktClause toWgs84;
        if (!toWgs84.Split(*text)) return kWktString;
        double* values[] = {&block.deltaX, &block.deltaY, &block.deltaZ, &block.rotX,
                            &block.rotY,   &block.rotZ,   &block.bwScale};
        for (std::size_t i = 0; i < std::size(values); ++i) {
            *values[i] = i < toWgs84.elements.size() ? TextToDouble(toWgs84.elements[i]) : 0.0;
        }
        // The text's position-vector rotations, as the datum's method takes them.
        if (CS_coordinateFrameRotations(block.method)) {
            block.rotX = -block.rotX;
            block.rotY = -block.rotY;
            block.rotZ = -block.rotZ;
        }
    }

    const std::string* spheroid = FindWktElement(datum.elements, "SPHEROID");
    if (spheroid == nullptr) return kWktEllipsoid;
    return ReadWktSpheroid(*spheroid, out);
}

// `top`: the GEOGCS is the whole system, not the base of a PROJCS.
WktStatus ReadGeogcs(std::string_view geogcsText, CsParams* out, bool top) {
    CWktClause geogcs;
    if (!geogcs.Split(geogcsText)) return kWktString;
    if (UpperAscii(geogcs.keyword) != "GEOGCS") return kWktGeogcs;

    CsCoordSysDef& def = out->csDef;
    std::string name(geogcs.Name());
    if (!name.empty()) {
        CsCoordSysDef record;
        int found;
        {
            std::lock_guard<CCriticalSection> guard(CoordSysCriticalSection());
            found = CS_readCoordSysDef(name.c_str(), &record);
        }
        if (found == 0) {
            CopyField(def.description, FieldText(record.description));
            CopyField(def.group, FieldText(record.group));
        }
    }

    const std::string* datum = FindWktElement(geogcs.elements, "DATUM");
    if (datum == nullptr) return kWktDatum;
    if (WktStatus status = ReadDatum(*datum, out); status != kWktOk) return status;

    const std::string* primemText = FindWktElement(geogcs.elements, "PRIMEM");
    if (primemText == nullptr) return kWktPrimeMeridian;
    CWktClause primem;
    if (!primem.Split(*primemText)) return kWktString;
    if (primem.elements.size() < 2 || !IsWktPrimeMeridianName(primem.elements[0])) {
        return kWktPrimeMeridian;
    }

    const std::string* unitText = FindWktElement(geogcs.elements, "UNIT");
    if (unitText == nullptr) return kWktNoAngularUnit;
    CWktClause unit;
    if (!unit.Split(*unitText)) return kWktString;
    if (!top) return kWktOk;

    // The system itself: its origin is the prime meridian, its unit the
    // GEOGCS's, and a longitude window may follow.
    CopyField(def.projectionKey, "LL");
    def.originLongitude = TextToDouble(primem.elements[1]);
    if (WktStatus status = ReadAngularUnit(unit, out); status != kWktOk) return status;
    CsWktParameterList parameters = CollectWktParameters(geogcs.elements);
    if (WktStatus status =
            ReadWktDouble(parameters, "VLSM_minimum_longitude", &def.parameters[0], 0.0);
        status != kWktOk) {
        return status;
    }
    return ReadWktDouble(parameters, "VLSM_maximum_longitude", &def.parameters[1], 0.0);
}

WktStatus ReadPlainFamily(const CsWktFamily& family, const CsWktParameterList& parameters,
                          CsCoordSysDef& def) {
    for (const CsWktParameter& parameter : family.parameters) {
        WktStatus status = ReadWktDouble(parameters, parameter.name,
                                         &WktFieldOf(def, parameter.field), parameter.readDefault);
        if (status != kWktOk) return status;
    }
    if (!family.quadrant) return kWktOk;
    return ReadWktInteger(parameters, "VLSM_quadrant", &def.quadrant, kWktDefaultQuadrant);
}

// TM and GAUSSK, and the UTM form of a TM text (one with a "zone").
WktStatus ReadTransverseMercator(const CsWktParameterList& parameters, CsCoordSysDef& def) {
    ReadWktDouble(parameters, "central_meridian", &def.parameters[0], 0.0);
    ReadWktDouble(parameters, "latitude_of_origin", &def.originLatitude, 0.0);
    ReadWktDouble(parameters, "scale_factor", &def.scaleReduction, kWktNoDefault);
    WktStatus status = ReadWktDouble(parameters, "false_easting", &def.falseEasting, 0.0);
    if (status == kWktOk) {
        status = ReadWktDouble(parameters, "false_northing", &def.falseNorthing, 0.0);
    }
    if (status == kWktOk) {
        status = ReadWktInteger(parameters, "VLSM_quadrant", &def.quadrant, kWktDefaultQuadrant);
    }
    double zone = 0.0;
    if (ReadWktDouble(parameters, "zone", &zone, kWktNoDefault) == kWktOk) {
        CopyField(def.projectionKey, "UTM");
        def.parameters[0] = std::fabs(zone);
        def.parameters[1] = zone < 0.0 ? -1.0 : 1.0;
    }
    return status;
}

// UTM and the OSTN grids: the zone with its hemisphere; the meridian and the
// false origin follow from it.
WktStatus ReadUtm(const CsWktParameterList& parameters, CsCoordSysDef& def) {
    std::int16_t zone = 0;
    WktStatus status = ReadWktInteger(parameters, "zone", &zone, kWktUtmDefaultZone);
    if (status == kWktOk) {
        status =
            ReadWktDouble(parameters, "scale_factor", &def.scaleReduction, kWktUtmDefaultScale);
    }
    if (status == kWktOk) {
        status = ReadWktInteger(parameters, "VLSM_quadrant", &def.quadrant, kWktDefaultQuadrant);
    }
    def.parameters[0] = std::abs(int{zone});
    def.parameters[1] = zone < 0 ? -1.0 : 1.0;
    return status;
}

// Stores the code and flag word of the projection key's row.
void StoreProjectionRow(CsParams* out) {
    const CsProjectionEntry* row = CS_projectionLookupExact(out->csDef.projectionKey);
    if (row != nullptr) {
        out->projectionCode = row->code;
        out->projectionFlags = row->flags;
    }
}

WktStatus ReadProjcs(std::string_view projcsText, CsParams* out) {
    CWktClause projcs;
    if (!projcs.Split(projcsText)) return kWktString;
    const std::string* geogcs = FindWktElement(projcs.elements, "GEOGCS");
    if (geogcs == nullptr) return kWktGeogcs;
    if (WktStatus status = ReadGeogcs(*geogcs, out, false); status != kWktOk) return status;
    if (WktStatus status = ReadWktProjection(projcsText, out); status != kWktOk) return status;
    const std::string* unit = FindWktElement(projcs.elements, "UNIT");
    if (unit == nullptr) return kWktLinearUnits;
    return ReadLinearUnit(*unit, out);
}

WktStatus ReadWktText(std::string_view text, CsParams* out) {
    CWktClause top;
    if (!top.Split(text)) return kWktString;
    CopyField(out->csDef.key, top.Name());

    std::string keyword = UpperAscii(top.keyword);
    WktStatus status;
    if (keyword == "PROJCS") {
        status = ReadProjcs(text, out);
    } else if (keyword == "GEOGCS") {
        status = ReadGeogcs(text, out, true);
    } else if (keyword == "LOCALCS" || keyword == "LOCAL_CS") {
        status = ReadWktLocalSystem(text, out);
    } else {
        status = kWktUnsupportedCs;
    }
    if (status != kWktOk) return status;

    // The local cartesian systems convert without the projection table.
    if (FieldText(out->csDef.projectionKey) == kLocalSystem) return kWktOk;
    const CsProjectionEntry* row = CS_projectionLookupExact(out->csDef.projectionKey);
    if (row == nullptr) return kWktString;
    // A family the library has not built cannot be set up.
    if (row->setup == nullptr) return kWktProjectionName;
    out->projectionCode = row->code;
    out->projectionFlags = row->flags;
    row->setup(out);
    return kWktOk;
}

}  // namespace

bool SplitWktClause(std::string_view text, std::string& keyword,
                    std::vector<std::string>& elements) {
    keyword.clear();
    elements.clear();
    std::string clean(text);
    for (char& c : clean) {
        if (IsControl(c)) c = ' ';
    }
    std::string_view whole = TrimBlanks(clean);
    std::size_t open = whole.find('[');
    if (open == std::string_view::npos || open < 1 || whole.back() != ']') return false;
    keyword = TrimBlanks(whole.substr(0, open));

    std::string_view body = whole.substr(open + 1, whole.size() - open - 2);
    int depth = 0;
    bool inQuote = false;
    std::string buffer;
    for (char c : body) {
        if (c == '[') {
            ++depth;
            buffer += c;
        } else if (c == ']') {
            --depth;
            buffer += c;
            if (depth < 0) break;
        } else if (c == '"') {
            inQuote = !inQuote;
            if (depth > 0) buffer += c;
        } else if (c == ',' && depth == 0 && !inQuote) {
            elements.emplace_back(TrimBlanks(buffer));
            buffer.clear();
        } else {
            buffer += c;
        }
    }
    std::string_view last = TrimBlanks(buffer);
    if (!last.empty()) elements.emplace_back(last);
    return depth == 0;
}

const std::string* FindWktElement(const std::vector<std::string>& elements,
                                  std::string_view keyword) {
    if (keyword.empty()) return nullptr;
    const std::string* found = nullptr;
    for (const std::string& element : elements) {
        if (element.size() >= keyword.size() &&
            EqualNoCaseAscii(std::string_view(element).substr(0, keyword.size()), keyword)) {
            found = &element;
        }
    }
    return found;
}

CsWktParameterList CollectWktParameters(const std::vector<std::string>& elements) {
    CsWktParameterList list;
    CWktClause clause;
    for (const std::string& element : elements) {
        if (!clause.Split(element)) continue;
        if (WktNamesEqual(clause.keyword, "PARAMETER") && clause.elements.size() >= 2) {
            list.names.push_back(std::move(clause.elements[0]));
            list.values.push_back(std::move(clause.elements[1]));
        }
    }
    return list;
}

namespace {

const std::string* FindParameter(const CsWktParameterList& parameters, std::string_view name) {
    for (std::size_t i = 0; i < parameters.names.size(); ++i) {
        if (WktNamesEqual(parameters.names[i], name)) return &parameters.values[i];
    }
    return nullptr;
}

}  // namespace

WktStatus ReadWktDouble(const CsWktParameterList& parameters, std::string_view name, double* field,
                        double defaultValue) {
    if (const std::string* value = FindParameter(parameters, name)) {
        *field = TextToDouble(*value);
        return kWktOk;
    }
    if (defaultValue == kWktNoDefault) return WktStatusFromName(name);
    *field = defaultValue;
    return kWktOk;
}

WktStatus ReadWktInteger(const CsWktParameterList& parameters, std::string_view name,
                         std::int16_t* field, double defaultValue) {
    if (const std::string* value = FindParameter(parameters, name)) {
        *field = static_cast<std::int16_t>(TextToInt(*value));
        return kWktOk;
    }
    if (defaultValue == kWktNoDefault || !(std::fabs(defaultValue) < 32000.0)) {
        return WktStatusFromName(name);
    }
    *field = static_cast<std::int16_t>(std::lround(defaultValue));
    return kWktOk;
}

WktStatus ReadWktProjection(std::string_view projcsText, CsParams* out) {
    CWktClause projcs;
    if (!projcs.Split(projcsText)) return kWktString;
    if (UpperAscii(projcs.keyword) != "PROJCS") return kWktProjcs;
    CsWktParameterList parameters = CollectWktParameters(projcs.elements);

    const std::string* projectionText = FindWktElement(projcs.elements, "PROJECTION");
    if (projectionText == nullptr) return kWktProjcs;
    CWktClause projection;
    if (!projection.Split(*projectionText)) return kWktString;
    if (projection.elements.empty()) return kWktProjcs;
    const char* key = WktKeyOfName(cs_WktProjectionNames, projection.elements[0]);
    if (key == nullptr) return kWktProjectionName;
    if (std::strlen(key) >= sizeof out->csDef.projectionKey) return kWktProjectionKeyTooLong;
    CopyField(out->csDef.projectionKey, key);

    const CsWktFamily* family = WktFamilyOf(key, true);
    if (family == nullptr) return kWktProjectionName;
    CsCoordSysDef& def = out->csDef;
    WktStatus status;
    switch (family->kind) {
        case ECsWktFamilyKind::kTransverseMercator:
            status = ReadTransverseMercator(parameters, def);
            break;
        case ECsWktFamilyKind::kUtm:
            status = ReadUtm(parameters, def);
            break;
        default:
            status = ReadPlainFamily(*family, parameters, def);
            break;
    }
    StoreProjectionRow(out);
    return status;
}

WktStatus ReadWktSpheroid(std::string_view spheroidText, CsParams* out) {
    CWktClause spheroid;
    if (!spheroid.Split(spheroidText)) return kWktString;
    if (spheroid.elements.size() < 3 || !WktNamesEqual(spheroid.keyword, "SPHEROID")) {
        return kWktEllipsoid;
    }
    const char* key = WktKeyOfName(cs_WktEllipsoidNames, spheroid.elements[0]);
    if (key == nullptr) return kWktEllipsoid;
    CsDatumBlock& datum = out->datum;
    CopyField(datum.ellipsoidKey, key);
    CopyField(out->csDef.ellipsoidKey, key);
    if (key[0] != '\0') {
        CsEllipsoidDef record;
        int found;
        {
            std::lock_guard<CCriticalSection> guard(CS_ellipsoidSection());
            found = CS_readEllipsoidDef(key, &record);
        }
        if (found == 0) CopyField(datum.ellipsoidDescription, FieldText(record.description));
    }

    // The figure always comes from the text. A radius that is not positive
    // or a flattening of 1 or more would leave no ellipsoid to project on.
    double a = TextToDouble(spheroid.elements[1]);
    double r = TextToDouble(spheroid.elements[2]);
    if (!(a > 0.0)) return kWktEllipsoid;
    datum.equatorialRadius = a;
    if (r < 1e-12) {
        datum.polarRadius = a;
        datum.flattening = 0.0;
        datum.eccentricity = 0.0;
        return kWktOk;
    }
    if (r <= 1.0) return kWktInverseFlattening;
    double f = 1.0 / r;
    datum.polarRadius = (1.0 - f) * a;
    datum.flattening = f;
    datum.eccentricity = std::sqrt(2.0 * f - f * f);
    return kWktOk;
}

WktStatus ReadWktLocalSystem(std::string_view localText, CsParams* out) {
    CWktClause local;
    if (!local.Split(localText)) return kWktString;
    std::string keyword = UpperAscii(local.keyword);
    if (keyword != "LOCALCS" && keyword != "LOCAL_CS") return kWktLocalcs;
    if (local.elements.size() < 2) return kWktComponents;

    CsCoordSysDef& def = out->csDef;
    CsDatumBlock& datum = out->datum;
    for (char* key : {def.datumKey, def.ellipsoidKey, datum.key, datum.ellipsoidKey}) {
        std::memcpy(key, "*X-Y*", 6);
    }
    def.scaleReduction = 1.0;
    def.mapScale = 1.0;
    datum.equatorialRadius = 1.0;
    datum.polarRadius = 1.0;

    std::string_view name = local.Name();
    bool cartesian = false;
    if (const std::string* datumText = FindWktElement(local.elements, "LOCAL_DATUM")) {
        CWktClause localDatum;
        cartesian = localDatum.Split(*datumText) && localDatum.Name() == kLocalSystem;
    }
    if (cartesian) {
        // Written from one of the local cartesian systems: read it back as
        // that system, not as a non-earth one.
        CopyField(def.projectionKey, kLocalSystem);
        CopyField(def.key, name);
    } else {
        CopyField(def.projectionKey, "NERTH");
        std::string_view key = name;
        if (keyword == "LOCAL_CS") {
            std::string upper = UpperAscii(name);
            std::size_t word = upper.find("NON-EARTH");
            std::size_t start = word + 11;
            if (word != std::string::npos && start < name.size() - 1) {
                key = name.substr(start, name.size() - 1 - start);
            } else if ((word = upper.find("NONEARTH")) != std::string::npos) {
                key = name.substr(word + 8);
            }
        }
        CopyField(def.key, key);
    }

    const std::string* unit = FindWktElement(local.elements, "UNIT");
    if (unit == nullptr) return kWktLinearUnits;
    return ReadLinearUnit(*unit, out);
}

void ClearWktDefinition(CsParams* out) {
    std::memset(out, 0, sizeof *out);
    out->csDef.scaleReduction = 1.0;
    out->csDef.mapScale = 1.0;
    out->csDef.quadrant = 1;
}

WktStatus ReadWkt(std::string_view text, CsParams* out) {
    if (out == nullptr) return kWktMissingArgument;
    RefreshDictionaryDirectory();
    ClearWktDefinition(out);
    WktStatus status = ReadWktText(text, out);
    if (status != kWktOk) ClearWktDefinition(out);
    return status;
}

WktStatus ReadWkt(const char16_t* text, CsParams* out) {
    if (text == nullptr || out == nullptr) return kWktMissingArgument;
    std::string narrow;
    if (!Utf16ToUtf8(text, narrow)) {
        ClearWktDefinition(out);
        return kWktString;
    }
    return ReadWkt(narrow, out);
}
