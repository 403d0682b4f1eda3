#include "loader/mif/MifReader.h"

#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/FileNames.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"

namespace {

// The line source of a file that the source owns.
class COwningFileLineSource final : public CTextFileLineSource {
public:
    explicit COwningFileLineSource(std::unique_ptr<CTextFile> file)
        : CTextFileLineSource(*file), file_(std::move(file)) {}

private:
    std::unique_ptr<CTextFile> file_;
};

}  // namespace

CMidTable::CMidTable(std::shared_ptr<CLineSource> mid, const MifHeader& header)
    : CAttributeSource(kName),
      mid_(std::move(mid)),
      delimiter_(header.delimiter),
      columns_(header.columns.size()) {
    for (const MifColumn& column : header.columns)
        GetSchema().AddColumn(column.name, column.width,
                              static_cast<std::uint16_t>(column.decimals), column.type);
}

Status CMidTable::LoadRow() {
    if (loaded_) return loadStatus_;
    std::string line;
    // Blank rows are rows: the values of an object may all be empty.
    loadStatus_ = mid_->ReadAnyLine(line);
    if (loadStatus_ == kWlxEndOfData) loadStatus_ = kLoaderNoAttributeData;
    if (loadStatus_ == 0) SplitMidRow(line, delimiter_, columns_, values_);
    loaded_ = true;
    return loadStatus_;
}

Status CMidTable::FillRow(const char*, CTableRow& row) {
    if (const Status status = LoadRow()) return status;
    for (const std::string& value : values_) AppendTextValue(row, value);
    return 0;
}

Status CMidTable::SkipRow() {
    const Status status = LoadRow();
    loaded_ = false;
    return status == kLoaderNoAttributeData ? 0 : status;
}

CMifReader::CMifReader(CLoaderSettings* settings, Status* status)
    : CAttributedReader(settings, status) {
    if (*status == 0) *status = Open();
}

Status CMifReader::Open() {
    mifFile_ = std::make_unique<CTextFile>(settings_->inputName);
    if (const Status status = mifFile_->OpenRead()) return status;
    mif_ = std::make_unique<CTextFileLineSource>(*mifFile_);
    auto midFile = std::make_unique<CTextFile>(CompanionFileName(settings_->inputName, ".mid"));
    if (const Status status = midFile->OpenRead()) return status;
    mid_ = std::make_shared<COwningFileLineSource>(std::move(midFile));

    MifHeader header;
    if (const Status status = ReadMifHeader(*mif_, header)) {
        if (status == kWlxReadError) SetReadErrorArgs(settings_->inputName, mif_->LineNumber());
        return status;
    }
    if (const Status status = mif_->Tell(dataOffset_)) return status;
    // UNIQUE and INDEX name the columns of the objects' names and keys
    // unless the command line names others.
    if (header.unique != 0 && settings_->nameTemplate.empty())
        settings_->nameTemplate = std::to_string(header.unique);
    if (header.index != 0 && settings_->keyTemplate.empty())
        settings_->keyTemplate = std::to_string(header.index);
    if (header.hasColumns) {
        auto table = std::make_unique<CMidTable>(mid_, header);
        midTable_ = table.get();
        tables_ = std::make_unique<CTableSet>();
        tables_->Add(std::move(table));
    }
    return ParseTemplates();
}

Status CMifReader::Rewind() {
    if (!mif_ || !mid_) return kWlxReadError;
    atEnd_ = false;
    if (const Status status = mif_->Seek(dataOffset_)) return status;
    if (const Status status = mid_->Seek(0)) return status;
    if (midTable_) midTable_->Rewind();
    return 0;
}

Status CMifReader::ReadNext(CFeatureRecord* record) {
    if (!record || !mif_) return kWlxReadError;
    for (;;) {
        MifObject object;
        Status status = ReadMifObject(*mif_, object);
        if (status == kWlxEndOfData) {
            atEnd_ = true;
            ReportSkipped();
        }
        if (status == kWlxReadError) SetReadErrorArgs(settings_->inputName, mif_->LineNumber());
        if (status != 0) return status;
        if (object.unsupported == MifObject::EUnsupported::kMultiPoint) ++skippedMultiPoints_;
        if (object.unsupported == MifObject::EUnsupported::kCollection) ++skippedCollections_;

        CFeatureKey key;
        key.kind = object.kind;
        // Every object owns one MID row, converted or not.
        if (!settings_->filter.Accept(&key)) {
            if ((status = SkipRow()) != 0) return status;
            continue;
        }
        if ((status = MakeGeometry(object, record)) != 0) return status;
        if (object.hasText) record->SetName(object.text);
        const std::string objectKey = MakeObjectKey();
        status = ComposeKeyNameLink(objectKey.c_str(), record);
        if (status == 0) status = ComposeAttributes(objectKey.c_str(), record);
        if (status != 0) return status;
        return SkipRow();
    }
}

void CMifReader::ReportSkipped() {
    CSourceReader::ReportSkipped(skippedMultiPoints_, "Multipoint");
    CSourceReader::ReportSkipped(skippedCollections_, "Collection");
    skippedMultiPoints_ = skippedCollections_ = 0;
}

Status CMifReader::SkipRow() {
    const Status status = midTable_ ? midTable_->SkipRow() : 0;
    if (status == kWlxReadError)
        SetReadErrorArgs(CompanionFileName(settings_->inputName, ".mid"), mid_->LineNumber());
    return status;
}

Status CMifReader::MakeGeometry(const MifObject& object, CFeatureRecord* record) {
    IWKBGeometryFactory* factory = factory_.Get();
    ComPtr<IWKBGeometry> geometry;
    HRESULT hr = E_UNEXPECTED;
    switch (object.shape) {
        case EMifShape::kPoint:
            hr = MakePoint(factory, object.parts.at(0).at(0), geometry);
            break;
        case EMifShape::kLineString:
            hr = MakeLineString(factory, object.parts.at(0), geometry);
            break;
        case EMifShape::kMultiLineString:
            hr = MakeMultiLineString(factory, object.parts, geometry);
            break;
        case EMifShape::kPolygon:
            hr = MakePolygon(factory, object.parts.at(0), geometry);
            break;
        case EMifShape::kMultiPolygon:
            hr = MakeMultiPolygon(factory, object.parts, geometry);
            break;
        case EMifShape::kNone:
            break;
    }
    if (Failed(hr)) return hr;
    return record->SetGeometry(geometry.Get());
}

Status CMifReader::GetFileInfo(CFileInfo* info) {
    if (!info) return kWlxInvalidParameter;
    return GetTableSchemas(&info->GetSchemaList());
}
