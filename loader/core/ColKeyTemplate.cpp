#include "loader/core/ColKeyTemplate.h"

#include "loader/core/Utf8Text.h"

namespace {

// atoi: blanks, an optional sign and the digits that follow; 0 when none.
int LeadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && value < 1000000000)
        value = value * 10 + (s[i++] - '0');
    return static_cast<int>(negative ? -value : value);
}

CColKeyItem MakeItem(std::string_view text) {
    CColKeyItem item;
    if (StartsWithNoCase(text, "TEXT:")) {
        item.kind = kColKeyText;
        item.text = text.substr(text.find(':') + 1);
        return item;
    }
    std::string_view column = text;
    if (StartsWithNoCase(text, "COL:")) {
        item.kind = kColKeyColumnByName;
        item.column = 0;
        column = text.substr(text.find(':') + 1);
    } else {
        item.kind = kColKeyColumnByNumber;
    }
    if (const auto at = column.find('@'); at != std::string_view::npos) {
        item.table = column.substr(at + 1);
        column = column.substr(0, at);
    }
    if (item.kind == kColKeyColumnByName)
        item.text = column;
    else
        item.column = LeadingNumber(column);
    return item;
}

}  // namespace

void CColKeyTemplate::Parse(std::string_view text) {
    items_.clear();
    columnCount_ = 0;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);

    std::string current;
    const auto finish = [&] {
        // "a/" or a leading '/' leave an empty piece, which is no item.
        if (!current.empty() && static_cast<int>(items_.size()) < kMaxItems)
            items_.push_back(MakeItem(current));
        current.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '/') {
            current.push_back(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == '/') {
            current.push_back('/');
            ++i;
        } else {
            finish();
        }
    }
    finish();
    for (const auto& item : items_)
        if (item.kind != kColKeyText) ++columnCount_;
}

Status CColKeyTemplate::Validate(const CTableSet* tables) {
    for (auto& item : items_) {
        if (item.kind == kColKeyText) continue;
        if (!tables) return kLoaderBadColumnOrTable;
        if (item.kind == kColKeyColumnByName) {
            if (const Status status = tables->ResolveColumn(item.table, item.text, item.column))
                return status;
            continue;
        }
        if (!tables->IsValidColumn(item.table, item.column)) return kLoaderBadColumnOrTable;
        if (item.table.empty()) item.table = tables->GetTables().front()->GetName();
    }
    return 0;
}

void CTemplateRows::SetRow(const std::string& table, std::vector<std::string> values) {
    for (auto& row : rows_) {
        if (EqualNoCase(row.table, table)) {
            row.values = std::move(values);
            return;
        }
    }
    rows_.push_back(Row{table, std::move(values)});
}

bool CTemplateRows::Has(const std::string& table) const {
    for (const auto& row : rows_)
        if (EqualNoCase(row.table, table)) return true;
    return false;
}

const std::string* CTemplateRows::Find(const std::string& table, int column) const {
    static const std::string empty;
    for (const auto& row : rows_) {
        if (!EqualNoCase(row.table, table)) continue;
        if (column < 1) return nullptr;
        // A row shorter than its schema reads as empty beyond its end.
        if (static_cast<std::size_t>(column) > row.values.size()) return &empty;
        return &row.values[column - 1];
    }
    return nullptr;
}

Status ComposeTemplate(const CColKeyTemplate& templ, const CTemplateRows& rows, std::string& text) {
    text.clear();
    for (const auto& item : templ.GetItems()) {
        if (item.kind == kColKeyText) {
            text += item.text;
            continue;
        }
        const std::string* value = rows.Find(item.table, item.column);
        if (!value) return kLoaderBadColumnOrTable;
        text += *value;
    }
    return 0;
}
