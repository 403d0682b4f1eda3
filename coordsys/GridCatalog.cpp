#include "coordsys/GridCatalog.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "coordsys/CsParams.h"
#include "coordsys/JapanGrid.h"
#include "coordsys/datum/Ats77File.h"
#include "coordsys/datum/DatumErrors.h"
#include "coordsys/datum/DatumInverse.h"
#include "coordsys/datum/GridCellCache.h"
#include "coordsys/datum/GridFileInput.h"
#include "coordsys/datum/NadconGridFile.h"
#include "coordsys/datum/Ntv1GridFile.h"
#include "coordsys/datum/Ntv2GridFile.h"

namespace {

void CopyText(char* out, std::size_t size, const std::string& text) {
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

bool StartsNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return text.size() >= n && CS_strnicmp(text.c_str(), prefix, static_cast<int>(n)) == 0;
}

std::string Trim(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

// The whole file, any letter case of its name; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text) {
    auto source = CS_openGridSource(path);
    if (!source) return false;
    const std::uint64_t size = source->Size();
    text->assign(static_cast<std::size_t>(size), '\0');
    return size == 0 ||
           source->ReadAt(0, reinterpret_cast<std::uint8_t*>(text->data()), text->size());
}

// The name after the last separator.
std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Extension(const std::string& path) {
    const std::string name = FileName(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool ContainsNoCase(const std::string& text, const char* word) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find(word) != std::string::npos;
}

// An entry line without its comment: path [, number [, number [, density]]].
// False ends the read (the reason reported, or a density out of range).
bool ParseEntry(const std::string& line, const std::string& directory, CsGridCatalogEntry** out) {
    std::string path;
    std::size_t i = 0;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                path += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        if (!quoted && c == ',') break;
        path += c;
    }
    path = Trim(path);
    std::vector<std::string> fields;
    while (i < line.size()) {
        const std::size_t next = line.find(',', i + 1);
        fields.push_back(
            Trim(line.substr(i + 1, next == std::string::npos ? std::string::npos : next - i - 1)));
        i = next == std::string::npos ? line.size() : next;
    }
    const long number1 = fields.size() > 0 ? std::strtol(fields[0].c_str(), nullptr, 0) : 0;
    const unsigned long number2 =
        fields.size() > 1 ? std::strtoul(fields[1].c_str(), nullptr, 0) : 0;
    double density = 0.0;
    if (fields.size() > 2 && !fields[2].empty()) {
        const double minutes = std::strtod(fields[2].c_str(), nullptr);
        if (!(minutes >= 0.5 && minutes <= 60.0)) return false;
        density = minutes / 60.0;
    }
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    int kind = kCsPathAsIs;
    std::string full = path;
    if (path.rfind("./", 0) == 0) {
        kind = kCsPathDot;
        full = directory + path.substr(2);
    } else if (path.rfind("../", 0) == 0) {
        kind = kCsPathDotDot;
        full = directory + path;
    }
    *out = CS_newCatalogEntry(full.c_str(), kind, static_cast<std::int32_t>(number1),
                              static_cast<std::uint32_t>(number2), density);
    return *out != nullptr;
}

}  // namespace

CsGridCatalogEntry* CS_newCatalogEntry(const char* path, int pathKind, std::int32_t number1,
                                       std::uint32_t number2, double density) {
    const std::string text = path ? path : "";
    const std::size_t slash = text.find_last_of('/');
    // A path cut to fit the entry would name another file.
    if (slash == std::string::npos || text.size() >= sizeof CsGridCatalogEntry::path) {
        CS_setErrorContext(text.c_str());
        CS_reportError(kCsErrPathFormat);
        return nullptr;
    }
    const std::size_t dot = text.find_last_of('.');
    if (dot == std::string::npos || dot < slash || dot + 1 >= text.size()) {
        CS_reportError(kCsErrCatalogExtension);
        return nullptr;
    }
    auto* entry = CS_allocate<CsGridCatalogEntry>();
    if (!entry) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    std::memset(entry, 0, sizeof *entry);
    CopyText(entry->path, sizeof entry->path, text);
    entry->density = density;
    entry->bufferSize = number1;
    entry->secondNumber = number2;
    entry->pathKind = static_cast<std::uint16_t>(pathKind);
    return entry;
}

