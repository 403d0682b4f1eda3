#include "coverage/plugin/EsriTable.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "coverage/lib/TamrecSupport.h"
#include "coverage/plugin/EsriEntity.h"
#include "coverage/plugin/EsriModule.h"

namespace {

// Longest column name the table presents.
constexpr std::int16_t kColumnNameMax = 64;
constexpr char kNameCharsReplaced[] = ".`[]#";

template <class Interface, class Value>
class CESRITblData final : public Interface {
public:
    explicit CESRITblData(Value value) : value_(value) {}
    Value GetData(TFgnFmtErr&) const override { return value_; }

private:
    Value value_;
};

using CESRITblDataInt2 = CESRITblData<CFgnTblDataInt2, std::int16_t>;
using CESRITblDataInt4 = CESRITblData<CFgnTblDataInt4, std::int32_t>;
using CESRITblDataFloat = CESRITblData<CFgnTblDataFloat, float>;
using CESRITblDataDbl = CESRITblData<CFgnTblDataDbl, double>;
using CESRITblDataLgcl = CESRITblData<CFgnTblDataLgcl, char>;

template <class Interface>
class CESRITblText final : public Interface {
public:
    explicit CESRITblText(const char* text) : text_(text != nullptr ? text : "") {}
    const char* GetData(TFgnFmtErr&) const override { return text_.c_str(); }

private:
    std::string text_;
};

using CESRITblDataChar = CESRITblText<CFgnTblDataChar>;
using CESRITblDataDte = CESRITblText<CFgnTblDataDte>;

// A column of the contract class `Interface` whose name and flags are the
// fields name_, key_ and indexed_ of `Base`.
template <class Interface, class Base>
class CESRINamedClmn : public Interface, public Base {
public:
    using Base::Base;

    TFgnBool GetIndexed(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->indexed_;
    }
    TFgnBool GetKey(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->key_;
    }
    char const* GetName(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->name_.c_str();
    }
    const CFgnTblClmn& Contract() const override { return *this; }
};

// A column of the contract class `Interface` over an item.
template <class Interface>
class CESRITypedClmn : public CESRINamedClmn<Interface, CESRITblClmn> {
public:
    using CESRINamedClmn<Interface, CESRITblClmn>::CESRINamedClmn;
};

class CESRITblClmnInt2 final : public CESRITypedClmn<CFgnTblClmnInt2> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataInt2>(static_cast<std::int16_t>(item_.value.integer));
    }
    std::string GetKeyData(std::int32_t) const override { return EsriKey(item_.value.integer); }
};

class CESRITblClmnInt4 final : public CESRITypedClmn<CFgnTblClmnInt4> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataInt4>(item_.value.integer);
    }
    std::string GetKeyData(std::int32_t) const override { return EsriKey(item_.value.integer); }
};

class CESRITblClmnInt4Char final : public CESRITypedClmn<CFgnTblClmnInt4> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        const long value =
            item_.value.text != nullptr ? std::strtol(item_.value.text, nullptr, 10) : 0;
        return std::make_unique<CESRITblDataInt4>(static_cast<std::int32_t>(value));
    }
};

template <class Interface, class Cell, class Value>
class CESRITblClmnReal final : public CESRITypedClmn<Interface> {
public:
    CESRITblClmnReal(const tamrec_info_field_description& item, const char* coverName)
        : CESRITypedClmn<Interface>(item, coverName) {}
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<Cell>(static_cast<Value>(this->item_.value.real));
    }
    std::int16_t GetDecimal(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return static_cast<std::int16_t>(this->item_.decimals);
    }
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return static_cast<std::int16_t>(this->item_.output_width);
    }
};

using CESRITblClmnFloat = CESRITblClmnReal<CFgnTblClmnFloat, CESRITblDataFloat, float>;
using CESRITblClmnDbl = CESRITblClmnReal<CFgnTblClmnDbl, CESRITblDataDbl, double>;

class CESRITblClmnDblChar final : public CESRITypedClmn<CFgnTblClmnDbl> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        const double value =
            item_.value.text != nullptr ? std::strtod(item_.value.text, nullptr) : 0;
        return std::make_unique<CESRITblDataDbl>(value);
    }
    std::int16_t GetDecimal(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return static_cast<std::int16_t>(item_.decimals);
    }
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return static_cast<std::int16_t>(item_.output_width);
    }
};

class CESRITblClmnDte final : public CESRITypedClmn<CFgnTblClmnDte> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataDte>(item_.value.text);
    }
};

