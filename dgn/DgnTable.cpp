#include "dgn/DgnTable.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "dgn/DgnGuard.h"

namespace {

using ColumnValues =
    std::variant<std::vector<std::int16_t>, std::vector<std::int32_t>, std::vector<float>,
                 std::vector<double>, std::vector<std::string>, std::vector<char>>;

// The alternative of DgnValue (and ColumnValues) that holds a column type's values.
std::size_t ValueIndex(TFgnClmnType type) {
    switch (type) {
        case kFgnClmnInt2:
            return 0;
        case kFgnClmnInt4:
            return 1;
        case kFgnClmnFloat:
            return 2;
        case kFgnClmnDbl:
            return 3;
        case kFgnClmnDte:
        case kFgnClmnChar:
            return 4;
        default:
            return 5;
    }
}

bool KnownColumnType(TFgnClmnType type) {
    switch (type) {
        case kFgnClmnInt2:
        case kFgnClmnInt4:
        case kFgnClmnFloat:
        case kFgnClmnDbl:
        case kFgnClmnDte:
        case kFgnClmnChar:
        case kFgnClmnLgcl:
            return true;
        default:
            return false;
    }
}

template <std::size_t... I>
DgnValue DefaultValue(std::size_t index, std::index_sequence<I...>) {
    DgnValue value;
    ((index == I ? (void)value.emplace<I>() : void()), ...);
    return value;
}
DgnValue DefaultValue(TFgnClmnType type) {
    return DefaultValue(ValueIndex(type),
                        std::make_index_sequence<std::variant_size_v<DgnValue>>());
}

template <std::size_t... I>
ColumnValues EmptyValues(std::size_t index, std::index_sequence<I...>) {
    ColumnValues values;
    ((index == I ? (void)values.emplace<I>() : void()), ...);
    return values;
}

template <std::size_t... I>
void Push(ColumnValues& values, const DgnValue& value, std::index_sequence<I...>) {
    ((value.index() == I ? std::get<I>(values).push_back(std::get<I>(value)) : void()), ...);
}

template <std::size_t... I>
DgnValue At(const ColumnValues& values, std::size_t row, std::index_sequence<I...>) {
    DgnValue value;
    ((values.index() == I ? (void)value.emplace<I>(std::get<I>(values)[row]) : void()), ...);
    return value;
}

constexpr auto kAlternatives = std::make_index_sequence<std::variant_size_v<DgnValue>>();

std::unique_ptr<CFgnTblData> MakeData(TFgnClmnType type) {
    switch (type) {
        case kFgnClmnInt2:
            return std::make_unique<CDgnTblDataInt2>();
        case kFgnClmnInt4:
            return std::make_unique<CDgnTblDataInt4>();
        case kFgnClmnFloat:
            return std::make_unique<CDgnTblDataFloat>();
        case kFgnClmnDbl:
            return std::make_unique<CDgnTblDataDbl>();
        case kFgnClmnDte:
            return std::make_unique<CDgnTblDataDte>();
        case kFgnClmnChar:
            return std::make_unique<CDgnTblDataChar>();
        default:
            return std::make_unique<CDgnTblDataLgcl>();
    }
}

void SetData(CFgnTblData& data, TFgnClmnType type, const DgnValue& value) {
    switch (type) {
        case kFgnClmnInt2:
            static_cast<CDgnTblDataInt2&>(data).SetData(std::get<0>(value));
            break;
        case kFgnClmnInt4:
            static_cast<CDgnTblDataInt4&>(data).SetData(std::get<1>(value));
            break;
        case kFgnClmnFloat:
            static_cast<CDgnTblDataFloat&>(data).SetData(std::get<2>(value));
            break;
        case kFgnClmnDbl:
            static_cast<CDgnTblDataDbl&>(data).SetData(std::get<3>(value));
            break;
        case kFgnClmnDte:
            static_cast<CDgnTblDataDte&>(data).SetData(std::get<4>(value));
            break;
        case kFgnClmnChar:
            static_cast<CDgnTblDataChar&>(data).SetData(std::get<4>(value));
            break;
        default:
            static_cast<CDgnTblDataLgcl&>(data).SetData(std::get<5>(value));
            break;
    }
}

// The value a contract value object holds, read as its column's type.
DgnValue ValueOf(const CFgnTblData& data, TFgnClmnType type) {
    TFgnFmtErr err;
    switch (type) {
        case kFgnClmnInt2:
            return static_cast<const CFgnTblDataInt2&>(data).GetData(err);
        case kFgnClmnInt4:
            return static_cast<const CFgnTblDataInt4&>(data).GetData(err);
        case kFgnClmnFloat:
            return static_cast<const CFgnTblDataFloat&>(data).GetData(err);
        case kFgnClmnDbl:
            return static_cast<const CFgnTblDataDbl&>(data).GetData(err);
        case kFgnClmnDte: {
            char const* text = static_cast<const CFgnTblDataDte&>(data).GetData(err);
            return std::string(text ? text : "");
        }
        case kFgnClmnChar: {
            char const* text = static_cast<const CFgnTblDataChar&>(data).GetData(err);
            return std::string(text ? text : "");
        }
        default:
            return static_cast<const CFgnTblDataLgcl&>(data).GetData(err);
    }
}

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return folded;
}

