#include "coordsys/core/CsDictionary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "common/ByteOrder.h"

namespace {

// Field-by-field little-endian record codec.
class RecordWriter {
public:
    explicit RecordWriter(std::uint8_t* out) : p_(out) {}
    void Text(const char* text, int width) {
        std::memset(p_, 0, width);
        CS_strNCopy(reinterpret_cast<char*>(p_), text, width);
        p_ += width;
    }
    void Bytes(const std::uint8_t* bytes, int count) {
        std::memcpy(p_, bytes, count);
        p_ += count;
    }
    void I16(std::int16_t value) {
        byteorder::StoreI16Le(value, p_);
        p_ += 2;
    }
    void F64(double value) {
        byteorder::StoreF64Le(value, p_);
        p_ += 8;
    }
    void F64s(const double* values, int count) {
        for (int i = 0; i < count; ++i) F64(values[i]);
    }
    void I16s(const std::int16_t* values, int count) {
        for (int i = 0; i < count; ++i) I16(values[i]);
    }

private:
    std::uint8_t* p_;
};

class RecordReader {
public:
    explicit RecordReader(const std::uint8_t* in) : p_(in) {}
    void Text(char* text, int width) {
        std::memcpy(text, p_, width);
        text[width - 1] = '\0';
        p_ += width;
    }
    void Bytes(std::uint8_t* bytes, int count) {
        std::memcpy(bytes, p_, count);
        p_ += count;
    }
    std::int16_t I16() {
        const std::int16_t value = byteorder::LoadI16Le(p_);
        p_ += 2;
        return value;
    }
    double F64() {
        const double value = byteorder::LoadF64Le(p_);
        p_ += 8;
        return value;
    }
    void F64s(double* values, int count) {
        for (int i = 0; i < count; ++i) values[i] = F64();
    }
    void I16s(std::int16_t* values, int count) {
        for (int i = 0; i < count; ++i) values[i] = I16();
    }

private:
    const std::uint8_t* p_;
};

// The key of a stored record, unscrambled when its seed says so.
void StoredKey(const void* record, int seedOffset, char key[kCsKeySize]) {
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(record);
    std::uint8_t k = bytes[seedOffset];
    for (int i = 0; i < kCsKeySize; ++i) {
        std::uint8_t b = bytes[i];
        if (k != 0) {
            b ^= k;
            k = b;
        }
        key[i] = static_cast<char>(b);
    }
    key[kCsKeySize - 1] = '\0';
}

template <int SeedOffset>
int CompareStoredRecords(const void* a, const void* b) {
    char keyA[kCsKeySize], keyB[kCsKeySize];
    StoredKey(a, SeedOffset, keyA);
    StoredKey(b, SeedOffset, keyB);
    return CS_stricmp(keyA, keyB);
}

template <int SeedOffset>
int CompareStoredWithKey(const void* record, const void* key) {
    char stored[kCsKeySize];
    StoredKey(record, SeedOffset, stored);
    return CS_stricmp(stored, static_cast<const char*>(key));
}

// What differs between the three dictionaries.
template <class Def>
struct Dictionary;

template <>
struct Dictionary<CsEllipsoidDef> {
    static constexpr const char* kFile = kCsEllipsoidFile;
    static constexpr std::uint32_t kMagic = kCsEllipsoidMagic;
    static constexpr int kSize = kCsEllipsoidRecordSize;
    static constexpr int kSeed = kCsEllipsoidSeedOffset;
    static constexpr int kOpenError = kCsErrElDictOpen;
    static constexpr int kMagicError = kCsErrNotElDict;
    static constexpr int kNotFound = kCsErrElNotFound;
    static constexpr int kBadRecord = kCsErrBadEllipsoid;
    static void Decode(const std::uint8_t* in, CsEllipsoidDef* def) { CS_decodeEllipsoid(in, def); }
    static bool Sound(const CsEllipsoidDef& def) { return CS_soundEllipsoid(def); }
};

template <>
struct Dictionary<CsDatumDef> {
    static constexpr const char* kFile = kCsDatumFile;
    static constexpr std::uint32_t kMagic = kCsDatumMagic;
    static constexpr int kSize = kCsDatumRecordSize;
    static constexpr int kSeed = kCsDatumSeedOffset;
    static constexpr int kOpenError = kCsErrDtDictOpen;
    static constexpr int kMagicError = kCsErrNotDtDict;
    static constexpr int kNotFound = kCsErrDtNotFound;
    static constexpr int kBadRecord = kCsErrBadDatum;
    static void Decode(const std::uint8_t* in, CsDatumDef* def) { CS_decodeDatum(in, def); }
    static bool Sound(const CsDatumDef& def) {
        const double values[] = {def.deltaX, def.deltaY, def.deltaZ, def.rotX,
                                 def.rotY,   def.rotZ,   def.bwScale};
        return std::all_of(std::begin(values), std::end(values),
                           [](double v) { return std::isfinite(v); });
    }
};

template <>
struct Dictionary<CsCoordSysDef> {
    static constexpr const char* kFile = kCsCoordSysFile;
    static constexpr std::uint32_t kMagic = kCsCoordSysMagic;
    static constexpr int kSize = kCsCoordSysRecordSize;
    static constexpr int kSeed = kCsCoordSysSeedOffset;
    static constexpr int kOpenError = kCsErrCsDictOpen;
    static constexpr int kMagicError = kCsErrNotCsDict;
    static constexpr int kNotFound = kCsErrCsNotFound;
    static constexpr int kBadRecord = 0;
    static void Decode(const std::uint8_t* in, CsCoordSysDef* def) { CS_decodeCoordSys(in, def); }
    // Its values are checked where every definition is, before a build.
    static bool Sound(const CsCoordSysDef&) { return true; }
};

template <class Def>
std::FILE* OpenDictionary(const char* mode) {
    using D = Dictionary<Def>;
    const char* path = CS_dataFilePath(D::kFile);
    if (path == nullptr) return nullptr;
    std::FILE* file = CS_fileOpen(path, mode);
    if (file == nullptr) {
        CS_setErrorContext(path);
        CS_reportError(D::kOpenError);
        return nullptr;
    }
    auto fail = [&](int code) {
        CS_setErrorContext(path);
        CS_reportError(code);
        std::fclose(file);
        return nullptr;
    };
    std::uint8_t magic[4];
    if (std::fread(magic, 1, sizeof magic, file) != sizeof magic) {
        return fail(std::ferror(file) ? kCsErrIo : kCsErrCorrupt);
    }
    if (byteorder::LoadU32Le(magic) != D::kMagic) return fail(D::kMagicError);
    // A dictionary holds whole records; a cut one is refused here rather than
    // met half-read by a search.
    if (mode[0] == 'r' && std::strchr(mode, '+') == nullptr) {
        if (std::fseek(file, 0, SEEK_END) != 0) return fail(kCsErrIo);
        long size = std::ftell(file);
        if (size < 0 || std::fseek(file, sizeof magic, SEEK_SET) != 0) return fail(kCsErrIo);
        if ((size - static_cast<long>(sizeof magic)) % D::kSize != 0) return fail(kCsErrCorrupt);
    }
    return file;
}

template <class Def>
int ReadRecord(std::FILE* file, Def* def, int* scrambled) {
    using D = Dictionary<Def>;
    std::uint8_t record[D::kSize];
    std::size_t got = std::fread(record, 1, sizeof record, file);
    if (got != sizeof record) {
        if (std::ferror(file)) {
            CS_reportError(kCsErrIo);
            return -1;
        }
        if (got == 0) return 0;
        CS_reportError(kCsErrCorrupt);
        return -1;
    }
    int wasScrambled = CS_unscramble(record, D::kSize, D::kSeed);
    if (scrambled != nullptr) *scrambled = wasScrambled;
    D::Decode(record, def);
    char key[kCsKeySize];
    CS_strNCopy(key, def->key, kCsKeySize);
    if (CS_checkKeyName(key) != 0) {
        CS_reportError(kCsErrCorrupt);
        return -1;
    }
    return 1;
}

template <class Def>
Def* Lookup(const char* key) {
    using D = Dictionary<Def>;
    // The whole key is checked: cutting it to the field could match another.
    std::string copy = key ? key : "";
    if (CS_checkKeyName(copy.data()) != 0) return nullptr;
    const char* normalised = copy.c_str();
    std::FILE* file = OpenDictionary<Def>("rb");
    if (file == nullptr) return nullptr;
    Def* def = nullptr;
    int found = CS_bsearchFile(file, 4, 0, D::kSize, normalised, CompareStoredWithKey<D::kSeed>);
    if (found == 0) {
        CS_setErrorContext(normalised);
        CS_reportError(D::kNotFound);
    } else if (found > 0) {
        def = CS_allocate<Def>();
        if (def != nullptr) {
            int read = ReadRecord(file, def, nullptr);
            // A damaged record is refused here rather than met as a NaN later.
            if (read != 1 || !D::Sound(*def)) {
                if (D::kBadRecord != 0) {
                    CS_setErrorContext(normalised);
                    CS_reportError(D::kBadRecord);
                }
                CS_free(def);
                def = nullptr;
            }
        }
    }
    std::fclose(file);
    return def;
}

}  // namespace

