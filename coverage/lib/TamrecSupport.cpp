#include "coverage/lib/TamrecSupport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "common/ByteOrder.h"
#include "common/ByteSource.h"
#include "coverage/lib/TamrecInternal.h"
#include "platform/FileCase.h"

namespace fs = std::filesystem;

namespace {

struct LastError {
    int code = 0;
    std::string text;
};

LastError& TheLastError() {
    static LastError error;
    return error;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the UTF-8 character that starts with `lead` (1 for stray bytes).
std::size_t CharLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::size_t CharLengthAt(const char* text) {
    const std::size_t wanted = CharLength(static_cast<unsigned char>(*text));
    std::size_t have = 1;
    while (have < wanted && text[have] != '\0') ++have;
    return have;
}

// Matches `pattern` at the start of `text`.
bool MatchesAt(const char* pattern, const char* text) {
    while (*pattern != '\0') {
        if (*text == '\0') return false;
        const unsigned char t = static_cast<unsigned char>(*text);
        switch (*pattern) {
            case '#':
                if (!std::isdigit(t)) return false;
                break;
            case '!':
                if (t >= 0x80 || !std::isalpha(t)) return false;
                break;
            case '?':
                break;
            default:
                if (FoldCase(*pattern) != FoldCase(*text)) return false;
        }
        text += *pattern == '?' ? CharLengthAt(text) : 1;
        ++pattern;
    }
    return true;
}

bool EndsWithIgnoringCase(const std::string& name, const std::string& suffix) {
    if (suffix.size() > name.size()) return false;
    const std::size_t from = name.size() - suffix.size();
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (FoldCase(name[from + i]) != FoldCase(suffix[i])) return false;
    return true;
}

}  // namespace

int tamrecinternal::Fail(int code, const std::string& message) {
    tamrec_report(code, message.c_str());
    return 1;
}

std::string tamrecinternal::JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    return IsSeparator(directory.back()) ? directory + name : directory + "/" + name;
}

// ---- Allocation ----

void* tamrec_alloc(std::size_t size) {
    void* block = std::calloc(size == 0 ? 1 : size, 1);
    if (block == nullptr)
        tamrecinternal::Fail(kTamrecErrorNoMemory,
                             "tamrec_lib: could not allocate " + std::to_string(size) + " bytes\n");
    return block;
}

void* tamrec_realloc(void* block, std::size_t size) {
    if (block == nullptr) return tamrec_alloc(size);
    void* grown = std::realloc(block, size == 0 ? 1 : size);
    if (grown == nullptr)
        tamrecinternal::Fail(kTamrecErrorNoMemory, "tamrec_lib: could not reallocate " +
                                                       std::to_string(size) + " bytes\n");
    return grown;
}

void tamrec_free(void* block) {
    std::free(block);
}

// ---- Last error ----

void tamrec_report(int code, const char* argument) {
    const std::string arg = argument == nullptr ? "" : argument;
    std::string text;
    switch (code) {
        case kTamrecErrorNullPath:
            text = "Null file or device specification";
            break;
        case kTamrecErrorInternal:
            text = "Internal error: \"" + arg + "\"";
            break;
        case kTamrecErrorStatfs:
            text = "statfs() failed on " + arg;
            break;
        case kTamrecErrorNullStatfs:
            text = "NULL file specification passed to statfs()";
            break;
        default:
            text = arg;
    }
    TheLastError().code = code;
    TheLastError().text = std::move(text);
}

int tamrec_last_error_code() {
    return TheLastError().code;
}

const char* tamrec_last_error_text() {
    return TheLastError().text.c_str();
}

void tamrec_system_error_text(char** out, const char* format, const char* argument) {
    const int error = errno;
    std::string text = format == nullptr ? "" : format;
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument == nullptr ? "" : argument);
    if (text.empty() || text.back() != '\n') text += '\n';
    text += "Last system error = ";
    text += error != 0 ? std::strerror(error) : "0, ";
    if (text.size() > 2047) text.resize(2047);
    *out = tamrec_strdup(text.c_str());
}

// ---- Strings and paths ----

char* tamrec_strdup(const char* text) {
    if (text == nullptr) text = "";
    const std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(tamrec_alloc(length + 1));
    if (copy != nullptr) std::memcpy(copy, text, length);
    return copy;
}

