#include "loader/bna/BnaParser.h"

#include <limits>

#include "loader/core/TextScanner.h"
#include "loader/core/Utf8Text.h"

namespace {

// A field runs from the next double quote to the next one that is not
// doubled; a doubled quote stays doubled in the text. False when no
// complete field is left on the line.
bool NextQuotedField(std::string_view line, std::size_t& pos, std::string& field) {
    const std::size_t open = line.find('"', pos);
    if (open == std::string_view::npos) return false;
    std::size_t at = open + 1;
    for (;;) {
        const std::size_t close = line.find('"', at);
        if (close == std::string_view::npos) return false;
        if (close + 1 < line.size() && line[close + 1] == '"') {
            at = close + 2;
            continue;
        }
        field.assign(line.substr(open + 1, close - open - 1));
        pos = close + 1;
        return true;
    }
}

}  // namespace

EBnaKind BnaHeader::Kind() const {
    if (count == 1) return kBnaPoint;
    if (count <= -2) return kBnaLine;
    if (count >= 4) return kBnaPolygon;
    return kBnaNone;
}

std::int64_t BnaHeader::LineCount() const {
    return count < 0 ? -static_cast<std::int64_t>(count) : count;
}

Status ParseBnaHeader(std::string_view line, BnaHeader& header) {
    header = BnaHeader{};
    std::size_t pos = 0;
    std::string field;
    while (header.fieldCount < 4 && NextQuotedField(line, pos, field)) {
        switch (header.fieldCount++) {
            case 0:
                header.name = field;
                break;
            case 2:
                header.key = field;
                break;
            case 3:
                header.layer = std::string(TrimBlanks(field));
                break;
            default:
                break;
        }
    }
    CTextScanner scan(line);
    scan.SetPosition(pos);
    std::int64_t count = 0;
    if (!scan.Literal(',') || !scan.Integer(count) ||
        count < std::numeric_limits<std::int32_t>::min() ||
        count > std::numeric_limits<std::int32_t>::max())
        return kWlxReadError;
    header.count = static_cast<std::int32_t>(count);
    return 0;
}

Status ParseBnaCoordinate(std::string_view line, CPoint2d& point) {
    CTextScanner scan(line);
    if (!scan.Number(point.x) || !scan.Literal(',') || !scan.Number(point.y)) return kWlxReadError;
    return 0;
}

Status ReadBnaHeader(CLineSource& source, BnaHeader& header) {
    std::string line;
    const Status status = source.ReadLine(line);
    if (status != 0) return status;
    return ParseBnaHeader(line, header);
}

Status ReadBnaCoordinates(CLineSource& source, const BnaHeader& header, PointList& points) {
    points.clear();
    std::string line;
    for (std::int64_t i = 0, n = header.LineCount(); i < n; ++i) {
        Status status = source.ReadLine(line);
        if (status == kWlxEndOfData) return kWlxUnexpectedEof;
        if (status != 0) return status;
        CPoint2d point;
        status = ParseBnaCoordinate(line, point);
        if (status != 0) return status;
        points.push_back(point);
    }
    return 0;
}

Status SkipBnaCoordinates(CLineSource& source, const BnaHeader& header) {
    std::string line;
    for (std::int64_t i = 0, n = header.LineCount(); i < n; ++i) {
        const Status status = source.ReadLine(line);
        if (status == kWlxEndOfData) return kWlxUnexpectedEof;
        if (status != 0) return status;
    }
    return 0;
}

std::vector<PointList> SplitBnaRings(const PointList& points) {
    std::vector<PointList> rings;
    if (points.empty()) return rings;
    const CPoint2d first = points.front();
    PointList ring;
    bool open = false;
    for (const CPoint2d& point : points) {
        ring.push_back(point);
        if (!open) {
            open = true;
        } else if (point == first) {
            rings.push_back(std::move(ring));
            ring.clear();
            open = false;
        }
    }
    if (open) rings.push_back(std::move(ring));
    return rings;
}
