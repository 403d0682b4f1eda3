// The reader of the input types a plug-in library reads (D: DGN designs
// through Tsdsn; V: coverages through Tscov). It binds the library, creates
// the plug-in's reader through its entry point, registers the plug-in's
// tables, checks dimension and coordinate system, and turns each entity
// into one feature record: blocks exploded or kept as symbols, texts,
// arcs and compound objects as the loader's geometry, styles on request.
#pragma once

#include <memory>
#include <string>

#include "foreign/Foreign.h"
#include "loader/core/AttributedReader.h"
#include "loader/core/Geometry2d.h"
#include "loader/core/NamePatternList.h"
#include "loader/core/OwnedObjectMap.h"
#include "platform/DynamicLibrary.h"
#include "readers/plugin/CellNesting.h"
#include "readers/plugin/ForeignLibrary.h"

class CForeignReader final : public CAttributedReader {
public:
    // The library of the settings' input type.
    CForeignReader(CLoaderSettings* settings, Status* status);
    // The library and the texts given, whatever the input type.
    CForeignReader(CLoaderSettings* settings, Status* status, const SForeignLibrary& library);
    // Unloads the plug-in's data, destroys its reader, then frees the library.
    ~CForeignReader() override;
    CForeignReader(const CForeignReader&) = delete;
    CForeignReader& operator=(const CForeignReader&) = delete;

    Status Rewind() override;
    Status ReadNext(CFeatureRecord* record) override;
    int AtEnd() override;
    // Tables, layers, blocks, the entity count and the coordinate system;
    // the walk starts again at the first entity afterwards.
    Status GetFileInfo(CFileInfo* info) override;

    bool ConvertsJustifications() const { return justify_; }

private:
    struct SWalk;

    void Open(const SForeignLibrary& library, Status* status);
    Status LoadForeignLibrary(const SForeignLibrary& library);
    Status RegisterTables();
    Status CheckDimension();
    Status CheckCoordSys();
    // To the first entity (after stepping when `step`), skipping elements
    // that yield none.
    Status SeekEntity(bool step, const CFgnEntity*& current, int& end);
    void WarnSkipped();
    Status InputReadError() const;

    // Converts until one record is made, an error occurs or the walk ends.
    Status ConvertForeignEntity(SWalk& walk, CFeatureRecord* record, bool& produced);
    Status ConvertEntity(SWalk& walk, TFgnEntityType type, CFeatureRecord* record, bool& produced);
    Status ConvertBlockInstance(SWalk& walk, CFeatureRecord* record, bool& produced, bool& entered);
    bool Accept(const SWalk& walk, TFgnEntityType type) const;
    // To the next entity: inside blocks, then (but in symbol mode) the reader's next.
    Status Advance(SWalk& walk);
    // The same after a record, unless a polygon's label point was it.
    Status AdvanceAfterRecord(SWalk& walk);
    Status GetBlockExtent(const CFgnBlkInst& instance, CExtent2d& extent);
    Status WriteBlockSymbol(const CFgnBlkInst& instance, CFeatureRecord* record);

    HMODULE module_ = nullptr;
    FgnDestroyReaderFn destroy_ = nullptr;
    CFgnReader* reader_ = nullptr;
    bool dgn_ = false;
    bool justify_ = true;
    int end_ = 0;
    bool labelToggle_ = false;
    // Warning 50033 is given once: the run has one reader.
    bool skipWarningGiven_ = false;
    const CFgnEntity* current_ = nullptr;  // the plug-in's
    std::unique_ptr<CCellNestingState> nesting_;
    CNamePatternList symbolsWritten_;
    COwnedObjectMap<CExtent2d> blockExtents_;
};
