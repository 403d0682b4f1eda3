// An INFO attribute table of the open cover (its AAT or PAT) as a contract
// table: one typed column per usable item, rows read one at a time from the
// cover. The cells of a row are valid until the next row step.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "coverage/lib/Tamrec.h"
#include "foreign/Foreign.h"

enum TARCTblType : std::int32_t {
    kArcTblPoint = 0,
    kArcTblPolygonLabel = 1,
    kArcTblPolygon = 2,
    kArcTblArc = 3,
};

// What every column of the table shares, beside its contract interface.
class CESRITblClmn {
public:
    CESRITblClmn(const tamrec_info_field_description& item, const char* coverName);
    CESRITblClmn(const CESRITblClmn&) = delete;
    CESRITblClmn& operator=(const CESRITblClmn&) = delete;
    virtual ~CESRITblClmn() = default;

    // A new cell of the item's current value.
    virtual std::unique_ptr<CFgnTblData> DefaultData() const = 0;
    // The cell of the item's current value, kept until the next call.
    const CFgnTblData* GetData(std::int32_t row);
    // The value as a key text; empty when the column gives none.
    virtual std::string GetKeyData(std::int32_t row) const;
    virtual const CFgnTblClmn& Contract() const = 0;

protected:
    TFgnBool indexed_ = kFgnFalse;
    TFgnBool key_ = kFgnFalse;
    const tamrec_info_field_description& item_;
    std::unique_ptr<CFgnTblData> lastValue_;
    std::string name_;
};

// A column of a table being written: its cells, one per row added.
class CESRIWriteClmn {
public:
    CESRIWriteClmn() = default;
    CESRIWriteClmn(const CESRIWriteClmn&) = delete;
    CESRIWriteClmn& operator=(const CESRIWriteClmn&) = delete;
    virtual ~CESRIWriteClmn() = default;

    virtual std::unique_ptr<CFgnTblData> DefaultData() const = 0;
    // The cell as a key text; empty for a column that gives none.
    virtual std::string KeyText(const CFgnTblData* cell) const;
    virtual const CFgnTblClmn& Contract() const = 0;

    std::vector<std::unique_ptr<CFgnTblData>> cells;  // row r at r - 1
};

class CESRITbl final : public CFgnTbl {
public:
    // A table to be filled by a producer and written into a new coverage.
    CESRITbl(const char* name, TFgnBool allLayers);
    CESRITbl(TARCTblType type, std::int32_t itemCount, std::int32_t recordCount,
             const tamrec_info_field_description* items, const char* coverName,
             tamrec_cover* cover);
    ~CESRITbl() override;

    // A read table takes nothing: every Add, Set and Update answers 1.
    TFgnFmtErr LinkLayer(char const* layer) override;
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
    TFgnFmtErr AddRow() override;
    TFgnBool DoneRow(TFgnFmtErr& err) override;
    const std::list<const CFgnTblClmn*>* GetColumns(TFgnFmtErr& err) const override;
    // Err 1 when the row does not exist or could not be read.
    const std::list<const CFgnTblData*>* GetCurrentRow(TFgnFmtErr& err) const override;
    const std::list<char const*>* GetLayers(TFgnFmtErr& err) const override;
    char const* GetName(TFgnFmtErr& err) const override;
    TFgnFmtErr RewindRow() override;
    TFgnFmtErr StepRow() override;
    TFgnFmtErr UpdateRow() override;
    TFgnFmtErr SetInt2Field(char const* column, std::int16_t value) override;
    TFgnFmtErr SetInt4Field(char const* column, std::int32_t value) override;
    TFgnFmtErr SetFloatField(char const* column, float value) override;
    TFgnFmtErr SetDblField(char const* column, double value) override;
    TFgnFmtErr SetCharField(char const* column, char const* value) override;
    TFgnFmtErr SetDteField(char const* column, char const* value) override;
    TFgnFmtErr SetLgclField(char const* column, char value) override;

    TFgnBool IsLinkedToLayer(const char* layer) const;
    // The key of the current row; err 1 without a row or a key column.
    const char* GetCurrentKey(TFgnFmtErr& err) const;

private:
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    void InitializeColumns(const char* coverName, const tamrec_info_field_description* items,
                           std::int32_t itemCount);
    // 0, or 2 when memory runs out (the row is then invalid).
    TFgnFmtErr SetCurrentRow();
    TFgnFmtErr AddWriteColumn(std::unique_ptr<CESRIWriteClmn> column, TFgnBool key, bool mayBeKey);
    // The open row's cell of `column` when it has the type `type`; else null.
    std::unique_ptr<CFgnTblData>* OpenCell(const char* column, TFgnClmnType type);

    std::string name_;
    std::vector<std::string> layerNames_;
    std::list<char const*> layers_;
    std::int32_t rowCount_ = 0;
    std::int32_t columnCount_ = 0;
    std::int32_t currentRow_ = 1;
    std::list<const CFgnTblData*> currentCells_;
    std::list<const CFgnTblClmn*> columns_;
    std::vector<std::unique_ptr<CESRITblClmn>> columnObjects_;
    std::map<std::string, std::int32_t, CaseLess> columnIndex_;
    std::vector<TFgnClmnType> columnTypes_;
    std::int32_t keyColumn_ = -1;
    std::string currentKey_;
    bool hasKey_ = false;
    bool rowValid_ = false;
    tamrec_cover* cover_ = nullptr;
    TARCTblType type_ = kArcTblPoint;
    bool writeSide_ = false;
    TFgnBool allLayers_ = kFgnFalse;
    bool rowOpen_ = false;
    std::vector<std::unique_ptr<CESRIWriteClmn>> writeColumns_;
};
