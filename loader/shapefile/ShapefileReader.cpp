#include "loader/shapefile/ShapefileReader.h"

#include "common/ByteOrder.h"
#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/FileNames.h"
#include "loader/core/FileOpen.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/TextFile.h"
#include "loader/shapefile/CodePage.h"

namespace {

constexpr std::uint32_t kFileCode = 9994;
constexpr std::int64_t kMainHeaderSize = 100;
constexpr std::int64_t kIndexEntrySize = 8;
constexpr std::int64_t kRecordHeaderSize = 8;

// The file code that begins the main file and the index.
Status CheckFileCode(CWin32File& file) {
    std::uint32_t code = 0;
    if (file.Seek(0, kSeekBegin) != 0 || file.ReadUInt32(code, true) != 0) return kWlxReadError;
    return code == kFileCode ? 0 : kWlxBadFormat;
}

// The code page a .cpg file beside the shapefile names: its first line.
int ReadCpgCodePage(const std::string& name) {
    if (!FileExists(name)) return 0;
    CTextFile file(name);
    std::string line;
    if (file.OpenRead() != 0 || file.ReadLine(line) != 0) return 0;
    return CodePageFromCpg(line.substr(0, 64));
}

}  // namespace

CShapefileReader::CShapefileReader(CLoaderSettings* settings, Status* status)
    : CAttributedReader(settings, status) {
    if (*status == 0) *status = Open();
}

Status CShapefileReader::Open() {
    const std::string& input = settings_->inputName;
    shp_ = std::make_unique<CWin32File>(input);
    if (const Status status = shp_->OpenRead()) return status;
    shx_ = std::make_unique<CWin32File>(CompanionFileName(input, ".shx"));
    if (const Status status = shx_->OpenRead()) return status;
    dbf_ = std::make_shared<CWin32File>(CompanionFileName(input, ".dbf"));
    if (const Status status = dbf_->OpenRead()) return status;

    auto table = std::make_unique<CDbfTable>(dbf_);
    table->SetCpgCodePage(ReadCpgCodePage(CompanionFileName(input, ".cpg")));
    if (const Status status = table->ReadHeader()) return status;
    dbfTable_ = table.get();
    tables_ = std::make_unique<CTableSet>();
    tables_->Add(std::move(table));
    if (const Status status = ParseTemplates()) return status;

    if (const Status status = CheckFileCode(*shp_)) return status;
    if (shp_->GetSize(shpSize_) != 0) return kWlxReadError;
    if (const Status status = CheckFileCode(*shx_)) return status;
    std::uint32_t words = 0;
    if (shx_->Seek(24, kSeekBegin) != 0 || shx_->ReadUInt32(words, true) != 0) return kWlxReadError;
    shxLength_ = std::int64_t{words} * 2;
    return Rewind();
}

Status CShapefileReader::Rewind() {
    if (!shp_ || !dbfTable_) return kWlxReadError;
    if (shp_->Seek(0, kSeekBegin) != 0) return kWlxInvalidOffset;
    dbfTable_->Rewind();
    shxOffset_ = kMainHeaderSize;
    atEnd_ = shxOffset_ >= shxLength_;
    return 0;
}

Status CShapefileReader::ReadShape(std::int64_t offset) {
    if (offset < kMainHeaderSize) return kWlxBadFormat;
    std::uint8_t header[kRecordHeaderSize];
    if (offset + kRecordHeaderSize > shpSize_) return kWlxReadError;
    if (shp_->Seek(offset, kSeekBegin) != 0 || shp_->Read(header, sizeof header) != 0)
        return kWlxReadError;
    const std::int64_t length = 2 * std::int64_t{byteorder::LoadU32Be(header + 4)};
    // A record that runs past the end of the file is cut short.
    if (offset + kRecordHeaderSize + length > shpSize_) return kWlxReadError;
    content_.resize(static_cast<std::size_t>(length));
    if (length > 0 && shp_->Read(content_.data(), content_.size()) != 0) return kWlxReadError;
    return shape_.Parse(content_);
}

Status CShapefileReader::MakeGeometry(CFeatureRecord* record) {
    shape_.BuildWkb(wkb_);
    ComPtr<IWKBGeometry> geometry;
    const HRESULT hr = factory_->CreateWKBGeometryFromByteArray(static_cast<WkbLong>(wkb_.size()),
                                                                wkb_.data(), geometry.Put());
    if (Failed(hr)) return hr;
    return record->SetGeometry(geometry.Get());
}

Status CShapefileReader::ReadNext(CFeatureRecord* record) {
    if (!record || !shx_) return kWlxReadError;
    for (;;) {
        if (shxOffset_ + kIndexEntrySize > shxLength_) {
            ReachEnd();
            return kWlxEndOfData;
        }
        std::uint32_t words = 0;
        if (shx_->Seek(shxOffset_, kSeekBegin) != 0 || shx_->ReadUInt32(words, true) != 0)
            return kWlxReadError;
        shxOffset_ += kIndexEntrySize;
        Status status = ReadShape(std::int64_t{words} * 2);
        if (status != 0) return status;

        if (shape_.IsMultiPatch()) ++skippedMultiPatches_;
        if (shape_.HasZOrM() && shape_.GetKind() != EShapeKind::kSkipped && !warnedZOrM_) {
            ShowWarning(LoadMessage(kMsgZmValuesDropped));
            warnedZOrM_ = true;
        }

        CFeatureKey key;
        key.kind = shape_.GetFeatureKind();
        const bool wanted =
            shape_.GetKind() != EShapeKind::kSkipped && settings_->filter.Accept(&key);
        if (wanted) {
            status = MakeGeometry(record);
            if (status == 0) {
                const std::string objectKey = MakeObjectKey();
                status = ComposeKeyNameLink(objectKey.c_str(), record);
                if (status == 0) status = ComposeAttributes(objectKey.c_str(), record);
            }
        }
        if (status != 0) return status;
        // The n-th DBF record belongs to the n-th shape, read or skipped.
        dbfTable_->Advance();
        if (wanted) {
            if (shxOffset_ + kIndexEntrySize > shxLength_) ReachEnd();
            return 0;
        }
    }
}

void CShapefileReader::ReachEnd() {
    atEnd_ = true;
    ReportSkipped(skippedMultiPatches_, "MultiPatch");
    skippedMultiPatches_ = 0;
}

Status CShapefileReader::GetFileInfo(CFileInfo* info) {
    if (!info) return kWlxInvalidParameter;
    return GetTableSchemas(&info->GetSchemaList());
}
