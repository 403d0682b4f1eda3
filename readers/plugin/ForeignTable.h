// One attribute table of a plug-in as a loader table: its schema from the
// table's columns, and for each object the row whose key column holds the
// object's key (the last key column, else the first column), compared as
// text, exactly. The rows are read and indexed by key at the first lookup,
// so a lookup costs the same whatever the size of the table.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "foreign/Foreign.h"
#include "loader/core/AttributeTable.h"

class CForeignTable final : public CAttributeSource {
public:
    // `position` is the table's place in the reader's table sequence.
    CForeignTable(const char* name, const CFgnTbl* table, CFgnReader* reader, int position);

    // 0 with the row's values appended; 1 when no row holds the key;
    // kWlxReadError when the plug-in fails while the rows are read.
    Status FillRow(const char* key, CTableRow& row) override;

    std::size_t GetColumnCount() const { return types_.size(); }

private:
    Status BuildIndex();

    std::vector<TFgnClmnType> types_;
    CFgnReader* reader_;
    int position_;
    std::size_t keyColumn_ = 0;
    bool indexed_ = false;
    Status indexStatus_ = 0;
    // Each row's values as the loader appends them; the first row of a key counts.
    std::vector<std::vector<CFieldValue>> rows_;
    std::unordered_map<std::string, std::size_t> rowOfKey_;
};