bool CS_soundEllipsoid(const CsEllipsoidDef& def) {
    const double a = def.equatorialRadius, b = def.polarRadius;
    const double f = def.flattening, e = def.eccentricity;
    // Comparisons written so that a NaN fails them.
    if (!(a > 0.0 && a <= kCsMaxRadius && b > 0.0 && b <= a)) return false;
    if (!(std::fabs(f - (1.0 - b / a)) <= kCsEllipsoidTolerance)) return false;
    return std::fabs(e - std::sqrt(2.0 * f - f * f)) <= kCsEllipsoidTolerance;
}

// ---------------------------------------------------------------------------
// Codecs

void CS_encodeEllipsoid(const CsEllipsoidDef& def, std::uint8_t out[kCsEllipsoidRecordSize]) {
    RecordWriter w(out);
    w.Text(def.key, kCsKeySize);
    w.Bytes(def.group, 8);
    w.F64(def.equatorialRadius);
    w.F64(def.polarRadius);
    w.F64(def.flattening);
    w.F64(def.eccentricity);
    w.Text(def.description, 64);
    w.Text(def.source, 64);
    w.I16(def.flags);
    w.I16s(def.reserved, 7);
}

void CS_decodeEllipsoid(const std::uint8_t in[kCsEllipsoidRecordSize], CsEllipsoidDef* def) {
    RecordReader r(in);
    r.Text(def->key, kCsKeySize);
    r.Bytes(def->group, 8);
    def->equatorialRadius = r.F64();
    def->polarRadius = r.F64();
    def->flattening = r.F64();
    def->eccentricity = r.F64();
    r.Text(def->description, 64);
    r.Text(def->source, 64);
    def->flags = r.I16();
    r.I16s(def->reserved, 7);
}

