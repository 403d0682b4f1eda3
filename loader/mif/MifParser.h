// The MapInfo interchange format: a MIF file with the header (delimiter,
// key and name columns, column definitions up to DATA) and the graphic
// objects, and a MID file beside it with one row of attribute values per
// object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/LineSource.h"
#include "loader/core/PointList.h"

// Column types of the attribute tables.
inline constexpr int kMifColumnText = 0;
inline constexpr int kMifColumnInt = 1;
inline constexpr int kMifColumnDouble = 3;

struct MifColumn {
    std::string name;
    int type = kMifColumnText;
    int width = 0;
    int decimals = 0;

    friend bool operator==(const MifColumn&, const MifColumn&) = default;
};

struct MifHeader {
    char delimiter = '\t';
    int unique = 0;  // UNIQUE column number, 0 when not given
    int index = 0;   // INDEX column number, 0 when not given
    bool hasColumns = false;
    std::vector<MifColumn> columns;
};

// Reads the header up to and including its DATA line. kWlxNotSupported for
// a column type this reader does not know, kWlxUnexpectedEof when the file
// ends before DATA.
Status ReadMifHeader(CLineSource& source, MifHeader& header);

// The keyword of a line (its first run of letters, empty when the line
// starts with no letter) and what follows it, blanks skipped.
void SplitMifKeyword(std::string_view line, std::string_view& keyword, std::string_view& rest);

enum class EMifShape {
    kNone,  // an object that converts to nothing (NONE, MULTIPOINT, COLLECTION)
    kPoint,
    kLineString,
    kMultiLineString,
    kPolygon,       // parts[0] is the one ring
    kMultiPolygon,  // one polygon per ring
};

struct MifObject {
    int kind = 0;  // feature-key kind: 1 point, 2 line, 3 polygon, 0 nothing
    EMifShape shape = EMifShape::kNone;
    std::vector<PointList> parts;
    bool hasText = false;  // TEXT objects name their point
    std::string text;
    // Multipoints and collections are read past and converted to nothing.
    enum class EUnsupported { kNone, kMultiPoint, kCollection } unsupported = EUnsupported::kNone;
};

// Reads the next top-level object of the data section, passing over the
// lines that belong to none (style clauses and the like); every object read
// owns one MID row. kWlxEndOfData when no object is left, kWlxReadError for
// a malformed object, kWlxUnexpectedEof when the file ends inside one.
Status ReadMifObject(CLineSource& source, MifObject& object);

// Appends the arc of the ellipse centred at (cx, cy) with radii rx and ry,
// from `startDegrees` to `endDegrees`, in steps of 3 degrees.
void TraceMifArc(double cx, double cy, double rx, double ry, double startDegrees, double endDegrees,
                 bool counterClockwise, PointList& points);

// Splits one MID row into exactly `columns` values: fields are separated by
// the delimiter, may be quoted in double or single quotes (a doubled quote
// inside stands for one), are trimmed of blanks and lose their quotes; the
// last column takes the rest of the row.
void SplitMidRow(std::string_view row, char delimiter, std::size_t columns,
                 std::vector<std::string>& values);