char* tamrec_concat(const char* a, const char* b) {
    if (a == nullptr) a = "";
    if (b == nullptr) b = "";
    const std::size_t la = std::strlen(a), lb = std::strlen(b);
    char* joined = static_cast<char*>(tamrec_alloc(la + lb + 1));
    if (joined == nullptr) return nullptr;
    std::memcpy(joined, a, la);
    std::memcpy(joined + la, b, lb);
    return joined;
}

char* tamrec_append(char** string, const char* text) {
    char* joined = tamrec_concat(*string, text);
    if (joined == nullptr) return nullptr;  // *string is kept
    tamrec_free(*string);
    *string = joined;
    return joined;
}

char* tamrec_parent_dir(const char* path) {
    if (path == nullptr) return tamrec_strdup("./");
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; ++p)
        if (IsSeparator(*p)) last = p;
    if (last == nullptr) return tamrec_strdup("./");
    const std::string parent(path, static_cast<std::size_t>(last - path));
    return tamrec_strdup(parent.c_str());
}

char* tamrec_base_name(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (IsSeparator(*p)) base = p + 1;
    return tamrec_strdup(base);
}

void tamrec_to_upper(char* text) {
    for (; text != nullptr && *text != '\0'; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

void tamrec_to_lower(char* text) {
    for (; text != nullptr && *text != '\0'; ++text) *text = FoldCase(*text);
}

void tamrec_trim_right(char* text) {
    if (text == nullptr || *text == '\0') return;
    std::size_t length = std::strlen(text);
    while (length > 1 && text[length - 1] == ' ') --length;
    text[length] = '\0';
}

void tamrec_to_slashes(char* path) {
    for (; path != nullptr && *path != '\0'; ++path)
        if (*path == '\\') *path = '/';
}

void tamrec_to_backslashes(char* path) {
    for (; path != nullptr && *path != '\0'; ++path)
        if (*path == '/') *path = '\\';
}

int tamrec_pattern_position(const char* pattern, const char* text, int start) {
    if (pattern == nullptr || text == nullptr || *pattern == '\0' || *text == '\0' || start < 1)
        return 0;
    const std::size_t length = std::strlen(text);
    if (static_cast<std::size_t>(start) > length) return 0;
    for (std::size_t at = static_cast<std::size_t>(start) - 1; at < length;
         at += CharLengthAt(text + at)) {
        if (MatchesAt(pattern, text + at)) return static_cast<int>(at + 1);
    }
    return 0;
}

// ---- File-system tests ----

bool tamrec_exists(const char* path) {
    struct stat info {};
    return path != nullptr && ::stat(path, &info) == 0;
}

bool tamrec_is_directory(const char* path) {
    if (path == nullptr) return false;
    std::string p = path;
    while (p.size() > 1 && IsSeparator(p.back())) p.pop_back();
    struct stat info {};
    return ::stat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool tamrec_searchable(const char* path) {
    struct stat info {};
    return path != nullptr && ::stat(path, &info) == 0 && (info.st_mode & S_IWUSR) != 0;
}

std::int64_t tamrec_file_size(const char* path) {
    struct stat info {};
    if (path == nullptr || ::stat(path, &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

int tamrec_host_order() {
    return kTamrecLittleEndian;
}

int tamrec_swap_bytes(void* buffer, int count, int size) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    for (int i = 0; i < count && size > 1; ++i)
        std::reverse(bytes + static_cast<std::size_t>(i) * static_cast<std::size_t>(size),
                     bytes + static_cast<std::size_t>(i + 1) * static_cast<std::size_t>(size));
    return 0;
}

char* tamrec_find_file(const char* directory, const char* name) {
    if (directory == nullptr || name == nullptr || *name == '\0') return nullptr;
    const std::string found = ResolveFileCase(tamrecinternal::JoinPath(directory, name));
    return found.empty() ? nullptr : tamrec_strdup(found.c_str());
}

char** get_directory_list(const char* directory, const char* suffix, int* count, int suffix_search,
                          int strip) {
    std::vector<std::string> names;
    const std::string wanted = suffix == nullptr ? "" : suffix;
    std::error_code error;
    fs::directory_iterator it(directory == nullptr ? "" : directory, error);
    if (error) {
        std::printf("get_directory_list: Invalid File handle returned for %s\n",
                    directory == nullptr ? "" : directory);
        std::fflush(stdout);
    }
    for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        const bool ends = !wanted.empty() && EndsWithIgnoringCase(name, wanted);
        if (!wanted.empty() && !suffix_search && !ends) continue;
        if (ends && strip) name.resize(name.size() - wanted.size());
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    char** list = static_cast<char**>(tamrec_alloc((names.size() + 1) * sizeof(char*)));
    if (list == nullptr) return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list[i] = tamrec_strdup(names[i].c_str());
        if (list[i] == nullptr) {
            tamrec_free_list(list);
            return nullptr;
        }
    }
    if (count != nullptr) *count = static_cast<int>(names.size());
    return list;
}

void tamrec_free_list(char** list) {
    if (list == nullptr) return;
    for (char** p = list; *p != nullptr; ++p) tamrec_free(*p);
    tamrec_free(list);
}

bool tamrec_dir_is_empty(const char* path) {
    int count = 0;
    char** list = get_directory_list(path, nullptr, &count, 0, 0);
    tamrec_free_list(list);
    return list != nullptr && count == 0;
}

int tamrec_remove_tree(const char* path) {
    if (path == nullptr) {
        tamrec_report(kTamrecErrorNullPath, nullptr);
        return 2;
    }
    std::error_code error;
    const fs::path root(path);
    const fs::file_status status = fs::symlink_status(root, error);
    if (!fs::is_directory(status)) {
        // A read-only file is kept, as the system this was written for does.
        const bool read_only = fs::is_regular_file(status) &&
                               (status.permissions() & fs::perms::owner_write) == fs::perms::none;
        if (read_only || !fs::remove(root, error) || error) {
            tamrec_report(kTamrecErrorInternal, "Cannot delete file");
            return 3;
        }
        return 0;
    }
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    for (const fs::path& entry : entries) {
        const int result = tamrec_remove_tree(entry.string().c_str());
        if (result != 0) return result;
    }
    if (error || !fs::remove(root, error) || error) {
        tamrec_report(kTamrecErrorInternal, "Cannot remove directory");
        return 3;
    }
    return 0;
}

// ---- Whole-file views ----

const std::uint8_t* aio_fmap(const char* path, tamrec_mapping* mapping, char** message) {
    *mapping = tamrec_mapping{};
    if (message != nullptr) *message = nullptr;
    auto fail = [&](const char* format) -> const std::uint8_t* {
        if (message != nullptr) tamrec_system_error_text(message, format, path);
        return nullptr;
    };
    if (tamrec_is_directory(path)) return fail("aio_fmap() failed - directory name given - %s");
    const auto source = CFileByteSource::Open(path == nullptr ? "" : path);
    if (source == nullptr) return fail("aio_fmap() failed - Cannot open %s");
    const std::uint64_t size = source->Size();
    if (size > std::numeric_limits<std::size_t>::max() / 2)
        return fail("aio_fmap() failed on %s - could not map file");
    auto* view = static_cast<std::uint8_t*>(tamrec_alloc(static_cast<std::size_t>(size)));
    if (view == nullptr) return fail("aio_fmap() failed on %s - could not map file");
    if (!source->ReadAt(0, view, static_cast<std::size_t>(size))) {
        tamrec_free(view);
        return fail("aio_fmap() failed on %s - could not map file");
    }
    *mapping = tamrec_mapping{view, size, 1};
    return view;
}

int funmap(tamrec_mapping* mapping) {
    if (mapping == nullptr || !mapping->open) return 0;
    tamrec_free(mapping->view);
    *mapping = tamrec_mapping{};
    return 1;
}

// ---- dBASE III ----

int tamrec_dbf_counts(tamrec_dbf* dbf, std::int32_t* record_count, std::int32_t* field_count) {
    const std::uint64_t size = dbf->map.size;
    if (size < 32) return 1;
    const std::uint8_t* h = dbf->map.view;
    const std::uint32_t declared = byteorder::LoadU32Le(h + 4);
    dbf->header_length = byteorder::LoadU16Le(h + 8);
    dbf->record_length = byteorder::LoadU16Le(h + 10);
    dbf->field_count = dbf->header_length >= 33 ? (dbf->header_length - 33) / 32 : 0;
    if (static_cast<std::uint64_t>(32) + 32 * static_cast<std::uint64_t>(dbf->field_count) > size)
        dbf->field_count = static_cast<std::int32_t>((size - 32) / 32);
    // A record count larger than the file can hold is damage, not data.
    std::uint64_t fits = 0;
    if (dbf->record_length > 0 && size > static_cast<std::uint64_t>(dbf->header_length))
        fits = (size - static_cast<std::uint64_t>(dbf->header_length)) /
               static_cast<std::uint64_t>(dbf->record_length);
    dbf->record_count = static_cast<std::int32_t>(std::min<std::uint64_t>(declared, fits));
    if (record_count != nullptr) *record_count = dbf->record_count;
    if (field_count != nullptr) *field_count = dbf->field_count;
    return 0;
}

int tamrec_dbf_open(const char* directory, tamrec_dbf* dbf, const char* table_name,
                    std::int32_t* record_count, std::int32_t* field_count) {
    *dbf = tamrec_dbf{};
    char* path = tamrec_find_file(directory, table_name);
    if (path == nullptr) {
        tamrecinternal::Fail(kTamrecErrorText, std::string("tamrec_lib: cannot find the table '") +
                                                   table_name + "'\n");
        return 1;
    }
    char* message = nullptr;
    const bool mapped = aio_fmap(path, &dbf->map, &message) != nullptr;
    tamrec_free(path);
    if (!mapped) {
        tamrecinternal::Fail(kTamrecErrorText, message == nullptr ? "" : message);
        tamrec_free(message);
        return 1;
    }
    if (tamrec_dbf_counts(dbf, record_count, field_count) != 0) {
        tamrecinternal::Fail(kTamrecErrorText, std::string("tamrec_lib: the table '") + table_name +
                                                   "' is too short\n");
        tamrec_dbf_close(dbf);
        return 1;
    }
    return 0;
}

int tamrec_dbf_field(const tamrec_dbf* dbf, std::int32_t row, std::int32_t field, char** text) {
    *text = nullptr;
    if (row < 1 || row > dbf->record_count || field < 1 || field > dbf->field_count) return 1;
    const std::uint8_t* h = dbf->map.view;
    std::uint64_t offset = 1;  // the deletion mark
    for (std::int32_t f = 1; f < field; ++f) offset += h[32 + 32 * (f - 1) + 16];
    const std::uint64_t width = h[32 + 32 * (field - 1) + 16];
    if (offset + width > static_cast<std::uint64_t>(dbf->record_length)) return 1;
    const std::uint64_t at =
        static_cast<std::uint64_t>(dbf->header_length) +
        static_cast<std::uint64_t>(row - 1) * static_cast<std::uint64_t>(dbf->record_length) +
        offset;
    if (at + width > dbf->map.size) return 1;
    char* copy = static_cast<char*>(tamrec_alloc(static_cast<std::size_t>(width) + 1));
    if (copy == nullptr) return 1;
    std::memcpy(copy, h + at, static_cast<std::size_t>(width));
    *text = copy;
    return 0;
}

void tamrec_dbf_close(tamrec_dbf* dbf) {
    funmap(&dbf->map);
    *dbf = tamrec_dbf{};
}

int tamrec_dbf_write_header(std::FILE* file, std::int32_t record_count, int field_count,
                            int record_length, int swap) {
    std::uint8_t header[32] = {3};
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    if (now != static_cast<std::time_t>(-1) && localtime_r(&now, &date) != nullptr) {
        header[1] = static_cast<std::uint8_t>(date.tm_year);
        header[2] = static_cast<std::uint8_t>(date.tm_mon + 1);
        header[3] = static_cast<std::uint8_t>(date.tm_mday);
    }
    const auto header_length = static_cast<std::uint16_t>(32 * field_count + 33);
    const auto length = static_cast<std::uint16_t>(record_length);
    if (swap) {
        byteorder::StoreI32Be(record_count, header + 4);
        byteorder::StoreU16Be(header_length, header + 8);
        byteorder::StoreU16Be(length, header + 10);
    } else {
        byteorder::StoreI32Le(record_count, header + 4);
        byteorder::StoreU16Le(header_length, header + 8);
        byteorder::StoreU16Le(length, header + 10);
    }
    return std::fwrite(header, sizeof header, 1, file) == 1 ? 0 : 1;
}

int tamrec_dbf_write_field(std::FILE* file, const char* name, int width, int decimals) {
    std::uint8_t field[32] = {};
    const std::size_t length = std::min<std::size_t>(std::strlen(name), 11);
    std::memcpy(field, name, length);
    field[11] = 'N';
    field[16] = static_cast<std::uint8_t>(width);
    field[17] = static_cast<std::uint8_t>(decimals);
    return std::fwrite(field, sizeof field, 1, file) == 1 ? 0 : 1;
}