CsGridCatalog* CS_readGridCatalog(const char* path) {
    std::string name = path ? path : "";
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    std::string text;
    if (!ReadWholeFile(name, &text)) {
        CS_setErrorContext(name.c_str());
        CS_reportError(kCsErrShiftFileOpen);
        return nullptr;
    }
    const std::size_t slash = name.find_last_of('/');
    if (slash == std::string::npos) {
        CS_setErrorContext(name.c_str());
        CS_reportError(kCsErrCatalogOpen);
        return nullptr;
    }
    auto* catalog = new (std::nothrow) CsGridCatalog{};
    if (!catalog) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    const std::string directory = name.substr(0, slash + 1);
    CopyText(catalog->directory, sizeof catalog->directory, directory);
    CsGridCatalogEntry** tail = &catalog->first;
    int blocks = 0;
    bool inComment = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kCsCatalogLineSize) line.resize(kCsCatalogLineSize);
        if (!line.empty() && line[0] == '#') {
            if (!inComment) {
                inComment = true;
                ++blocks;
            }
            if (blocks <= 3 && catalog->comments[blocks - 1].size() + line.size() + 1 < 4095) {
                catalog->comments[blocks - 1] += line + "\n";
            }
            continue;
        }
        inComment = false;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (!quoted && line[i] == '#') {
                line.resize(i);
                break;
            }
        }
        line = Trim(line);
        if (line.empty()) continue;
        if (StartsNoCase(line, "fallback")) {
            std::size_t i = 8;
            while (i < line.size() && std::isblank(static_cast<unsigned char>(line[i]))) ++i;
            if (i < line.size() && (line[i] == '=' || line[i] == ',')) ++i;
            while (i < line.size() && std::isblank(static_cast<unsigned char>(line[i]))) ++i;
            CopyText(catalog->fallbackKey, sizeof catalog->fallbackKey, Trim(line.substr(i)));
            continue;
        }
        CsGridCatalogEntry* entry = nullptr;
        if (!ParseEntry(line, directory, &entry)) {
            CS_freeGridCatalog(catalog);
            return nullptr;
        }
        *tail = entry;
        tail = &entry->next;
    }
    return catalog;
}

void CS_freeGridCatalog(CsGridCatalog* catalog) {
    if (!catalog) return;
    for (CsGridCatalogEntry* entry = catalog->first; entry;) {
        CsGridCatalogEntry* next = entry->next;
        CS_free(entry);
        entry = next;
    }
    delete catalog;
}

CsGridCatalogEntry* CS_catalogEntry(const CsGridCatalog* catalog, int index) {
    if (!catalog || index < 0) return nullptr;
    CsGridCatalogEntry* entry = catalog->first;
    while (entry && index-- > 0) entry = entry->next;
    return entry;
}

const char* CS_catalogFallbackKey(const CsGridCatalog* catalog) {
    return catalog ? catalog->fallbackKey : "";
}

// ---------------------------------------------------------------------------
// Fallbacks

const CsDatumBlock* CS_keptWgs84() {
    static CsDatumBlock* wgs84 = nullptr;
    if (!wgs84) {
        wgs84 = CS_loadDatum("WGS84");
        if (!wgs84) return nullptr;
        wgs84->rotX = wgs84->rotY = wgs84->rotZ = wgs84->bwScale = 0.0;
    }
    return wgs84;
}

