#include "loader/bna/BnaReader.h"

#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"

CBnaReader::CBnaReader(CLoaderSettings* settings, Status* status)
    : CSourceReader(settings, status) {
    if (*status != 0) return;
    file_ = std::make_unique<CTextFile>(settings_->inputName);
    *status = file_->OpenRead();
    if (*status == 0) source_ = std::make_unique<CTextFileLineSource>(*file_);
}

Status CBnaReader::Rewind() {
    if (!source_) return kWlxReadError;
    atEnd_ = false;
    skippedEllipses_ = skippedDegenerate_ = 0;
    return source_->Seek(0);
}

Status CBnaReader::ReadNext(CFeatureRecord* record) {
    if (!record || !source_) return kWlxReadError;
    const Status status = NextRecord(record);
    if (status == kWlxReadError) SetReadErrorArgs(settings_->inputName, source_->LineNumber());
    return status;
}

Status CBnaReader::NextRecord(CFeatureRecord* record) {
    for (;;) {
        BnaHeader header;
        Status status = ReadBnaHeader(*source_, header);
        if (status == kWlxEndOfData) {
            atEnd_ = true;
            ReportSkipped();
        }
        if (status != 0) return status;
        CFeatureKey key;
        key.layer = header.layer.c_str();
        key.kind = header.Kind();
        if (key.kind == kBnaNone) {
            // Ellipses and records too short for their kind convert to nothing;
            // those of the selected layers are counted, so that none is lost unseen.
            key.kind = kFeatureOther;
            if (settings_->filter.Accept(&key))
                ++(header.count == 2 ? skippedEllipses_ : skippedDegenerate_);
            key.kind = kBnaNone;
        }
        if (!settings_->filter.Accept(&key)) {
            // Passed over by the same reading that parses, so that blank
            // lines inside the record do not shift the next header.
            status = SkipBnaCoordinates(*source_, header);
            if (status != 0) return status;
            continue;
        }
        if (header.HasKey()) record->SetKey(header.key.empty() ? MakeObjectKey() : header.key);
        if (header.HasName()) record->SetName(header.name);
        return ReadGeometry(header, record);
    }
}

Status CBnaReader::ReadGeometry(const BnaHeader& header, CFeatureRecord* record) {
    PointList points;
    if (const Status status = ReadBnaCoordinates(*source_, header, points)) return status;
    ComPtr<IWKBGeometry> geometry;
    HRESULT hr = E_UNEXPECTED;
    switch (header.Kind()) {
        case kBnaPoint:
            hr = MakePoint(factory_.Get(), points.at(0), geometry);
            break;
        case kBnaLine:
            hr = MakeLineString(factory_.Get(), points, geometry);
            break;
        case kBnaPolygon:
            hr = MakeMultiPolygon(factory_.Get(), SplitBnaRings(points), geometry);
            break;
        case kBnaNone:
            break;
    }
    if (Failed(hr)) return hr;
    return record->SetGeometry(geometry.Get());
}

void CBnaReader::ReportSkipped() {
    CSourceReader::ReportSkipped(skippedEllipses_, "Ellipse");
    CSourceReader::ReportSkipped(skippedDegenerate_, "Degenerate");
    skippedEllipses_ = skippedDegenerate_ = 0;
}

Status CBnaReader::GetFileInfo(CFileInfo* info) {
    if (!info) return kWlxInvalidParameter;
    if (!source_) return kWlxReadError;
    std::int32_t records = 0;
    Status status = 0;
    for (;;) {
        BnaHeader header;
        status = ReadBnaHeader(*source_, header);
        if (status == kWlxEndOfData) {
            atEnd_ = true;
            status = 0;
            break;
        }
        if (status != 0) break;
        info->AddLayer(header.layer);
        status = SkipBnaCoordinates(*source_, header);
        if (status != 0) break;
        ++records;
    }
    info->SetFeatureCount(records);
    return status;
}