class CESRITblClmnChar final : public CESRITypedClmn<CFgnTblClmnChar> {
public:
    using CESRITypedClmn::CESRITypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataChar>(item_.value.text);
    }
    std::string GetKeyData(std::int32_t) const override {
        return item_.value.text != nullptr ? item_.value.text : "";
    }
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return static_cast<std::int16_t>(item_.output_width);
    }
};

// The column of an item, or null for an item no column presents.
std::unique_ptr<CESRITblClmn> MakeColumn(const tamrec_info_field_description& item,
                                         const char* coverName) {
    switch (item.type) {
        case kTamrecItemBinaryInteger:
            if (item.width == 2) return std::make_unique<CESRITblClmnInt2>(item, coverName);
            if (item.width == 4) return std::make_unique<CESRITblClmnInt4>(item, coverName);
            return nullptr;
        case kTamrecItemIntegerText:
            return std::make_unique<CESRITblClmnInt4Char>(item, coverName);
        case kTamrecItemBinaryFloat:
            if (item.width == 4) return std::make_unique<CESRITblClmnFloat>(item, coverName);
            if (item.width == 8) return std::make_unique<CESRITblClmnDbl>(item, coverName);
            return nullptr;
        case kTamrecItemNumberText:
            return std::make_unique<CESRITblClmnDblChar>(item, coverName);
        case kTamrecItemDate:
            return std::make_unique<CESRITblClmnDte>(item, coverName);
        case kTamrecItemCharacter:
            return std::make_unique<CESRITblClmnChar>(item, coverName);
        default:
            return nullptr;
    }
}

// Longest column name written, in bytes.
constexpr std::int32_t kWriteNameMax = 15;

// Only letters, digits, "_", "$" and "#", at most 15 bytes; a final "_"
// becomes "#".
std::string WriteName(const char* name) {
    std::unique_ptr<char[]> kept(KeepNameChars(name != nullptr ? name : ""));
    if (kept == nullptr) return {};
    std::unique_ptr<char[]> cut(DupStringMax(kept.get(), kWriteNameMax + 1));
    std::string text = cut != nullptr ? cut.get() : "";
    if (!text.empty() && text.back() == '_') text.back() = '#';
    return text;
}

// What a column being written is given.
class CESRIWriteFields : public CESRIWriteClmn {
public:
    CESRIWriteFields(std::string name, TFgnBool key, TFgnBool indexed, std::int16_t width = 0,
                     std::int16_t decimals = 0)
        : name_(std::move(name)),
          key_(key),
          indexed_(indexed),
          width_(width),
          decimals_(decimals) {}

protected:
    std::string name_;
    TFgnBool key_, indexed_;
    std::int16_t width_, decimals_;
};

template <class Interface>
class CESRIWriteTypedClmn : public CESRINamedClmn<Interface, CESRIWriteFields> {
public:
    using CESRINamedClmn<Interface, CESRIWriteFields>::CESRINamedClmn;
};

template <class Interface, class Cell, class Value>
class CESRIWriteNumberClmn final : public CESRIWriteTypedClmn<Interface> {
public:
    using CESRIWriteTypedClmn<Interface>::CESRIWriteTypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<Cell>(Value{});
    }
    std::string KeyText(const CFgnTblData* cell) const override {
        TFgnFmtErr err = kFgnOk;
        const auto* c = dynamic_cast<const Cell*>(cell);
        return c != nullptr ? EsriKey(static_cast<std::int32_t>(c->GetData(err))) : std::string();
    }
};

template <class Interface, class Cell, class Value>
class CESRIWriteRealClmn final : public CESRIWriteTypedClmn<Interface> {
public:
    using CESRIWriteTypedClmn<Interface>::CESRIWriteTypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<Cell>(Value{});
    }
    std::int16_t GetDecimal(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->decimals_;
    }
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return this->width_;
    }
};

class CESRIWriteCharClmn final : public CESRIWriteTypedClmn<CFgnTblClmnChar> {
public:
    using CESRIWriteTypedClmn::CESRIWriteTypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataChar>("");
    }
    std::string KeyText(const CFgnTblData* cell) const override {
        TFgnFmtErr err = kFgnOk;
        const auto* c = dynamic_cast<const CESRITblDataChar*>(cell);
        return c != nullptr ? c->GetData(err) : std::string();
    }
    std::int16_t GetWidth(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return width_;
    }
};