CsFallback* CS_newFallback(const char* datumKey, const char* catalogName) {
    if (!datumKey || !*datumKey) {
        CS_setErrorContext(catalogName ? catalogName : "");
        CS_reportError(kCsErrNoFallback);
        return nullptr;
    }
    const CsDatumBlock* wgs84 = CS_keptWgs84();
    if (!wgs84) return nullptr;
    CsPtr<CsDatumBlock> datum(CS_loadDatum(datumKey));
    if (!datum) {
        if (CS_lastError() == kCsErrDtNotFound) {
            CS_setErrorContext(catalogName ? catalogName : "");
            CS_reportError(kCsErrFallbackMissing);
        }
        return nullptr;
    }
    CsDatumShiftMethod method = CsDatumShiftMethod::kNone;
    switch (datum->method) {
        case 1:
            method = CsDatumShiftMethod::kMolodensky;
            break;
        case 2:
            method = CsDatumShiftMethod::kMultipleRegression;
            break;
        case 3:
            method = CsDatumShiftMethod::kBursaWolf;
            break;
        case 9:
            method = CsDatumShiftMethod::kSevenParameter;
            break;
        case 11:
            method = CsDatumShiftMethod::kThreeParameter;
            break;
        case 12:
            method = CsDatumShiftMethod::kSixParameter;
            break;
        case 13:
            method = CsDatumShiftMethod::kFourParameter;
            break;
        default:
            CS_setErrorContext(catalogName ? catalogName : "");
            CS_reportError(kCsErrFallbackType);
            return nullptr;
    }
    void* object = CS_datumShiftSetup(method, datum.get(), wgs84);
    if (!object) return nullptr;
    auto* fallback = CS_allocate<CsFallback>();
    if (!fallback) {
        CS_datumShiftFree(method, object);
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    std::memset(fallback, 0, sizeof *fallback);
    fallback->method = method;
    fallback->object = object;
    std::snprintf(fallback->description, sizeof fallback->description, "Fallback: %s", datumKey);
    return fallback;
}

void CS_freeFallback(CsFallback* fallback) {
    if (!fallback) return;
    CS_datumShiftFree(fallback->method, fallback->object);
    CS_free(fallback);
}

int CScalcFallbackForward(CsFallback* fallback, double out[3], const double in[3]) {
    if (!fallback) return CS_failWith(kCsErrNoFallback, "");
    const int status = CS_datumShiftForward(fallback->method, fallback->object, out, in);
    return status == 0 ? 2 : 1;
}

int CScalcFallbackInverse(CsFallback* fallback, double out[3], const double in[3]) {
    if (!fallback) return CS_failWith(kCsErrNoFallback, "");
    const int status = CS_datumShiftInverse(fallback->method, fallback->object, out, in);
    return status == 0 ? 2 : 1;
}

// ---------------------------------------------------------------------------
// Families

namespace {

enum NodeKind { kNodeNadcon, kNodeNtv1, kNodeNtv2, kNodeAts77, kNodeThroughAts77, kNodeJapan };

struct NadconPair {
    int cacheKind;
    CS_usGridFile* los;
    CS_usGridFile* las;
};

struct GridNode {
    NodeKind kind;
    void* object;
    double density;  // a node through ATS77
};

struct Family {
    CsFallback* fallback = nullptr;
    CSgridCellCache* cache = nullptr;
    std::vector<GridNode> nodes;
};

struct FamilyInfo {
    const char* catalog;
    const char* moduleTag;
};

constexpr FamilyInfo kFamilies[] = {
    {"Nad27ToNad83.gdc", nullptr},
    {"Nad83ToHarn.gdc", nullptr},
    {"Agd66ToGda94.gdc", "CS_dtAGD66ToGDA94:1"},
    {"Agd84ToGda94.gdc", "CS_dtAgd84ToGDA94:1"},
    {"Nzgd49ToNzgd2K.gdc", "CS_dtNzgd49ToNzgd2K:1"},
    {"Ats77ToCsrs.gdc", "CS_dtAts77ToCsrs:1"},
    {"Nad83ToCsrs.gdc", "CS_dtNad83ToCsrs:1"},
    {"TokyoToJgd2k.gdc", nullptr},
    {"Nad27ToCsrs.gdc", "CS_dtNad27ToCsrs:1"},
    {"Ed50ToEtrf89.gdc", "CS_dtEd50ToEtrf89:1"},
    {"Nad27ToATs77.gdc", "CS_dtNad27ToAts77:1"},
};
static_assert(std::size(kFamilies) == static_cast<std::size_t>(CsGridFamily::kCount));

Family* g_families[static_cast<int>(CsGridFamily::kCount)] = {};
int g_useCounts[static_cast<int>(CsGridFamily::kCount)] = {};

int Index(CsGridFamily family) {
    return static_cast<int>(family);
}

void FreeNode(GridNode& node) {
    switch (node.kind) {
        case kNodeNadcon: {
            auto* pair = static_cast<NadconPair*>(node.object);
            if (pair) {
                CS_usGridFileFree(pair->los);
                CS_usGridFileFree(pair->las);
                delete pair;
            }
            break;
        }
        case kNodeNtv1:
            CS_ntv1Free(static_cast<CsNtv1File*>(node.object));
            break;
        case kNodeNtv2:
            CS_ntv2Close(static_cast<CsNtv2File*>(node.object));
            break;
        case kNodeAts77:
            CS_ats77Free(static_cast<CsAts77Transform*>(node.object));
            break;
        case kNodeJapan:
            CS_japanGridFree(static_cast<CsJapanGrid*>(node.object));
            break;
        case kNodeThroughAts77:
            CS_gridFamilyRelease(CsGridFamily::kNad27ToAts77);
            CS_gridFamilyRelease(CsGridFamily::kAts77ToCsrs);
            break;
    }
    node.object = nullptr;
}

void DestroyFamily(Family* family) {
    if (!family) return;
    CS_freeFallback(family->fallback);
    CS_freeCellCache(family->cache);
    for (GridNode& node : family->nodes) FreeNode(node);
    delete family;
}

std::string WithExtension(const std::string& path, const char* extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "." + extension;
    }
    return path.substr(0, dot + 1) + extension;
}

NadconPair* NadconPairNew(const CsGridCatalogEntry& entry, int cacheKind) {
    std::string path = entry.path;
    if (path.size() >= kCsPathSize) path.resize(kCsPathSize - 1);
    auto* pair = new (std::nothrow) NadconPair{cacheKind, nullptr, nullptr};
    if (!pair) {
        CS_reportError(kCsErrNoMemory);
        return nullptr;
    }
    pair->los =
        CS_usGridFileNew(WithExtension(path, "LOS").c_str(), entry.bufferSize, entry.density);
    if (pair->los) {
        pair->las =
            CS_usGridFileNew(WithExtension(path, "LAS").c_str(), entry.bufferSize, entry.density);
    }
    bool ok = pair->los && pair->las;
    if (ok) {
        const CS_usGridFile& a = *pair->los;
        const CS_usGridFile& b = *pair->las;
        if (a.minLongitude != b.minLongitude || a.minLatitude != b.minLatitude ||
            a.maxLongitude != b.maxLongitude || a.maxLatitude != b.maxLatitude ||
            a.columns != b.columns || a.rows != b.rows || a.lonStep != b.lonStep ||
            a.latStep != b.latStep) {
            CS_reportError(kCsErrNadconInconsistent);
            ok = false;
        }
    }
    if (!ok) {
        CS_usGridFileFree(pair->los);
        CS_usGridFileFree(pair->las);
        delete pair;
        return nullptr;
    }
    return pair;
}

// The node of one catalog entry for a family; false ends the creation.
bool MakeNode(CsGridFamily family, const CsGridCatalogEntry& entry, GridNode* node) {
    const std::string path = entry.path;
    const std::string name = FileName(path);
    const std::string ext = Extension(path);
    auto reportWithPath = [&](int code) {
        CS_setErrorContext(path.c_str());
        CS_reportError(code);
        return false;
    };
    switch (family) {
        case CsGridFamily::kNad27ToNad83:
            if (path.find('/') == std::string::npos) return reportWithPath(kCsErrPathFormat);
            if (ContainsNoCase(name, "HPGN")) return reportWithPath(kCsErrHpgnInNad);
            if (name.find('.') == std::string::npos) return reportWithPath(kCsErrNadExtension);
            if (CS_stricmp(ext.c_str(), "LAS") == 0) return reportWithPath(kCsErrNadLas);
            if (CS_stricmp(ext.c_str(), "LOS") == 0) return reportWithPath(kCsErrNadLos);
            if (CS_stricmp(ext.c_str(), "L?S") == 0) {
                node->kind = kNodeNadcon;
                node->object = NadconPairNew(entry, kCsCellNadcon);
            } else if (CS_stricmp(ext.c_str(), "DAC") == 0) {
                node->kind = kNodeNtv1;
                node->object =
                    CS_ntv1Open(path.c_str(), entry.bufferSize, entry.secondNumber, entry.density);
            } else if (CS_stricmp(ext.c_str(), "GSB") == 0) {
                node->kind = kNodeNtv2;
                node->object = CS_ntv2Open(4, path.c_str(), entry.bufferSize, entry.density);
            } else {
                return reportWithPath(kCsErrNadExtension);
            }
            break;
        case CsGridFamily::kNad83ToHarn:
            if (path.find('/') == std::string::npos) return reportWithPath(kCsErrPathFormat);
            if (!ContainsNoCase(name, "HPGN")) return reportWithPath(kCsErrNadInHarn);
            if (name.find('.') == std::string::npos) return reportWithPath(kCsErrNadExtension);
            if (CS_stricmp(ext.c_str(), "LAS") == 0) return reportWithPath(kCsErrHarnLas);
            if (CS_stricmp(ext.c_str(), "LOS") == 0) return reportWithPath(kCsErrHarnLos);
            if (CS_stricmp(ext.c_str(), "L?S") != 0) return reportWithPath(kCsErrHarnExtension);
            node->kind = kNodeNadcon;
            node->object = NadconPairNew(entry, kCsCellHpgn);
            break;
        case CsGridFamily::kNad27ToCsrs:
            if (CS_strnicmp(name.c_str(), "Ats77ToCsrs", 11) == 0) {
                node->kind = kNodeThroughAts77;
                if (CS_gridFamilyInit(CsGridFamily::kNad27ToAts77) != 0) return false;
                if (CS_gridFamilyInit(CsGridFamily::kAts77ToCsrs) != 0) {
                    CS_gridFamilyRelease(CsGridFamily::kNad27ToAts77);
                    return false;
                }
                double density = entry.density;
                if (density == 0.0) {
                    density = 0.1;
                } else if (density < 0.00833333333) {
                    density = 0.098333333333;
                }
                node->density = density;
                node->object = node;  // nothing of its own; marks the node made
                return true;
            }
            node->kind = kNodeNtv2;
            node->object = CS_ntv2Open(5, path.c_str(), entry.bufferSize, entry.density);
            break;
        case CsGridFamily::kTokyoToJgd2k:
            if (CS_stricmp(ext.c_str(), "par") != 0) {
                CS_reportError(378);
                return false;
            }
            node->kind = kNodeJapan;
            node->object =
                CS_japanGridNew(path.c_str(), entry.bufferSize, entry.secondNumber, entry.density);
            break;
        case CsGridFamily::kNad27ToAts77:
            node->kind = kNodeAts77;
            node->object = CS_ats77Open(path.c_str(), entry.secondNumber, entry.density);
            break;
        default:
            node->kind = kNodeNtv2;
            node->object = CS_ntv2Open(5, path.c_str(), entry.bufferSize, entry.density);
            break;
    }
    return node->object != nullptr;
}

Family* CreateFamily(CsGridFamily id) {
    const char* catalogName = kFamilies[Index(id)].catalog;
    const char* catalogPath = CS_dataFilePath(catalogName);
    if (!catalogPath) return nullptr;
    const std::string path = catalogPath;
    CsGridCatalog* catalog = CS_readGridCatalog(path.c_str());
    if (!catalog) return nullptr;
    auto* family = new (std::nothrow) Family;
    bool ok = family != nullptr;
    if (!ok) CS_reportError(kCsErrNoMemory);
    if (ok && catalog->fallbackKey[0]) {
        family->fallback = CS_newFallback(catalog->fallbackKey, catalogName);
        ok = family->fallback != nullptr;
    }
    for (CsGridCatalogEntry* entry = catalog->first; ok && entry; entry = entry->next) {
        GridNode node{kNodeNtv2, nullptr, 0.0};
        ok = MakeNode(id, *entry, &node);
        if (ok) {
            family->nodes.push_back(node);
            if (node.kind == kNodeThroughAts77) family->nodes.back().object = nullptr;
        }
    }
    if (ok) {
        family->cache = CS_newCellCache(32);
        ok = family->cache != nullptr;
    }
    CS_freeGridCatalog(catalog);
    if (!ok) {
        DestroyFamily(family);
        return nullptr;
    }
    return family;
}

double NodeCoverage(const GridNode& node, const double ll[2]) {
    switch (node.kind) {
        case kNodeNadcon:
            return CS_usGridFileCoverage(static_cast<NadconPair*>(node.object)->los, ll);
        case kNodeNtv1:
            return CS_ntv1Coverage(static_cast<CsNtv1File*>(node.object), ll);
        case kNodeNtv2:
            return CS_ntv2Coverage(static_cast<CsNtv2File*>(node.object), ll);
        case kNodeAts77:
            return CS_ats77Coverage(static_cast<CsAts77Transform*>(node.object), 1, ll);
        case kNodeJapan:
            return 0.0;
        case kNodeThroughAts77: {
            const Family* toAts = g_families[Index(CsGridFamily::kNad27ToAts77)];
            const Family* toCsrs = g_families[Index(CsGridFamily::kAts77ToCsrs)];
            if (!toAts || !toCsrs) return 0.0;
            bool first = false, second = false;
            for (const GridNode& n : toAts->nodes) {
                first = first ||
                        CS_ats77Coverage(static_cast<CsAts77Transform*>(n.object), 1, ll) > 0.0;
            }
            for (const GridNode& n : toCsrs->nodes) second = second || NodeCoverage(n, ll) > 0.0;
            return first && second ? node.density : 0.0;
        }
    }
    return 0.0;
}

// Shifts through one node: 0, positive outside (output at the input), or
// negative failed.
int NodeShift(Family* family, GridNode& node, double out[3], const double in[3]) {
    double shift[2] = {0.0, 0.0};
    int status = 0;
    switch (node.kind) {
        case kNodeNadcon: {
            auto* pair = static_cast<NadconPair*>(node.object);
            status = CS_usGridFileValue(pair->los, &shift[0], in);
            if (status == 0) status = CS_usGridFileValue(pair->las, &shift[1], in);
            if (status != 0) return status;
            CS_applyGridShift(out, in, shift);
            CS_addCell(family->cache, pair->cacheKind, &pair->los->cell, &pair->las->cell);
            return 0;
        }
        case kNodeNtv1: {
            auto* file = static_cast<CsNtv1File*>(node.object);
            status = CS_ntv1Shift(file, shift, in);
            if (status != 0) return status;
            CS_applyGridShift(out, in, shift);
            CS_addCell(family->cache, kCsCellNtv1, &file->longitudeCell, &file->latitudeCell);
            return 0;
        }
        case kNodeNtv2: {
            auto* file = static_cast<CsNtv2File*>(node.object);
            status = CS_ntv2Shift(file, shift, in);
            if (status != 0) return status;
            CS_applyGridShift(out, in, shift);
            if (file->cellMayBeCached) {
                CS_addCell(family->cache, kCsCellNtv2, &file->longitudeCell, &file->latitudeCell);
            }
            return 0;
        }
        case kNodeAts77: {
            double ll[2];
            status = CS_ats77Shift(static_cast<CsAts77Transform*>(node.object), ll, in);
            if (status != 0) return status;
            out[0] = ll[0];
            out[1] = ll[1];
            return 0;
        }
        case kNodeJapan:
            return CS_japanGridShift(static_cast<CsJapanGrid*>(node.object), out, in, nullptr);
        case kNodeThroughAts77: {
            double temp[3];
            status = CS_gridFamilyForward(CsGridFamily::kNad27ToAts77, temp, in);
            if (status != 0) return status;
            return CS_gridFamilyForward(CsGridFamily::kAts77ToCsrs, out, temp);
        }
    }
    return -1;
}

int NotInitialized() {
    return CS_failWith(kCsErrNotInitialized, "");
}

int Nad27ToAts77(Family* family, int direction, double out[3], const double in[3]) {
    GridNode* best = nullptr;
    double bound = 3600000.0;
    for (GridNode& node : family->nodes) {
        auto* file = static_cast<CsAts77Transform*>(node.object);
        if (CS_ats77Direction(file) != direction) continue;
        const double density = CS_ats77Coverage(file, direction, in);
        if (density > 0.0 && density < bound) {
            bound = density;
            best = &node;
        }
    }
    if (best) return NodeShift(family, *best, out, in);
    if (family->fallback) {
        return direction == 1 ? CScalcFallbackForward(family->fallback, out, in)
                              : CScalcFallbackInverse(family->fallback, out, in);
    }
    return 1;
}

}  // namespace

