// The small services under the coverage file library: heap strings and paths,
// file-system tests, directory listing and removal, byte reversal, allocation,
// the library's last-error record, dBASE III tables and whole-file views.
// Plain functions over plain data; every heap result is freed with
// tamrec_free (lists with tamrec_free_list).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- Allocation: a null result (recorded as error 6) instead of ending the process.
void* tamrec_alloc(std::size_t size);                 // zero-filled; size 0 is taken as 1
void* tamrec_realloc(void* block, std::size_t size);  // null block: allocated afresh
void tamrec_free(void* block);
template <class T>
void tamrec_free_and_clear(T** block) {
    tamrec_free(*block);
    *block = nullptr;
}

// ---- Last-error record (process-wide; nothing prints it).
constexpr int kTamrecErrorText = 1;        // "%s": the caller's own message
constexpr int kTamrecErrorNullPath = 2;    // "Null file or device specification"
constexpr int kTamrecErrorInternal = 3;    // "Internal error: \"%s\""
constexpr int kTamrecErrorStatfs = 4;      // "statfs() failed on %s"
constexpr int kTamrecErrorNullStatfs = 5;  // "NULL file specification passed to statfs()"
constexpr int kTamrecErrorNoMemory = 6;    // an allocation failed

void tamrec_report(int code, const char* argument);
int tamrec_last_error_code();          // 0 before the first failure
const char* tamrec_last_error_text();  // never null
// `format` with one "%s" filled by `argument`, a line feed, then the system's
// text for errno; a heap copy through `out`.
void tamrec_system_error_text(char** out, const char* format, const char* argument);

// ---- Strings and paths (UTF-8: '/', '\\' and blanks never occur inside a
// multibyte character, so byte steps over them are character steps).
char* tamrec_strdup(const char* text);  // null text: empty string
char* tamrec_concat(const char* a, const char* b);
char* tamrec_append(char** string, const char* text);  // frees and replaces *string
char* tamrec_parent_dir(const char* path);             // "./" without a separator
char* tamrec_base_name(const char* path);              // null for an empty path
void tamrec_to_upper(char* text);  // ASCII letters only: multibyte characters stay whole
void tamrec_to_lower(char* text);
void tamrec_trim_right(char* text);  // a text of blanks keeps its first character
void tamrec_to_slashes(char* path);
void tamrec_to_backslashes(char* path);
// 1-based byte position of the first match at or after `start`, or 0. In the
// pattern "#" is a digit, "!" a letter, "?" any one character; other
// characters match themselves without regard to case.
int tamrec_pattern_position(const char* pattern, const char* text, int start);

// ---- File-system tests.
bool tamrec_exists(const char* path);
bool tamrec_is_directory(const char* path);       // a trailing separator is ignored
bool tamrec_searchable(const char* path);         // examinable and owner-writable
std::int64_t tamrec_file_size(const char* path);  // -1 when it cannot be examined
constexpr int kTamrecLittleEndian = 2;
int tamrec_host_order();
int tamrec_swap_bytes(void* buffer, int count, int size);
// `directory/name` when it exists, else the entry whose name equals `name`
// ignoring letter case; null when neither.
char* tamrec_find_file(const char* directory, const char* name);

// Every entry except names beginning with "."; sorted, null-terminated. With a
// suffix and `suffix_search` clear only names ending in it (ignoring case);
// with `strip` those names lose it. A directory that cannot be listed prints
// "get_directory_list: Invalid File handle returned for %s" and gives an
// empty list. Null only when memory runs out.
char** get_directory_list(const char* directory, const char* suffix, int* count, int suffix_search,
                          int strip);
void tamrec_free_list(char** list);
bool tamrec_dir_is_empty(const char* path);
// 0, or 2 for a null path, or 3 when a file or directory cannot be removed.
int tamrec_remove_tree(const char* path);

// ---- Whole-file read-only views: the file's bytes, read once and bounded by
// its size. A 0-byte file gives an empty view.
struct tamrec_mapping {
    std::uint8_t* view;
    std::uint64_t size;
    int open;
};
// The view, or null with a heap message through `message`.
const std::uint8_t* aio_fmap(const char* path, tamrec_mapping* mapping, char** message);
int funmap(tamrec_mapping* mapping);  // 1 when something was released, else 0

// ---- dBASE III tables (tic.dbf, bnd.dbf of the table form).
struct tamrec_dbf {
    tamrec_mapping map;
    std::int32_t record_count;  // bounded by the records the file holds
    std::int32_t field_count;
    std::int32_t header_length;
    std::int32_t record_length;
};
// Finds `table_name` in `directory` (ignoring case) and opens it: 0 / 1.
int tamrec_dbf_open(const char* directory, tamrec_dbf* dbf, const char* table_name,
                    std::int32_t* record_count, std::int32_t* field_count);
int tamrec_dbf_counts(tamrec_dbf* dbf, std::int32_t* record_count, std::int32_t* field_count);
// Row and field from 1; a heap copy of the field's bytes, NUL-terminated.
int tamrec_dbf_field(const tamrec_dbf* dbf, std::int32_t row, std::int32_t field, char** text);
void tamrec_dbf_close(tamrec_dbf* dbf);
int tamrec_dbf_write_header(std::FILE* file, std::int32_t record_count, int field_count,
                            int record_length, int swap);
int tamrec_dbf_write_field(std::FILE* file, const char* name, int width, int decimals);
