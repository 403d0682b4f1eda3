#include "loader/mif/MifParser.h"

#include <algorithm>
#include <cmath>

#include "loader/core/TextScanner.h"
#include "loader/core/Utf8Text.h"

namespace {

constexpr double kDegreesToRadians = 0.017453292519944444;
constexpr double kTwoPi = 6.28318530718;
constexpr double kArcStep = 0.05235987755983;  // 3 degrees

enum class EMifKeyword {
    kOther,
    kPoint,
    kLine,
    kPline,
    kRegion,
    kArc,
    kEllipse,
    kRect,
    kRoundRect,
    kText,
    kMultiPoint,
    kCollection,
    kNone,
};

EMifKeyword ClassifyKeyword(std::string_view keyword) {
    static constexpr struct {
        std::string_view name;
        EMifKeyword keyword;
    } kKeywords[] = {
        {"POINT", EMifKeyword::kPoint},
        {"LINE", EMifKeyword::kLine},
        {"PLINE", EMifKeyword::kPline},
        {"REGION", EMifKeyword::kRegion},
        {"ARC", EMifKeyword::kArc},
        {"ELLIPSE", EMifKeyword::kEllipse},
        {"RECT", EMifKeyword::kRect},
        {"ROUNDRECT", EMifKeyword::kRoundRect},
        {"TEXT", EMifKeyword::kText},
        {"MULTIPOINT", EMifKeyword::kMultiPoint},
        {"COLLECTION", EMifKeyword::kCollection},
        {"NONE", EMifKeyword::kNone},
    };
    for (const auto& entry : kKeywords)
        if (EqualNoCase(keyword, entry.name)) return entry.keyword;
    return EMifKeyword::kOther;
}

// Inside an object the file must go on.
Status ReadObjectLine(CLineSource& source, std::string& line) {
    const Status status = source.ReadLine(line);
    return status == kWlxEndOfData ? kWlxUnexpectedEof : status;
}

bool ScanNumbers(CTextScanner& scan, double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!scan.Number(values[i])) return false;
    return true;
}

bool ParseNumbers(std::string_view text, double* values, int count) {
    CTextScanner scan(text);
    return ScanNumbers(scan, values, count);
}

Status ReadNumbersLine(CLineSource& source, double* values, int count) {
    std::string line;
    const Status status = ReadObjectLine(source, line);
    if (status != 0) return status;
    return ParseNumbers(line, values, count) ? 0 : kWlxReadError;
}

Status ReadCountLine(CLineSource& source, int& count) {
    std::string line;
    const Status status = ReadObjectLine(source, line);
    if (status != 0) return status;
    CTextScanner scan(line);
    return scan.Integer(count) && count >= 0 ? 0 : kWlxReadError;
}

Status ReadPoints(CLineSource& source, int count, PointList& points) {
    points.clear();
    for (int i = 0; i < count; ++i) {
        double xy[2];
        const Status status = ReadNumbersLine(source, xy, 2);
        if (status != 0) return status;
        points.push_back({xy[0], xy[1]});
    }
    return 0;
}

// A count line followed by that many point lines.
Status ReadSection(CLineSource& source, PointList& points) {
    int count = 0;
    const Status status = ReadCountLine(source, count);
    if (status != 0) return status;
    return ReadPoints(source, count, points);
}

Status ReadSections(CLineSource& source, int count, std::vector<PointList>& parts) {
    parts.clear();
    for (int i = 0; i < count; ++i) {
        PointList points;
        const Status status = ReadSection(source, points);
        if (status != 0) return status;
        parts.push_back(std::move(points));
    }
    return 0;
}

Status ReadPline(CLineSource& source, std::string_view rest, MifObject& object) {
    object.kind = 2;
    CTextScanner scan(rest);
    std::string_view word;
    if (scan.Letters(word) && EqualNoCase(word, "MULTIPLE")) {
        int sections = 0;
        if (!scan.Integer(sections) || sections < 1) return kWlxReadError;
        object.shape = EMifShape::kMultiLineString;
        return ReadSections(source, sections, object.parts);
    }
    object.shape = EMifShape::kLineString;
    object.parts.resize(1);
    // The count is on the PLINE line or, without it, on the next line.
    scan.SetPosition(0);
    int count = 0;
    if (!scan.Integer(count)) {
        const Status status = ReadCountLine(source, count);
        if (status != 0) return status;
    } else if (count < 0) {
        return kWlxReadError;
    }
    return ReadPoints(source, count, object.parts[0]);
}

Status ReadRegion(CLineSource& source, std::string_view rest, MifObject& object) {
    object.kind = 3;
    CTextScanner scan(rest);
    int rings = 0;
    if (!scan.Integer(rings) || rings < 1) return kWlxReadError;
    // Rings are not nested as holes: each one is a polygon of its own.
    object.shape = rings == 1 ? EMifShape::kPolygon : EMifShape::kMultiPolygon;
    return ReadSections(source, rings, object.parts);
}

