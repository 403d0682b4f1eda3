#include "loader/csv/CsvReader.h"

#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"

namespace {

// The settings' CSV object kinds (/TM, /TL, /TP).
constexpr int kCsvPoints = 0;
constexpr int kCsvLines = 3;
constexpr int kCsvPolygons = 5;

int FeatureKind(int csvObjectKind) {
    switch (csvObjectKind) {
        case kCsvPoints:
            return kFeaturePoint;
        case kCsvLines:
            return kFeatureLine;
        case kCsvPolygons:
            return kFeaturePolygon;
        default:
            return 0;
    }
}

}  // namespace

CCsvReader::CCsvReader(CLoaderSettings* settings, Status* status)
    : CSourceReader(settings, status) {
    if (*status != 0) return;
    file_ = std::make_unique<CTextFile>(settings_->inputName);
    *status = file_->OpenRead();
    if (*status != 0) return;
    source_ = std::make_unique<CTextFileLineSource>(*file_);
    parser_ = std::make_unique<CCsvParser>(*source_);
}

Status CCsvReader::Rewind() {
    if (!source_) return kWlxReadError;
    parser_->Reset();
    return source_->Seek(0);
}

Status CCsvReader::ReadNext(CFeatureRecord* record) {
    if (!record || !parser_) return kWlxReadError;
    const Status status = NextRecord(record);
    if (status == kWlxReadError) SetReadErrorArgs(settings_->inputName, source_->LineNumber());
    return status;
}

Status CCsvReader::NextRecord(CFeatureRecord* record) {
    CFeatureKey key;
    key.kind = FeatureKind(settings_->csvObjectKind);
    if (!settings_->filter.Accept(&key)) return kLoaderNoMoreObjects;
    switch (key.kind) {
        case kFeaturePoint:
            return ReadPoint(record);
        case kFeatureLine:
            return ReadGroup(record, false);
        default:
            return ReadGroup(record, true);
    }
}

Status CCsvReader::ReadPoint(CFeatureRecord* record) {
    CsvLine line;
    const Status status = parser_->ReadPoint(line);
    if (status == kWlxEndOfData) return status;
    if (line.hasName) record->SetName(line.name);
    if (line.hasKey) record->SetKey(line.key.empty() ? MakeObjectKey() : line.key);
    if (line.hasLink) record->SetLink(line.link);
    if (status != 0) return status;
    ComPtr<IWKBGeometry> point;
    if (HRESULT hr = MakePoint(factory_.Get(), line.point, point); Failed(hr)) return hr;
    return record->SetGeometry(point.Get());
}

Status CCsvReader::ReadGroup(CFeatureRecord* record, bool polygons) {
    CsvGroup group;
    if (const Status status = parser_->ReadGroup(group)) return status;
    ComPtr<IWKBGeometry> geometry;
    HRESULT hr;
    if (polygons)
        hr = group.parts.size() == 1 ? MakePolygon(factory_.Get(), group.parts[0], geometry)
                                     : MakeMultiPolygon(factory_.Get(), group.parts, geometry);
    else
        hr = group.parts.size() == 1 ? MakeLineString(factory_.Get(), group.parts[0], geometry)
                                     : MakeMultiLineString(factory_.Get(), group.parts, geometry);
    if (Failed(hr)) return hr;
    // Lines without keys group by their empty keys; the object gets one key.
    record->SetKey(group.key.empty() ? MakeObjectKey() : group.key);
    record->SetName(group.name);
    record->SetLink(group.link);
    return record->SetGeometry(geometry.Get());
}

Status CCsvReader::GetFileInfo(CFileInfo*) {
    return 0;
}
