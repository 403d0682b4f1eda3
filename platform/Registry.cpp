#include "platform/Registry.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

#include "common/ByteOrder.h"
#include "common/Utf8.h"

struct RegistryKeyHandle {
    std::string path;  // canonical: "HKEY_LOCAL_MACHINE\SOFTWARE\...", as first written
};

namespace {

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Keys by folded path; each key's values by folded name.
struct Hive {
    std::map<std::string, std::map<std::string, Value>> keys;
};

RegistryKeyHandle g_roots[] = {
    {"HKEY_CLASSES_ROOT"},
    {"HKEY_CURRENT_USER"},
    {"HKEY_LOCAL_MACHINE"},
    {"HKEY_USERS"},
};

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = FoldAscii(c);
    return folded;
}

// "HKLM\\a\\\\b\\" -> "HKEY_LOCAL_MACHINE\a\b"; empty for an unknown root.
std::string CanonicalPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty()) return {};
    static const std::pair<const char*, const char*> kAliases[] = {
        {"hkey_classes_root", "HKEY_CLASSES_ROOT"},
        {"hkcr", "HKEY_CLASSES_ROOT"},
        {"hkey_current_user", "HKEY_CURRENT_USER"},
        {"hkcu", "HKEY_CURRENT_USER"},
        {"hkey_local_machine", "HKEY_LOCAL_MACHINE"},
        {"hklm", "HKEY_LOCAL_MACHINE"},
        {"hkey_users", "HKEY_USERS"},
        {"hku", "HKEY_USERS"},
    };
    std::string root = Fold(parts[0]);
    std::string canonical;
    for (const auto& [alias, name] : kAliases)
        if (root == alias) canonical = name;
    if (canonical.empty()) return {};
    for (std::size_t i = 1; i < parts.size(); ++i) {
        canonical += '\\';
        canonical += parts[i];
    }
    return canonical;
}

// Reads a quoted string with the .reg escapes \\ and \" at `pos` (on the
// opening quote); moves `pos` past the closing quote. False when unterminated.
bool ReadQuoted(std::string_view line, std::size_t& pos, std::string& text) {
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) c = line[++pos];
        text += c;
    }
    return false;
}

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigit(char c) {
    c = FoldAscii(c);
    return (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// One to eight hexadecimal digits and nothing else.
bool ParseHexDword(std::string_view digits, DWORD& value) {
    if (digits.empty() || digits.size() > 8) return false;
    value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        value = value * 16 + static_cast<DWORD>(d);
    }
    return true;
}

bool ParseHexBytes(std::string_view text, std::vector<BYTE>& bytes) {
    bytes.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == ','))
            ++pos;
        if (pos == text.size()) break;
        int value = 0;
        int digits = 0;
        for (; pos < text.size() && digits < 3 && HexDigit(text[pos]) >= 0; ++pos, ++digits)
            value = value * 16 + HexDigit(text[pos]);
        if (digits == 0 || digits > 2) return false;
        bytes.push_back(static_cast<BYTE>(value));
    }
    return true;
}

// The value after '='; false when it is malformed. A deletion ("-") is
// reported with type REG_NONE and `remove` set.
bool ParseValueData(std::string_view text, bool unicodeFile, Value& value, bool& remove) {
    remove = false;
    if (text == "-") {
        remove = true;
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        std::size_t pos = 0;
        std::string s;
        if (!ReadQuoted(text, pos, s)) return false;
        value.type = REG_SZ;
        value.data.assign(s.begin(), s.end());
        value.data.push_back(0);
        return true;
    }
    std::string lower = Fold(text.substr(0, std::min<std::size_t>(text.size(), 8)));
    if (lower.rfind("dword:", 0) == 0) {
        DWORD number = 0;
        if (!ParseHexDword(text.substr(6), number)) return false;
        value.type = REG_DWORD;
        value.data.assign(4, 0);
        byteorder::StoreU32Le(number, value.data.data());
        return true;
    }
    if (lower.rfind("hex", 0) != 0) return false;
    std::size_t pos = 3;
    DWORD type = REG_BINARY;
    if (pos < text.size() && text[pos] == '(') {
        std::size_t close = text.find(')', pos);
        if (close == std::string_view::npos) return false;
        if (!ParseHexDword(text.substr(pos + 1, close - pos - 1), type)) return false;
        pos = close + 1;
    }
    if (pos >= text.size() || text[pos] != ':') return false;
    if (!ParseHexBytes(text.substr(pos + 1), value.data)) return false;
    value.type = type;
    // Version 5 files hold these string types as UTF-16LE; the A interface gives UTF-8.
    if (unicodeFile && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
        std::string utf8 = Utf16LeToUtf8(value.data);
        value.data.assign(utf8.begin(), utf8.end());
    }
    return true;
}