const char* CS_gridFamilyCatalog(CsGridFamily family) {
    return kFamilies[Index(family)].catalog;
}

int CS_gridFamilyInit(CsGridFamily family) {
    Family*& slot = g_families[Index(family)];
    if (!slot) {
        slot = CreateFamily(family);
        if (!slot) return -1;
    }
    ++g_useCounts[Index(family)];
    return 0;
}

void CS_gridFamilyRelease(CsGridFamily family) {
    const int i = Index(family);
    if (--g_useCounts[i] < 1) {
        Family* dead = g_families[i];
        g_families[i] = nullptr;
        g_useCounts[i] = 0;
        DestroyFamily(dead);
    }
}

int CS_gridFamilyUseCount(CsGridFamily family) {
    return g_useCounts[Index(family)];
}

int CS_gridFamilyForward(CsGridFamily id, double out[3], const double in[3]) {
    Family* family = g_families[Index(id)];
    if (!family) return NotInitialized();
    for (int i = 0; i < 3; ++i) out[i] = in[i];
    if (id == CsGridFamily::kNad27ToAts77) return Nad27ToAts77(family, 1, out, in);
    double point[3] = {in[0], in[1], in[2]};
    const bool wrap = id == CsGridFamily::kNad27ToNad83 && point[0] > 0.0;
    if (wrap) point[0] -= 360.0;
    auto unwrap = [&](int status) {
        if (wrap && status >= 0) out[0] += 360.0;
        if (status < 0 || (status == 1 && !family->fallback)) {
            for (int i = 0; i < 3; ++i) out[i] = in[i];
        }
        return status;
    };
    double shifted[2];
    const int cached = CS_cellShift(family->cache, shifted, point);
    if (cached < 0) return cached;
    if (cached == 0) {
        out[0] = shifted[0];
        out[1] = shifted[1];
        return unwrap(0);
    }
    if (id == CsGridFamily::kTokyoToJgd2k) {
        // The first file in catalog order that shifts the point wins.
        int failure = 0;
        for (GridNode& node : family->nodes) {
            double result[3] = {point[0], point[1], point[2]};
            const int status = NodeShift(family, node, result, point);
            if (status == 0) {
                out[0] = result[0];
                out[1] = result[1];
                return 0;
            }
            if (status < 0 && failure == 0) failure = status;
        }
        if (failure < 0) return unwrap(failure);
        if (family->fallback) return CScalcFallbackForward(family->fallback, out, in);
        return unwrap(1);
    }
    GridNode* best = nullptr;
    double bound = 3600000.0;
    for (GridNode& node : family->nodes) {
        const double density = NodeCoverage(node, point);
        if (density > 0.0 && density < bound) {
            bound = density;
            best = &node;
        }
    }
    if (best) {
        double result[3] = {point[0], point[1], point[2]};
        const int status = NodeShift(family, *best, result, point);
        if (status < 0) return unwrap(status);
        if (status == 0) {
            out[0] = result[0];
            out[1] = result[1];
            return unwrap(0);
        }
    }
    if (family->fallback) {
        const int status = CScalcFallbackForward(family->fallback, out, in);
        return status;
    }
    return unwrap(1);
}

