#include "loader/core/TableWriter.h"

#include <filesystem>
#include <fstream>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileNames.h"
#include "loader/core/Messages.h"

namespace {

// A value enclosed in quotes: quotes inside are doubled and line feeds become
// blanks, so that a row stays on one line.
void AppendQuoted(std::string& text, std::string_view value, char quote) {
    text.push_back(quote);
    for (char c : value) {
        if (c == '\n') {
            text.push_back(' ');
            continue;
        }
        if (c == quote) text.push_back(quote);
        text.push_back(c);
    }
    text.push_back(quote);
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A decimal literal: sign, digits with an optional point, optional exponent.
bool IsNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == s.size();
}

// The location a row carries with XY: a point's, or a multipoint's first.
Status Location(const CFeatureRecord& record, double& x, double& y) {
    x = y = 0.0;
    IWKBGeometry* geometry = record.PeekGeometry();
    if (!geometry) return 0;
    EWKBGeometryType type{};
    HRESULT hr = geometry->GetType(&type);
    if (Failed(hr)) return hr;
    if (type == kWkbPoint) {
        auto point = ComPtr<IWKBPoint>::QueryFrom(geometry);
        return point ? point->GetXY(&x, &y) : kWlxInvalidObjectType;
    }
    if (type == kWkbMultiPoint) {
        auto points = ComPtr<IWKBMultiPoint>::QueryFrom(geometry);
        if (!points) return kWlxInvalidObjectType;
        WkbLong count = 0;
        if (Failed(hr = points->GetNumPoints(&count))) return hr;
        // An empty multipoint has no location, like any other geometry.
        if (count > 0) return points->GetPointXY(0, &x, &y);
    }
    return 0;
}

// A name as an SQL identifier: quoted, so that a column named like a keyword
// (Order, Group) or holding blanks still loads.
std::string Identifier(std::string_view name) {
    std::string text;
    AppendQuoted(text, name, '"');
    return text;
}

// What an existing file holds, for appending: nothing (or no file at all), or
// text whose last line may lack its end.
enum class FileContent { kNone, kEndsWithLine, kOpenLine };

FileContent ContentOf(const std::string& name) {
    std::error_code error;
    const auto size = std::filesystem::file_size(name, error);
    if (error || size == 0) return FileContent::kNone;
    std::ifstream in(name, std::ios::binary);
    in.seekg(-1, std::ios::end);
    char last = 0;
    in.get(last);
    return last == '\n' ? FileContent::kEndsWithLine : FileContent::kOpenLine;
}

// Opens the file to append to what it holds, or to be written anew (with
// `start` first) when there is nothing to append to. Appended rows begin on a
// line of their own.
Status OpenTableFile(CTextFile& file, bool append, const std::string& start) {
    const FileContent content = append ? ContentOf(file.GetName()) : FileContent::kNone;
    if (content == FileContent::kNone) {
        const Status status = file.OpenWrite(false);
        return status != 0 ? status : file.Write(start);
    }
    const Status status = file.OpenWrite(true);
    return status != 0 || content == FileContent::kEndsWithLine ? status : file.Write("\n");
}

// The text with its "%s" replaced by `name`.
std::string FormatWithName(const CMessage<const char*>& message, std::string_view name) {
    const std::string format = LoadMessage(message.Id());
    std::string text;
    const auto at = format.find("%s");
    if (at == std::string::npos) return format;
    text.append(format, 0, at);
    text.append(name);
    text.append(format, at + 2);
    return text;
}

}  // namespace

CTableWriter::CTableWriter(std::string_view tableName, const CTableSchema& source, bool xy,
                           bool append)
    : CAttributeTable(tableName), xy_(xy), append_(append) {
    CTableSchema& schema = GetSchema();
    schema.AddColumn("TessaranKey", 255, 0, kColumnText);
    if (xy_) {
        schema.AddColumn("LocationX", 20, 8, kColumnDouble);
        schema.AddColumn("LocationY", 20, 8, kColumnDouble);
    }
    for (const auto& column : source.GetColumns())
        schema.AddColumn(column.name, column.width, column.decimals, column.type);
}

std::string CTableWriter::TableDefinition() const {
    std::string text = "CREATE TABLE " + Identifier(GetName()) + " (\n";
    bool first = true;
    for (const auto& column : GetSchema().GetColumns()) {
        if (!first) text += ",\n";
        first = false;
        text += Identifier(column.name);
        switch (column.type) {
            case kColumnText:
                text += " VARCHAR (" + std::to_string(column.width) + ")";
                break;
            case kColumnInt:
            case kColumnLong:
                text += " INT";
                break;
            case kColumnDouble:
                text += " FLOAT";
                break;
            default:
                break;
        }
    }
    text += "\n);\n\n";
    return text;
}

