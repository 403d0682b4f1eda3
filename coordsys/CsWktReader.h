// Reads a well-known-text (WKT) coordinate system back into a parameter
// block: a GEOGCS, a PROJCS or a LOCALCS, with the names of the writer's
// alias tables. The text is split clause by clause (SplitWktClause), each
// clause's elements are read by the piece that knows them, and the block is
// finally set up through the projection table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "coordsys/CsWktStatus.h"

struct CsParams;

// Splits one clause, KEYWORD[element, element, ...], into its keyword (case
// kept, blanks trimmed) and its elements: quotes around a top-level element
// are dropped, a nested clause stays one element with its brackets and
// quotes, empty elements between commas are kept and an empty last one is
// dropped. False for an unbalanced bracket, a missing "[" or final "]", or
// nothing before the "[".
bool SplitWktClause(std::string_view text, std::string& keyword,
                    std::vector<std::string>& elements);

// The last element that begins with `keyword` (letter case ignored); null
// when none does or the keyword is empty.
const std::string* FindWktElement(const std::vector<std::string>& elements,
                                  std::string_view keyword);

// The names and values of the PARAMETER clauses among `elements`, in order.
struct CsWktParameterList {
    std::vector<std::string> names;
    std::vector<std::string> values;
};
CsWktParameterList CollectWktParameters(const std::vector<std::string>& elements);

// The value of the PARAMETER `name` (as WktNamesEqual compares) into `field`;
// a value that is not a number reads as 0. Absent: `defaultValue`, unless it
// is kWktNoDefault, when the field is left alone and the status is that of
// the name ("Invalid or missing <NAME>").
WktStatus ReadWktDouble(const CsWktParameterList& parameters, std::string_view name, double* field,
                        double defaultValue);
// The same for an integer held in 16 bits; a default of magnitude 32000 or
// more counts as none.
WktStatus ReadWktInteger(const CsWktParameterList& parameters, std::string_view name,
                         std::int16_t* field, double defaultValue);

// The PROJECTION and PARAMETERs of a PROJCS text into `out`'s definition:
// projection key, code and the family's fields. Reads every family WKT has
// a form for, whether or not the library has it built.
WktStatus ReadWktProjection(std::string_view projcsText, CsParams* out);
// A SPHEROID clause into `out`'s ellipsoid: key from the ellipsoid alias
// table, radii and shape from the text.
WktStatus ReadWktSpheroid(std::string_view spheroidText, CsParams* out);
// A LOCALCS or LOCAL_CS clause into `out`. One whose LOCAL_DATUM is "*X-Y*"
// (as the writer writes the local cartesian systems) reads back as that local
// system; any other as a non-earth (NERTH) system.
WktStatus ReadWktLocalSystem(std::string_view localText, CsParams* out);

// Reads the UTF-8 text into `out` and sets the system up. On failure `out`
// is the empty definition and the status says what was wrong.
WktStatus ReadWkt(std::string_view text, CsParams* out);
// The same for a UTF-16 text; kWktMissingArgument for a null argument.
WktStatus ReadWkt(const char16_t* text, CsParams* out);

// The empty definition every read starts from: all zero, but scale
// reduction and map scale 1 and quadrant 1.
void ClearWktDefinition(CsParams* out);
