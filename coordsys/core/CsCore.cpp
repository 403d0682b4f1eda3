#include "coordsys/core/CsCore.h"

#include <sys/stat.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/FileCase.h"
#include "platform/ModulePath.h"

namespace {

constexpr char kCoordsysDictionary[] = "Coordsys.CSD";

// Directory followed by the name of the file being opened; the name is
// written at g_namePos.
char g_path[kCsPathSize];
int g_namePos = -1;

int g_lastError;
char g_lastMessage[kCsMessageSize];
char g_errorContext[kCsContextSize];
int g_errorPosition[2];

// Until the loader names one, the dictionaries are looked for beside the
// executable, where the build and the installation put them.
void EnsurePath() {
    if (g_namePos >= 0) return;
    std::string directory = ModuleDirectory();
    if (directory.size() + std::strlen(kCoordsysDictionary) >= kCsPathSize) directory = "./";
    CS_strNCopy(g_path, directory.c_str(), kCsPathSize);
    g_namePos = static_cast<int>(std::strlen(g_path));
}

bool IsBlank(char c) {
    return c == ' ';
}

// Copies `text` into `out` with every "%s" replaced by `insert`, stopping at
// size - 1 characters.
void Substitute(char* out, int size, const char* text, const char* insert) {
    if (size < 1) return;
    int n = 0;
    for (const char* p = text; *p != '\0' && n < size - 1;) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char* q = insert; *q != '\0' && n < size - 1; ++q) out[n++] = *q;
            p += 2;
        } else {
            out[n++] = *p++;
        }
    }
    out[n] = '\0';
}

// "12W:45N" for longitude -12, latitude 45.
std::string PositionText() {
    int longitude = g_errorPosition[0];
    int latitude = g_errorPosition[1];
    return std::to_string(std::abs(longitude)) + (longitude < 0 ? "W" : "E") + ":" +
           std::to_string(std::abs(latitude)) + (latitude < 0 ? "S" : "N");
}

int FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

}  // namespace

// ---------------------------------------------------------------------------
// Dictionary directory

int CS_setDictionaryDirectory(const char* directory) {
    EnsurePath();
    std::string candidate;
    if (directory != nullptr) {
        candidate = *directory != '\0' ? directory : "./";
    } else if (const char* env = std::getenv("CS_KORE_DIR"); env != nullptr && *env != '\0') {
        candidate = env;
    }
    if (!candidate.empty() && candidate.back() != '/') candidate += '/';

    std::string probe = candidate + kCoordsysDictionary;
    if (probe.size() >= static_cast<std::size_t>(kCsPathSize)) {
        CS_setErrorContext(probe.c_str());
        CS_reportError(kCsErrFileOpen);
        return -1;
    }
    if (!CS_fileExists(probe.c_str())) return -1;
    CS_strNCopy(g_path, candidate.c_str(), kCsPathSize);
    g_namePos = static_cast<int>(candidate.size());
    return 0;
}

const char* CS_dictionaryDirectory() {
    EnsurePath();
    g_path[g_namePos] = '\0';
    return g_path;
}

const char* CS_dataFilePath(const char* fileName) {
    EnsurePath();
    std::size_t length = std::strlen(fileName);
    if (g_namePos + length >= static_cast<std::size_t>(kCsPathSize)) {
        g_path[g_namePos] = '\0';
        std::string full = std::string(g_path) + fileName;
        CS_setErrorContext(full.c_str());
        CS_reportError(kCsErrFileOpen);
        return nullptr;
    }
    std::memcpy(g_path + g_namePos, fileName, length + 1);
    return g_path;
}

// ---------------------------------------------------------------------------
// Errors

void CS_formatErrorMessage(char* buffer, int size, int code) {
    g_lastError = code;
    if (buffer == nullptr || size < 1) return;
    const CsErrorEntry* row = cs_ErrorTable;
    while (row->code != 0 && row->code != code) ++row;
    if (row->code == 0) {
        Substitute(buffer, size, "Error condition #%s encountered; no message in table.",
                   std::to_string(code).c_str());
        return;
    }
    switch (row->kind) {
        case kCsContextMessage:
            Substitute(buffer, size, row->text, g_errorContext);
            break;
        case kCsPositionMessage:
            Substitute(buffer, size, row->text, PositionText().c_str());
            break;
        default:
            CS_strNCopy(buffer, row->text, size);
            break;
    }
}