class CESRIWriteDteClmn final : public CESRIWriteTypedClmn<CFgnTblClmnDte> {
public:
    using CESRIWriteTypedClmn::CESRIWriteTypedClmn;
    std::unique_ptr<CFgnTblData> DefaultData() const override {
        return std::make_unique<CESRITblDataDte>("");
    }
};

using CESRIWriteInt2Clmn = CESRIWriteNumberClmn<CFgnTblClmnInt2, CESRITblDataInt2, std::int16_t>;
using CESRIWriteInt4Clmn = CESRIWriteNumberClmn<CFgnTblClmnInt4, CESRITblDataInt4, std::int32_t>;
using CESRIWriteLgclClmn = CESRIWriteNumberClmn<CFgnTblClmnLgcl, CESRITblDataLgcl, char>;
using CESRIWriteFloatClmn = CESRIWriteRealClmn<CFgnTblClmnFloat, CESRITblDataFloat, float>;
using CESRIWriteDblClmn = CESRIWriteRealClmn<CFgnTblClmnDbl, CESRITblDataDbl, double>;

bool StartsWithIgnoringCase(const char* text, const std::string& prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const unsigned char a = static_cast<unsigned char>(text[i]);
        if (a == '\0') return false;
        const unsigned char b = static_cast<unsigned char>(prefix[i]);
        if ((a >= 'a' && a <= 'z' ? a - 32 : a) != (b >= 'a' && b <= 'z' ? b - 32 : b))
            return false;
    }
    return true;
}

}  // namespace

CESRITblClmn::CESRITblClmn(const tamrec_info_field_description& item, const char* coverName)
    : item_(item) {
    const char* itemName = item.name != nullptr ? item.name : "";
    std::unique_ptr<char[]> name(
        ReplaceCharsMax(itemName, kNameCharsReplaced, '_', kColumnNameMax));
    if (name != nullptr) name_ = name.get();
    if (coverName != nullptr &&
        StartsWithIgnoringCase(itemName,
                               std::string(coverName) + EsriMessage(kMsgCoverNumberSuffix)))
        key_ = kFgnTrue;
}

const CFgnTblData* CESRITblClmn::GetData(std::int32_t) {
    lastValue_ = DefaultData();
    return lastValue_.get();
}

std::string CESRITblClmn::GetKeyData(std::int32_t) const {
    return {};
}

bool CESRITbl::CaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

CESRITbl::CESRITbl(TARCTblType type, std::int32_t itemCount, std::int32_t recordCount,
                   const tamrec_info_field_description* items, const char* coverName,
                   tamrec_cover* cover)
    : rowCount_(recordCount), cover_(cover), type_(type) {
    switch (type) {
        case kArcTblPoint:
            layerNames_ = {EsriMessage(kMsgPoints)};
            break;
        case kArcTblPolygonLabel:
            layerNames_ = {EsriMessage(kMsgLabelPoints)};
            break;
        case kArcTblPolygon:
            layerNames_ = {kInternalPolygonsLayer, EsriMessage(kMsgPolygons)};
            break;
        case kArcTblArc:
            layerNames_ = {EsriMessage(kMsgArcs)};
            break;
    }
    if (type >= kArcTblPoint && type <= kArcTblPolygon) name_ = EsriMessage(kMsgPat);
    if (type == kArcTblArc) name_ = EsriMessage(kMsgAat);
    for (const std::string& layer : layerNames_) layers_.push_back(layer.c_str());
    InitializeColumns(coverName, items, items != nullptr ? itemCount : 0);
    SetCurrentRow();
    SetComplete();
}

CESRITbl::CESRITbl(const char* name, TFgnBool allLayers)
    : name_(name != nullptr ? name : ""), writeSide_(true), allLayers_(allLayers) {
    SetComplete();
}

CESRITbl::~CESRITbl() = default;

std::string CESRIWriteClmn::KeyText(const CFgnTblData*) const {
    return {};
}

TFgnFmtErr CESRITbl::AddWriteColumn(std::unique_ptr<CESRIWriteClmn> column, TFgnBool key,
                                    bool mayBeKey) {
    if (!writeSide_) return kFgnIncomplete;
    TFgnFmtErr err = kFgnOk;
    const CFgnTblClmn& contract = column->Contract();
    const TFgnClmnType type = contract.GetType(err);
    rowValid_ = false;
    if (err != kFgnOk) return kFgnOk;
    if (mayBeKey && key == kFgnTrue && keyColumn_ < 0) keyColumn_ = columnCount_;
    // Rows added before the column get its default cells.
    for (std::int32_t r = 0; r < rowCount_; ++r)
        column->cells.push_back(rowOpen_ && r == rowCount_ - 1 ? nullptr : column->DefaultData());
    columns_.push_back(&contract);
    columnIndex_.emplace(contract.GetName(err), columnCount_);
    columnTypes_.push_back(type);
    writeColumns_.push_back(std::move(column));
    ++columnCount_;
    return kFgnOk;
}

