#include "coordsys/CsWktWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "coordsys/CsParams.h"
#include "coordsys/CsWktFamilies.h"
#include "coordsys/CsWktNames.h"
#include "coordsys/DictionaryRefresh.h"
#include "coordsys/core/CsUnicode.h"
#include "projections/ProjectionTable.h"

namespace {

constexpr std::string_view kLocalSystem = "*X-Y*";
constexpr int kDecimals = 11;

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// Builds the text piece by piece; the first failure sticks and is the result.
class CWktFormatter {
public:
    void Raw(std::string_view piece) { text_ += piece; }

    void Quoted(std::string_view name) {
        // The reader counts brackets even inside quotes, and WKT has no escape.
        if (name.find_first_of("\"[]") != std::string_view::npos) Fail(kWktString);
        text_ += '"';
        text_ += name;
        text_ += '"';
    }

    void Number(double value, WktStatus ifNotFinite) {
        if (!std::isfinite(value)) {
            Fail(ifNotFinite);
            return;
        }
        text_ += FormatWktNumber(value);
    }

    void Integer(int value) {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text_.append(buffer, result.ptr);
    }

    // PARAMETER["name", value], with its trailing comma.
    void Parameter(std::string_view name, double value) {
        Raw("PARAMETER[");
        Quoted(name);
        Raw(", ");
        Number(value, WktStatusFromName(name));
        Raw("],");
    }

    void Parameter(std::string_view name, int value) {
        Raw("PARAMETER[");
        Quoted(name);
        Raw(", ");
        Integer(value);
        Raw("],");
    }

    void DropTrailingComma() {
        if (!text_.empty() && text_.back() == ',') text_.pop_back();
    }

    void Fail(WktStatus status) {
        if (status_ == kWktOk) status_ = status;
    }

    WktStatus status() const { return status_; }
    std::string& text() { return text_; }

private:
    std::string text_;
    WktStatus status_ = kWktOk;
};

void WriteSpheroid(CWktFormatter& out, const CsDatumBlock& datum) {
    std::string_view name = WktNameOfKey(cs_WktEllipsoidNames, FieldText(datum.ellipsoidKey));
    if (name.empty() || !(datum.equatorialRadius >= 1e-9)) out.Fail(kWktEllipsoid);
    double inverseFlattening = datum.flattening < 1e-12 ? 0.0 : 1.0 / datum.flattening;
    out.Raw("SPHEROID[");
    out.Quoted(name);
    out.Raw(",");
    out.Number(datum.equatorialRadius, kWktEllipsoid);
    out.Raw(",");
    out.Number(inverseFlattening, kWktEllipsoid);
    out.Raw("]");
}

void WriteDatum(CWktFormatter& out, const CsParams& definition) {
    const CsDatumBlock& datum = definition.datum;
    std::string_view name = WktNameOfKey(cs_WktDatumNames, FieldText(definition.csDef.datumKey));
    out.Raw("DATUM[");
    out.Quoted(name);
    out.Raw(",");
    WriteSpheroid(out, datum);
    out.Raw(",TOWGS84[");
    // TOWGS84 rotations are position-vector rotations.
    const double sign = CS_coordinateFrameRotations(datum.method) ? -1.0 : 1.0;
    const double values[] = {datum.deltaX,      datum.deltaY,      datum.deltaZ, sign * datum.rotX,
                             sign * datum.rotY, sign * datum.rotZ, datum.bwScale};
    for (double value : values) {
        out.Number(name.empty() ? 0.0 : value, kWktDatum);
        out.Raw(",");
    }
    out.DropTrailingComma();
    out.Raw("]]");
}

// `top`: the GEOGCS is the whole system (projection key LL), not the base of
// a PROJCS.
void WriteGeogcs(CWktFormatter& out, const CsParams& definition, bool top) {
    const CsCoordSysDef& def = definition.csDef;
    out.Raw("GEOGCS[");
    out.Quoted(FieldText(def.key));
    out.Raw(",");
    WriteDatum(out, definition);
    out.Raw(",");
    if (top) {
        out.Raw("PRIMEM[");
        out.Quoted(WktPrimeMeridianName(def.originLongitude));
        out.Raw(",");
        out.Number(def.originLongitude, kWktPrimeMeridian);
        out.Raw("],UNIT[\"Degrees\",");
        out.Number(def.scale * kCsDegToRad, kWktNoAngularUnit);
        out.Raw("]");
        if (def.parameters[0] != 0.0 || def.parameters[1] != 0.0) {
            out.Raw(",");
            out.Parameter("VLSM_minimum_longitude", def.parameters[0]);
            out.Parameter("VLSM_maximum_longitude", def.parameters[1]);
            out.DropTrailingComma();
        }
    } else {
        out.Raw("PRIMEM[\"Greenwich\",0],UNIT[\"Degrees\", 0.0174532925199433]");
    }
    out.Raw("]");
}

void WriteLinearUnit(CWktFormatter& out, const CsCoordSysDef& def) {
    std::string_view name = FieldText(def.unit);
    if (name.empty() || def.unitScale < 0.0) out.Fail(kWktLinearUnits);
    out.Raw("UNIT[");
    out.Quoted(name);
    out.Raw(", ");
    out.Number(def.unitScale, kWktLinearUnits);
    out.Raw("]");
}

void WriteUtmParameters(CWktFormatter& out, const CsCoordSysDef& def) {
    // The zone is read back into 16 bits.
    double whole = std::trunc(def.parameters[0]);
    if (!(std::fabs(whole) <= 32767.0)) {
        out.Fail(kWktZone);
        return;
    }
    int zone = static_cast<int>(whole);
    bool south = def.parameters[1] < 0.0;
    out.Parameter("central_meridian", 6.0 * zone - 183.0);
    out.Parameter("false_northing", south ? 10000000.0 : 0.0);
    out.Parameter("false_easting", 500000.0);
    out.Parameter("zone", south ? -zone : zone);
    out.Parameter("scale_factor", def.scaleReduction);
}

void WriteProjection(CWktFormatter& out, const CsCoordSysDef& def) {
    std::string_view key = FieldText(def.projectionKey);
    const CsWktFamily* family = WktFamilyOf(key, false);
    if (family == nullptr) {
        out.Fail(kWktProjectionName);
        return;
    }
    out.Raw("PROJECTION[");
    out.Quoted(WktNameOfKey(cs_WktProjectionNames, key));
    out.Raw("],");
    if (family->kind == ECsWktFamilyKind::kUtm) {
        WriteUtmParameters(out, def);
    } else {
        for (const CsWktParameter& parameter : family->parameters) {
            out.Parameter(parameter.name, WktFieldOf(def, parameter.field));
        }
    }
    if (family->quadrant && def.quadrant != 1) out.Parameter("VLSM_quadrant", int{def.quadrant});
    out.DropTrailingComma();
}

void WriteProjcs(CWktFormatter& out, const CsParams& definition) {
    const CsCoordSysDef& def = definition.csDef;
    out.Raw("PROJCS[");
    out.Quoted(FieldText(def.key));
    out.Raw(",");
    WriteGeogcs(out, definition, false);
    out.Raw(",");
    WriteProjection(out, def);
    out.Raw(",");
    WriteLinearUnit(out, def);
    out.Raw("]");
}

void WriteLocalcs(CWktFormatter& out, const CsCoordSysDef& def) {
    out.Raw("LOCALCS[");
    out.Quoted(FieldText(def.key));
    out.Raw(",LOCAL_DATUM[\"*X-Y*\",10000],");
    WriteLinearUnit(out, def);
    out.Raw(",AXIS[\"X\",EAST],AXIS[\"Y\",NORTH]]");
}

// Whether the projection's family is built: a system the library cannot set
// up gets no WKT either.
bool IsBuilt(std::string_view projectionKey) {
    const CsProjectionEntry* row = CS_projectionLookup(std::string(projectionKey).c_str());
    return row != nullptr && row->setup != nullptr;
}

}  // namespace

