// Attribute tables as the contract's table classes: typed columns, rows of
// typed values, the layers a table is linked to; and the writer's compiled
// form that finds an element's rows by its key and layer.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foreign/Foreign.h"

// One value of a row: Int2, Int4, Float, Dbl, Dte or Char (text), Lgcl.
using DgnValue = std::variant<std::int16_t, std::int32_t, float, double, std::string, char>;

template <class Base>
class CDgnTblClmnOf : public Base {
public:
    CDgnTblClmnOf(char const* name, TFgnBool key, TFgnBool indexed)
        : name_(name ? name : ""), key_(key), indexed_(indexed) {}
    TFgnBool GetIndexed(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return indexed_;
    }
    TFgnBool GetKey(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return key_;
    }
    char const* GetName(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return name_.c_str();
    }

private:
    std::string name_;
    TFgnBool key_, indexed_;
};

template <class Base>
class CDgnTblClmnSized : public CDgnTblClmnOf<Base> {
public:
    CDgnTblClmnSized(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width = 8,
                     std::int16_t decimals = 8)
        : CDgnTblClmnOf<Base>(name, key, indexed), width_(width), decimals_(decimals) {}
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return width_;
    }
    std::int16_t Decimals() const { return decimals_; }

private:
    std::int16_t width_, decimals_;
};

template <class Base>
class CDgnTblClmnReal : public CDgnTblClmnSized<Base> {
public:
    using CDgnTblClmnSized<Base>::CDgnTblClmnSized;
    std::int16_t GetDecimal(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->Decimals();
    }
};

using CDgnTblClmnInt2 = CDgnTblClmnOf<CFgnTblClmnInt2>;
using CDgnTblClmnInt4 = CDgnTblClmnOf<CFgnTblClmnInt4>;
using CDgnTblClmnDte = CDgnTblClmnOf<CFgnTblClmnDte>;
using CDgnTblClmnLgcl = CDgnTblClmnOf<CFgnTblClmnLgcl>;
using CDgnTblClmnChar = CDgnTblClmnSized<CFgnTblClmnChar>;
using CDgnTblClmnFloat = CDgnTblClmnReal<CFgnTblClmnFloat>;
using CDgnTblClmnDbl = CDgnTblClmnReal<CFgnTblClmnDbl>;

// A value object of a row; text values are kept as copies.
template <class Base, class T, class Stored = T>
class CDgnTblDataOf : public Base {
public:
    CDgnTblDataOf() = default;
    explicit CDgnTblDataOf(Stored value) : value_(std::move(value)) {}
    T GetData(TFgnFmtErr& err) const override {
        err = kFgnOk;
        if constexpr (std::is_same_v<Stored, std::string>)
            return value_.c_str();
        else
            return value_;
    }
    void SetData(Stored value) { value_ = std::move(value); }

private:
    Stored value_{};
};

using CDgnTblDataInt2 = CDgnTblDataOf<CFgnTblDataInt2, std::int16_t>;
using CDgnTblDataInt4 = CDgnTblDataOf<CFgnTblDataInt4, std::int32_t>;
using CDgnTblDataFloat = CDgnTblDataOf<CFgnTblDataFloat, float>;
using CDgnTblDataDbl = CDgnTblDataOf<CFgnTblDataDbl, double>;
using CDgnTblDataDte = CDgnTblDataOf<CFgnTblDataDte, char const*, std::string>;
using CDgnTblDataChar = CDgnTblDataOf<CFgnTblDataChar, char const*, std::string>;
using CDgnTblDataLgcl = CDgnTblDataOf<CFgnTblDataLgcl, char>;

// A table: columns in the order added, rows of one value per column. Values
// are held column by column; the row list that GetCurrentRow hands out is
// one set of value objects refilled for the row at the cursor. A table owns
// what it holds and is not copied.
class CDgnTbl : public CFgnTbl {
public:
    // A table of every layer.
    CDgnTbl() : CDgnTbl("", kFgnTrue) {}
    CDgnTbl(char const* name, TFgnBool allLayers);
    CDgnTbl(const CDgnTbl&) = delete;
    CDgnTbl& operator=(const CDgnTbl&) = delete;
    ~CDgnTbl() override;

