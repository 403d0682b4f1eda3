// Compiles the dictionary sources into Elipsoid.CSD, Datums.CSD and
// Coordsys.CSD.
//
//   dictionary_compiler <ellipsoids> <datums> <coordinate systems> <output directory>
//
// A source is a run of sections. "[KEY]" opens the record with that key;
// "field = value" lines fill it; blank lines and lines starting with '#' are
// skipped. Fields not given keep the defaults below. The compiler checks what
// the library will rely on (key names, references between the dictionaries,
// units, each coordinate system against its projection's check) and writes
// nothing when it finds a problem: every problem is printed as
// "file:line: message" and the exit code is 1.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "coordsys/CsParams.h"
#include "coordsys/core/CsDictionary.h"
#include "projections/ProjectionTable.h"

namespace {

struct Field {
    std::string value;
    int line = 0;
};

struct Section {
    std::string key;
    int line = 0;
    std::map<std::string, Field> fields;
};

class Compiler {
public:
    bool Parse(const std::string& file, std::vector<Section>* sections);
    void Error(const std::string& file, int line, const std::string& message) {
        std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, message.c_str());
        ++errors_;
    }
    int errors() const { return errors_; }

private:
    int errors_ = 0;
};

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool Compiler::Parse(const std::string& file, std::vector<Section>* sections) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        Error(file, 0, "cannot open the file");
        return false;
    }
    std::string raw;
    int line = 0;
    Section* current = nullptr;
    while (std::getline(in, raw)) {
        ++line;
        std::string text = Trim(raw);
        if (text.empty() || text[0] == '#') continue;
        if (text.front() == '[') {
            if (text.back() != ']') {
                Error(file, line, "a section line must end in ']'");
                continue;
            }
            sections->push_back(Section{Trim(text.substr(1, text.size() - 2)), line, {}});
            current = &sections->back();
            continue;
        }
        std::size_t equals = text.find('=');
        if (equals == std::string::npos) {
            Error(file, line, "expected 'field = value'");
            continue;
        }
        if (current == nullptr) {
            Error(file, line, "a field before the first [KEY] section");
            continue;
        }
        std::string name = Trim(text.substr(0, equals));
        auto [it, added] =
            current->fields.emplace(name, Field{Trim(text.substr(equals + 1)), line});
        if (!added) Error(file, line, "field '" + name + "' given twice");
    }
    return true;
}

// Reads the fields of one section into a record, reporting what is wrong.
class Reader {
public:
    Reader(Compiler& compiler, const std::string& file, Section& section)
        : compiler_(compiler), file_(file), section_(section) {}

    void Text(const char* name, char* field, std::size_t width) {
        const Field* f = Take(name);
        if (f == nullptr) return;
        if (f->value.size() >= width) {
            Error(f->line, std::string(name) + " is longer than " + std::to_string(width - 1) +
                               " characters");
            return;
        }
        CS_strNCopy(field, f->value.c_str(), static_cast<int>(width));
    }
    bool Number(const char* name, double* value) {
        const Field* f = Take(name);
        if (f == nullptr) return false;
        const char* begin = f->value.c_str();
        const char* end = begin + f->value.size();
        auto [ptr, ec] = std::from_chars(begin, end, *value);
        if (ec != std::errc() || ptr != end || !std::isfinite(*value)) {
            Error(f->line, std::string(name) + " is not a number: " + f->value);
        }
        return true;
    }
    void Integer(const char* name, std::int16_t* value) {
        const Field* f = Take(name);
        if (f == nullptr) return;
        const char* begin = f->value.c_str();
        const char* end = begin + f->value.size();
        int parsed = 0;
        auto [ptr, ec] = std::from_chars(begin, end, parsed);
        if (ec != std::errc() || ptr != end || parsed < -32768 || parsed > 32767) {
            Error(f->line, std::string(name) + " is not a 16-bit integer: " + f->value);
            return;
        }
        *value = static_cast<std::int16_t>(parsed);
    }
    const Field* Take(const char* name) {
        auto it = section_.fields.find(name);
        if (it == section_.fields.end()) return nullptr;
        taken_.insert(name);
        return &it->second;
    }
    // Fields nobody asked for are misspellings.
    void Finish() {
        for (const auto& [name, field] : section_.fields) {
            if (!taken_.count(name)) Error(field.line, "unknown field '" + name + "'");
        }
    }
    void Error(int line, const std::string& message) { compiler_.Error(file_, line, message); }
    void SectionError(const std::string& message) { Error(section_.line, message); }

private:
    Compiler& compiler_;
    const std::string& file_;
    Section& section_;
    std::set<std::string> taken_;
};

