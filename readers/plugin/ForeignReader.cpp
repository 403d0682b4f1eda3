#include "readers/plugin/ForeignReader.h"

#include <string_view>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/Utf8Text.h"
#include "readers/plugin/ForeignTable.h"
#include "readers/plugin/ForeignWalk.h"

namespace {

constexpr int kCoordSysOverriddenWarning = 50030;
constexpr int kSkippedEntityWarning = 50033;
// The settings' coordinate-system codes hold at most this many bytes.
constexpr std::size_t kMaxCoordSysCode = 127;

}  // namespace

CForeignReader::CForeignReader(CLoaderSettings* settings, Status* status)
    : CAttributedReader(settings, status) {
    if (*status != 0) return;
    SForeignLibrary library;
    if (!ChooseForeignLibrary(*settings, library)) {
        *status = kLoaderLibraryNotFound;
        return;
    }
    Open(library, status);
}

CForeignReader::CForeignReader(CLoaderSettings* settings, Status* status,
                               const SForeignLibrary& library)
    : CAttributedReader(settings, status) {
    if (*status == 0) Open(library, status);
}

void CForeignReader::Open(const SForeignLibrary& library, Status* status) {
    Status result = LoadForeignLibrary(library);
    if (result == 0) result = RegisterTables();
    if (result == 0) result = ParseTemplates();
    if (result == 0) result = CheckDimension();
    if (result == 0) result = CheckCoordSys();
    nesting_ = std::make_unique<CCellNestingState>();
    if (result == 0) result = SeekEntity(false, current_, end_);
    *status = result;
}