int CS_gridFamilyInverse(CsGridFamily id, double out[3], const double in[3]) {
    Family* family = g_families[Index(id)];
    if (!family) return NotInitialized();
    if (id == CsGridFamily::kNad27ToAts77) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        return Nad27ToAts77(family, 2, out, in);
    }
    if (id == CsGridFamily::kTokyoToJgd2k) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        double guess[3] = {in[0], in[1], in[2]};
        for (int round = 1; round < 10; ++round) {
            double shifted[3];
            const int s = CS_gridFamilyForward(id, shifted, guess);
            if (s < 0) return s;
            if (s > 0) {
                return family->fallback ? CScalcFallbackInverse(family->fallback, out, in) : s;
            }
            const double missLon = in[0] - shifted[0], missLat = in[1] - shifted[1];
            const bool lonDone = std::fabs(missLon) <= 1e-9, latDone = std::fabs(missLat) <= 1e-9;
            if (lonDone && latDone) {
                out[0] = guess[0];
                out[1] = guess[1];
                return 0;
            }
            if (!lonDone) guess[0] += missLon;
            if (!latDone) guess[1] += missLat;
        }
        return CS_failWith(374, "");
    }
    const int status = CS_gridInverse(out, in, [&](double o[3], const double g[3]) {
        // A fallback's shift is not a grid's: the inverse then goes to it directly.
        double probe[3];
        const int s = CS_gridFamilyForward(id, probe, g);
        if (s == 2) return 1;
        for (int i = 0; i < 3; ++i) o[i] = probe[i];
        return s;
    });
    if (status > 0 && family->fallback) {
        return CScalcFallbackInverse(family->fallback, out, in);
    }
    return status;
}