// The section's key as the record will hold it; reports an invalid one.
bool CheckKey(Reader& reader, const std::string& key, char field[kCsKeySize]) {
    std::string copy = key;
    if (CS_checkKeyName(copy.data()) != 0 || copy != key) {
        reader.SectionError("'" + key + "' is not a valid key name");
        return false;
    }
    CS_strNCopy(field, key.c_str(), kCsKeySize);
    return true;
}

struct DatumMethod {
    const char* name;
    std::int16_t code;
};

constexpr DatumMethod kDatumMethods[] = {
    {"molodensky", 1},
    {"multiple-regression", 2},
    {"bursa-wolf", 3},
    {"nad27", 4},
    {"nad83", 5},
    {"wgs84", 6},
    {"wgs72", 7},
    {"harn", 8},
    {"seven-parameter", 9},
    {"agd66", 10},
    {"three-parameter", 11},
    {"six-parameter", 12},
    {"four-parameter", 13},
    {"agd84", 14},
    {"nzgd49", 15},
    {"ats77", 16},
    {"gda94", 17},
    {"nzgd2000", 18},
    {"csrs", 19},
    {"tokyo", 20},
    {"ntf", 21},
    {"ed50", 22},
};

template <class Def>
using Encoder = void (*)(const Def&, std::uint8_t*);

