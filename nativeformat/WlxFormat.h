// Element framing of the WLX file: tags, header words and record types.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ByteOrder.h"
#include "nativeformat/BigEndian.h"

namespace wlxformat {

enum ETag : int {
    kTagSummary = 0,
    kTagEndOfData = 1,
    kTagStartOfData = 2,
    kTagVersion = 16,
    kTagDescription = 17,
    kTagPrecision = 18,
    kTagCoordSys = 19,
    kTagProjectionParameters = 20,
    kTagDatum = 21,
    kTagEllipsoid = 22,
    kTagMetadataVersion = 23,
    kTagFirstRecord = 32,
    kTagLastRecord = 37,
    kTagFreeBlock = 63,
};

constexpr std::uint32_t kSummaryLength = 44;
constexpr std::uint32_t kSummaryElementSize = 2 + kSummaryLength;
// Lengths from this value on take the long form.
constexpr std::uint32_t kLongLength = 127;
constexpr std::uint16_t kCurrentVersion = 2;
constexpr std::uint16_t kMetadataVersion = 1;
// The texts of the loader hold at most this many bytes.
constexpr std::size_t kMaxTextBytes = 255;
// Largest point or part count of a 16-bit count field.
constexpr std::uint32_t kMaxCount16 = 0xFFFF;
// Largest number of points in one object.
constexpr std::uint32_t kMaxObjectPoints = 0x200000;

inline std::size_t ElementHeaderSize(std::uint32_t length, bool longForm = false) {
    return longForm || length >= kLongLength ? 6 : 2;
}

// Writes the header word (and long length) of an element; returns its size.
inline std::size_t PutElementHeader(int tag, std::uint32_t length, std::uint8_t* out,
                                    bool longForm = false) {
    const auto word = static_cast<std::uint16_t>(tag << 10);
    if (!longForm && length < kLongLength) {
        byteorder::StoreU16Be(static_cast<std::uint16_t>(word | length), out);
        return 2;
    }
    byteorder::StoreU16Be(static_cast<std::uint16_t>(word | kLongLength), out);
    byteorder::StoreU32Be(length, out + 2);
    return 6;
}

inline int TagOf(std::uint16_t word) {
    return word >> 10;
}
inline std::uint32_t ShortLengthOf(std::uint16_t word) {
    return word & 0x7F;
}

}  // namespace wlxformat

// Record types of the WLX file, as NextRecord reports them.
enum EWlxRecordType : int {
    kWlxOtherElement = -1,
    kWlxPointRecord = 0,
    kWlxPointListRecord = 1,
    kWlxLineStringRecord = 2,
    kWlxMultiLineStringRecord = 3,
    kWlxPolygonRecord = 4,
    kWlxMultiPolygonRecord = 5,
    kWlxFreeBlock = 10,
};