void CESRITbl::InitializeColumns(const char* coverName, const tamrec_info_field_description* items,
                                 std::int32_t itemCount) {
    for (std::int32_t i = 0; i < itemCount; ++i) {
        std::unique_ptr<CESRITblClmn> column = MakeColumn(items[i], coverName);
        if (column == nullptr) continue;
        TFgnFmtErr err = kFgnOk;
        const CFgnTblClmn& contract = column->Contract();
        const TFgnClmnType type = contract.GetType(err);
        if (err != kFgnOk) continue;
        if (contract.GetKey(err) == kFgnTrue && keyColumn_ < 0) keyColumn_ = columnCount_;
        columns_.push_back(&contract);
        columnIndex_.emplace(contract.GetName(err), columnCount_);
        columnTypes_.push_back(type);
        columnObjects_.push_back(std::move(column));
        ++columnCount_;
    }
}

TFgnFmtErr CESRITbl::SetCurrentRow() {
    currentCells_.clear();
    hasKey_ = false;
    currentKey_.clear();
    rowValid_ = false;
    if (currentRow_ < 1 || currentRow_ > rowCount_) return kFgnOk;
    if (writeSide_) {
        const auto row = static_cast<std::size_t>(currentRow_ - 1);
        for (const auto& column : writeColumns_) currentCells_.push_back(column->cells[row].get());
        if (keyColumn_ >= 0) {
            const auto& column = writeColumns_[static_cast<std::size_t>(keyColumn_)];
            currentKey_ = column->KeyText(column->cells[row].get());
            hasKey_ = true;
        }
        rowValid_ = true;
        return kFgnOk;
    }
    const int kind = type_ == kArcTblArc ? kTamrecAat : kTamrecPat;
    // A row that cannot be read is no row: its cells would be another row's.
    if (cover_ == nullptr || tamrec_read_record(cover_, kind, currentRow_) != 0) return kFgnOk;
    try {
        for (const auto& column : columnObjects_)
            currentCells_.push_back(column->GetData(currentRow_));
        if (keyColumn_ >= 0) {
            currentKey_ =
                columnObjects_[static_cast<std::size_t>(keyColumn_)]->GetKeyData(currentRow_);
            hasKey_ = true;
        }
    } catch (const std::bad_alloc&) {
        currentCells_.clear();
        hasKey_ = false;
        return kFgnNoMemory;
    }
    rowValid_ = true;
    return kFgnOk;
}

TFgnFmtErr CESRITbl::LinkLayer(char const* layer) {
    if (!writeSide_ || allLayers_ == kFgnTrue || layer == nullptr) return kFgnIncomplete;
    layerNames_.emplace_back(layer);
    layers_.clear();
    for (const std::string& name : layerNames_) layers_.push_back(name.c_str());
    return kFgnOk;
}

TFgnFmtErr CESRITbl::AddClmnChar(char const* name, TFgnBool key, TFgnBool indexed,
                                 std::int16_t width) {
    return AddWriteColumn(
        std::make_unique<CESRIWriteCharClmn>(WriteName(name), key, indexed, width), key, true);
}

TFgnFmtErr CESRITbl::AddClmnDbl(char const* name, TFgnBool key, TFgnBool indexed,
                                std::int16_t width, std::int16_t decimals) {
    return AddWriteColumn(
        std::make_unique<CESRIWriteDblClmn>(WriteName(name), key, indexed, width, decimals), key,
        false);
}

TFgnFmtErr CESRITbl::AddClmnDte(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddWriteColumn(std::make_unique<CESRIWriteDteClmn>(WriteName(name), key, indexed), key,
                          false);
}

TFgnFmtErr CESRITbl::AddClmnFloat(char const* name, TFgnBool key, TFgnBool indexed,
                                  std::int16_t width, std::int16_t decimals) {
    return AddWriteColumn(
        std::make_unique<CESRIWriteFloatClmn>(WriteName(name), key, indexed, width, decimals), key,
        false);
}

TFgnFmtErr CESRITbl::AddClmnInt2(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddWriteColumn(std::make_unique<CESRIWriteInt2Clmn>(WriteName(name), key, indexed), key,
                          true);
}

