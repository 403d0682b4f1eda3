#include "nativeformat/WltFormat.h"

#include <charconv>
#include <cstdlib>

#include "loader/core/Messages.h"
#include "loader/core/TextFile.h"
#include "loader/core/Utf8Text.h"

namespace {

// The longest metadata line written: readers that take a line in pieces of
// 4095 characters still see each one whole.
constexpr std::size_t kMaxMetadataLine = 4000;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// A header line's value for `key`, when the text after its '#' begins with it.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view key) {
    std::string_view text = line.substr(1);
    if (text.substr(0, key.size()) != key) return std::nullopt;
    return TrimEnd(text.substr(key.size()));
}

bool IsMetadataEnd(std::string_view line) {
    return ClassifyWltLine(line) == EWltLine::kHeader &&
           EqualNoCase(TrimEnd(line.substr(1)), kWltMetadataEndKey);
}

// The lines of a metadata block up to its end line: joined when `text` is
// given, passed over otherwise.
Status ReadMetadataBlock(CTextFile& file, std::string* text) {
    std::string line;
    for (;;) {
        const Status status = ReadWltLine(file, line);
        if (status == kWlxEndOfData) return kLoaderWltMetadataReadError;
        if (status != 0) return status;
        if (ClassifyWltLine(line) != EWltLine::kHeader) continue;
        if (IsMetadataEnd(line)) return 0;
        if (text) text->append(TrimEnd(std::string_view(line).substr(1)));
    }
}

// A quoted field starting at the first double quote at or after `pos`: two
// double quotes stand for one. `pos` moves past the closing quote. False when
// there is no opening quote (`missing` set) or no closing one.
bool ReadQuotedField(std::string_view line, std::size_t& pos, std::string& field, bool& missing) {
    field.clear();
    const std::size_t open = line.find('"', pos);
    missing = open == std::string_view::npos;
    if (missing) return false;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            field.push_back(line[i]);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            field.push_back('"');
            ++i;
        } else {
            pos = i + 1;
            return true;
        }
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else {
            out.push_back(c == '\n' ? ' ' : c);
        }
    }
    out.push_back('"');
}

// A number as scanf's "%lf" takes it, blanks before it skipped; the text
// after it is returned through `rest`.
bool ScanDouble(const char* text, double& value, const char*& rest) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (end == text) return false;
    rest = end;
    return true;
}

void AppendFixed(std::string& out, double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, result.ptr);
}

}  // namespace

EWltLine ClassifyWltLine(std::string_view line) {
    if (line.empty()) return EWltLine::kOther;
    switch (line.front()) {
        case ';':
        case '!':
            return EWltLine::kComment;
        case '#':
            return EWltLine::kHeader;
        case 'L':
        case 'l':
        case 'M':
        case 'm':
        case 'P':
        case 'p':
            return EWltLine::kRecord;
        default:
            return EWltLine::kOther;
    }
}

Status ReadWltLine(CTextFile& file, std::string& line) {
    for (;;) {
        if (const Status status = file.ReadLine(line)) return status;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (ClassifyWltLine(line) != EWltLine::kComment) return 0;
    }
}

Status ReadWltHeader(CTextFile& file, CWltHeader& header) {
    std::string line;
    for (;;) {
        std::int64_t offset = 0;
        if (const Status status = file.Tell(offset)) return status;
        if (const Status status = ReadWltLine(file, line)) return status;
        const EWltLine kind = ClassifyWltLine(line);
        if (kind == EWltLine::kRecord) return file.Seek(offset);
        if (kind != EWltLine::kHeader) continue;
        if (auto value = HeaderValue(line, kWltVersionKey)) {
            const std::string_view major = value->substr(0, value->find('.'));
            if (major.empty()) return kWlxInvalidVersion;
            // Read as atoi reads it: leading digits, nothing at all as 0.
            int version = 0;
            std::from_chars(major.data(), major.data() + major.size(), version);
            if (version >= 3) return kWlxInvalidVersion;
            header.version = version;
        } else if (auto blockKind = HeaderValue(line, kWltMetadataBeginKey)) {
            if (EqualNoCase(*blockKind, kWltCoordSysKind)) {
                std::string text;
                if (const Status status = ReadMetadataBlock(file, &text)) return status;
                header.coordSysText = std::move(text);
            } else if (const Status status = ReadMetadataBlock(file, nullptr)) {
                return status;
            }
        }
    }
}

std::string FormatWltHeader(const std::string* wkt) {
    std::string out = LoadMessage(kMsgWltHeaderComment);
    out += '\n';
    out += '#';
    out += kWltVersionKey;
    out += std::to_string(kWltMajorVersion);
    out += wkt ? ".1\n" : ".0\n";
    if (!wkt) return out;
    out += '#';
    out += kWltMetadataBeginKey;
    out += kWltCoordSysKind;
    out += '\n';
    // The reader drops blanks at the end of each line: a piece never ends in one.
    std::string_view rest = *wkt;
    do {
        std::string_view piece = CutAtCharBoundary(rest, kMaxMetadataLine);
        if (piece.size() < rest.size()) {
            std::size_t size = piece.size();
            while (size > 0 && IsBlank(piece[size - 1])) --size;
            if (size > 0) piece = piece.substr(0, size);
        }
        out += '#';
        out += piece;
        out += '\n';
        rest.remove_prefix(piece.size());
    } while (!rest.empty());
    out += '#';
    out += kWltMetadataEndKey;
    out += '\n';
    return out;
}