Status CTableWriter::LeadingValues(const CFeatureRecord& record, char quote,
                                   std::string& text) const {
    AppendQuoted(text, record.GetKey(), quote);
    if (!xy_) return 0;
    double x = 0, y = 0;
    if (const Status status = Location(record, x, y)) return status;
    // Formatted as every double value of the tables is.
    text.push_back(',');
    text += MakeDoubleFieldValue(x).GetText();
    text.push_back(',');
    text += MakeDoubleFieldValue(y).GetText();
    return 0;
}

void CTableWriter::AppendRowValues(const CTableRow& row, char quote, bool nullForBadNumbers,
                                   std::string& text) const {
    const auto& columns = GetSchema().GetColumns();
    const std::size_t first = xy_ ? 3 : 1;
    const auto& values = row.GetValues();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t column = first + i;
        const std::string& value = values[i].GetText();
        text.push_back(',');
        if (column >= columns.size() || columns[column].type == kColumnText) {
            AppendQuoted(text, value, quote);
            continue;
        }
        // Numbers go unquoted; what is no number must not break the row.
        const std::string_view number = Trim(value);
        if (IsNumber(number))
            text.append(number);
        else if (nullForBadNumbers)
            text.append("NULL");
        else if (!number.empty())
            AppendQuoted(text, value, quote);
    }
}

CCsvTableWriter::CCsvTableWriter(std::string_view outputName, const CTableSchema& source,
                                 std::string_view tableName, bool xy, bool append)
    : CTableWriter(tableName, source, xy, append),
      sqlFileName_(TableFileName(outputName, tableName, ".sql")),
      csvFileName_(TableFileName(outputName, tableName, ".csv")) {
    definition_ = TableDefinition();
    bool first = true;
    for (const auto& column : GetSchema().GetColumns()) {
        if (!first) header_ += ",";
        first = false;
        header_ += column.name;
    }
    header_ += "\n";
}

Status CCsvTableWriter::Open() {
    opened_ = true;
    csvFile_ = std::make_unique<CTextFile>(csvFileName_);
    // Appended rows go under the definition already written.
    Status status = 0;
    if (!Appending() || ContentOf(sqlFileName_) == FileContent::kNone) {
        sqlFile_ = std::make_unique<CTextFile>(sqlFileName_);
        status = OpenTableFile(*sqlFile_, false, definition_);
    }
    if (status == 0) status = OpenTableFile(*csvFile_, Appending(), header_);
    return status;
}

Status CCsvTableWriter::WriteRow(const CTableRow& row, const CFeatureRecord& record) {
    if (!opened_) openStatus_ = Open();
    if (openStatus_ != 0) return openStatus_;
    std::string line;
    if (const Status status = LeadingValues(record, '"', line)) return status;
    AppendRowValues(row, '"', false, line);
    line.push_back('\n');
    return csvFile_->Write(line);
}

Status CCsvTableWriter::Close() {
    if (!opened_) return 0;
    const Status csv = csvFile_->Close();
    const Status sql = sqlFile_ ? sqlFile_->Close() : 0;
    return openStatus_ != 0 ? openStatus_ : csv != 0 ? csv : sql;
}

CSqlTableWriter::CSqlTableWriter(std::string_view outputName, const CTableSchema& source,
                                 std::string_view tableName, bool xy, bool append)
    : CTableWriter(tableName, source, xy, append),
      insertPrefix_(FormatWithName(kMsgInsertInto, Identifier(GetName()))),
      sqlFileName_(TableFileName(outputName, tableName, ".sql")) {
    definition_ = TableDefinition();
}

Status CSqlTableWriter::Open() {
    opened_ = true;
    sqlFile_ = std::make_unique<CTextFile>(sqlFileName_);
    return OpenTableFile(*sqlFile_, Appending(), definition_);
}

Status CSqlTableWriter::WriteRow(const CTableRow& row, const CFeatureRecord& record) {
    if (!opened_) openStatus_ = Open();
    if (openStatus_ != 0) return openStatus_;
    std::string line = insertPrefix_;
    if (const Status status = LeadingValues(record, '\'', line)) return status;
    AppendRowValues(row, '\'', true, line);
    line += ");\n";
    return sqlFile_->Write(line);
}

Status CSqlTableWriter::Close() {
    if (!opened_) return 0;
    const Status sql = sqlFile_->Close();
    return openStatus_ != 0 ? openStatus_ : sql;
}
