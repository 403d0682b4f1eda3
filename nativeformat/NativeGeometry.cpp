#include "nativeformat/NativeGeometry.h"

Status AppendLinePoints(IWKBLineString* line, std::vector<double>& xy) {
    WkbLong count = 0;
    if (const Status status = GeometryStatus(line->GetNumPoints(&count))) return status;
    const std::size_t first = xy.size();
    xy.resize(first + 2 * static_cast<std::size_t>(count));
    double* out = xy.data() + first;
    for (WkbLong i = 0; i < count; ++i, out += 2) {
        if (const Status status = GeometryStatus(line->GetPointXY(i, out, out + 1))) {
            xy.resize(first);
            return status;
        }
    }
    return 0;
}

Status GetExteriorRing(IWKBPolygon* polygon, ComPtr<IWKBLineString>& ring, bool& hasHoles) {
    WkbLong holes = 0;
    if (const Status status = GeometryStatus(polygon->GetNumInteriorRings(&holes))) return status;
    hasHoles = holes > 0;
    return GeometryStatus(polygon->GetExteriorRing(ring.Put()));
}
