#include "nativeformat/WltReader.h"

#include "coordsys/CoordSysDescriptor.h"
#include "loader/core/FeatureFilter.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"
#include "nativeformat/NativeCoordSys.h"
#include "nativeformat/NativeGeometry.h"

namespace {

int FeatureKind(char letter) {
    switch (letter) {
        case 'M':
        case 'm':
            return kFeaturePoint;
        case 'L':
        case 'l':
            return kFeatureLine;
        default:
            return kFeaturePolygon;
    }
}

}  // namespace

CWltReader::CWltReader(CLoaderSettings* settings, Status* status)
    : CSourceReader(settings, status) {
    if (*status == 0) *status = Open();
}

Status CWltReader::Open() {
    const std::string& name = settings_->inputName;
    file_ = std::make_unique<CTextFile>(name);
    if (const Status status = file_->OpenRead()) return status;
    CWltHeader header;
    Status status = ReadWltHeader(*file_, header);
    // A file of no records: the run finds nothing to read.
    if (status == kWlxEndOfData) {
        atEnd_ = true;
        status = 0;
    }
    if (status == kLoaderWltMetadataReadError) SetStatusArgs(name.c_str(), nullptr);
    if (status == kWlxReadError) SetReadErrorArgs(name, file_->LineNumber());
    if (status != 0) return status;
    version_ = header.version;
    if (header.coordSysText && !header.coordSysText->empty()) {
        const auto coordSys = CoordSysFromWkt(*header.coordSysText, settings_);
        if (!coordSys) {
            SetStatusArgs(name.c_str(), nullptr);
            return kLoaderWltMetadataReadError;
        }
        TakeOverInputCoordSys(*settings_, *coordSys);
    }
    return 0;
}

Status CWltReader::Rewind() {
    atEnd_ = false;
    return file_->Seek(0);
}

Status CWltReader::ReadNext(CFeatureRecord* record) {
    if (!record || !file_) return kWlxReadError;
    const Status status = NextRecord(record);
    if (status == kWlxReadError) SetReadErrorArgs(settings_->inputName, file_->LineNumber());
    return status;
}

Status CWltReader::NextRecord(CFeatureRecord* record) {
    for (;;) {
        const Status status = ReadWltLine(*file_, line_);
        if (status == kWlxEndOfData) atEnd_ = true;
        if (status != 0) return status;
        // Header lines, and the points of records passed over, are not records.
        if (ClassifyWltLine(line_) != EWltLine::kRecord) continue;
        CFeatureKey key;
        key.kind = FeatureKind(line_.front());
        if (!settings_->filter.Accept(&key)) continue;
        return ReadRecord(line_, record);
    }
}

Status CWltReader::ReadPoint(CPoint2d& point) {
    const Status status = ReadWltLine(*file_, line_);
    // The header promised more points than the file holds.
    if (status == kWlxEndOfData) return kWlxUnexpectedEof;
    if (status != 0) return status;
    if (ClassifyWltLine(line_) == EWltLine::kRecord) return kLoaderWltPointCountError;
    return ParseWltPoint(line_, point);
}

Status CWltReader::ReadRecord(const std::string& line, CFeatureRecord* record) {
    CWltRecordHeader header;
    if (const Status status = ParseWltRecordHeader(line, header)) return status;
    record->SetName(header.name);
    record->SetKey(header.key.empty() ? MakeObjectKey() : header.key);
    if (header.link) record->SetLink(*header.link);

    // Only the first point of a point record is its own; the rest are passed over.
    const int count = header.kind == 'M' ? 1 : header.count;
    points_.clear();
    for (int i = 0; i < count; ++i) {
        CPoint2d point;
        if (const Status status = ReadPoint(point)) return status;
        points_.push_back(point);
    }
    ComPtr<IWKBGeometry> geometry;
    if (const Status status = MakeGeometry(header.kind, geometry)) return status;
    return record->SetGeometry(geometry.Get());
}

Status CWltReader::MakeGeometry(char kind, ComPtr<IWKBGeometry>& geometry) {
    IWKBGeometryFactory* factory = factory_.Get();
    if (kind == 'M') {
        ComPtr<IWKBPoint> point;
        const CPoint2d& p = points_.front();
        if (const Status status = GeometryStatus(factory->NewWKBPointXY(p.x, p.y, point.Put())))
            return status;
        geometry = ComPtr<IWKBGeometry>::Share(point.Get());
        return 0;
    }
    const bool rings = kind == 'P';
    const CWltParts decoded = DecodeWltParts(points_, rings);
    const auto& parts = decoded.parts;
    if (!rings) {
        // One line unless the points hold more than one part.
        if (parts.size() <= 1) {
            ComPtr<IWKBLineString> line;
            const std::vector<CPoint2d> none;
            if (const Status status = GeometryStatus(
                    MakeLineString(factory, parts.empty() ? none : parts.front(), line)))
                return status;
            geometry = ComPtr<IWKBGeometry>::Share(line.Get());
            return 0;
        }
        ComPtr<IWKBMultiLineString> lines;
        if (const Status status = GeometryStatus(MakeMultiLineString(factory, parts, lines)))
            return status;
        geometry = ComPtr<IWKBGeometry>::Share(lines.Get());
        return 0;
    }
    if (parts.size() <= 1) {
        ComPtr<IWKBPolygon> polygon;
        const std::vector<CPoint2d> none;
        if (const Status status =
                GeometryStatus(MakePolygon(factory, parts.empty() ? none : parts.front(), polygon)))
            return status;
        geometry = ComPtr<IWKBGeometry>::Share(polygon.Get());
        return 0;
    }
    ComPtr<IWKBMultiPolygon> polygons;
    if (const Status status = GeometryStatus(MakeMultiPolygon(factory, parts, polygons)))
        return status;
    geometry = ComPtr<IWKBGeometry>::Share(polygons.Get());
    return 0;
}