Status ReadArc(CLineSource& source, std::string_view rest, MifObject& object) {
    object.kind = 2;
    double v[6];
    CTextScanner scan(rest);
    if (!ScanNumbers(scan, v, 4)) return kWlxReadError;
    // The two angles follow the corners, on the same line or on the next.
    if (!ScanNumbers(scan, v + 4, 2)) {
        const Status status = ReadNumbersLine(source, v + 4, 2);
        if (status != 0) return status;
    }
    object.shape = EMifShape::kLineString;
    object.parts.resize(1);
    TraceMifArc((v[0] + v[2]) / 2, (v[1] + v[3]) / 2, std::fabs(v[2] - v[0]) / 2,
                std::fabs(v[3] - v[1]) / 2, v[4], v[5], true, object.parts[0]);
    return 0;
}

Status ReadBox(std::string_view rest, double* corners) {
    return ParseNumbers(rest, corners, 4) ? 0 : kWlxReadError;
}

void MakeRectangle(const double* v, MifObject& object) {
    object.kind = 3;
    object.shape = EMifShape::kPolygon;
    object.parts.assign(
        1, PointList{{v[0], v[1]}, {v[0], v[3]}, {v[2], v[3]}, {v[2], v[1]}, {v[0], v[1]}});
}

bool IsQuoteChar(char c) {
    return c == '"' || c == '\'';
}

bool IsQuoted(std::string_view text) {
    return text.size() >= 2 && IsQuoteChar(text.front()) && text.back() == text.front();
}

Status ReadText(CLineSource& source, std::string_view rest, MifObject& object) {
    object.kind = 1;
    std::string line;
    std::string_view text = TrimBlanks(rest);
    // The text may stand on a line of its own after the keyword.
    while (!IsQuoted(text)) {
        const Status status = ReadObjectLine(source, line);
        if (status != 0) return status;
        text = TrimBlanks(line);
    }
    object.hasText = true;
    object.text.assign(text.substr(1, text.size() - 2));
    double v[4];
    const Status status = ReadNumbersLine(source, v, 4);
    if (status != 0) return status;
    object.shape = EMifShape::kPoint;
    object.parts.assign(1, PointList{{std::min(v[0], v[2]), std::max(v[1], v[3])}});
    return 0;
}

Status ReadMultiPoint(CLineSource& source, std::string_view rest) {
    CTextScanner scan(rest);
    int count = 0;
    if (!scan.Integer(count) || count < 0) return kWlxReadError;
    PointList points;
    return ReadPoints(source, count, points);
}

// A collection's parts belong to it: they are read here and converted to
// nothing, so that none of them is taken for an object of its own.
Status ReadCollection(CLineSource& source, std::string_view rest) {
    CTextScanner scan(rest);
    int parts = 0;
    if (!scan.Integer(parts) || parts < 0) return kWlxReadError;
    std::string line;
    for (int read = 0; read < parts;) {
        Status status = ReadObjectLine(source, line);
        if (status != 0) return status;
        std::string_view keyword, partRest;
        SplitMifKeyword(line, keyword, partRest);
        MifObject part;
        switch (ClassifyKeyword(keyword)) {
            case EMifKeyword::kRegion:
                status = ReadRegion(source, partRest, part);
                break;
            case EMifKeyword::kPline:
                status = ReadPline(source, partRest, part);
                break;
            case EMifKeyword::kMultiPoint:
                status = ReadMultiPoint(source, partRest);
                break;
            case EMifKeyword::kOther:
                if (keyword.empty()) return kWlxReadError;
                continue;  // a style clause of the part before
            default:
                return kWlxReadError;
        }
        if (status != 0) return status;
        ++read;
    }
    return 0;
}

std::string_view TrimmedSubstr(std::string_view text, std::size_t begin, std::size_t end) {
    return TrimBlanks(text.substr(begin, end - begin));
}

// The quoted field opening at `open`; a doubled quote stands for one. False
// when the quote is not closed.
bool ScanQuotedField(std::string_view text, std::size_t open, std::string& field,
                     std::size_t& end) {
    const char quote = text[open];
    field.clear();
    std::size_t at = open + 1;
    for (;;) {
        const std::size_t close = text.find(quote, at);
        if (close == std::string_view::npos) return false;
        field.append(text.substr(at, close - at));
        if (close + 1 < text.size() && text[close + 1] == quote) {
            field.push_back(quote);
            at = close + 2;
            continue;
        }
        end = close + 1;
        return true;
    }
}

}  // namespace

