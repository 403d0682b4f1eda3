#include "nativeformat/WlxReader.h"

#include <span>
#include <string>

#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/FileNames.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"
#include "nativeformat/NativeCoordSys.h"
#include "nativeformat/NativeGeometry.h"
#include "nativeformat/SpatialIndexFile.h"

namespace {

int FeatureKind(int recordType) {
    switch (recordType) {
        case kWlxPointRecord:
            return kFeaturePoint;
        case kWlxLineStringRecord:
        case kWlxMultiLineStringRecord:
            return kFeatureLine;
        case kWlxPolygonRecord:
        case kWlxMultiPolygonRecord:
            return kFeaturePolygon;
        default:
            return 0;
    }
}

}  // namespace

CWlxReader::CWlxReader(CLoaderSettings* settings, Status* status)
    : CSourceReader(settings, status) {
    if (*status == 0) *status = Open();
}

CWlxReader::~CWlxReader() {
    if (file_) file_->EndRead();
}

Status CWlxReader::Open() {
    Status status = 0;
    file_ = std::make_unique<CWlxFile>(settings_->inputName, kOpenRead, status);
    if (status != 0) {
        SetStatusArgs(settings_->inputName.c_str(), nullptr);
        return status;
    }
    // A WLX output keeps what the input says of itself.
    settings_->inputPrecision = file_->GetPrecision();
    if (file_->HasDescription()) settings_->inputDescription = file_->GetDescription();
    if (const Status taken = TakeOverMetadata()) return taken;
    return file_->RewindData();
}

Status CWlxReader::TakeOverMetadata() {
    if (!file_->HasCoordSysMetadata()) return 0;
    const CCoordSysDescriptor* descriptor = file_->GetCoordSysDescriptor();
    if (!descriptor) {
        SetStatusArgs(settings_->inputName.c_str(), nullptr);
        return kLoaderWlxMetadataReadError;
    }
    TakeOverInputCoordSys(*settings_, *descriptor);
    return 0;
}

Status CWlxReader::Rewind() {
    atEnd_ = false;
    return file_->RewindData();
}

Status CWlxReader::ReadNext(CFeatureRecord* record) {
    for (;;) {
        int type = kWlxOtherElement;
        const Status status = file_->NextRecord(type);
        if (status == kWlxEndOfData) atEnd_ = true;
        if (status != 0) return status;
        CFeatureKey key;
        key.kind = FeatureKind(type);
        if (key.kind == 0 || !settings_->filter.Accept(&key)) {
            if (const Status skipped = file_->SkipRecord()) return skipped;
            continue;
        }
        return ReadRecord(type, record);
    }
}

void CWlxReader::SetTexts(CFeatureRecord* record, const char* name, const char* key,
                          const char* link) {
    record->SetName(name);
    record->SetLink(link);
    if (*key) {
        record->SetKey(key);
    } else {
        record->SetKey(MakeObjectKey());
    }
}

std::span<const double> CWlxReader::Points(std::uint32_t count, const double* xy) {
    return {xy, 2 * std::size_t{count}};
}

const std::vector<std::span<const double>>& CWlxReader::Parts(std::uint32_t count,
                                                              const std::uint32_t* counts,
                                                              const double* xy) {
    parts_.clear();
    for (std::uint32_t i = 0; i < count; xy += 2 * std::size_t{counts[i]}, ++i)
        parts_.push_back(Points(counts[i], xy));
    return parts_;
}

Status CWlxReader::ReadRecord(int type, CFeatureRecord* record) {
    IWKBGeometryFactory* factory = factory_.Get();
    const char* name = nullptr;
    const char* key = nullptr;
    const char* link = nullptr;
    std::uint32_t count = 0;
    const std::uint32_t* counts = nullptr;
    const double* xy = nullptr;
    ComPtr<IWKBGeometry> geometry;
    Status status = 0;
    switch (type) {
        case kWlxPointRecord: {
            double x = 0, y = 0;
            if ((status = file_->ReadPoint(name, key, link, x, y))) return status;
            ComPtr<IWKBPoint> point;
            if ((status = GeometryStatus(factory->NewWKBPointXY(x, y, point.Put())))) return status;
            geometry = ComPtr<IWKBGeometry>::Share(point.Get());
            break;
        }
        case kWlxLineStringRecord: {
            if ((status = file_->ReadLineString(name, key, link, count, xy))) return status;
            ComPtr<IWKBLineString> line;
            if ((status = GeometryStatus(MakeLineString(factory, Points(count, xy), line))))
                return status;
            geometry = ComPtr<IWKBGeometry>::Share(line.Get());
            break;
        }
        case kWlxPolygonRecord: {
            if ((status = file_->ReadPolygon(name, key, link, count, xy))) return status;
            ComPtr<IWKBPolygon> polygon;
            if ((status = GeometryStatus(MakePolygon(factory, Points(count, xy), polygon))))
                return status;
            geometry = ComPtr<IWKBGeometry>::Share(polygon.Get());
            break;
        }
        case kWlxMultiLineStringRecord: {
            if ((status = file_->ReadMultiLineString(name, key, link, count, counts, xy)))
                return status;
            ComPtr<IWKBMultiLineString> lines;
            if ((status =
                     GeometryStatus(MakeMultiLineString(factory, Parts(count, counts, xy), lines))))
                return status;
            geometry = ComPtr<IWKBGeometry>::Share(lines.Get());
            break;
        }
        case kWlxMultiPolygonRecord: {
            if ((status = file_->ReadMultiPolygon(name, key, link, count, counts, xy)))
                return status;
            ComPtr<IWKBMultiPolygon> polygons;
            if ((status =
                     GeometryStatus(MakeMultiPolygon(factory, Parts(count, counts, xy), polygons))))
                return status;
            geometry = ComPtr<IWKBGeometry>::Share(polygons.Get());
            break;
        }
        default:
            return kWlxInvalidObjectType;
    }
    SetTexts(record, name, key, link);
    return record->SetGeometry(geometry.Get());
}

Status CWlxReader::GetFileInfo(CFileInfo* info) {
    info->SetPrecision(file_->GetPrecision());
    info->SetFeatureCount(static_cast<std::int32_t>(file_->GetObjectCount()));
    info->SetDescription(file_->GetDescription());
    std::string version = std::to_string(file_->GetVersion());
    if (file_->HasCoordSysMetadata()) {
        version += '.';
        version += std::to_string(file_->GetMetadataVersion());
        const CCoordSysDescriptor* descriptor = file_->GetCoordSysDescriptor();
        if (!descriptor) {
            SetStatusArgs(settings_->inputName.c_str(), nullptr);
            return kLoaderWlxMetadataReadError;
        }
        info->SetCoordSysKey(descriptor->key);
    }
    info->SetVersion(version);

    // Without its spatial index the file is still described.
    Status status = 0;
    CSpatialIndexFile index(RemoveExtension(settings_->inputName) + ".sif", kOpenRead, status);
    double extent[4] = {};
    if (status == 0 && index.GetExtent(extent) == 0) {
        info->SetSpatialIndexInfo(index.GetDescription(), index.GetVersion(),
                                  static_cast<std::int32_t>(index.GetFeatureCount()),
                                  index.GetPrecision(), extent, index.GetMaxEntries(),
                                  index.GetMinEntries());
    }
    return 0;
}
