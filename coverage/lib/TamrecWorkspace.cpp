// Opening a workspace: its covers' storage form and the AAT and PAT item
// definitions of its INFO directory.
#include <cstring>
#include <string>

#include "coverage/lib/Tamrec.h"
#include "coverage/lib/TamrecFormat.h"
#include "coverage/lib/TamrecInternal.h"

using namespace tamrecinternal;

namespace {

// A text field of a fixed-width record: trailing blanks and NULs removed.
std::string FieldText(const std::uint8_t* bytes, std::size_t width) {
    std::string text(reinterpret_cast<const char*>(bytes), width);
    const std::size_t end = text.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Lower(std::string text) {
    tamrec_to_lower(text.data());
    return text;
}

bool HoldsTableForm(const std::string& directory) {
    for (const char* name : {kTamrecBndDbf, kTamrecTicDbf}) {
        char* found = tamrec_find_file(directory.c_str(), name);
        tamrec_free(found);
        if (found != nullptr) return true;
    }
    return false;
}

// The items of one table from its item-definition file; false (nothing
// allocated) when the file cannot be found or is too short for them.
bool ReadItems(const std::string& info, const tamrec_workspace& ws, const std::string& file_name,
               std::int32_t item_count, tamrec_info_field_description** items, bool* no_memory) {
    char* path = nullptr;
    if (ws.info_style4) {
        path = tamrec_find_file(info.c_str(), (file_name + ".nit").c_str());
    } else {
        path = tamrec_find_file(info.c_str(), (file_name + "nit").c_str());
        if (path == nullptr) path = tamrec_find_file(info.c_str(), (file_name + "ni").c_str());
    }
    if (path == nullptr || item_count < 0) {
        tamrec_free(path);
        return false;
    }
    tamrec_mapping map{};
    char* message = nullptr;
    const bool mapped = aio_fmap(path, &map, &message) != nullptr;
    tamrec_free(path);
    tamrec_free(message);
    const std::uint64_t needed = static_cast<std::uint64_t>(item_count) * kTamrecItemRecordSize;
    if (!mapped || needed > map.size) {
        *no_memory = mapped ? false : tamrec_last_error_code() == kTamrecErrorNoMemory;
        funmap(&map);
        return false;
    }
    auto* out = static_cast<tamrec_info_field_description*>(
        tamrec_alloc(static_cast<std::size_t>(item_count) * sizeof(tamrec_info_field_description)));
    bool ok = out != nullptr;
    const bool big = ws.info_swap != 0;
    for (std::int32_t i = 0; ok && i < item_count; ++i) {
        CByteCursor c({map.view + static_cast<std::size_t>(i) * kTamrecItemRecordSize,
                       kTamrecItemRecordSize});
        tamrec_info_field_description& item = out[i];
        item.name = tamrec_strdup(FieldText(c.Take(16).data(), 16).c_str());
        item.width = I16(c, big);
        c.Skip(2);
        item.start = I16(c, big);
        c.Skip(4);
        item.output_width = I16(c, big);
        item.decimals = I16(c, big);
        item.type = I16(c, big);
        ok = item.name != nullptr;
    }
    funmap(&map);
    if (!ok) {
        if (out != nullptr) FreeItems(out, item_count);
        *no_memory = true;
        return false;
    }
    *items = out;
    return true;
}

// The entry for `cover_name`, appended when there is none; null without memory.
tamrec_table_entry* EntryFor(tamrec_workspace& ws, const std::string& cover_name) {
    for (std::int32_t i = 0; i < ws.table_count; ++i)
        if (cover_name == ws.tables[i].cover_name) return &ws.tables[i];
    auto* grown = static_cast<tamrec_table_entry*>(tamrec_realloc(
        ws.tables, static_cast<std::size_t>(ws.table_count + 1) * sizeof(tamrec_table_entry)));
    if (grown == nullptr) return nullptr;
    ws.tables = grown;
    tamrec_table_entry& entry = ws.tables[ws.table_count];
    entry = tamrec_table_entry{};
    entry.cover_name = tamrec_strdup(cover_name.c_str());
    if (entry.cover_name == nullptr) return nullptr;
    ++ws.table_count;
    return &entry;
}

// Reads the INFO directory file; foreign or unreadable records are skipped.
// False only when memory runs out.
bool ReadInfoDirectory(tamrec_workspace& ws, const std::string& info) {
    char* path = tamrec_find_file(info.c_str(), kTamrecDirStyle3);
    ws.info_style4 = 0;
    if (path == nullptr) {
        path = tamrec_find_file(info.c_str(), kTamrecDirStyle4);
        ws.info_style4 = 1;
    }
    if (path == nullptr) return true;
    tamrec_mapping map{};
    char* message = nullptr;
    const bool mapped = aio_fmap(path, &map, &message) != nullptr;
    tamrec_free(path);
    tamrec_free(message);
    if (!mapped) return tamrec_last_error_code() != kTamrecErrorNoMemory;
    bool ok = true;
    if (map.size >= 34) {
        const std::uint8_t* mark = map.view + kTamrecDirFileNameOffset;
        const bool ra = mark[0] == 'R' && mark[1] == 'A';
        const bool ar = mark[0] == 'A' && mark[1] == 'R';
        if (ra || ar) {
            ws.info_swap = ar ? 1 : 0;
            const std::uint64_t records = map.size / kTamrecDirRecordSize;
            for (std::uint64_t r = 0; ok && r < records; ++r) {
                const std::uint8_t* rec = map.view + r * kTamrecDirRecordSize;
                CByteCursor c({rec, kTamrecDirRecordSize});
                const std::string name = Lower(FieldText(rec, 32));
                std::uint8_t stored[8];
                std::memcpy(stored, rec + kTamrecDirFileNameOffset, sizeof stored);
                // A little-endian directory keeps its file names in swapped byte pairs.
                if (!ws.info_swap) tamrec_swap_bytes(stored, 4, 2);
                const std::string file_name = Lower(FieldText(stored, sizeof stored));
                c.Seek(kTamrecDirItemCountOffset);
                const std::int32_t item_count = I16(c, ws.info_swap);
                const std::int32_t record_length = I16(c, ws.info_swap);
                c.Seek(kTamrecDirDeletedOffset);
                const bool deleted = I16(c, ws.info_swap) != 0;
                const std::size_t dot = name.find('.');
                if (deleted || dot == std::string::npos) continue;
                const std::string table_kind = name.substr(dot + 1);
                if (table_kind != "aat" && table_kind != "pat") continue;
                tamrec_info_field_description* items = nullptr;
                bool no_memory = false;
                if (!ReadItems(info, ws, file_name, item_count, &items, &no_memory)) {
                    ok = !no_memory;
                    continue;
                }
                tamrec_table_entry* entry = EntryFor(ws, name.substr(0, dot));
                if (entry == nullptr) {
                    FreeItems(items, item_count);
                    ok = false;
                    break;
                }
                const bool aat = table_kind == "aat";
                tamrec_info_field_description*& slot = aat ? entry->aat_items : entry->pat_items;
                std::int32_t& count = aat ? entry->aat_item_count : entry->pat_item_count;
                FreeItems(slot, count);
                slot = items;
                count = item_count;
                (aat ? entry->aat_record_length : entry->pat_record_length) = record_length;
            }
        }
    }
    funmap(&map);
    return ok;
}

void FreeWorkspace(tamrec_workspace* ws) {
    for (std::int32_t i = 0; i < ws->table_count; ++i) {
        tamrec_table_entry& entry = ws->tables[i];
        tamrec_free(entry.cover_name);
        FreeItems(entry.aat_items, entry.aat_item_count);
        FreeItems(entry.pat_items, entry.pat_item_count);
    }
    tamrec_free(ws->tables);
    tamrec_free(ws->path);
    tamrec_free(ws);
}

}  // namespace

void tamrecinternal::FreeItems(tamrec_info_field_description* items, std::int32_t count) {
    if (items == nullptr) return;
    for (std::int32_t i = 0; i < count; ++i) {
        tamrec_free(items[i].name);
        if (items[i].type >= kTamrecItemDate && items[i].type <= kTamrecItemNumberText)
            tamrec_free(items[i].value.text);
    }
    tamrec_free(items);
}

int tamrec_open_ws(const char* path, tamrec_workspace** workspace) {
    if (workspace == nullptr || *workspace != nullptr)
        return Fail("tamrec_lib: tamrec_open_ws() handed a non-NULL ptr\n");
    std::string where = path == nullptr ? "" : path;
    tamrec_to_slashes(where.data());
    if (!tamrec_exists(where.c_str()))
        return Fail("tamrec_lib: tamrec_open_ws() workspace directory does not exist\n");
    if (!tamrec_is_directory(where.c_str()))
        return Fail("tamrec_lib: tamrec_open_ws() workspace path is not all directories\n");

    int count = 0;
    char** entries = get_directory_list(where.c_str(), nullptr, &count, 0, 0);
    if (entries == nullptr) return 1;
    if (count == 0) {
        tamrec_free_list(entries);
        return Fail("tamrec_lib: tamrec_open_ws() workspace has no coverages\n");
    }
    bool table_form = false;
    for (char** e = entries; *e != nullptr && !table_form; ++e) {
        const std::string entry = JoinPath(where, *e);
        table_form = tamrec_is_directory(entry.c_str()) && HoldsTableForm(entry);
    }
    tamrec_free_list(entries);

    char* info = tamrec_find_file(where.c_str(), kTamrecInfoDirectory);
    const bool has_info = info != nullptr && tamrec_is_directory(info);
    if (!has_info && !table_form) {
        tamrec_free(info);
        return Fail("tamrec_lib: tamrec_open_ws() workspace is not a dbf coverage\n");
    }
    auto* ws = static_cast<tamrec_workspace*>(tamrec_alloc(sizeof(tamrec_workspace)));
    if (ws == nullptr || (ws->path = tamrec_strdup(where.c_str())) == nullptr) {
        if (ws != nullptr) FreeWorkspace(ws);
        tamrec_free(info);
        return 1;
    }
    ws->has_info = has_info;
    ws->table_form = table_form;
    const bool ok = !has_info || ReadInfoDirectory(*ws, info);
    tamrec_free(info);
    if (!ok) {
        FreeWorkspace(ws);
        return 1;
    }
    *workspace = ws;
    return 0;
}

int tamrec_close_ws(tamrec_workspace** workspace) {
    if (workspace == nullptr || *workspace == nullptr) return 1;
    tamrec_workspace* ws = *workspace;
    while (ws->first_cover != nullptr) {
        tamrec_cover* cover = ws->first_cover;
        tamrec_close_cover(&cover);
    }
    FreeWorkspace(ws);
    *workspace = nullptr;
    return 0;
}