std::string FormatWktNumber(double value) {
    char buffer[400];
    double magnitude = std::fabs(value);
    if (magnitude <= 0.0001) {
        if (magnitude <= 1e-12) return "0";
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::scientific, kDecimals);
        std::string text(buffer, result.ptr);
        for (char& c : text) {
            if (c == 'e') c = 'E';
        }
        return text;
    }
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, kDecimals);
    std::string text(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

WktStatus WriteWktProjection(const CsParams& definition, std::string& text) {
    CWktFormatter out;
    WriteProjection(out, definition.csDef);
    text = out.status() == kWktOk ? std::move(out.text()) : std::string();
    return out.status();
}

WktStatus WriteWkt(const CsParams& definition, std::string& text) {
    RefreshDictionaryDirectory();
    CWktFormatter out;
    std::string_view projection = FieldText(definition.csDef.projectionKey);
    if (EqualNoCaseAscii(projection, "LL")) {
        WriteGeogcs(out, definition, true);
    } else if (EqualNoCaseAscii(projection, kLocalSystem)) {
        WriteLocalcs(out, definition.csDef);
    } else if (!IsBuilt(projection)) {
        out.Fail(kWktProjectionName);
    } else {
        WriteProjcs(out, definition);
    }
    text = out.status() == kWktOk ? std::move(out.text()) : std::string();
    return out.status();
}

WktStatus WriteWkt(const CsParams* definition, std::u16string* text) {
    if (definition == nullptr || text == nullptr) return kWktMissingArgument;
    text->clear();
    std::string narrow;
    WktStatus status = WriteWkt(*definition, narrow);
    if (status != kWktOk) return status;
    if (!Utf8ToUtf16(narrow, *text)) {
        text->clear();
        return kWktUnknownError;
    }
    return kWktOk;
}