void CS_encodeDatum(const CsDatumDef& def, std::uint8_t out[kCsDatumRecordSize]) {
    RecordWriter w(out);
    w.Text(def.key, kCsKeySize);
    w.Text(def.ellipsoidKey, kCsKeySize);
    w.Text(def.groupKey, kCsKeySize);
    w.Text(def.sourceKey, kCsKeySize);
    w.Text(def.location, 48);
    w.Bytes(def.group, 8);
    for (double v :
         {def.deltaX, def.deltaY, def.deltaZ, def.rotX, def.rotY, def.rotZ, def.bwScale}) {
        w.F64(v);
    }
    w.Text(def.description, 64);
    w.Text(def.source, 64);
    w.I16(def.flags);
    w.I16(def.method);
    w.I16s(def.reserved, 6);
}

void CS_decodeDatum(const std::uint8_t in[kCsDatumRecordSize], CsDatumDef* def) {
    RecordReader r(in);
    r.Text(def->key, kCsKeySize);
    r.Text(def->ellipsoidKey, kCsKeySize);
    r.Text(def->groupKey, kCsKeySize);
    r.Text(def->sourceKey, kCsKeySize);
    r.Text(def->location, 48);
    r.Bytes(def->group, 8);
    for (double* v : {&def->deltaX, &def->deltaY, &def->deltaZ, &def->rotX, &def->rotY, &def->rotZ,
                      &def->bwScale}) {
        *v = r.F64();
    }
    r.Text(def->description, 64);
    r.Text(def->source, 64);
    def->flags = r.I16();
    def->method = r.I16();
    r.I16s(def->reserved, 6);
}

void CS_encodeCoordSys(const CsCoordSysDef& def, std::uint8_t out[kCsCoordSysRecordSize]) {
    RecordWriter w(out);
    w.Text(def.key, kCsKeySize);
    w.Text(def.datumKey, kCsKeySize);
    w.Text(def.ellipsoidKey, kCsKeySize);
    w.Text(def.projectionKey, kCsKeySize);
    w.Text(def.group, kCsKeySize);
    w.Text(def.location, kCsKeySize);
    w.Text(def.country, 48);
    w.Text(def.unit, 16);
    w.Bytes(def.seed, 8);
    w.F64s(def.parameters, 24);
    for (double v :
         {def.originLongitude, def.originLatitude, def.falseEasting, def.falseNorthing,
          def.scaleReduction, def.unitScale, def.mapScale, def.scale, def.zeroX, def.zeroY}) {
        w.F64(v);
    }
    w.F64s(def.elevation, 4);
    for (double v : {def.minLongitude, def.minLatitude, def.maxLongitude, def.maxLatitude, def.minX,
                     def.minY, def.maxX, def.maxY}) {
        w.F64(v);
    }
    w.Text(def.description, 64);
    w.Text(def.source, 64);
    w.I16(def.quadrant);
    w.I16(def.order);
    w.I16(def.zoneCount);
    w.I16(def.flags);
    w.I16s(def.reserved, 4);
}

