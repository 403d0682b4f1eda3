// The WLT text file: line kinds, the header (version and metadata blocks),
// record header lines, point lines, and the encoding that carries a
// multi-part line or polygon as one sequence of points.
//
// A record's points form parts: a part ends at the next point equal to its
// first one. For lines the repeated point only ends the part; for polygons it
// closes the ring and stays in it. The writer prepares each geometry so that
// the reader's walk gives its parts back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Status.h"
#include "loader/core/Geometry2d.h"

class CTextFile;

inline constexpr int kWltMajorVersion = 2;
inline constexpr std::string_view kWltVersionKey = "VERSION=";
inline constexpr std::string_view kWltMetadataBeginKey = "METADATA_BEGIN=";
inline constexpr std::string_view kWltMetadataEndKey = "METADATA_END";
inline constexpr std::string_view kWltCoordSysKind = "CoordinateSystem";
// Decimals of point coordinates at 32 and at 64 bits of precision.
inline constexpr int kWltDecimals32 = 7;
inline constexpr int kWltDecimals64 = 15;

enum class EWltLine {
    kComment,  // ';' or '!'
    kHeader,   // '#'
    kRecord,   // 'L', 'M' or 'P', either case
    kOther,    // point lines, and whatever else the reader passes over
};

EWltLine ClassifyWltLine(std::string_view line);

// Reads the next line that is neither blank nor a comment, without its line
// end. kWlxEndOfData at the end of the file.
Status ReadWltLine(CTextFile& file, std::string& line);

// What the header of a file says: its major version and the text of its
// coordinate-system metadata block, when it has one.
struct CWltHeader {
    int version = kWltMajorVersion;
    std::optional<std::string> coordSysText;
};

// Reads the header lines up to the first record header and leaves the file
// positioned at that record. kWlxEndOfData when the file ends first (a file
// of no records); kWlxInvalidVersion for an empty version or one of 3 or
// more; kLoaderWltMetadataReadError when a metadata block has no end line;
// a read failure of the file as it is.
Status ReadWltHeader(CTextFile& file, CWltHeader& header);

// The header lines of a new file: the two comment lines, the version line and,
// when `wkt` is given, the coordinate-system metadata block. A WKT longer than
// a line may be is spread over several "#" lines, which the reader joins.
std::string FormatWltHeader(const std::string* wkt);

// Record header lines: kind letter, the quoted name, key and link, and the
// number of point lines that follow.
struct CWltRecordHeader {
    char kind = 0;  // 'L', 'M' or 'P'
    std::string name;
    std::string key;
    std::optional<std::string> link;  // absent in files that leave it out
    int count = 0;
};

std::string FormatWltRecordHeader(char kind, std::string_view name, std::string_view key,
                                  std::string_view link, std::int64_t count);
// kWlxReadError for a missing name or key, a field without its closing quote
// or a count that is missing or not a number; kLoaderWltPointCountError for a
// count below 1.
Status ParseWltRecordHeader(std::string_view line, CWltRecordHeader& header);

// A point line: y, then x, each with `decimals` decimals.
void AppendWltPoint(std::string& out, const CPoint2d& point, int decimals);
// kWlxReadError unless the line holds two numbers separated by a comma.
Status ParseWltPoint(const std::string& line, CPoint2d& point);

// The value a coordinate reads back as from its text with `decimals`
// decimals: the writer compares points as the reader will see them.
double RoundToWltText(double value, int decimals);

// Prepares the points of a line for its record: drops repeated points, then
// escapes every return to a part's first point so that the reader does not
// end the part there. A member of a multi-part line, and a line that needed
// escaping, is closed so that the next part starts afresh. False, with the
// points emptied, when fewer than 2 distinct points remain.
bool PrepareWltLine(std::vector<CPoint2d>& points, bool member);
// The same for one polygon ring, which is also closed. False, with the points
// emptied, when the ring has no area to speak of: fewer than 3 distinct points,
// or 3 whose first equals the third.
bool PrepareWltRing(std::vector<CPoint2d>& points);

// Splits a record's points into its parts, as the reader's walk does: a part
// ends at the next point equal to its first one; a ring keeps that point, a
// line drops it. Only the last part may be open.
struct CWltParts {
    std::vector<std::vector<CPoint2d>> parts;
    int closed = 0;  // the number of parts that ended at their first point
};
CWltParts DecodeWltParts(std::span<const CPoint2d> points, bool rings);
