// The plug-in's reader behind the foreign-reader contract. LoadData indexes
// the design in one pass (the offset of every element it delivers) and builds
// the one attribute table of those elements from their linkages; GetCurrent
// decodes the element at the cursor into one of the element classes.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "common/ByteSource.h"
#include "dgn/DgnCodec.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnTable.h"
#include "foreign/Foreign.h"

class CDgnFileReader : public CFgnReader {
public:
    // The design file at `path`; `settings` names the settings file that
    // `iniFile` reads from now on (see dgn::SettingsFilePath).
    CDgnFileReader(const char* path, const char* settings);
    // A reader of an attached file: `openFiles` are the files above it.
    CDgnFileReader(const char* path, const char* settings, const std::list<std::string>& openFiles);
    // A design already in memory, read as though it were the file at `path`.
    CDgnFileReader(std::unique_ptr<CByteSource> design, const char* path, const char* settings);
    ~CDgnFileReader() override;
    CDgnFileReader(const CDgnFileReader&) = delete;
    CDgnFileReader& operator=(const CDgnFileReader&) = delete;

    // 0; 7 when the design cannot be opened or read; 1 when it does not
    // begin with a sound control element (then no table is kept).
    TFgnFmtErr LoadData() override;
    TFgnFmtErr UnloadData() override;
    TFgnFmt GetDataFormat(TFgnFmtErr& err) override;
    TFgnDimension GetDimension(TFgnFmtErr& err) override;
    TFgnPrecision GetDataPrecision(TFgnFmtErr& err) override;
    // Designs name no coordinate system: null.
    char const* GetCoordSys(TFgnFmtErr& err) override;
    // The design range of the control element.
    TFgnFmtErr GetExtents(double& xmin, double& xmax, double& ymin, double& ymax) override;
    const CFgnEntity* GetCurrent(TFgnFmtErr& err) override { return GetCurrent(err, kFgnTrue); }
    TFgnFmtErr Rewind() override;
    TFgnBool Done(TFgnFmtErr& err) override;
    TFgnFmtErr Step() override;
    // The element table while the table cursor is on it; else null with err 1.
    CFgnTbl* GetCurrentTable(TFgnFmtErr& err) override;
    TFgnFmtErr RewindTable() override;
    TFgnFmtErr StepTable() override;
    TFgnBool DoneTable(TFgnFmtErr& err) override;

    // The entity of the element at the cursor: past the last, or unreadable,
    // null with err 7; refused (damaged, or an orientation the contract cannot
    // carry) null with err 1; an element that yields no entity null with
    // err 0; a reference attachment without entities (a loop, a design not
    // found) is given with err 1. It stays the reader's until the next call
    // with `replace` true; with `replace` false the previous entity is left
    // to the caller, who took it over.
    virtual const CFgnEntity* GetCurrent(TFgnFmtErr& err, TFgnBool replace);

    // Null before LoadData.
    CDgnGlobal* Factors() const { return global_.get(); }
    // Hands the settings object over (the entities taken over refer to it).
    std::unique_ptr<CDgnGlobal> TakeFactors();
    // Forgets the current entity without deleting it: its owner is the caller.
    void NullCurrentEntity();
    const std::list<std::string>& OpenFiles() const { return openFiles_; }
    const std::string& Path() const { return path_; }

private:
    // Indexes the elements after the control element.
    TFgnFmtErr IndexElements(std::uint64_t position);
    // Rows of the element at `position` whose first bytes are `head`.
    void AddRows(std::uint64_t position, const dgn::SDgnHeader& header, bool wholeHeader);
    // The reference attachment at `offset`: refused (err 1) without entities.
    const CFgnEntity* Attachment(std::uint64_t offset, TFgnFmtErr& err);
    // Past the components that follow a complex header ending at `position`,
    // and not beyond `limit` (the header's stated length).
    std::uint64_t SkipComponents(std::uint64_t position, std::uint64_t limit) const;

    std::unique_ptr<CDgnGlobal> global_;
    std::string path_;
    std::unique_ptr<CDgnElement> current_;
    std::unique_ptr<CDgnTbl> table_;
    std::size_t cursor_ = 0;
    // An attachment whose design refused elements of its own is followed by
    // one refused position, so that the loader warns of what it cannot see.
    bool refusalPending_ = false;
    bool refusalShown_ = false;
    std::vector<std::uint64_t> offsets_;
    bool tableCursor_ = false;
    std::list<std::string> openFiles_;
    std::unique_ptr<CByteSource> given_;  // a design handed over in memory
    std::unique_ptr<CByteSource> file_;
    const CByteSource* design_ = nullptr;  // the open design
    dgn::EDgnLinkageMethod linkageMethod_ = dgn::EDgnLinkageMethod::kAutomatic;
};
