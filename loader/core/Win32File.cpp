#include "loader/core/Win32File.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "loader/core/FileOpen.h"

namespace {

constexpr std::size_t kReadBufferSize = 64 * 1024;

}  // namespace

CWin32File::CWin32File(std::string name) : name_(std::move(name)) {}

CWin32File::~CWin32File() {
    if (stream_) std::fclose(stream_);
}

bool CWin32File::Exists() const {
    return FileExists(name_);
}

Status CWin32File::OpenRead() {
    if (stream_) std::fclose(stream_);
    if (const Status status = OpenFileToRead(name_, &stream_)) return status;
    std::setvbuf(stream_, nullptr, _IONBF, 0);
    buffer_.resize(kReadBufferSize);
    bufferStart_ = 0;
    bufferFill_ = 0;
    position_ = 0;
    streamPosition_ = 0;
    return 0;
}

std::size_t CWin32File::ReadStream(std::uint8_t* out, std::size_t n) {
    if (streamPosition_ != position_) {
        if (std::fseek(stream_, static_cast<long>(position_), SEEK_SET) != 0) return 0;
        streamPosition_ = position_;
    }
    const std::size_t got = std::fread(out, 1, n, stream_);
    streamPosition_ += static_cast<std::int64_t>(got);
    return got;
}

Status CWin32File::Fill() {
    bufferStart_ = position_;
    bufferFill_ = ReadStream(buffer_.data(), buffer_.size());
    if (bufferFill_ > 0) return 0;
    return std::ferror(stream_) ? kWlxReadError : kWlxEndOfData;
}

Status CWin32File::Read(void* buffer, std::size_t n) {
    if (!stream_) return kWlxReadError;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        const std::int64_t at = position_ - bufferStart_;
        if (at >= 0 && at < static_cast<std::int64_t>(bufferFill_)) {
            const std::size_t k = std::min(n, bufferFill_ - static_cast<std::size_t>(at));
            std::memcpy(out, buffer_.data() + at, k);
            out += k;
            n -= k;
            position_ += static_cast<std::int64_t>(k);
        } else if (n >= buffer_.size()) {
            // Too large for the buffer: straight to the caller.
            const std::size_t got = ReadStream(out, n);
            position_ += static_cast<std::int64_t>(got);
            if (got == n) return 0;
            return std::ferror(stream_) ? kWlxReadError : kWlxEndOfData;
        } else if (const Status status = Fill()) {
            return status;
        }
    }
    return 0;
}

Status CWin32File::ReadByte(std::uint8_t& value) {
    return Read(&value, 1);
}

Status CWin32File::ReadUInt16(std::uint16_t& value, bool bigEndian) {
    std::uint8_t b[2];
    if (Read(b, sizeof b) != 0) return kWlxReadError;
    value = bigEndian ? byteorder::LoadU16Be(b) : byteorder::LoadU16Le(b);
    return 0;
}

Status CWin32File::ReadUInt32(std::uint32_t& value, bool bigEndian) {
    std::uint8_t b[4];
    if (Read(b, sizeof b) != 0) return kWlxReadError;
    value = bigEndian ? byteorder::LoadU32Be(b) : byteorder::LoadU32Le(b);
    return 0;
}

Status CWin32File::ReadFloat64(double& value) {
    std::uint8_t b[8];
    if (Read(b, sizeof b) != 0) return kWlxReadError;
    value = byteorder::LoadF64Le(b);
    return 0;
}

Status CWin32File::Seek(std::int64_t offset, ESeekOrigin origin) {
    if (!stream_) return kWlxInvalidOffset;
    if (origin == kSeekCurrent) {
        offset += position_;
        origin = kSeekBegin;
    }
    if (origin == kSeekBegin) {
        // The stream follows at the next read that needs it.
        if (offset < 0) return kWlxInvalidOffset;
        position_ = offset;
        return 0;
    }
    if (std::fseek(stream_, static_cast<long>(offset), origin) != 0) return kWlxInvalidOffset;
    const long position = std::ftell(stream_);
    if (position < 0) return kWlxInvalidOffset;
    position_ = streamPosition_ = position;
    return 0;
}

Status CWin32File::Tell(std::int64_t& offset) {
    if (!stream_) return kWlxReadError;
    offset = position_;
    return 0;
}

Status CWin32File::GetSize(std::int64_t& size) {
    std::int64_t here = 0;
    Status status = Tell(here);
    if (status == 0) status = Seek(0, kSeekEnd);
    if (status == 0) status = Tell(size);
    const Status back = Seek(here, kSeekBegin);
    return status != 0 ? status : back;
}