CForeignReader::~CForeignReader() {
    if (reader_) {
        reader_->UnloadData();
        destroy_(reader_);
        reader_ = nullptr;
    }
    if (module_) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

Status CForeignReader::LoadForeignLibrary(const SForeignLibrary& library) {
    dgn_ = library.dgn;
    module_ = LoadLibraryA(library.name.c_str());
    if (!module_) return kLoaderLibraryNotFound;
    auto create =
        reinterpret_cast<FgnCreateReaderFn>(GetProcAddress(module_, kFgnCreateReaderName));
    destroy_ = reinterpret_cast<FgnDestroyReaderFn>(GetProcAddress(module_, kFgnDestroyReaderName));
    if (!create || !destroy_) return kLoaderLibraryIncompatible;
    reader_ = create(library.first.c_str(), library.second.c_str(), kFgnTrue);
    if (!reader_) return kLoaderLibraryIncompatible;
    const Status status = reader_->LoadData() == kFgnOk ? 0 : kLoaderCannotLoadData;
    // Only the DGN plug-in's second text names its settings file.
    if (dgn_) justify_ = JustificationsConverted(library.second);
    return status;
}

Status CForeignReader::RegisterTables() {
    tables_ = std::make_unique<CTableSet>();
    if (reader_->RewindTable() != kFgnOk) return InputReadError();
    TFgnFmtErr err = kFgnOk;
    for (int position = 0; reader_->DoneTable(err) != kFgnTrue; ++position) {
        CFgnTbl* table = reader_->GetCurrentTable(err);
        if (err != kFgnOk) return InputReadError();
        if (!table) break;
        const char* name = table->GetName(err);
        // Of two tables of one name the first is kept.
        tables_->Add(std::make_unique<CForeignTable>(name, table, reader_, position));
        if (reader_->StepTable() != kFgnOk) return InputReadError();
    }
    return 0;
}

Status CForeignReader::CheckDimension() {
    TFgnFmtErr err = kFgnOk;
    const TFgnDimension dimension = reader_->GetDimension(err);
    if (err != kFgnOk) return InputReadError();
    return dimension == kFgn3d ? kLoader3dNotSupported : 0;
}

Status CForeignReader::CheckCoordSys() {
    TFgnFmtErr err = kFgnOk;
    const char* text = reader_->GetCoordSys(err);
    if (err != kFgnOk) return InputReadError();
    if (!text || !*text) return 0;
    const std::string_view key = CutAtCharBoundary(text, kMaxCoordSysCode);
    if (settings_->inputCodeGiven) {
        if (!EqualNoCase(settings_->inputCode, key)) {
            const std::string given = settings_->inputCode;
            const std::string found(key);
            if (settings_->reporter)
                settings_->reporter->ShowWarning(
                    FormatString(LoadMessage(kCoordSysOverriddenWarning).c_str(), given.c_str(),
                                 found.c_str(), given.c_str())
                        .c_str());
            settings_->warnings = 1;
        }
        return 0;
    }
    // The data stay in their own system.
    settings_->inputCode.assign(key);
    settings_->outputCode.assign(key);
    return 0;
}

Status CForeignReader::InputReadError() const {
    SetStatusArgs(settings_->inputName.c_str(), nullptr);
    return kLoaderInputReadError;
}

void CForeignReader::WarnSkipped() {
    if (skipWarningGiven_) return;
    if (settings_->reporter)
        settings_->reporter->ShowWarning(LoadMessage(kSkippedEntityWarning).c_str());
    settings_->warnings = 1;
    skipWarningGiven_ = true;
}

Status CForeignReader::SeekEntity(bool step, const CFgnEntity*& current, int& end) {
    if (!step && reader_->Rewind() != kFgnOk) return InputReadError();
    for (;; step = true) {
        // A plug-in that cannot step would hold the walk on one element for ever.
        if (step && reader_->Step() != kFgnOk) return InputReadError();
        TFgnFmtErr err = kFgnOk;
        if (reader_->Done(err) == kFgnTrue) {
            end = 1;
            current = nullptr;
            return 0;
        }
        const CFgnEntity* entity = reader_->GetCurrent(err);
        if (err == kFgnNotLoaded) return InputReadError();
        if (err == kFgnOk && entity) {
            current = entity;
            return 0;
        }
        WarnSkipped();
    }
}

Status CForeignReader::Rewind() {
    return reader_ && reader_->Rewind() == kFgnOk ? 0 : kLoaderInputReadError;
}

int CForeignReader::AtEnd() {
    if (!reader_) return 1;
    TFgnFmtErr err = kFgnOk;
    if (reader_->Done(err) == kFgnTrue) end_ = 1;
    return end_;
}

Status CForeignReader::ReadNext(CFeatureRecord* record) {
    if (!record) return kWlxInvalidParameter;
    if (!reader_ || !nesting_) return kWlxReadError;
    if (end_ || !current_) return kLoaderEndOfData;
    SWalk walk{
        current_, *nesting_, end_, settings_->explodeBlocks != 0, settings_->styleTables != 0,
        false};
    bool produced = false;
    Status status = ConvertForeignEntity(walk, record, produced);
    if (status != 0) return status;
    if (!produced) return kLoaderEndOfData;
    TFgnFmtErr err = kFgnOk;
    const char* key = current_->GetKey(err);
    const std::string objectKey = key ? key : "";
    if ((status = ComposeAttributes(objectKey.c_str(), record)) != 0) return status;
    if ((status = ComposeKeyNameLink(objectKey.c_str(), record)) != 0) return status;
    return AdvanceAfterRecord(walk);
}

Status CForeignReader::GetFileInfo(CFileInfo* info) {
    if (!info) return kWlxInvalidParameter;
    if (!reader_) return kWlxReadError;
    Status status = GetTableSchemas(&info->GetSchemaList());
    reader_->Rewind();
    std::int32_t count = 0;
    TFgnFmtErr err = kFgnOk;
    while (status == 0 && reader_->Done(err) != kFgnTrue) {
        const CFgnEntity* entity = reader_->GetCurrent(err);
        if (err == kFgnNotLoaded) {
            status = InputReadError();
            break;
        }
        if (err != kFgnOk || !entity) {
            WarnSkipped();
        } else {
            if (const char* layer = entity->GetLayer(err); layer && *layer) info->AddLayer(layer);
            if (entity->GetType(err) == kFgnEntityBlkInst) {
                const CFgnBlk* block = static_cast<const CFgnBlkInst*>(entity)->GetBlk(err);
                const char* name = block ? block->GetName(err) : nullptr;
                if (name) info->AddBlock(TrimBlanks(name));
            }
            ++count;
        }
        if (reader_->Step() != kFgnOk) status = InputReadError();
    }
    if (count > 0) info->SetFeatureCount(count);
    if (status == 0) {
        const char* text = reader_->GetCoordSys(err);
        if (err != kFgnOk) return InputReadError();
        if (text) info->SetCoordSysKey(text);
    }
    // The walk above moved the plug-in's cursor: begin again.
    nesting_ = std::make_unique<CCellNestingState>();
    end_ = 0;
    labelToggle_ = false;
    const Status restart = SeekEntity(false, current_, end_);
    return status != 0 ? status : restart;
}