void SplitMifKeyword(std::string_view line, std::string_view& keyword, std::string_view& rest) {
    CTextScanner scan(line);
    if (!scan.Letters(keyword)) keyword = {};
    scan.SkipBlanks();
    rest = scan.Rest();
}

namespace {

// A line of the header, which ends only at its DATA line.
Status ReadHeaderLine(CLineSource& source, std::string& line) {
    const Status status = source.ReadLine(line);
    return status == kWlxEndOfData ? kWlxUnexpectedEof : status;
}

// The delimiter character, quoted or not; `delimiter` stays as it is when
// the line gives none.
void ReadMifDelimiter(CTextScanner& scan, char& delimiter) {
    const std::size_t start = scan.Position();
    for (char quote : {'"', '\''}) {
        scan.SetPosition(start);
        char c = 0;
        if (scan.Literal(quote) && scan.AnyChar(c) && scan.Literal(quote) && c != 0) {
            delimiter = c;
            return;
        }
    }
    scan.SetPosition(start);
    scan.SkipBlanks();
    char c = 0;
    if (scan.AnyChar(c)) delimiter = c;
}

// One line of the COLUMNS section: a name and a type.
Status ReadMifColumn(std::string_view line, MifColumn& def) {
    CTextScanner column(line);
    std::string_view name, type;
    if (!column.Word(name) || !column.Letters(type)) return kWlxNotSupported;
    def.name.assign(name);
    if (EqualNoCase(type, "CHAR")) {
        if (!column.Literal('(') || !column.Integer(def.width) || !column.Literal(')') ||
            def.width < 0)
            return kWlxNotSupported;
    } else if (EqualNoCase(type, "INTEGER") || EqualNoCase(type, "SMALLINT") ||
               EqualNoCase(type, "LOGICAL")) {
        def.type = kMifColumnInt;
    } else if (EqualNoCase(type, "DECIMAL")) {
        def.type = kMifColumnDouble;
        if (!column.Literal('(') || !column.Integer(def.width) || !column.Literal(',') ||
            !column.Integer(def.decimals) || !column.Literal(')') || def.width < 0 ||
            def.decimals < 0)
            return kWlxNotSupported;
    } else if (EqualNoCase(type, "FLOAT")) {
        def.type = kMifColumnDouble;
    } else if (EqualNoCase(type, "DATE")) {
        def.width = 256;
    } else {
        return kWlxNotSupported;
    }
    return 0;
}

}  // namespace

Status ReadMifHeader(CLineSource& source, MifHeader& header) {
    header = MifHeader{};
    std::string line;
    for (;;) {
        if (const Status status = ReadHeaderLine(source, line)) return status;
        std::string_view keyword, rest;
        SplitMifKeyword(line, keyword, rest);
        CTextScanner scan(rest);
        if (EqualNoCase(keyword, "DATA")) return 0;
        if (EqualNoCase(keyword, "DELIMITER")) {
            ReadMifDelimiter(scan, header.delimiter);
        } else if (EqualNoCase(keyword, "UNIQUE")) {
            scan.Integer(header.unique);
        } else if (EqualNoCase(keyword, "INDEX")) {
            scan.Integer(header.index);
        } else if (EqualNoCase(keyword, "COLUMNS")) {
            int count = 0;
            if (!scan.Integer(count) || count < 0) return kWlxReadError;
            header.hasColumns = true;
            header.columns.clear();
            for (int i = 0; i < count; ++i) {
                if (const Status status = ReadHeaderLine(source, line)) return status;
                MifColumn def;
                if (const Status status = ReadMifColumn(line, def)) return status;
                header.columns.push_back(std::move(def));
            }
        }
        // VERSION, CHARSET, COORDSYS, TRANSFORM, BOUNDS ... change nothing here.
    }
}