TFgnFmtErr CESRITbl::AddClmnInt4(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddWriteColumn(std::make_unique<CESRIWriteInt4Clmn>(WriteName(name), key, indexed), key,
                          true);
}

TFgnFmtErr CESRITbl::AddClmnLgcl(char const* name, TFgnBool key, TFgnBool indexed) {
    return AddWriteColumn(std::make_unique<CESRIWriteLgclClmn>(WriteName(name), key, indexed), key,
                          false);
}

TFgnFmtErr CESRITbl::AddRow() {
    if (!writeSide_) return kFgnIncomplete;
    ++rowCount_;
    for (auto& column : writeColumns_) column->cells.push_back(nullptr);
    rowOpen_ = true;
    return kFgnOk;
}

TFgnBool CESRITbl::DoneRow(TFgnFmtErr& err) {
    err = kFgnOk;
    return FgnBool(currentRow_ > rowCount_);
}

const std::list<const CFgnTblClmn*>* CESRITbl::GetColumns(TFgnFmtErr& err) const {
    err = kFgnOk;
    return &columns_;
}

const std::list<const CFgnTblData*>* CESRITbl::GetCurrentRow(TFgnFmtErr& err) const {
    if (!rowValid_) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return &currentCells_;
}

const std::list<char const*>* CESRITbl::GetLayers(TFgnFmtErr& err) const {
    if (writeSide_ && allLayers_ == kFgnTrue) {
        err = kFgnAllLayers;
        return nullptr;
    }
    err = kFgnOk;
    return &layers_;
}

char const* CESRITbl::GetName(TFgnFmtErr& err) const {
    if (name_.empty()) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return name_.c_str();
}

TFgnFmtErr CESRITbl::RewindRow() {
    currentRow_ = 1;
    return SetCurrentRow();
}

TFgnFmtErr CESRITbl::StepRow() {
    if (currentRow_ <= rowCount_) ++currentRow_;
    return SetCurrentRow();
}

TFgnFmtErr CESRITbl::UpdateRow() {
    if (!writeSide_ || !rowOpen_) return kFgnIncomplete;
    for (auto& column : writeColumns_)
        if (column->cells.back() == nullptr) column->cells.back() = column->DefaultData();
    rowOpen_ = false;
    return kFgnOk;
}

std::unique_ptr<CFgnTblData>* CESRITbl::OpenCell(const char* column, TFgnClmnType type) {
    if (!writeSide_ || !rowOpen_ || column == nullptr) return nullptr;
    auto it = columnIndex_.find(column);
    if (it == columnIndex_.end()) it = columnIndex_.find(WriteName(column));
    if (it == columnIndex_.end()) return nullptr;
    const auto index = static_cast<std::size_t>(it->second);
    if (columnTypes_[index] != type) return nullptr;
    return &writeColumns_[index]->cells.back();
}

TFgnFmtErr CESRITbl::SetInt2Field(char const* column, std::int16_t value) {
    auto* cell = OpenCell(column, kFgnClmnInt2);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataInt2>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetInt4Field(char const* column, std::int32_t value) {
    auto* cell = OpenCell(column, kFgnClmnInt4);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataInt4>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetFloatField(char const* column, float value) {
    auto* cell = OpenCell(column, kFgnClmnFloat);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataFloat>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetDblField(char const* column, double value) {
    auto* cell = OpenCell(column, kFgnClmnDbl);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataDbl>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetCharField(char const* column, char const* value) {
    auto* cell = OpenCell(column, kFgnClmnChar);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataChar>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetDteField(char const* column, char const* value) {
    auto* cell = OpenCell(column, kFgnClmnDte);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataDte>(value);
    return kFgnOk;
}

TFgnFmtErr CESRITbl::SetLgclField(char const* column, char value) {
    auto* cell = OpenCell(column, kFgnClmnLgcl);
    if (cell == nullptr) return kFgnIncomplete;
    *cell = std::make_unique<CESRITblDataLgcl>(value);
    return kFgnOk;
}

TFgnBool CESRITbl::IsLinkedToLayer(const char* layer) const {
    if (writeSide_ && allLayers_ == kFgnTrue) return kFgnTrue;
    if (layer == nullptr) return kFgnFalse;
    for (const std::string& name : layerNames_)
        if (name == layer) return kFgnTrue;
    return kFgnFalse;
}

const char* CESRITbl::GetCurrentKey(TFgnFmtErr& err) const {
    if (!rowValid_ || !hasKey_) {
        err = kFgnIncomplete;
        return nullptr;
    }
    err = kFgnOk;
    return currentKey_.c_str();
}