void CS_reportError(int code) {
    CS_formatErrorMessage(g_lastMessage, kCsMessageSize, code);
}

void CS_setErrorContext(const char* text) {
    CS_strNCopy(g_errorContext, text ? text : "", kCsContextSize);
}

const char* CS_errorContext() {
    return g_errorContext;
}

void CS_setErrorPosition(int longitude, int latitude) {
    g_errorPosition[0] = longitude;
    g_errorPosition[1] = latitude;
}

int CS_lastError() {
    return g_lastError;
}

const char* CS_lastMessage() {
    return g_lastMessage;
}

// ---------------------------------------------------------------------------
// Key names

int CS_checkKeyName(char* name) {
    CS_setErrorContext(name);
    auto fail = [](int code) {
        CS_reportError(code);
        return -1;
    };
    std::string key = name;
    std::size_t first = 0;
    while (first < key.size() && IsBlank(key[first])) ++first;
    key.erase(0, first);
    while (!key.empty() && IsBlank(key.back())) key.pop_back();
    // A longer key would be cut to its field and could match another record.
    if (key.empty() || key.size() > static_cast<std::size_t>(kCsMaxKeyLength)) {
        return fail(kCsErrBadKeyName);
    }
    if (key.size() >= 2 &&
        ((key.front() == '[' && key.back() == ']') || (key.front() == '(' && key.back() == ')'))) {
        key = key.substr(1, key.size() - 2);
        if (key.empty()) return fail(kCsErrBadKeyName);
    }
    int colons = 0;
    int letters = 0;
    for (std::size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if (c == ' ' && i + 1 < key.size() && key[i + 1] == ' ') return fail(kCsErrDoubleSpace);
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && std::strchr(" _-$:.;~/", c) == nullptr) {
            return fail(kCsErrBadKeyName);
        }
        letters += letter;
        colons += c == ':';
    }
    if (colons > 1 || letters == 0) return fail(kCsErrBadKeyName);
    std::size_t i = key[0] == ':' ? 1 : 0;
    while (i < key.size() && key[i] >= '0' && key[i] <= '9') ++i;
    if (i >= key.size()) return fail(kCsErrBadKeyName);
    char lead = key[i];
    bool leadLetter = (lead >= 'A' && lead <= 'Z') || (lead >= 'a' && lead <= 'z');
    if (!leadLetter && lead != '_' && lead != ':') return fail(kCsErrBadKeyName);
    std::memcpy(name, key.c_str(), key.size() + 1);
    return 0;
}

// ---------------------------------------------------------------------------
// Quadrants

int CS_quadrantFlags(int quadrant) {
    static constexpr int kFlags[9] = {6, 7, 5, 4, 0, 0, 1, 3, 2};
    return (quadrant < -4 || quadrant > 4) ? 0 : kFlags[quadrant + 4];
}

void CS_quadForward(double out[2], double x, double y, double falseEasting, double falseNorthing,
                    int flags) {
    if (flags & 1) x = -x;
    if (flags & 2) y = -y;
    if (flags & 4) {
        out[0] = y + falseNorthing;
        out[1] = x + falseEasting;
    } else {
        out[0] = x + falseEasting;
        out[1] = y + falseNorthing;
    }
}

void CS_quadInverse(double* x, double* y, const double in[2], double falseEasting,
                    double falseNorthing, int flags) {
    double xx, yy;
    if (flags & 4) {
        yy = in[0] - falseNorthing;
        xx = in[1] - falseEasting;
    } else {
        xx = in[0] - falseEasting;
        yy = in[1] - falseNorthing;
    }
    *x = (flags & 1) ? -xx : xx;
    *y = (flags & 2) ? -yy : yy;
}

