// A /KEY, /NAME or /LINK template: items separated by '/', each a literal
// ("TEXT:..."), a column by name ("COL:name[@table]") or a column by number
// ("3[@table]"); "//" stands for a '/' inside an item. Composing concatenates
// the literals and the object's column values in template order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/AttributeTable.h"

enum EColKeyKind : int {
    kColKeyEnd = 0,
    kColKeyColumnByName = 1,
    kColKeyColumnByNumber = 2,
    kColKeyText = 3,
};

struct CColKeyItem {
    std::string text;  // the literal, or the column's name
    EColKeyKind kind = kColKeyEnd;
    int column = -1;    // 1-based once resolved; -1 for literals
    std::string table;  // empty: the only table, until resolved
};

class CColKeyTemplate {
public:
    static constexpr int kMaxItems = 12;

    // Takes at most kMaxItems items of the text; the rest is ignored.
    void Parse(std::string_view text);
    // Resolves every column item against the tables: names become numbers,
    // empty table names the only table's. kLoaderBadColumnOrTable when a
    // table or column is missing, or there are no tables.
    Status Validate(const CTableSet* tables);

    bool IsEmpty() const { return items_.empty(); }
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    int GetColumnCount() const { return columnCount_; }
    const std::vector<CColKeyItem>& GetItems() const { return items_; }

private:
    std::vector<CColKeyItem> items_;
    int columnCount_ = 0;
};

// The values of one object's rows, by table, for composing templates.
class CTemplateRows {
public:
    // Sets the table's values; a table without a row for the object gets none.
    void SetRow(const std::string& table, std::vector<std::string> values);
    bool Has(const std::string& table) const;
    // The value of a resolved column; null when the table is unknown. A table
    // without a row for the object reads as empty texts.
    const std::string* Find(const std::string& table, int column) const;
    void Clear() { rows_.clear(); }

private:
    struct Row {
        std::string table;
        std::vector<std::string> values;
    };
    std::vector<Row> rows_;
};

// The template's text for the object. kLoaderBadColumnOrTable when a column
// item has no value (a table or column went missing).
Status ComposeTemplate(const CColKeyTemplate& templ, const CTemplateRows& rows, std::string& text);
