#include "readers/dxf/DwgReader.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/Utf8Text.h"
#include "platform/Process.h"
#include "readers/dxf/DwgHost.h"
#include "readers/dxf/DwgTables.h"

namespace {

constexpr int kEnglishLocale = 1033;
// The settings' coordinate-system codes hold at most this many bytes.
constexpr std::size_t kMaxCoordSysCode = 127;
// Drawings of this release or older keep their database links under the older names.
constexpr int kLastRelease14Version = 21;

// A private directory for a conversion, removed with everything in it.
class CScratchDirectory {
public:
    CScratchDirectory() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "dwgXXXXXX").string();
        if (ec) pattern = "/tmp/dwgXXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~CScratchDirectory() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

CDwgReader::CDwgReader(CLoaderSettings* settings, Status* status)
    : CAttributedReader(settings, status) {
    if (*status != 0) return;
    *status = Open();
}

CDwgReader::~CDwgReader() {
    database_.reset();
    if (hostServicesInstalled_) dwg::RemoveHostServices();
}

Status CDwgReader::Open() {
    if (!dwg::InstallHostServices(kEnglishLocale)) return kLoaderCannotLoadData;
    hostServicesInstalled_ = true;
    database_ = std::make_unique<drawing::CDatabase>();
    const std::string& input = settings_->inputName;
    drawing::EOpenStatus opened = drawing::EOpenStatus::kOk;
    if (settings_->inputIsDwg) {
        // The converter works on a copy in a directory of its own: whatever it
        // does, the user's drawing stays as it was.
        CScratchDirectory scratch;
        std::error_code ec;
        const std::filesystem::path copy = scratch.Path() / "input.dwg";
        const std::filesystem::path dxf = scratch.Path() / "output.dxf";
        const std::vector<std::string> args = dwg::ConverterArguments(copy.string(), dxf.string());
        std::optional<int> exitCode;
        if (!scratch.Path().empty() && !args.empty() &&
            std::filesystem::copy_file(input, copy, ec) && !ec)
            exitCode = RunProgram(args);
        if (exitCode != 0 || !std::filesystem::is_regular_file(dxf, ec)) {
            SetStatusArgs(input.c_str(), nullptr);
            return kLoaderDwgOpenFailed;
        }
        opened = database_->ReadDxfFile(dxf.string());
    } else {
        opened = database_->ReadDxfFile(input);
    }
    if (opened == drawing::EOpenStatus::kAccessDenied) {
        SetStatusArgs(input.c_str(), nullptr);
        return kLoaderReadAccessDenied;
    }
    if (opened != drawing::EOpenStatus::kOk) {
        if (settings_->reporter && !database_->LastError().empty())
            settings_->reporter->ShowInfo(database_->LastError().c_str());
        return kLoaderCannotLoadData;
    }
    if (database_->OriginalFileVersion() <= kLastRelease14Version) {
        linkRelease_ = 14;
        linkDictionaryKey_ = "OMXLPNDICTIONARY";
        linkApplication_ = "DRFXOMXR13";
    } else {
        linkRelease_ = 15;
        linkDictionaryKey_ = "CONLDEFDictionary";
        linkApplication_ = "BKT15";
    }
    Status status = Rewind();
    if (status == 0) status = AddObjectDataTables();
    if (status == 0) status = AddLinkTables();
    if (status == 0) status = ParseTemplates();
    if (status == 0) CheckCoordSys();
    return status;
}

void CDwgReader::CheckCoordSys() {
    const std::string code = GetProjectionKey();
    if (code.empty()) return;
    const std::string_view key = CutAtCharBoundary(code, kMaxCoordSysCode);
    if (settings_->inputCodeGiven) {
        if (!EqualNoCase(settings_->inputCode, key)) {
            const std::string given = settings_->inputCode;
            const std::string found(key);
            if (settings_->reporter)
                settings_->reporter->ShowWarning(
                    Format(kMsgInputCoordSysOverridden, given.c_str(), found.c_str(), given.c_str())
                        .c_str());
            settings_->warnings = 1;
        }
        return;
    }
    settings_->inputCode.assign(key);
    settings_->outputCode.assign(key);
}

std::string CDwgReader::GetProjectionKey() const {
    const drawing::CDictionary* root = database_ ? database_->NamedObjectsDictionary() : nullptr;
    if (!root) return {};
    const drawing::XDataChain chain = root->XData("GDE_PROJECTION");
    if (chain.size() < 2 || chain[1].code != 1000) return {};
    return chain[1].text;
}

Status CDwgReader::Rewind() {
    if (!database_) return kWlxReadError;
    blockExtents_.clear();
    symbolsWritten_.Clear();
    walk_ = dwg::SWalk{};
    walk_.levels[0].block = &database_->ModelSpace();
    const auto& entities = walk_.levels[0].block->Entities();
    if (entities.empty())
        walk_.end = 1;
    else
        walk_.current = entities.front().get();
    return 0;
}

int CDwgReader::AtEnd() {
    return walk_.end;
}

Status CDwgReader::ReadNext(CFeatureRecord* record) {
    if (!record) return kWlxInvalidParameter;
    if (!database_) return kWlxReadError;
    if (walk_.end || !walk_.current) return kLoaderEndOfData;
    const dwg::SWalkMode mode{settings_->explodeBlocks != 0, settings_->styleTables != 0, false};
    bool converted = false;
    if (const Status status = ConvertNextEntity(walk_, record, mode, converted)) return status;
    if (walk_.end || !converted) return kLoaderEndOfData;
    std::string key(CutAtCharBoundary(walk_.current->HandleText(), CFeatureRecord::kMaxText));
    if (key.empty()) key = MakeObjectKey();
    if (const Status status = ComposeAttributes(key.c_str(), record)) return status;
    if (const Status status = ComposeKeyNameLink(key.c_str(), record)) return status;
    AdvanceEntity(walk_);
    return 0;
}

void CDwgReader::AdvanceEntity(dwg::SWalk& walk) {
    walk.current = nullptr;
    ++walk.levels[walk.Depth()].position;
    for (;;) {
        const dwg::SWalk::SLevel& level = walk.levels[walk.Depth()];
        if (level.block && level.position < level.block->Entities().size()) break;
        // A level taken back already stands after the reference that opened
        // the one just left.
        if (walk.Depth() == 0) {
            walk.end = 1;
            return;
        }
        --walk.transforms.depth;
    }
    const dwg::SWalk::SLevel& level = walk.levels[walk.Depth()];
    walk.current = level.block->Entities()[level.position].get();
}

Status CDwgReader::GetFileInfo(CFileInfo* info) {
    if (!info) return kWlxInvalidParameter;
    if (!database_) return 0;
    if (GetTableSchemas(&info->GetSchemaList()) != 0) return 0;
    for (const auto& layer : database_->Layers()) info->AddLayer(layer->Name());
    for (const auto& block : database_->Blocks())
        if (!block->Name().empty() && block->Name()[0] != '*') info->AddBlock(block->Name());
    info->SetFeatureCount(static_cast<std::int32_t>(database_->ModelSpace().Entities().size()));
    const std::string key = GetProjectionKey();
    if (!key.empty()) info->SetCoordSysKey(key);
    return 0;
}

Status CDwgReader::AddObjectDataTables() {
    if (!tables_) tables_ = std::make_unique<CTableSet>();
    const drawing::CDictionary* root = database_->NamedObjectsDictionary();
    if (!root) return 0;
    for (const SObjectDataDefinition& definition :
         ReadObjectDataDefinitions(root->XData(kObjectDataApplication)))
        tables_->Add(std::make_unique<CObjectDataTable>(definition, *this));
    return 0;
}

Status CDwgReader::AddLinkTables() {
    if (!tables_) tables_ = std::make_unique<CTableSet>();
    const drawing::CDictionary* root = database_->NamedObjectsDictionary();
    if (!root) return 0;
    const drawing::CObject* object = database_->FindObject(root->Find(linkDictionaryKey_));
    const drawing::CDictionary* links = object ? object->AsDictionary() : nullptr;
    if (!links) return 0;
    for (const drawing::CDictionary::Entry& entry : links->Entries()) {
        const drawing::CObject* definition = database_->FindObject(links->Find(entry.name));
        if (!definition) continue;
        const drawing::XDataChain chain = definition->XData(linkApplication_);
        if (!chain.empty()) tables_->Add(std::make_unique<CXDataTable>(entry.name, *this, chain));
    }
    return 0;
}
