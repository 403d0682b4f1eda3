// A plug-in's attribute tables: a name, typed columns, rows of typed values in
// column order, and the layers the table is linked to. A table and its columns
// last until the reader's UnloadData; its row cursor rewinds any number of
// times, and a row list is used until the next StepRow or RewindRow. The Add,
// Set and Update operations fill a table a writer created.
#pragma once

#include <list>

#include "foreign/FgnErr.h"

class CFgnTbl : public CFgnObject, public CFgnCompletion {
public:
    virtual TFgnFmtErr LinkLayer(char const* layer) = 0;
    virtual TFgnFmtErr AddClmnChar(char const* name, TFgnBool key, TFgnBool indexed,
                                   std::int16_t width) = 0;
    virtual TFgnFmtErr AddClmnDbl(char const* name, TFgnBool key, TFgnBool indexed,
                                  std::int16_t width, std::int16_t decimals) = 0;
    virtual TFgnFmtErr AddClmnDte(char const* name, TFgnBool key, TFgnBool indexed) = 0;
    virtual TFgnFmtErr AddClmnFloat(char const* name, TFgnBool key, TFgnBool indexed,
                                    std::int16_t width, std::int16_t decimals) = 0;
    virtual TFgnFmtErr AddClmnInt2(char const* name, TFgnBool key, TFgnBool indexed) = 0;
    virtual TFgnFmtErr AddClmnInt4(char const* name, TFgnBool key, TFgnBool indexed) = 0;
    virtual TFgnFmtErr AddClmnLgcl(char const* name, TFgnBool key, TFgnBool indexed) = 0;
    // Opens a row to be filled by the Set operations and stored by UpdateRow.
    virtual TFgnFmtErr AddRow() = 0;
    // True when the row cursor is past the last row.
    virtual TFgnBool DoneRow(TFgnFmtErr& err) = 0;
    virtual const std::list<const CFgnTblClmn*>* GetColumns(TFgnFmtErr& err) const = 0;
    // One value per column, in column order, each of its column's class.
    virtual const std::list<const CFgnTblData*>* GetCurrentRow(TFgnFmtErr& err) const = 0;
    // Null with err 12 when the table applies to all layers.
    virtual const std::list<char const*>* GetLayers(TFgnFmtErr& err) const = 0;
    virtual char const* GetName(TFgnFmtErr& err) const = 0;
    virtual TFgnFmtErr RewindRow() = 0;
    virtual TFgnFmtErr StepRow() = 0;
    virtual TFgnFmtErr UpdateRow() = 0;
    virtual TFgnFmtErr SetInt2Field(char const* column, std::int16_t value) = 0;
    virtual TFgnFmtErr SetInt4Field(char const* column, std::int32_t value) = 0;
    virtual TFgnFmtErr SetFloatField(char const* column, float value) = 0;
    virtual TFgnFmtErr SetDblField(char const* column, double value) = 0;
    virtual TFgnFmtErr SetCharField(char const* column, char const* value) = 0;
    virtual TFgnFmtErr SetDteField(char const* column, char const* value) = 0;
    virtual TFgnFmtErr SetLgclField(char const* column, char value) = 0;
};

class CFgnTblClmn : public CFgnObject {
public:
    virtual TFgnBool GetIndexed(TFgnFmtErr& err) const = 0;
    // A key column's values are matched with the entities' keys.
    virtual TFgnBool GetKey(TFgnFmtErr& err) const = 0;
    virtual char const* GetName(TFgnFmtErr& err) const = 0;
    virtual TFgnClmnType GetType(TFgnFmtErr& err) const = 0;
};

class CFgnTblClmnInt2 : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
};

class CFgnTblClmnInt4 : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
};

class CFgnTblClmnFloat : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
    virtual std::int16_t GetDecimal(TFgnFmtErr& err) const = 0;
    virtual std::int16_t GetWidth(TFgnFmtErr& err) const = 0;
};

class CFgnTblClmnDbl : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
    virtual std::int16_t GetDecimal(TFgnFmtErr& err) const = 0;
    virtual std::int16_t GetWidth(TFgnFmtErr& err) const = 0;
};

// A date, held as text.
class CFgnTblClmnDte : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
};

class CFgnTblClmnChar : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
    // In characters.
    virtual std::int16_t GetWidth(TFgnFmtErr& err) const = 0;
};

class CFgnTblClmnLgcl : public CFgnTblClmn {
public:
    TFgnClmnType GetType(TFgnFmtErr& err) const override;
};

class CFgnTblData : public CFgnObject {};

class CFgnTblDataInt2 : public CFgnTblData {
public:
    virtual std::int16_t GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataInt4 : public CFgnTblData {
public:
    virtual std::int32_t GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataFloat : public CFgnTblData {
public:
    virtual float GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataDbl : public CFgnTblData {
public:
    virtual double GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataDte : public CFgnTblData {
public:
    virtual char const* GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataChar : public CFgnTblData {
public:
    virtual char const* GetData(TFgnFmtErr& err) const = 0;
};

class CFgnTblDataLgcl : public CFgnTblData {
public:
    virtual char GetData(TFgnFmtErr& err) const = 0;
};