// The file's text as UTF-8 (a UTF-16LE file with its byte-order mark is converted).
std::string DecodeFile(const std::string& raw) {
    if (raw.size() >= 2 && static_cast<BYTE>(raw[0]) == 0xFF && static_cast<BYTE>(raw[1]) == 0xFE)
        return Utf16LeToUtf8(
            std::span(reinterpret_cast<const BYTE*>(raw.data()) + 2, raw.size() - 2));
    if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
    return raw;
}

void MarkKeyAndParents(Hive& hive, const std::string& canonical) {
    std::string folded = Fold(canonical);
    for (std::size_t pos = folded.find('\\'); pos != std::string::npos;
         pos = folded.find('\\', pos + 1))
        hive.keys.try_emplace(folded.substr(0, pos));
    hive.keys.try_emplace(folded);
}

Hive ParseHive(const std::string& raw) {
    Hive hive;
    std::string text = DecodeFile(raw);
    bool unicodeFile = text.find("Windows Registry Editor Version 5.00") != std::string::npos;
    std::map<std::string, Value>* current = nullptr;

    std::size_t pos = 0;
    while (pos < text.size()) {
        // One logical line: a trailing '\' continues it on the next line.
        std::string line;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string_view piece(text.data() + pos, end - pos);
            pos = end + 1;
            if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
            if (!line.empty()) {
                while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t'))
                    piece.remove_prefix(1);
            }
            line += piece;
            if (!line.empty() && line.back() == '\\' && line.find("hex") != std::string::npos) {
                line.pop_back();
                continue;
            }
            break;
        }
        std::string_view view(line);
        while (!view.empty() && (view.front() == ' ' || view.front() == '\t'))
            view.remove_prefix(1);
        while (!view.empty() && (view.back() == ' ' || view.back() == '\t')) view.remove_suffix(1);
        if (view.empty() || view.front() == ';') continue;

        if (view.front() == '[') {
            current = nullptr;
            if (view.back() != ']') continue;
            std::string_view inner = view.substr(1, view.size() - 2);
            bool remove = !inner.empty() && inner.front() == '-';
            if (remove) inner.remove_prefix(1);
            std::string canonical = CanonicalPath(inner);
            if (canonical.empty()) continue;
            std::string folded = Fold(canonical);
            if (remove) {
                for (auto it = hive.keys.begin(); it != hive.keys.end();) {
                    bool below =
                        it->first == folded || (it->first.size() > folded.size() &&
                                                it->first.compare(0, folded.size(), folded) == 0 &&
                                                it->first[folded.size()] == '\\');
                    it = below ? hive.keys.erase(it) : std::next(it);
                }
                continue;
            }
            MarkKeyAndParents(hive, canonical);
            current = &hive.keys[folded];
            continue;
        }
        if (!current) continue;

        std::string name;
        std::size_t at = 0;
        if (view.front() == '@') {
            at = 1;
        } else if (view.front() == '"') {
            if (!ReadQuoted(view, at, name)) continue;
        } else {
            continue;
        }
        while (at < view.size() && (view[at] == ' ' || view[at] == '\t')) ++at;
        if (at >= view.size() || view[at] != '=') continue;
        std::string_view data = view.substr(at + 1);
        while (!data.empty() && (data.front() == ' ' || data.front() == '\t'))
            data.remove_prefix(1);
        Value value;
        bool remove = false;
        if (!ParseValueData(data, unicodeFile, value, remove)) continue;
        if (remove) {
            current->erase(Fold(name));
        } else {
            (*current)[Fold(name)] = std::move(value);
        }
    }
    return hive;
}

struct Registry {
    std::mutex lock;
    std::set<HKEY> open;
    // The parsed file, kept while its path, size and time stay the same.
    std::string loadedPath;
    std::int64_t loadedSize = -1;
    std::int64_t loadedTime = 0;
    std::shared_ptr<const Hive> hive = std::make_shared<Hive>();
};

