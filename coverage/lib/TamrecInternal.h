// Helpers shared by the library's sources; not part of its interface.
#pragma once

#include <cstdint>
#include <string>

#include "common/ByteSource.h"

struct tamrec_info_field_description;
struct tamrec_attribute_items;

namespace tamrecinternal {

// Records `message` as the last error with `code`; always 1, the failure result.
int Fail(int code, const std::string& message);
// Code 1 with the library's own message.
inline int Fail(const std::string& message) {
    return Fail(1, message);
}

std::string JoinPath(const std::string& directory, const std::string& name);

// A number written as text (leading blanks skipped); 0 when there is none.
double ParseNumber(const char* text);

// Frees item names and text buffers, then the array.
void FreeItems(tamrec_info_field_description* items, std::int32_t count);

// Start positions from 1 in item order; the record length their sum.
void RecomputeItems(tamrec_attribute_items& table);

// Fields in the file's byte order; a failed cursor yields 0.
inline std::int16_t I16(CByteCursor& c, bool big) {
    return big ? c.I16Be() : c.I16Le();
}
inline std::int32_t I32(CByteCursor& c, bool big) {
    return big ? c.I32Be() : c.I32Le();
}
inline double F32(CByteCursor& c, bool big) {
    return static_cast<double>(big ? c.F32Be() : c.F32Le());
}
inline double F64(CByteCursor& c, bool big) {
    return big ? c.F64Be() : c.F64Le();
}
// A coordinate of the cover's precision, widened to double.
inline double Coordinate(CByteCursor& c, bool big, bool double_precision) {
    return double_precision ? F64(c, big) : F32(c, big);
}

}  // namespace tamrecinternal