int CopyText(const std::string& text, char* buffer, int size) {
    if (!buffer || size < 1 || text.size() + 1 > std::size_t(size)) return 1;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

}  // namespace

struct CDgnTbl::SColumn {
    std::unique_ptr<CFgnTblClmn> def;
    TFgnClmnType type;
    std::string foldedName;
    ColumnValues values;
};

CDgnTbl::CDgnTbl(char const* name, TFgnBool allLayers)
    : name_(name ? name : ""), allLayers_(allLayers) {
    SetComplete();
}

CDgnTbl::~CDgnTbl() = default;

TFgnFmtErr CDgnTbl::LinkLayer(char const* layer) {
    return dgn::GuardStatus([&] {
        if (allLayers_ || !layer) return kFgnOk;
        layers_.push_back(layerNames_.emplace_back(layer).c_str());
        return kFgnOk;
    });
}

TFgnFmtErr CDgnTbl::AddColumn(std::unique_ptr<CFgnTblClmn> column, TFgnClmnType type) {
    if (rowCount_ > 0 || rowOpen_) return kFgnIncomplete;
    TFgnFmtErr err;
    std::string folded = Fold(column->GetName(err));
    columnList_.push_back(column.get());
    columns_.push_back(
        {std::move(column), type, std::move(folded), EmptyValues(ValueIndex(type), kAlternatives)});
    rowData_.clear();
    rowList_.clear();
    return kFgnOk;
}

template <class Column, class... Args>
TFgnFmtErr CDgnTbl::AddColumnOf(TFgnClmnType type, Args... args) {
    return dgn::GuardStatus([&] { return AddColumn(std::make_unique<Column>(args...), type); });
}

TFgnFmtErr CDgnTbl::AddClmnChar(char const* name, TFgnBool key, TFgnBool indexed,
                                std::int16_t width) {
    return AddColumnOf<CDgnTblClmnChar>(kFgnClmnChar, name, key, indexed, width);
}
TFgnFmtErr CDgnTbl::AddClmnDbl(char const* name, TFgnBool key, TFgnBool indexed, std::int16_t width,
                               std::int16_t decimals) {
    return AddColumnOf<CDgnTblClmnDbl>(kFgnClmnDbl, name, key, indexed, width, decimals);
}
TFgnFmtErr CDgnTbl::AddClmnDte(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddColumnOf<CDgnTblClmnDte>(kFgnClmnDte, name, key, indexed);
}
TFgnFmtErr CDgnTbl::AddClmnFloat(char const* name, TFgnBool key, TFgnBool indexed,
                                 std::int16_t width, std::int16_t decimals) {
    return AddColumnOf<CDgnTblClmnFloat>(kFgnClmnFloat, name, key, indexed, width, decimals);
}
TFgnFmtErr CDgnTbl::AddClmnInt2(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddColumnOf<CDgnTblClmnInt2>(kFgnClmnInt2, name, key, indexed);
}
TFgnFmtErr CDgnTbl::AddClmnInt4(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddColumnOf<CDgnTblClmnInt4>(kFgnClmnInt4, name, key, indexed);
}
TFgnFmtErr CDgnTbl::AddClmnLgcl(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddColumnOf<CDgnTblClmnLgcl>(kFgnClmnLgcl, name, key, indexed);
}

TFgnFmtErr CDgnTbl::AddRow() {
    return dgn::GuardStatus([&] {
        if (rowOpen_ || columns_.empty()) return kFgnIncomplete;
        openRow_.clear();
        for (const SColumn& column : columns_) openRow_.push_back(DefaultValue(column.type));
        rowOpen_ = true;
        return kFgnOk;
    });
}

TFgnFmtErr CDgnTbl::AddRow(const std::vector<DgnValue>& row) {
    if (row.size() != columns_.size()) return kFgnIncomplete;
    for (std::size_t i = 0; i < row.size(); ++i)
        if (row[i].index() != ValueIndex(columns_[i].type)) return kFgnIncomplete;
    return dgn::GuardStatus([&] {
        for (std::size_t i = 0; i < row.size(); ++i)
            Push(columns_[i].values, row[i], kAlternatives);
        ++rowCount_;
        return kFgnOk;
    });
}