Status ReadMifObject(CLineSource& source, MifObject& object) {
    std::string line;
    for (;;) {
        const Status status = source.ReadLine(line);
        if (status != 0) return status;
        std::string_view keyword, rest;
        SplitMifKeyword(line, keyword, rest);
        object = MifObject{};
        double v[4];
        switch (ClassifyKeyword(keyword)) {
            case EMifKeyword::kOther:
                continue;  // style clauses, stray coordinates
            case EMifKeyword::kPoint:
                object.kind = 1;
                if (!ParseNumbers(rest, v, 2)) return kWlxReadError;
                object.shape = EMifShape::kPoint;
                object.parts.assign(1, PointList{{v[0], v[1]}});
                return 0;
            case EMifKeyword::kLine:
                object.kind = 2;
                if (!ParseNumbers(rest, v, 4)) return kWlxReadError;
                object.shape = EMifShape::kLineString;
                object.parts.assign(1, PointList{{v[0], v[1]}, {v[2], v[3]}});
                return 0;
            case EMifKeyword::kPline:
                return ReadPline(source, rest, object);
            case EMifKeyword::kRegion:
                return ReadRegion(source, rest, object);
            case EMifKeyword::kArc:
                return ReadArc(source, rest, object);
            case EMifKeyword::kEllipse: {
                object.kind = 3;
                if (ReadBox(rest, v) != 0) return kWlxReadError;
                object.shape = EMifShape::kPolygon;
                object.parts.resize(1);
                TraceMifArc((v[0] + v[2]) / 2, (v[1] + v[3]) / 2, std::fabs(v[2] - v[0]) / 2,
                            std::fabs(v[3] - v[1]) / 2, 0.0, 360.0, true, object.parts[0]);
                return 0;
            }
            case EMifKeyword::kRect:
                object.kind = 3;
                if (ReadBox(rest, v) != 0) return kWlxReadError;
                MakeRectangle(v, object);
                return 0;
            case EMifKeyword::kRoundRect: {
                object.kind = 3;
                if (ReadBox(rest, v) != 0) return kWlxReadError;
                double rounding = 0;  // read so that it is not taken for data; not used
                const Status roundingStatus = ReadNumbersLine(source, &rounding, 1);
                if (roundingStatus != 0) return roundingStatus;
                MakeRectangle(v, object);
                return 0;
            }
            case EMifKeyword::kText:
                return ReadText(source, rest, object);
            case EMifKeyword::kMultiPoint:
                object.unsupported = MifObject::EUnsupported::kMultiPoint;
                return ReadMultiPoint(source, rest);
            case EMifKeyword::kCollection:
                object.unsupported = MifObject::EUnsupported::kCollection;
                return ReadCollection(source, rest);
            case EMifKeyword::kNone:
                return 0;
        }
    }
}

void TraceMifArc(double cx, double cy, double rx, double ry, double startDegrees, double endDegrees,
                 bool counterClockwise, PointList& points) {
    auto normalise = [](double angle) {
        // fmod keeps a huge angle from turning the loops below into a hang;
        // ordinary angles take the loops alone.
        if (std::fabs(angle) > 4 * kTwoPi) angle = std::fmod(angle, kTwoPi);
        while (angle < 0) angle += kTwoPi;
        while (angle > kTwoPi) angle -= kTwoPi;
        return angle;
    };
    auto add = [&](double angle) {
        points.push_back({cx + std::cos(angle) * rx, cy + std::sin(angle) * ry});
    };
    const double start = normalise(startDegrees * kDegreesToRadians);
    const double end = normalise(endDegrees * kDegreesToRadians);
    add(start);
    const double sweep = end - start;
    // Equal angles trace a full turn.
    const double extent = (sweep > 0 && counterClockwise) || (sweep < 0 && !counterClockwise)
                              ? std::fabs(sweep)
                              : kTwoPi - std::fabs(sweep);
    const double step = counterClockwise ? kArcStep : -kArcStep;
    const int steps = static_cast<int>(extent / kArcStep);
    double angle = start;
    for (int i = 0; i < steps; ++i) {
        angle += step;
        if (angle < 0)
            angle += kTwoPi;
        else if (angle > kTwoPi)
            angle -= kTwoPi;
        if (i == steps - 1 && angle == end) continue;
        add(angle);
    }
    add(end);
}

void SplitMidRow(std::string_view row, char delimiter, std::size_t columns,
                 std::vector<std::string>& values) {
    values.clear();
    std::size_t pos = 0;
    bool exhausted = false;
    auto isQuote = [delimiter](char c) { return IsQuoteChar(c) && c != delimiter; };
    std::string field;
    for (std::size_t column = 0; column < columns; ++column) {
        if (exhausted) {
            values.emplace_back();
            continue;
        }
        if (column + 1 == columns) {
            // The last column takes the rest of the row, whole when it is
            // not one quoted field.
            const std::string_view rest = TrimBlanks(row.substr(pos));
            std::size_t end = 0;
            if (!rest.empty() && isQuote(rest.front()) && ScanQuotedField(rest, 0, field, end) &&
                end == rest.size())
                values.push_back(field);
            else
                values.emplace_back(rest);
            break;
        }
        std::size_t start = pos;
        while (start < row.size() && row[start] != delimiter && IsBlank(row[start])) ++start;
        std::size_t end = 0;
        if (start < row.size() && isQuote(row[start]) && ScanQuotedField(row, start, field, end)) {
            values.push_back(field);
            const std::size_t next = row.find(delimiter, end);
            if (next == std::string_view::npos)
                exhausted = true;
            else
                pos = next + 1;
            continue;
        }
        const std::size_t next = row.find(delimiter, pos);
        if (next == std::string_view::npos) {
            values.emplace_back(TrimBlanks(row.substr(pos)));
            exhausted = true;
        } else {
            values.emplace_back(TrimmedSubstr(row, pos, next));
            pos = next + 1;
        }
    }
}