void CS_decodeCoordSys(const std::uint8_t in[kCsCoordSysRecordSize], CsCoordSysDef* def) {
    RecordReader r(in);
    r.Text(def->key, kCsKeySize);
    r.Text(def->datumKey, kCsKeySize);
    r.Text(def->ellipsoidKey, kCsKeySize);
    r.Text(def->projectionKey, kCsKeySize);
    r.Text(def->group, kCsKeySize);
    r.Text(def->location, kCsKeySize);
    r.Text(def->country, 48);
    r.Text(def->unit, 16);
    r.Bytes(def->seed, 8);
    r.F64s(def->parameters, 24);
    for (double* v : {&def->originLongitude, &def->originLatitude, &def->falseEasting,
                      &def->falseNorthing, &def->scaleReduction, &def->unitScale, &def->mapScale,
                      &def->scale, &def->zeroX, &def->zeroY}) {
        *v = r.F64();
    }
    r.F64s(def->elevation, 4);
    for (double* v : {&def->minLongitude, &def->minLatitude, &def->maxLongitude, &def->maxLatitude,
                      &def->minX, &def->minY, &def->maxX, &def->maxY}) {
        *v = r.F64();
    }
    r.Text(def->description, 64);
    r.Text(def->source, 64);
    def->quadrant = r.I16();
    def->order = r.I16();
    def->zoneCount = r.I16();
    def->flags = r.I16();
    r.I16s(def->reserved, 4);
}

int CS_unscramble(std::uint8_t* record, int size, int seedOffset) {
    std::uint8_t k = record[seedOffset];
    if (k == 0) return 0;
    for (int i = 0; i < size; ++i) {
        record[i] ^= k;
        k = record[i];
    }
    record[seedOffset] = 0;
    return 1;
}

int CS_compareEllipsoidRecords(const void* a, const void* b) {
    return CompareStoredRecords<kCsEllipsoidSeedOffset>(a, b);
}

int CS_compareDatumRecords(const void* a, const void* b) {
    return CompareStoredRecords<kCsDatumSeedOffset>(a, b);
}

int CS_compareCoordSysRecords(const void* a, const void* b) {
    return CompareStoredRecords<kCsCoordSysSeedOffset>(a, b);
}

// ---------------------------------------------------------------------------
// Dictionary access

std::FILE* CS_openEllipsoidDictionary(const char* mode) {
    return OpenDictionary<CsEllipsoidDef>(mode);
}

std::FILE* CS_openDatumDictionary(const char* mode) {
    return OpenDictionary<CsDatumDef>(mode);
}

std::FILE* CS_openCoordSysDictionary(const char* mode) {
    return OpenDictionary<CsCoordSysDef>(mode);
}

void CS_closeDictionary(std::FILE* file) {
    if (file != nullptr) std::fclose(file);
}

int CS_readEllipsoidRecord(std::FILE* file, CsEllipsoidDef* def, int* scrambled) {
    return ReadRecord(file, def, scrambled);
}

int CS_readDatumRecord(std::FILE* file, CsDatumDef* def, int* scrambled) {
    return ReadRecord(file, def, scrambled);
}

int CS_readCoordSysRecord(std::FILE* file, CsCoordSysDef* def, int* scrambled) {
    return ReadRecord(file, def, scrambled);
}

CsEllipsoidDef* CS_lookupEllipsoid(const char* key) {
    return Lookup<CsEllipsoidDef>(key);
}

CsDatumDef* CS_lookupDatum(const char* key) {
    return Lookup<CsDatumDef>(key);
}

CsCoordSysDef* CS_lookupCoordSys(const char* key) {
    return Lookup<CsCoordSysDef>(key);
}

unsigned CS_crc16(unsigned initial, const void* bytes, std::size_t length) {
    static const auto kTable = [] {
        struct Table {
            std::uint16_t v[256];
        } t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned crc = i << 8;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
            t.v[i] = static_cast<std::uint16_t>(crc);
        }
        return t;
    }();
    unsigned crc = initial & 0xFFFF;
    const std::uint8_t* p = static_cast<const std::uint8_t*>(bytes);
    for (std::size_t i = 0; i < length; ++i) {
        crc = ((crc << 8) ^ kTable.v[((crc >> 8) ^ p[i]) & 0xFF]) & 0xFFFF;
    }
    return crc;
}