Registry& TheRegistry() {
    static Registry& registry = *new Registry;  // never destroyed: usable until the process ends
    return registry;
}

std::shared_ptr<const Hive> CurrentHive(Registry& registry) {
    std::string path = RegistryFilePath();
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        registry.loadedPath.clear();
        registry.loadedSize = -1;
        registry.hive = std::make_shared<Hive>();
        return registry.hive;
    }
    std::int64_t time =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (path != registry.loadedPath || info.st_size != registry.loadedSize ||
        time != registry.loadedTime) {
        std::ifstream in(path, std::ios::binary);
        std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        registry.hive = std::make_shared<Hive>(ParseHive(raw));
        registry.loadedPath = path;
        registry.loadedSize = info.st_size;
        registry.loadedTime = time;
    }
    return registry.hive;
}

bool IsPredefined(HKEY key) {
    return key >= std::begin(g_roots) && key < std::end(g_roots);
}

// Handles are checked by address before use: a closed or stray one is never read.
bool IsOpen(Registry& registry, HKEY key) {
    return IsPredefined(key) || registry.open.count(key) != 0;
}

}  // namespace

HKEY const HKEY_CLASSES_ROOT = &g_roots[0];
HKEY const HKEY_CURRENT_USER = &g_roots[1];
HKEY const HKEY_LOCAL_MACHINE = &g_roots[2];
HKEY const HKEY_USERS = &g_roots[3];

std::string RegistryFilePath() {
    const char* path = std::getenv("WLXCONV_REGISTRY");
    return (path && *path) ? path : "/etc/wlxconv/registry.reg";
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM desired, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (!IsOpen(registry, key)) return ERROR_INVALID_HANDLE;
    if (desired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    std::string canonical = CanonicalPath(key->path + "\\" + (subKey ? subKey : ""));
    if (canonical.empty()) return ERROR_FILE_NOT_FOUND;
    auto hive = CurrentHive(registry);
    if (!hive->keys.count(Fold(canonical))) return ERROR_FILE_NOT_FOUND;
    auto handle = std::make_unique<RegistryKeyHandle>();
    handle->path = canonical;
    *result = handle.release();
    registry.open.insert(*result);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (!IsOpen(registry, key)) return ERROR_INVALID_HANDLE;
    auto hive = CurrentHive(registry);
    auto found = hive->keys.find(Fold(key->path));
    if (found == hive->keys.end()) return ERROR_FILE_NOT_FOUND;
    auto value = found->second.find(Fold(valueName ? valueName : ""));
    if (value == found->second.end()) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->second.type;
    DWORD needed = static_cast<DWORD>(value->second.data.size());
    if (!dataSize) return ERROR_SUCCESS;
    if (data) {
        if (*dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (needed) std::memcpy(data, value->second.data.data(), needed);
    }
    *dataSize = needed;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (IsPredefined(key)) return ERROR_SUCCESS;
    if (!registry.open.erase(key)) return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

CRegistryKey::~CRegistryKey() {
    CloseRegistryKey();
}

LONG CRegistryKey::OpenRegistryKey(HKEY root, const char* path, REGSAM access) {
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(root, path, 0, access, &opened);
    if (result == ERROR_SUCCESS) {
        CloseRegistryKey();
        key_ = opened;
    }
    return result;
}

LONG CRegistryKey::CloseRegistryKey() {
    if (!key_) return ERROR_SUCCESS;
    LONG result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

LONG CRegistryKey::QueryRegistryString(const char* valueName, char* buffer, DWORD* size) {
    DWORD type = REG_NONE;
    DWORD capacity = size ? *size : 0;
    LONG result = RegQueryValueExA(key_, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                   &capacity);
    if (result == ERROR_SUCCESS && type != REG_SZ) result = ERROR_INVALID_DATA;
    if (size) *size = result == ERROR_SUCCESS ? capacity : 0;
    return result;
}

LONG CRegistryKey::QueryRegistryString(const char* valueName, std::string& value) {
    value.clear();
    DWORD size = 0;
    LONG result = QueryRegistryString(valueName, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    std::vector<char> buffer(size + 1, '\0');
    result = QueryRegistryString(valueName, buffer.data(), &size);
    if (result == ERROR_SUCCESS) value.assign(buffer.data(), std::strlen(buffer.data()));
    return result;
}
