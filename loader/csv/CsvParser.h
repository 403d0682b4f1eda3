// The comma-delimited point format: one point per line,
//   "key","name", y, x [,"link"]
// with fields quoted in double or single quotes. As points every line is an
// object; as lines or polygons, consecutive lines that share key and name
// form one object, split into parts where a point repeats the part's start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/LineSource.h"
#include "loader/core/PointList.h"

struct CsvLine {
    bool hasKey = false;
    bool hasName = false;
    bool hasLink = false;
    std::string key;
    std::string name;
    std::string link;
    CPoint2d point;
};

// kWlxReadError when key, name or either number is missing; what was found
// before the failure stays in `line`.
Status ParseCsvLine(std::string_view text, CsvLine& line);

struct CsvGroup {
    std::string key;  // as the file gives it, possibly empty
    std::string name;
    std::string link;  // of the group's first line
    std::vector<PointList> parts;
};

// Reads points, or groups of points, from the lines of a CSV input.
class CCsvParser {
public:
    explicit CCsvParser(CLineSource& source) : source_(source) {}

    // The next line as one point; kWlxEndOfData at the end.
    Status ReadPoint(CsvLine& line);
    // The next run of lines whose key and name equal the first line's
    // (without regard to case); kWlxEndOfData when no line is left. The line
    // that ends a run is the first of the next one; a line that fails to
    // parse ends the run before it and fails the next call.
    Status ReadGroup(CsvGroup& group);
    // True once the input has given its end.
    bool AtEnd() const { return atEnd_; }
    // Forgets the line read ahead, after the source has been moved.
    void Reset();

private:
    Status NextLine(CsvLine& line);

    CLineSource& source_;
    bool atEnd_ = false;
    bool havePending_ = false;
    Status pendingStatus_ = 0;
    CsvLine pending_;
};