void CS_quadMinMax(double min[2], double max[2], double falseEasting, double falseNorthing,
                   int flags) {
    double a[2], b[2];
    CS_quadForward(a, min[0], min[1], falseEasting, falseNorthing, flags);
    CS_quadForward(b, max[0], max[1], falseEasting, falseNorthing, flags);
    for (int i = 0; i < 2; ++i) {
        min[i] = std::fmin(a[i], b[i]);
        max[i] = std::fmax(a[i], b[i]);
    }
}

// ---------------------------------------------------------------------------
// Strings

char* CS_strCopy(char* dest, const char* src) {
    while ((*dest = *src++) != '\0') ++dest;
    return dest;
}

char* CS_strNCopy(char* dest, const char* src, int size) {
    if (size < 1) return nullptr;
    int n = 0;
    while (n < size - 1 && src[n] != '\0') {
        dest[n] = src[n];
        ++n;
    }
    dest[n] = '\0';
    return dest + n;
}

int CS_stricmp(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int ca = FoldCase(static_cast<unsigned char>(*a));
        int cb = FoldCase(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0) return ca - cb;
    }
}

int CS_strnicmp(const char* a, const char* b, int n) {
    for (; n > 0; --n, ++a, ++b) {
        int ca = FoldCase(static_cast<unsigned char>(*a));
        int cb = FoldCase(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0) return ca - cb;
    }
    return 0;
}

const char* CS_stristr(const char* haystack, const char* needle) {
    int length = static_cast<int>(std::strlen(needle));
    if (length == 0) return nullptr;
    for (const char* p = haystack; *p != '\0'; ++p) {
        if (CS_strnicmp(p, needle, length) == 0) return p;
    }
    return nullptr;
}

int CS_trim(char* text) {
    // Carriage returns go too: text files may end their lines in CR LF.
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    char* start = text;
    while (blank(*start)) ++start;
    std::size_t length = std::strlen(start);
    while (length > 0 && blank(start[length - 1])) --length;
    std::memmove(text, start, length);
    text[length] = '\0';
    return static_cast<int>(length);
}

// ---------------------------------------------------------------------------
// Numbers

int CS_degToArcsec(double degrees) {
    double seconds = (degrees >= 0.0 ? degrees + 1e-12 : degrees - 1e-12) * 3600.0;
    if (!(std::fabs(seconds) < 2147483647.0)) return seconds < 0.0 ? -2147483647 : 2147483647;
    return static_cast<int>(seconds);
}

void CS_formatInt(char* buffer, int size, int value) {
    if (size < 1) return;
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) <= size - 1) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return;
    }
    int n = size - 1;
    std::memcpy(buffer, text.c_str(), n);
    if (n > 0) buffer[n - 1] = '*';
    buffer[n] = '\0';
}

// ---------------------------------------------------------------------------
// Files

std::FILE* CS_fileOpen(const char* path, const char* mode) {
    if (std::FILE* file = std::fopen(path, mode)) return file;
    if (mode[0] != 'r') return nullptr;
    std::string resolved = ResolveFileCase(path);
    return resolved.empty() ? nullptr : std::fopen(resolved.c_str(), mode);
}

bool CS_fileExists(const char* path) {
    return !ResolveFileCase(path).empty();
}

std::int64_t CS_fileModTime(const char* path) {
    std::string resolved = ResolveFileCase(path);
    struct stat info;
    if (resolved.empty() || stat(resolved.c_str(), &info) != 0) return 0;
    return static_cast<std::int64_t>(info.st_mtime);
}

namespace {

// Reads one record at `offset`: 0, or the library error it met.
int ReadAt(std::FILE* file, long offset, void* record, int size) {
    if (std::fseek(file, offset, SEEK_SET) != 0) return kCsErrIo;
    std::size_t got = std::fread(record, 1, static_cast<std::size_t>(size), file);
    if (got == static_cast<std::size_t>(size)) return 0;
    return std::ferror(file) ? kCsErrIo : kCsErrCorrupt;
}

long FileEnd(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    return std::ftell(file);
}

}  // namespace