TFgnFmtErr CDgnTbl::UpdateRow() {
    if (!rowOpen_) return kFgnIncomplete;
    rowOpen_ = false;
    const TFgnFmtErr status = AddRow(openRow_);
    openRow_.clear();
    return status;
}

TFgnFmtErr CDgnTbl::SetField(char const* column, TFgnClmnType type, DgnValue value) {
    if (!rowOpen_ || !column) return kFgnIncomplete;
    return dgn::GuardStatus([&] {
        const std::string name = Fold(column);
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].foldedName != name) continue;
            if (columns_[i].type != type) return kFgnIncomplete;
            openRow_[i] = std::move(value);
            return kFgnOk;
        }
        return kFgnIncomplete;
    });
}

TFgnFmtErr CDgnTbl::SetInt2Field(char const* column, std::int16_t value) {
    return SetField(column, kFgnClmnInt2, value);
}
TFgnFmtErr CDgnTbl::SetInt4Field(char const* column, std::int32_t value) {
    return SetField(column, kFgnClmnInt4, value);
}
TFgnFmtErr CDgnTbl::SetFloatField(char const* column, float value) {
    return SetField(column, kFgnClmnFloat, value);
}
TFgnFmtErr CDgnTbl::SetDblField(char const* column, double value) {
    return SetField(column, kFgnClmnDbl, value);
}
TFgnFmtErr CDgnTbl::SetCharField(char const* column, char const* value) {
    return dgn::GuardStatus(
        [&] { return SetField(column, kFgnClmnChar, std::string(value ? value : "")); });
}
TFgnFmtErr CDgnTbl::SetDteField(char const* column, char const* value) {
    return dgn::GuardStatus(
        [&] { return SetField(column, kFgnClmnDte, std::string(value ? value : "")); });
}
TFgnFmtErr CDgnTbl::SetLgclField(char const* column, char value) {
    return SetField(column, kFgnClmnLgcl, value);
}

TFgnBool CDgnTbl::DoneRow(TFgnFmtErr& err) {
    err = kFgnOk;
    return FgnBool(currentRow_ >= rowCount_);
}

const std::list<const CFgnTblClmn*>* CDgnTbl::GetColumns(TFgnFmtErr& err) const {
    err = kFgnOk;
    return &columnList_;
}

void CDgnTbl::FillCurrentRow() const {
    if (rowData_.size() != columns_.size()) {
        rowData_.clear();
        rowList_.clear();
        for (const SColumn& column : columns_) {
            rowData_.push_back(MakeData(column.type));
            rowList_.push_back(rowData_.back().get());
        }
    }
    for (std::size_t i = 0; i < columns_.size(); ++i)
        SetData(*rowData_[i], columns_[i].type, At(columns_[i].values, currentRow_, kAlternatives));
}

const std::list<const CFgnTblData*>* CDgnTbl::GetCurrentRow(TFgnFmtErr& err) const {
    if (currentRow_ >= rowCount_) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return dgn::GuardValue(err, static_cast<const std::list<const CFgnTblData*>*>(nullptr), [&] {
        FillCurrentRow();
        return &rowList_;
    });
}

const std::list<char const*>* CDgnTbl::GetLayers(TFgnFmtErr& err) const {
    if (allLayers_) {
        err = kFgnAllLayers;
        return nullptr;
    }
    err = kFgnOk;
    return &layers_;
}

char const* CDgnTbl::GetName(TFgnFmtErr& err) const {
    err = kFgnOk;
    return name_.c_str();
}

TFgnFmtErr CDgnTbl::RewindRow() {
    currentRow_ = 0;
    return kFgnOk;
}

TFgnFmtErr CDgnTbl::StepRow() {
    if (rowCount_ == 0) return kFgnNotLoaded;
    if (currentRow_ < rowCount_) ++currentRow_;
    return kFgnOk;
}

namespace dgn {

int IntToText(std::int32_t value, char* buffer, int size) {
    char text[16];
    return CopyText(std::string(text, std::to_chars(text, text + sizeof text, value).ptr), buffer,
                    size);
}

std::string RealText(double value, int precision, int width) {
    std::vector<char> text(400 + std::size_t(std::max(precision, 0)));
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, std::max(precision, 0))
                         .ptr;
    return std::string(text.data(), std::min<std::size_t>(end - text.data(), std::max(width, 1)));
}

int RealToText(double value, int precision, int width, char* buffer, int size) {
    return CopyText(RealText(value, precision, width), buffer, size);
}