// Writes the dictionary sorted by the library's own key order, through a
// temporary file so that a failed run leaves no half-written dictionary.
template <class Def>
bool WriteDictionary(const std::string& path, std::uint32_t magic, int recordSize,
                     const std::vector<Def>& records, Encoder<Def> encode,
                     int (*compare)(const void*, const void*)) {
    std::vector<std::vector<std::uint8_t>> encoded;
    for (const Def& def : records) {
        encoded.emplace_back(recordSize);
        encode(def, encoded.back().data());
    }
    std::sort(encoded.begin(), encoded.end(),
              [&](const auto& a, const auto& b) { return compare(a.data(), b.data()) < 0; });
    std::string temporary = path + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "%s: cannot create the file\n", temporary.c_str());
        return false;
    }
    std::uint8_t header[4];
    byteorder::StoreU32Le(magic, header);
    bool ok = std::fwrite(header, 1, 4, out) == 4;
    for (const auto& record : encoded) {
        ok = ok && std::fwrite(record.data(), 1, record.size(), out) == record.size();
    }
    ok = (std::fclose(out) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

// Rejects a second record whose key equals another's, letter case ignored.
template <class Def>
void CheckUnique(Compiler& compiler, const std::string& file, const std::vector<Def>& records,
                 const std::vector<int>& lines) {
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string folded = records[i].key;
        for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        auto [it, added] = seen.emplace(folded, lines[i]);
        if (!added) {
            compiler.Error(file, lines[i],
                           std::string("key ") + records[i].key + " repeats the key of line " +
                               std::to_string(it->second));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: %s <ellipsoids> <datums> <coordinate systems> <output directory>\n",
                     argv[0]);
        return 2;
    }
    const std::string ellipsoidFile = argv[1], datumFile = argv[2], coordSysFile = argv[3];
    std::string outputDirectory = argv[4];
    if (!outputDirectory.empty() && outputDirectory.back() != '/') outputDirectory += '/';

    Compiler compiler;
    std::vector<Section> ellipsoidSections, datumSections, coordSysSections;
    compiler.Parse(ellipsoidFile, &ellipsoidSections);
    compiler.Parse(datumFile, &datumSections);
    compiler.Parse(coordSysFile, &coordSysSections);

    // Ellipsoids: the equatorial radius and either the polar radius or the
    // inverse flattening; the rest follows.
    std::vector<CsEllipsoidDef> ellipsoids;
    std::vector<int> ellipsoidLines;
    std::map<std::string, const CsEllipsoidDef*> ellipsoidByKey;
    ellipsoids.reserve(ellipsoidSections.size());
    for (Section& section : ellipsoidSections) {
        Reader r(compiler, ellipsoidFile, section);
        CsEllipsoidDef def{};
        CheckKey(r, section.key, def.key);
        r.Text("description", def.description, sizeof def.description);
        r.Text("source", def.source, sizeof def.source);
        double a = 0.0, b = 0.0, rf = 0.0;
        r.Number("equatorialRadius", &a);
        bool haveB = r.Number("polarRadius", &b);
        bool haveRf = r.Number("inverseFlattening", &rf);
        r.Finish();
        if (!(a > 0.0)) r.SectionError("equatorialRadius must be given and positive");
        if (haveB == haveRf) {
            r.SectionError("give exactly one of polarRadius and inverseFlattening");
        }
        double f = haveRf ? (rf == 0.0 ? 0.0 : 1.0 / rf) : 1.0 - b / a;
        if (!(f >= 0.0 && f < 1.0)) r.SectionError("the flattening must lie in [0, 1)");
        def.equatorialRadius = a;
        def.flattening = f;
        def.polarRadius = haveB ? b : a * (1.0 - f);
        def.eccentricity = std::sqrt(2.0 * f - f * f);
        ellipsoids.push_back(def);
        ellipsoidLines.push_back(section.line);
    }
    CheckUnique(compiler, ellipsoidFile, ellipsoids, ellipsoidLines);
    for (const CsEllipsoidDef& def : ellipsoids) ellipsoidByKey[def.key] = &def;

    std::vector<CsDatumDef> datums;
    std::vector<int> datumLines;
    std::map<std::string, const CsDatumDef*> datumByKey;
    datums.reserve(datumSections.size());
    for (Section& section : datumSections) {
        Reader r(compiler, datumFile, section);
        CsDatumDef def{};
        CheckKey(r, section.key, def.key);
        r.Text("ellipsoid", def.ellipsoidKey, sizeof def.ellipsoidKey);
        r.Text("description", def.description, sizeof def.description);
        r.Text("source", def.source, sizeof def.source);
        r.Text("location", def.location, sizeof def.location);
        r.Number("deltaX", &def.deltaX);
        r.Number("deltaY", &def.deltaY);
        r.Number("deltaZ", &def.deltaZ);
        r.Number("rotX", &def.rotX);
        r.Number("rotY", &def.rotY);
        r.Number("rotZ", &def.rotZ);
        r.Number("bwScale", &def.bwScale);
        if (const Field* method = r.Take("method")) {
            auto known =
                std::find_if(std::begin(kDatumMethods), std::end(kDatumMethods),
                             [&](const DatumMethod& m) { return method->value == m.name; });
            if (known == std::end(kDatumMethods)) {
                r.Error(method->line, "unknown datum method '" + method->value + "'");
            } else {
                def.method = known->code;
            }
        } else {
            r.SectionError("method must be given");
        }
        r.Finish();
        if (!ellipsoidByKey.count(def.ellipsoidKey)) {
            r.SectionError(std::string("ellipsoid '") + def.ellipsoidKey + "' is not defined");
        }
        datums.push_back(def);
        datumLines.push_back(section.line);
    }
    CheckUnique(compiler, datumFile, datums, datumLines);
    for (const CsDatumDef& def : datums) datumByKey[def.key] = &def;

    std::vector<CsCoordSysDef> systems;
    std::vector<int> systemLines;
    for (Section& section : coordSysSections) {
        Reader r(compiler, coordSysFile, section);
        CsCoordSysDef def{};
        def.scaleReduction = 1.0;
        def.mapScale = 1.0;
        def.quadrant = 1;
        CheckKey(r, section.key, def.key);
        r.Text("datum", def.datumKey, sizeof def.datumKey);
        r.Text("ellipsoid", def.ellipsoidKey, sizeof def.ellipsoidKey);
        r.Text("projection", def.projectionKey, sizeof def.projectionKey);
        r.Text("unit", def.unit, sizeof def.unit);
        r.Text("group", def.group, sizeof def.group);
        r.Text("location", def.location, sizeof def.location);
        r.Text("country", def.country, sizeof def.country);
        r.Text("description", def.description, sizeof def.description);
        r.Text("source", def.source, sizeof def.source);
        for (int i = 0; i < 24; ++i) {
            r.Number(("param" + std::to_string(i + 1)).c_str(), &def.parameters[i]);
        }
        struct {
            const char* name;
            double* value;
        } numbers[] = {
            {"originLongitude", &def.originLongitude},
            {"originLatitude", &def.originLatitude},
            {"falseEasting", &def.falseEasting},
            {"falseNorthing", &def.falseNorthing},
            {"scaleReduction", &def.scaleReduction},
            {"mapScale", &def.mapScale},
            {"zeroX", &def.zeroX},
            {"zeroY", &def.zeroY},
            {"minLongitude", &def.minLongitude},
            {"minLatitude", &def.minLatitude},
            {"maxLongitude", &def.maxLongitude},
            {"maxLatitude", &def.maxLatitude},
            {"minX", &def.minX},
            {"minY", &def.minY},
            {"maxX", &def.maxX},
            {"maxY", &def.maxY},
        };
        for (auto& number : numbers) r.Number(number.name, number.value);
        r.Integer("quadrant", &def.quadrant);
        r.Finish();

        const CsEllipsoidDef* ellipsoid = nullptr;
        if ((def.datumKey[0] != '\0') == (def.ellipsoidKey[0] != '\0')) {
            r.SectionError("give exactly one of datum and ellipsoid");
        } else if (def.datumKey[0] != '\0') {
            auto datum = datumByKey.find(def.datumKey);
            if (datum == datumByKey.end()) {
                r.SectionError(std::string("datum '") + def.datumKey + "' is not defined");
            } else if (auto e = ellipsoidByKey.find(datum->second->ellipsoidKey);
                       e != ellipsoidByKey.end()) {
                ellipsoid = e->second;
            }
        } else if (auto e = ellipsoidByKey.find(def.ellipsoidKey); e == ellipsoidByKey.end()) {
            r.SectionError(std::string("ellipsoid '") + def.ellipsoidKey + "' is not defined");
        } else {
            ellipsoid = e->second;
        }

        // Projection keys are spelled as the table spells them: the loader
        // looks them up exactly.
        const CsProjectionEntry* projection = CS_projectionLookupExact(def.projectionKey);
        if (projection == nullptr || projection->setup == nullptr) {
            r.SectionError(std::string("'") + def.projectionKey +
                           "' is not a supported projection");
        } else {
            int problems[8];
            int count = CS_checkDefinition(&def, 0, problems, 8);
            CS_setErrorContext(def.key);
            for (int i = 0; i < count && i < 8; ++i) {
                char message[kCsMessageSize];
                CS_formatErrorMessage(message, sizeof message, problems[i]);
                r.SectionError(message);
            }
            if (count == 0 && ellipsoid != nullptr) {
                // The unit factors as the library's build sets them.
                bool geographic = projection->code == kCsProjLl;
                double factor =
                    CS_unitLookup(geographic ? kCsAngularUnit : kCsLinearUnit, def.unit);
                if (geographic) {
                    def.scale = 1.0 / factor;
                    def.unitScale = factor * ellipsoid->equatorialRadius * (2.0 * kCsPi) / 360.0;
                } else {
                    def.unitScale = factor;
                    def.scale = 1.0 / (factor * def.mapScale);
                }
            }
        }
        systems.push_back(def);
        systemLines.push_back(section.line);
    }
    CheckUnique(compiler, coordSysFile, systems, systemLines);

    if (compiler.errors() > 0) return 1;
    bool ok = WriteDictionary<CsEllipsoidDef>(outputDirectory + kCsEllipsoidFile, kCsEllipsoidMagic,
                                              kCsEllipsoidRecordSize, ellipsoids,
                                              CS_encodeEllipsoid, CS_compareEllipsoidRecords) &&
              WriteDictionary<CsDatumDef>(outputDirectory + kCsDatumFile, kCsDatumMagic,
                                          kCsDatumRecordSize, datums, CS_encodeDatum,
                                          CS_compareDatumRecords) &&
              WriteDictionary<CsCoordSysDef>(outputDirectory + kCsCoordSysFile, kCsCoordSysMagic,
                                             kCsCoordSysRecordSize, systems, CS_encodeCoordSys,
                                             CS_compareCoordSysRecords);
    return ok ? 0 : 1;
}