int CS_bsearchFile(std::FILE* file, int start, int end, int recordSize, const void* key,
                   CsRecordCompare compare) {
    long from = start < 0 ? std::ftell(file) : start;
    long to = end < 1 ? FileEnd(file) : end;
    if (from < 0 || to < 0 || recordSize < 1) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    CsPtr<unsigned char> record(static_cast<unsigned char*>(CS_malloc(recordSize)));
    if (!record) return -1;
    long count = to > from ? (to - from) / recordSize : 0;
    long low = 0, high = count - 1, last = 0, found = -1;
    while (low <= high) {
        long mid = low + (high - low) / 2;
        last = mid;
        if (int error = ReadAt(file, from + mid * recordSize, record.get(), recordSize)) {
            CS_reportError(error);
            return -1;
        }
        int order = compare(record.get(), key);
        if (order == 0) {
            found = mid;
            break;
        }
        if (order < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    if (found < 0) {
        if (std::fseek(file, from + last * recordSize, SEEK_SET) != 0) {
            CS_reportError(kCsErrIo);
            return -1;
        }
        return 0;
    }
    // Several records may share the key: stop at the first of them.
    while (found > 0) {
        if (int error = ReadAt(file, from + (found - 1) * recordSize, record.get(), recordSize)) {
            CS_reportError(error);
            return -1;
        }
        if (compare(record.get(), key) != 0) break;
        --found;
    }
    if (std::fseek(file, from + found * recordSize, SEEK_SET) != 0) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    return 1;
}

int CS_sortFile(std::FILE* file, short recordSize, int end,
                int (*compare)(const void* a, const void* b)) {
    long from = std::ftell(file);
    long to = end < 1 ? FileEnd(file) : end;
    if (from < 0 || to < 0 || recordSize < 1) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    std::size_t count = to > from ? static_cast<std::size_t>((to - from) / recordSize) : 0;
    std::size_t bytes = count * static_cast<std::size_t>(recordSize);
    CsPtr<unsigned char> records(static_cast<unsigned char*>(CS_malloc(bytes ? bytes : 1)));
    if (!records) return -1;
    if (std::fseek(file, from, SEEK_SET) != 0) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    std::size_t got = std::fread(records.get(), 1, bytes, file);
    if (got != bytes) {
        CS_reportError(std::ferror(file) ? kCsErrIo : kCsErrCorrupt);
        return -1;
    }
    std::qsort(records.get(), count, static_cast<std::size_t>(recordSize), compare);
    if (std::fseek(file, from, SEEK_SET) != 0) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    if (std::fwrite(records.get(), 1, bytes, file) != bytes || std::fflush(file) != 0) {
        CS_reportError(kCsErrDiskFull);
        return -1;
    }
    if (std::fseek(file, from, SEEK_SET) != 0) {
        CS_reportError(kCsErrIo);
        return -1;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// Byte order

void CS_swapByFormat(void* record, const char* format) {
    unsigned char* p = static_cast<unsigned char*>(record);
    for (const char* f = format; *f != '\0';) {
        int count = 0;
        bool counted = false;
        while (*f >= '0' && *f <= '9') {
            count = count * 10 + (*f++ - '0');
            counted = true;
        }
        if (!counted) count = 1;
        char letter = *f;
        if (letter == '\0') break;
        ++f;
        int width = 0;
        switch (letter) {
            case 's':
                width = 2;
                break;
            case 'l':
            case 'f':
                width = 4;
                break;
            case 'd':
                width = 8;
                break;
            default:  // bytes and unknown letters are skipped
                p += count;
                continue;
        }
        for (int i = 0; i < count; ++i, p += width) {
            for (int a = 0, b = width - 1; a < b; ++a, --b) {
                unsigned char t = p[a];
                p[a] = p[b];
                p[b] = t;
            }
        }
    }
}

int CS_byteSwap([[maybe_unused]] void* record, [[maybe_unused]] const char* format) {
    if constexpr (std::endian::native == std::endian::little) {
        return 0;
    } else if constexpr (std::endian::native == std::endian::big) {
        CS_swapByFormat(record, format);
        return 1;
    } else {
        CS_reportError(kCsErrByteOrder);
        return -1;
    }
}

// ---------------------------------------------------------------------------
// Complex numbers

void CS_cmplxAdd(const double a[2], const double b[2], double out[2]) {
    out[0] = a[0] + b[0];
    out[1] = a[1] + b[1];
}

void CS_cmplxSub(const double a[2], const double b[2], double out[2]) {
    out[0] = a[0] - b[0];
    out[1] = a[1] - b[1];
}

void CS_cmplxScale(const double a[2], double s, double out[2]) {
    out[0] = s * a[0];
    out[1] = s * a[1];
}

void CS_cmplxMul(const double a[2], const double b[2], double out[2]) {
    double re = a[0] * b[0] - a[1] * b[1];
    double im = a[0] * b[1] + a[1] * b[0];
    out[0] = re;
    out[1] = im;
}

void CS_cmplxDiv(const double a[2], const double b[2], double out[2]) {
    double d = b[0] * b[0] + b[1] * b[1];
    if (d == 0.0) {
        out[0] = out[1] = 1e32;
        return;
    }
    double re = (a[0] * b[0] + a[1] * b[1]) / d;
    double im = (a[1] * b[0] - a[0] * b[1]) / d;
    out[0] = re;
    out[1] = im;
}

double CS_cmplxAbs(const double a[2]) {
    return std::hypot(a[0], a[1]);
}

namespace {

// Sum of c[k] z^k for k = 0..n with real arithmetic only: z is a root of
// w^2 - r w + s (r = 2 Re z, s = |z|^2), so the polynomial reduces to
// b1 z + (c0 - s b2) by a two-term recurrence.
template <class Coefficient>
void PolyEval(const double z[2], int n, Coefficient c, double out[2]) {
    if (n < 0) {
        out[0] = out[1] = 0.0;
        return;
    }
    if (n == 0) {
        c(0, out);
        return;
    }
    double r = 2.0 * z[0];
    double s = z[0] * z[0] + z[1] * z[1];
    double b1[2], b2[2] = {0.0, 0.0};
    c(n, b1);
    for (int k = n - 1; k >= 1; --k) {
        double ck[2];
        c(k, ck);
        double next[2] = {ck[0] + r * b1[0] - s * b2[0], ck[1] + r * b1[1] - s * b2[1]};
        b2[0] = b1[0];
        b2[1] = b1[1];
        b1[0] = next[0];
        b1[1] = next[1];
    }
    double c0[2];
    c(0, c0);
    double product[2];
    CS_cmplxMul(b1, z, product);
    out[0] = product[0] + c0[0] - s * b2[0];
    out[1] = product[1] + c0[1] - s * b2[1];
}

}  // namespace

void CS_cmplxPolyEval(const double z[2], const double coefficients[][2], int n, double out[2]) {
    PolyEval(
        z, n,
        [&](int k, double c[2]) {
            c[0] = coefficients[k][0];
            c[1] = coefficients[k][1];
        },
        out);
}

void CS_cmplxPolyDeriv(const double z[2], const double coefficients[][2], int n, double out[2]) {
    // Coefficient k of the derivative is (k + 1) c[k + 1].
    PolyEval(
        z, n - 1,
        [&](int k, double c[2]) {
            c[0] = (k + 1) * coefficients[k + 1][0];
            c[1] = (k + 1) * coefficients[k + 1][1];
        },
        out);
}

void CS_cmplxPolyWeighted(const double z[2], const double coefficients[][2], int n, double out[2]) {
    PolyEval(
        z, n,
        [&](int k, double c[2]) {
            double weight = k >= 2 ? k - 1 : 0;
            c[0] = weight * coefficients[k][0];
            c[1] = weight * coefficients[k][1];
        },
        out);
}

// ---------------------------------------------------------------------------
// Memory

void* CS_malloc(std::size_t size) {
    void* block = std::calloc(1, size ? size : 1);
    if (block == nullptr) CS_reportError(kCsErrNoMemory);
    return block;
}

void CS_free(void* block) {
    std::free(block);
}