std::string FormatWltRecordHeader(char kind, std::string_view name, std::string_view key,
                                  std::string_view link, std::int64_t count) {
    std::string out;
    out.reserve(name.size() + key.size() + link.size() + 24);
    out.push_back(kind);
    out.push_back(',');
    AppendQuoted(out, name);
    out.push_back(',');
    AppendQuoted(out, key);
    out.push_back(',');
    AppendQuoted(out, link);
    out.push_back(',');
    out += std::to_string(count);
    out.push_back('\n');
    return out;
}

Status ParseWltRecordHeader(std::string_view line, CWltRecordHeader& header) {
    if (ClassifyWltLine(line) != EWltLine::kRecord) return kWlxReadError;
    header.kind = static_cast<char>(line.front() & ~0x20);
    std::size_t pos = 1;
    bool missing = false;
    if (!ReadQuotedField(line, pos, header.name, missing)) return kWlxReadError;
    if (!ReadQuotedField(line, pos, header.key, missing)) return kWlxReadError;
    std::string link;
    const std::size_t afterKey = pos;
    if (ReadQuotedField(line, pos, link, missing)) {
        header.link = std::move(link);
    } else if (missing) {
        header.link.reset();
        pos = afterKey;
    } else {
        return kWlxReadError;
    }
    // The count follows the next comma, or a second one when the line has it.
    std::size_t comma = line.find(',', pos);
    if (comma == std::string_view::npos) return kWlxReadError;
    if (std::size_t next = line.find(',', comma + 1); next != std::string_view::npos) comma = next;
    const std::string_view text = SkipBlanks(line.substr(comma + 1));
    long long count = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    // As scanf's "%d": what follows the number does not matter.
    if (std::from_chars(first, last, count).ec != std::errc()) return kWlxReadError;
    if (count < 1) return kLoaderWltPointCountError;
    if (count > INT32_MAX) return kWlxReadError;
    header.count = static_cast<int>(count);
    return 0;
}

void AppendWltPoint(std::string& out, const CPoint2d& point, int decimals) {
    AppendFixed(out, point.y, decimals);
    out.push_back(',');
    AppendFixed(out, point.x, decimals);
    out.push_back('\n');
}

Status ParseWltPoint(const std::string& line, CPoint2d& point) {
    const char* rest = nullptr;
    double y = 0, x = 0;
    if (!ScanDouble(line.c_str(), y, rest)) return kWlxReadError;
    while (IsBlank(*rest)) ++rest;
    if (*rest != ',') return kWlxReadError;
    if (!ScanDouble(rest + 1, x, rest)) return kWlxReadError;
    point = CPoint2d{x, y};
    return 0;
}

double RoundToWltText(double value, int decimals) {
    char text[400];
    const char* end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    double rounded = value;
    std::from_chars(text, end, rounded);
    return rounded;
}

namespace {

void DropRepeatedPoints(std::vector<CPoint2d>& points) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (kept > 0 && points[i] == points[kept - 1]) continue;
        points[kept++] = points[i];
    }
    points.resize(kept);
}

// The first index in [from, to) whose point equals `point`; `to` when none.
std::size_t FindPoint(const std::vector<CPoint2d>& points, const CPoint2d& point, std::size_t from,
                      std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (points[i] == point) return i;
    return to;
}

}  // namespace

bool PrepareWltLine(std::vector<CPoint2d>& points, bool member) {
    DropRepeatedPoints(points);
    const std::size_t n = points.size();
    if (n < 2) {
        points.clear();
        return false;
    }
    // A return to the part's first point P at k becomes ..., p(k-1), P,
    // p(k-1), P, ...: the part ends at the first P, and a new part starts with
    // the copy of p(k-1), so the segment p(k-1)-P is kept in both.
    std::vector<CPoint2d> out;
    out.reserve(n + 8);
    CPoint2d start = points[0];
    std::size_t copied = 0;
    std::size_t from = 2;
    bool escaped = false;
    for (;;) {
        const std::size_t k = FindPoint(points, start, from, n);
        if (k == n) break;
        out.insert(out.end(), points.begin() + copied, points.begin() + k + 1);
        out.push_back(points[k - 1]);
        out.push_back(points[k]);
        start = points[k - 1];
        copied = k + 1;
        from = k + 1;
        escaped = true;
    }
    out.insert(out.end(), points.begin() + copied, points.end());
    if (member || escaped) out.push_back(start);
    points = std::move(out);
    return true;
}

bool PrepareWltRing(std::vector<CPoint2d>& points) {
    DropRepeatedPoints(points);
    const std::size_t n = points.size();
    if (n < 3 || (n == 3 && points[0] == points[2])) {
        points.clear();
        return false;
    }
    // A return to the first point P before the ring's last point closes one
    // ring there and starts the next with a copy of P.
    std::vector<CPoint2d> out;
    out.reserve(n + 8);
    const CPoint2d start = points[0];
    std::size_t copied = 0;
    std::size_t from = 2;
    for (;;) {
        const std::size_t k = FindPoint(points, start, from, n - 1);
        if (k == n - 1) break;
        out.insert(out.end(), points.begin() + copied, points.begin() + k + 1);
        out.push_back(start);
        copied = k + 1;
        from = k + 2;
    }
    out.insert(out.end(), points.begin() + copied, points.end());
    if (!(out.back() == start)) out.push_back(start);
    points = std::move(out);
    return true;
}

CWltParts DecodeWltParts(std::span<const CPoint2d> points, bool rings) {
    CWltParts result;
    bool open = false;
    for (const CPoint2d& point : points) {
        if (!open) {
            result.parts.push_back({point});
            open = true;
        } else if (point == result.parts.back().front()) {
            if (rings) result.parts.back().push_back(point);
            ++result.closed;
            open = false;
        } else {
            result.parts.back().push_back(point);
        }
    }
    return result;
}
