// The groups of a DXF file, ASCII (LF or CR LF) or binary, one at a time:
// a group code and its value, typed by the code's range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ByteSource.h"

namespace drawing {

enum class EGroupType { kString, kReal, kInt16, kInt32, kInt64, kBool, kBinary, kUnknown };

// The value type of a group code; kUnknown for codes no DXF file may hold.
EGroupType GroupType(int code);

struct DxfGroup {
    int code = 0;
    EGroupType type = EGroupType::kUnknown;
    std::string_view text;                // kString: the raw bytes, not yet decoded
    double real = 0;                      // kReal
    std::int64_t integer = 0;             // kInt16, kInt32, kInt64, kBool
    std::span<const std::uint8_t> bytes;  // kBinary
};

class CDxfGroupReader {
public:
    // `source` must outlive the reader.
    explicit CDxfGroupReader(const CByteSource& source);

    bool IsBinary() const { return binary_; }
    // The next group, valid until the next call; false at the end of the
    // input and at the first malformed group (then Error() is not empty).
    bool Next(DxfGroup& group);
    const std::string& Error() const { return error_; }
    // Where the last group began: "line N" or "byte N".
    std::string Where() const;
    // The line (ASCII) or byte offset (binary) where the last group began.
    std::uint64_t Position() const { return groupStart_; }

private:
    bool Fill(std::size_t wanted);
    bool NextLine(std::string_view& line);
    bool NextAscii(DxfGroup& group);
    bool NextBinary(DxfGroup& group);
    bool Fail(std::string message);

    const CByteSource& source_;
    std::uint64_t sourceOffset_ = 0;  // next byte of the source to read into the buffer
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;  // first unread byte of the buffer
    std::size_t end_ = 0;    // end of the bytes read into the buffer
    bool binary_ = false;
    bool shortCodes_ = false;            // binary files of R12 and before: 1-byte group codes
    std::uint64_t line_ = 0;             // lines read (ASCII)
    std::uint64_t groupStart_ = 0;       // line or byte where the last group began
    std::vector<std::uint8_t> scratch_;  // decoded hexadecimal chunks
    std::string error_;
};

}  // namespace drawing