int LogicalToText(char value, char* buffer, int size) {
    if (size < 6) return 1;
    return CopyText(LogicalText(value), buffer, size);
}

}  // namespace dgn

void CMapFiltTblRec::Clear() {
    compiled_ = false;
    name_.clear();
    allLayers_ = false;
    layers_.clear();
    columns_.clear();
    keyColumn_ = -1;
    rows_.clear();
}

std::string CMapFiltTblRec::Text(const DgnValue& value, const SColumnDef& column) const {
    switch (column.type) {
        case kFgnClmnInt2:
            return std::to_string(std::get<0>(value));
        case kFgnClmnInt4:
            return std::to_string(std::get<1>(value));
        case kFgnClmnFloat:
            return dgn::RealText(std::get<2>(value), column.decimals, column.width);
        case kFgnClmnDbl:
            return dgn::RealText(std::get<3>(value), column.decimals, column.width);
        case kFgnClmnDte:
        case kFgnClmnChar:
            return std::get<4>(value);
        default:
            return dgn::LogicalText(std::get<5>(value));
    }
}

TFgnFmtErr CMapFiltTblRec::Compile(CFgnTbl* source) {
    if (!source) return kFgnIncomplete;
    Clear();
    CFgnTbl& table = *source;
    const TFgnFmtErr status = dgn::GuardStatus([&] {
        TFgnFmtErr err;
        char const* name = table.GetName(err);
        if (err != kFgnOk || !name) return kFgnInconsistent;
        name_ = name;
        const std::list<char const*>* layers = table.GetLayers(err);
        if (err == kFgnAllLayers) {
            allLayers_ = true;
        } else {
            if (err != kFgnOk || !layers || layers->empty()) return kFgnInconsistent;
            for (char const* layer : *layers)
                if (layer) layers_.insert(layer);
        }
        const std::list<const CFgnTblClmn*>* columns = table.GetColumns(err);
        if (err != kFgnOk || !columns || columns->empty()) return kFgnInconsistent;
        for (const CFgnTblClmn* column : *columns) {
            if (!column) return kFgnInconsistent;
            SColumnDef def{"", column->GetType(err)};
            char const* columnName = column->GetName(err);
            def.name = columnName ? columnName : "";
            if (def.type == kFgnClmnChar) {
                def.width = static_cast<const CFgnTblClmnChar*>(column)->GetWidth(err);
            } else if (def.type == kFgnClmnFloat) {
                def.width = static_cast<const CFgnTblClmnFloat*>(column)->GetWidth(err);
                def.decimals = static_cast<const CFgnTblClmnFloat*>(column)->GetDecimal(err);
            } else if (def.type == kFgnClmnDbl) {
                def.width = static_cast<const CFgnTblClmnDbl*>(column)->GetWidth(err);
                def.decimals = static_cast<const CFgnTblClmnDbl*>(column)->GetDecimal(err);
            }
            if (column->GetKey(err)) keyColumn_ = static_cast<int>(columns_.size());
            columns_.push_back(std::move(def));
        }
        table.RewindRow();
        while (!table.DoneRow(err)) {
            const std::list<const CFgnTblData*>* values = table.GetCurrentRow(err);
            if (err != kFgnOk || !values || values->size() != columns_.size() || keyColumn_ < 0)
                return kFgnInconsistent;
            Row row;
            std::size_t i = 0;
            for (const CFgnTblData* data : *values) {
                if (!data || !KnownColumnType(columns_[i].type)) return kFgnInconsistent;
                row.push_back(ValueOf(*data, columns_[i++].type));
            }
            std::string key = Text(row[std::size_t(keyColumn_)], columns_[std::size_t(keyColumn_)]);
            rows_[std::move(key)].push_back(std::move(row));
            table.StepRow();
        }
        return kFgnOk;
    });
    if (status != kFgnOk) {
        Clear();
        return status;
    }
    compiled_ = true;
    return kFgnOk;
}

const std::vector<CMapFiltTblRec::Row>* CMapFiltTblRec::RowsFor(std::string_view key,
                                                                std::string_view layer) const {
    if (!compiled_) return nullptr;
    if (!allLayers_ && layers_.find(std::string(layer)) == layers_.end()) return nullptr;
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : &found->second;
}

TFgnFmtErr CMapFiltTblRec::ValueText(const Row& row, std::string_view column,
                                     std::string& text) const {
    if (!compiled_) return kFgnNotImplemented;
    const std::string name = Fold(column);
    for (std::size_t i = 0; i < columns_.size() && i < row.size(); ++i) {
        if (Fold(columns_[i].name) != name) continue;
        return dgn::GuardStatus([&] {
            text = Text(row[i], columns_[i]);
            return kFgnOk;
        });
    }
    return kFgnInconsistent;
}