    // Appends a copy unless the table is of every layer.
    TFgnFmtErr LinkLayer(char const* layer) override;
    // 1 once a row was added or opened.
    TFgnFmtErr AddClmnChar(char const* name, TFgnBool key, TFgnBool indexed,
                           std::int16_t width) override;
    TFgnFmtErr AddClmnDbl(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                          std::int16_t decimals) override;
    TFgnFmtErr AddClmnDte(char const* name, TFgnBool key, TFgnBool indexed) override;
    TFgnFmtErr AddClmnFloat(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                            std::int16_t decimals) override;
    TFgnFmtErr AddClmnInt2(char const* name, TFgnBool key, TFgnBool indexed) override;
    TFgnFmtErr AddClmnInt4(char const* name, TFgnBool key, TFgnBool indexed) override;
    TFgnFmtErr AddClmnLgcl(char const* name, TFgnBool key, TFgnBool indexed) override;
    // Opens a row of default values; 1 while one is open or without columns.
    TFgnFmtErr AddRow() override;
    TFgnBool DoneRow(TFgnFmtErr& err) override;
    const std::list<const CFgnTblClmn*>* GetColumns(TFgnFmtErr& err) const override;
    // Null with err 1 past the last row.
    const std::list<const CFgnTblData*>* GetCurrentRow(TFgnFmtErr& err) const override;
    const std::list<char const*>* GetLayers(TFgnFmtErr& err) const override;
    char const* GetName(TFgnFmtErr& err) const override;
    TFgnFmtErr RewindRow() override;
    // 7 in a table without rows.
    TFgnFmtErr StepRow() override;
    // Stores the open row; 1 without one.
    TFgnFmtErr UpdateRow() override;
    // Set a field of the open row by column name (letter case ignored): 1
    // without an open row, or when the first column of that name is of
    // another type.
    TFgnFmtErr SetInt2Field(char const* column, std::int16_t value) override;
    TFgnFmtErr SetInt4Field(char const* column, std::int32_t value) override;
    TFgnFmtErr SetFloatField(char const* column, float value) override;
    TFgnFmtErr SetDblField(char const* column, double value) override;
    TFgnFmtErr SetCharField(char const* column, char const* value) override;
    TFgnFmtErr SetDteField(char const* column, char const* value) override;
    TFgnFmtErr SetLgclField(char const* column, char value) override;

    // The reader's way: a whole row, one value of its column's type per column
    // (1 when it is not).
    TFgnFmtErr AddRow(const std::vector<DgnValue>& row);
    std::size_t RowCount() const { return rowCount_; }

private:
    struct SColumn;
    TFgnFmtErr AddColumn(std::unique_ptr<CFgnTblClmn> column, TFgnClmnType type);
    template <class Column, class... Args>
    TFgnFmtErr AddColumnOf(TFgnClmnType type, Args... args);
    TFgnFmtErr SetField(char const* column, TFgnClmnType type, DgnValue value);
    void FillCurrentRow() const;

    std::vector<SColumn> columns_;
    std::list<const CFgnTblClmn*> columnList_;
    std::string name_;
    std::size_t rowCount_ = 0;
    std::size_t currentRow_ = 0;
    bool rowOpen_ = false;
    std::vector<DgnValue> openRow_;
    std::list<std::string> layerNames_;
    std::list<char const*> layers_;
    TFgnBool allLayers_;
    // The value objects of the row at the cursor.
    mutable std::vector<std::unique_ptr<CFgnTblData>> rowData_;
    mutable std::list<const CFgnTblData*> rowList_;
};

namespace dgn {

// Values as the attribute records of a written design hold them; each
// writes into `buffer` of `size` bytes and returns 0, or 1 when the buffer
// is null, smaller than 1 byte, or the text does not fit.
int IntToText(std::int32_t value, char* buffer, int size);
// "%.*f" with `precision` (0 when negative), cut to `width` characters (at least 1).
int RealToText(double value, int precision, int width, char* buffer, int size);
// "1" for a true (non-zero) byte, "0" for false; the buffer holds at least 6 bytes.
int LogicalToText(char value, char* buffer, int size);

std::string RealText(double value, int precision, int width);
inline std::string LogicalText(char value) {
    return value != 0 ? "1" : "0";
}

}  // namespace dgn

// A table compiled for writing: its rows by the text of their key column,
// its layers, and its columns' types and formats.
class CMapFiltTblRec {
public:
    using Row = std::vector<DgnValue>;

    // Compiles `table` (0; 1 without one; 5 when it is malformed: no name,
    // no columns, an empty layer list, a row that is not one value per
    // column, a column without a type of its own, no key column; 2 when
    // memory runs out).
    TFgnFmtErr Compile(CFgnTbl* table);
    // The rows of the element with `key` on `layer`; null when there are none
    // or the table is not linked to the layer.
    const std::vector<Row>* RowsFor(std::string_view key, std::string_view layer) const;
    // The value of `column` (letter case ignored) of `row` as text: 0; 4 before
    // a compile; 5 without such a column.
    TFgnFmtErr ValueText(const Row& row, std::string_view column, std::string& text) const;

    const std::string& Name() const { return name_; }

private:
    struct SColumnDef {
        std::string name;
        TFgnClmnType type;
        std::int16_t width = 8;
        std::int16_t decimals = 8;
    };
    std::string Text(const DgnValue& value, const SColumnDef& column) const;
    void Clear();

    bool compiled_ = false;
    std::string name_;
    bool allLayers_ = false;
    std::set<std::string> layers_;
    std::vector<SColumnDef> columns_;
    int keyColumn_ = -1;
    std::map<std::string, std::vector<Row>, std::less<>> rows_;
};
