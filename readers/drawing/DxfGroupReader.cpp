#include "readers/drawing/DxfGroupReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace drawing {

namespace {

constexpr std::size_t kChunk = 1 << 20;
// No DXF value comes near this; a longer line is damage, not data.
constexpr std::size_t kMaxLine = 16 << 20;
constexpr char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";  // with its NUL: 22 bytes
constexpr std::size_t kSentinelSize = sizeof kSentinel;

bool In(int code, int first, int last) {
    return code >= first && code <= last;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool ParseInteger(std::string_view text, std::int64_t& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseReal(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() &&
           std::isfinite(value);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

EGroupType GroupType(int code) {
    if (In(code, 0, 9) || In(code, 100, 102) || code == 105 || In(code, 300, 309) ||
        In(code, 320, 369) || In(code, 390, 399) || In(code, 410, 419) || In(code, 430, 439) ||
        In(code, 470, 481) || code == 999 || In(code, 1000, 1003) || In(code, 1005, 1009)) {
        return EGroupType::kString;
    }
    if (In(code, 310, 319) || code == 1004) return EGroupType::kBinary;
    if (In(code, 10, 59) || In(code, 110, 149) || In(code, 210, 239) || In(code, 460, 469) ||
        In(code, 1010, 1059)) {
        return EGroupType::kReal;
    }
    if (In(code, 60, 79) || In(code, 170, 179) || In(code, 270, 289) || In(code, 370, 389) ||
        In(code, 400, 409) || In(code, 1060, 1070)) {
        return EGroupType::kInt16;
    }
    if (In(code, 90, 99) || In(code, 420, 429) || In(code, 440, 459) || code == 1071) {
        return EGroupType::kInt32;
    }
    if (In(code, 160, 169)) return EGroupType::kInt64;
    if (In(code, 290, 299)) return EGroupType::kBool;
    return EGroupType::kUnknown;
}

CDxfGroupReader::CDxfGroupReader(const CByteSource& source) : source_(source) {
    if (Fill(kSentinelSize) && end_ - begin_ >= kSentinelSize &&
        std::memcmp(buffer_.data() + begin_, kSentinel, kSentinelSize) == 0) {
        binary_ = true;
        begin_ += kSentinelSize;
        // "0 SECTION" follows: its code is one byte (then 'S') or two (then 0).
        shortCodes_ = Fill(2) && end_ - begin_ >= 2 && buffer_[begin_ + 1] != 0;
    } else if (end_ - begin_ >= 3 && std::memcmp(buffer_.data() + begin_, "\xEF\xBB\xBF", 3) == 0) {
        begin_ += 3;
    }
}

// Makes at least `wanted` unread bytes available when the source has them.
bool CDxfGroupReader::Fill(std::size_t wanted) {
    if (end_ - begin_ >= wanted) return true;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < wanted && sourceOffset_ < source_.Size()) {
        const std::size_t room = std::max(wanted - end_, kChunk);
        if (buffer_.size() < end_ + room) buffer_.resize(end_ + room);
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(room, source_.Size() - sourceOffset_));
        if (!source_.ReadAt(sourceOffset_, buffer_.data() + end_, count)) return false;
        sourceOffset_ += count;
        end_ += count;
    }
    return end_ - begin_ >= wanted;
}

std::string CDxfGroupReader::Where() const {
    return (binary_ ? "byte " : "line ") + std::to_string(groupStart_);
}

bool CDxfGroupReader::Fail(std::string message) {
    error_ = Where() + ": " + std::move(message);
    return false;
}

bool CDxfGroupReader::Next(DxfGroup& group) {
    if (!error_.empty()) return false;
    do {
        if (!(binary_ ? NextBinary(group) : NextAscii(group))) return false;
    } while (group.code == 999);
    return true;
}

// The next line without its LF or CR LF; false at the end of the input.
bool CDxfGroupReader::NextLine(std::string_view& line) {
    std::size_t scanned = 0;
    for (;;) {
        const auto* start = buffer_.data() + begin_;
        const std::size_t unscanned = end_ - begin_ - scanned;
        const auto* newline =
            unscanned > 0
                ? static_cast<const std::uint8_t*>(std::memchr(start + scanned, '\n', unscanned))
                : nullptr;
        if (newline != nullptr || sourceOffset_ >= source_.Size()) {
            std::size_t length =
                newline != nullptr ? static_cast<std::size_t>(newline - start) : end_ - begin_;
            if (newline == nullptr && length == 0) return false;
            begin_ += length + (newline != nullptr ? 1 : 0);
            if (length > 0 && start[length - 1] == '\r') --length;
            line = std::string_view(reinterpret_cast<const char*>(start), length);
            ++line_;
            return true;
        }
        scanned = end_ - begin_;
        if (scanned > kMaxLine) return Fail("a line longer than " + std::to_string(kMaxLine));
        if (!Fill(scanned + kChunk) && end_ - begin_ == scanned) {
            if (sourceOffset_ < source_.Size()) return Fail("the file cannot be read");
        }
    }
}

bool CDxfGroupReader::NextAscii(DxfGroup& group) {
    std::string_view codeLine;
    if (!NextLine(codeLine)) return false;
    groupStart_ = line_;
    std::int64_t code = 0;
    if (!ParseInteger(codeLine, code) || code < -32768 || code > 32767) {
        return Fail("not a group code");
    }
    group.code = static_cast<int>(code);
    group.type = GroupType(group.code);
    if (group.type == EGroupType::kUnknown)
        return Fail("unknown group code " + std::to_string(code));
    // The value line must be read after the code line's view is used up: a
    // refill may move the buffer.
    std::string_view value;
    if (!NextLine(value)) return Fail("the file ends after group code " + std::to_string(code));
    switch (group.type) {
        case EGroupType::kString:
            group.text = value;
            return true;
        case EGroupType::kReal:
            if (!ParseReal(value, group.real)) return Fail("a value that is not a number");
            return true;
        case EGroupType::kBinary: {
            value = TrimBlanks(value);
            if (value.size() % 2 != 0) return Fail("a binary chunk of odd length");
            scratch_.resize(value.size() / 2);
            for (std::size_t i = 0; i < scratch_.size(); ++i) {
                const int high = HexValue(value[2 * i]);
                const int low = HexValue(value[2 * i + 1]);
                if (high < 0 || low < 0) return Fail("a binary chunk that is not hexadecimal");
                scratch_[i] = static_cast<std::uint8_t>(high << 4 | low);
            }
            group.bytes = scratch_;
            return true;
        }
        default:
            if (!ParseInteger(value, group.integer)) return Fail("a value that is not an integer");
            return true;
    }
}

bool CDxfGroupReader::NextBinary(DxfGroup& group) {
    groupStart_ = sourceOffset_ - (end_ - begin_);
    if (!Fill(1)) return false;
    int code = buffer_[begin_];
    if (shortCodes_) {
        ++begin_;
        if (code == 255) {
            if (!Fill(2)) return Fail("the file ends inside a group code");
            code = buffer_[begin_] | buffer_[begin_ + 1] << 8;
            begin_ += 2;
        }
    } else {
        if (!Fill(2)) return Fail("the file ends inside a group code");
        code = static_cast<std::int16_t>(buffer_[begin_] | buffer_[begin_ + 1] << 8);
        begin_ += 2;
    }
    group.code = code;
    group.type = GroupType(code);
    std::size_t size = 0;
    switch (group.type) {
        case EGroupType::kUnknown:
            return Fail("unknown group code " + std::to_string(code));
        case EGroupType::kString: {
            std::size_t scanned = 0;
            for (;;) {
                const auto* start = buffer_.data() + begin_;
                const std::size_t unscanned = end_ - begin_ - scanned;
                const void* nul =
                    unscanned > 0 ? std::memchr(start + scanned, 0, unscanned) : nullptr;
                if (nul != nullptr) {
                    const auto length =
                        static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start);
                    group.text = std::string_view(reinterpret_cast<const char*>(start), length);
                    begin_ += length + 1;
                    return true;
                }
                scanned = end_ - begin_;
                if (scanned > kMaxLine) return Fail("a string without its end");
                if (!Fill(scanned + kChunk) && end_ - begin_ == scanned) {
                    return Fail("the file ends inside a string");
                }
            }
        }
        case EGroupType::kBinary: {
            if (!Fill(1)) return Fail("the file ends before a chunk's length");
            size = buffer_[begin_];
            if (!Fill(1 + size)) return Fail("a binary chunk longer than the rest of the file");
            group.bytes = std::span<const std::uint8_t>(buffer_.data() + begin_ + 1, size);
            begin_ += 1 + size;
            return true;
        }
        case EGroupType::kReal:
            size = 8;
            break;
        case EGroupType::kInt16:
            size = 2;
            break;
        case EGroupType::kInt32:
            size = 4;
            break;
        case EGroupType::kInt64:
            size = 8;
            break;
        case EGroupType::kBool:
            size = 1;
            break;
    }
    if (!Fill(size)) return Fail("the file ends inside a value");
    const std::uint8_t* at = buffer_.data() + begin_;
    begin_ += size;
    switch (group.type) {
        case EGroupType::kReal:
            group.real = byteorder::Load<byteorder::Endian::kLittle, double>(at);
            if (!std::isfinite(group.real)) return Fail("a value that is not a number");
            break;
        case EGroupType::kInt16:
            group.integer = byteorder::LoadI16Le(at);
            break;
        case EGroupType::kInt32:
            group.integer = byteorder::LoadI32Le(at);
            break;
        case EGroupType::kInt64:
            group.integer = byteorder::Load<byteorder::Endian::kLittle, std::int64_t>(at);
            break;
        default:
            group.integer = at[0];
            break;
    }
    return true;
}

}  // namespace drawing
