#include "loader/csv/CsvParser.h"

#include "loader/core/TextScanner.h"
#include "loader/core/Utf8Text.h"

namespace {

// A field opens at the first double or single quote, whichever comes first,
// and closes at the next undoubled one of the same kind; a doubled quote
// stays doubled in the text.
bool NextQuotedField(std::string_view text, std::size_t& pos, std::string& field) {
    const std::size_t open = text.find_first_of("\"'", pos);
    if (open == std::string_view::npos) return false;
    const char quote = text[open];
    std::size_t at = open + 1;
    for (;;) {
        const std::size_t close = text.find(quote, at);
        if (close == std::string_view::npos) return false;
        if (close + 1 < text.size() && text[close + 1] == quote) {
            at = close + 2;
            continue;
        }
        field.assign(text.substr(open + 1, close - open - 1));
        pos = close + 1;
        return true;
    }
}

}  // namespace

Status ParseCsvLine(std::string_view text, CsvLine& line) {
    line = CsvLine{};
    std::size_t pos = 0;
    line.hasKey = NextQuotedField(text, pos, line.key);
    if (!line.hasKey) return kWlxReadError;
    line.hasName = NextQuotedField(text, pos, line.name);
    if (!line.hasName) return kWlxReadError;
    CTextScanner scan(text);
    scan.SetPosition(pos);
    // The file gives latitude (y) before longitude (x).
    if (!scan.Literal(',') || !scan.Number(line.point.y) || !scan.Literal(',') ||
        !scan.Number(line.point.x))
        return kWlxReadError;
    pos = scan.Position();
    line.hasLink = NextQuotedField(text, pos, line.link);
    return 0;
}

void CCsvParser::Reset() {
    atEnd_ = false;
    havePending_ = false;
    pendingStatus_ = 0;
}

Status CCsvParser::NextLine(CsvLine& line) {
    if (havePending_) {
        havePending_ = false;
        line = std::move(pending_);
        return pendingStatus_;
    }
    std::string text;
    const Status status = source_.ReadLine(text);
    if (status == kWlxEndOfData) atEnd_ = true;
    if (status != 0) return status;
    return ParseCsvLine(text, line);
}

Status CCsvParser::ReadPoint(CsvLine& line) {
    return NextLine(line);
}

Status CCsvParser::ReadGroup(CsvGroup& group) {
    CsvLine line;
    Status status = NextLine(line);
    if (status != 0) return status;
    group.key = line.key;
    group.name = line.name;
    group.link = line.link;
    group.parts.clear();

    PointList part;
    CPoint2d start;
    // Points in the current part since its start; -1 right after a part was
    // closed, so that the closing point opens the next part but the point
    // after it becomes that part's start.
    int counter = 0;
    for (;;) {
        if (counter < 1) {
            start = line.point;
        } else if (line.point == start) {
            group.parts.push_back(std::move(part));
            part.clear();
            counter = -1;
        }
        ++counter;
        part.push_back(line.point);

        CsvLine next;
        status = NextLine(next);
        if (status == kWlxEndOfData) break;
        if (status != 0 || !EqualNoCase(next.key, group.key) ||
            !EqualNoCase(next.name, group.name)) {
            havePending_ = true;
            pendingStatus_ = status;
            pending_ = std::move(next);
            break;
        }
        line = std::move(next);
    }
    if (counter != 0) group.parts.push_back(std::move(part));
    return 0;
}
