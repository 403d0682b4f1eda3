#include "nativeformat/NativeWriter.h"

#include "loader/core/FeatureRecord.h"
#include "loader/core/Messages.h"
#include "nativeformat/NativeGeometry.h"

CNativeWriter::CNativeWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
    : CWriterBase(settings, status, schemas) {}

Status CNativeWriter::Write(CFeatureRecord* record) {
    if (!record) return kWlxWriteError;
    if (const Status status = WriteAttributesAndSymbol(record)) return status;
    IWKBGeometry* geometry = record->PeekGeometry();
    if (!geometry) {
        WarnTooFewPoints(record->GetName(), record->GetKey(), false);
        return 0;
    }
    return WriteGeometry(*record, geometry);
}

Status CNativeWriter::WriteGeometry(const CFeatureRecord& record, IWKBGeometry* geometry) {
    EWKBGeometryType type{};
    if (const Status status = GeometryStatus(geometry->GetType(&type))) return status;
    bool written = false;
    Status status = 0;
    switch (type) {
        case kWkbPoint: {
            auto point = As<IWKBPoint>(geometry);
            if (!point) return kWlxInvalidObjectType;
            double x = 0, y = 0;
            if ((status = GeometryStatus(point->GetXY(&x, &y)))) return status;
            status = WritePoint(record, x, y, written);
            break;
        }
        case kWkbLineString: {
            auto line = As<IWKBLineString>(geometry);
            if (!line) return kWlxInvalidObjectType;
            status = WriteLineString(record, line.Get(), written);
            break;
        }
        case kWkbPolygon: {
            auto polygon = As<IWKBPolygon>(geometry);
            if (!polygon) return kWlxInvalidObjectType;
            status = WritePolygon(record, polygon.Get(), written);
            break;
        }
        case kWkbMultiLineString: {
            auto lines = As<IWKBMultiLineString>(geometry);
            if (!lines) return kWlxInvalidObjectType;
            status = WriteMultiLineString(record, lines.Get(), written);
            break;
        }
        case kWkbMultiPolygon: {
            auto polygons = As<IWKBMultiPolygon>(geometry);
            if (!polygons) return kWlxInvalidObjectType;
            status = WriteMultiPolygon(record, polygons.Get(), written);
            break;
        }
        case kWkbMultiPoint: {
            // One point record per member, each with the object's name, key and link.
            auto points = As<IWKBMultiPoint>(geometry);
            if (!points) return kWlxInvalidObjectType;
            return ForEachMember(points.Get(),
                                 [&](IWKBGeometry* point) { return WriteGeometry(record, point); });
        }
        case kWkbGeometryCollection: {
            // The object's attribute rows and symbol went out once, above.
            auto collection = As<IWKBGeometryCollection>(geometry);
            if (!collection) return kWlxInvalidObjectType;
            return ForEachMember(collection.Get(), [&](IWKBGeometry* member) {
                return member ? WriteGeometry(record, member) : 0;
            });
        }
    }
    if (status == 0 && written) CountWritten(type);
    return status;
}

void CNativeWriter::WarnInteriorRings(const CFeatureRecord& record) {
    if (ringsWarned_) return;
    ringsWarned_ = true;
    ShowWarning(Format(kMsgInteriorRingsNotWritten, record.GetName(), record.GetKey()));
}
