#include "loader/core/TextFile.h"

#include <cstring>

#include "loader/core/FileOpen.h"
#include "loader/core/TextScanner.h"

namespace {

constexpr std::size_t kReadBufferSize = 64 * 1024;

}  // namespace

CTextFile::CTextFile(std::string name) : name_(std::move(name)) {}

CTextFile::~CTextFile() {
    if (stream_) std::fclose(stream_);
}

bool CTextFile::Exists() const {
    return FileExists(name_);
}

Status CTextFile::OpenRead() {
    Close();
    if (const Status status = OpenFileToRead(name_, &stream_)) return status;
    buffer_.resize(kReadBufferSize);
    bufferPos_ = bufferEnd_ = 0;
    lines_ = 0;
    toldOffset_ = -1;
    return 0;
}

Status CTextFile::OpenWrite(bool append) {
    Close();
    return OpenFileToWrite(name_, append ? "a+" : "w+", &stream_);
}

Status CTextFile::Close() {
    if (!stream_) return 0;
    const bool failed = std::ferror(stream_) != 0;
    const bool closeFailed = std::fclose(stream_) != 0;
    stream_ = nullptr;
    bufferPos_ = bufferEnd_ = 0;
    return failed || closeFailed ? kWlxWriteError : 0;
}

bool CTextFile::Fill() {
    if (!stream_ || buffer_.empty()) return false;
    bufferPos_ = 0;
    bufferEnd_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    return bufferEnd_ > 0;
}

bool CTextFile::ReadRawLine(std::string& line) {
    bool any = false;
    for (;;) {
        if (bufferPos_ == bufferEnd_ && !Fill()) {
            if (any) ++lines_;
            return any;
        }
        const char* start = buffer_.data() + bufferPos_;
        const std::size_t available = bufferEnd_ - bufferPos_;
        const void* newline = std::memchr(start, '\n', available);
        const std::size_t take =
            newline ? static_cast<const char*>(newline) - start + 1 : available;
        line.append(start, take);
        bufferPos_ += take;
        any = true;
        if (newline) {
            ++lines_;
            return true;
        }
    }
}

Status CTextFile::ReadLine(std::string& line) {
    line.clear();
    if (!stream_) return kWlxReadError;
    for (;;) {
        if (!ReadRawLine(line)) return std::ferror(stream_) ? kWlxReadError : kWlxEndOfData;
        if (!IsBlankText(line)) return 0;
        line.clear();
    }
}

Status CTextFile::ReadAnyLine(std::string& line) {
    line.clear();
    if (!stream_) return kWlxReadError;
    if (!ReadRawLine(line)) return std::ferror(stream_) ? kWlxReadError : kWlxEndOfData;
    return 0;
}

Status CTextFile::SkipLines(int count) {
    if (count <= 0) return 0;
    if (!stream_) return kWlxReadError;
    std::string line;
    for (int i = 0; i < count; ++i) {
        line.clear();
        if (!ReadRawLine(line)) return std::ferror(stream_) ? kWlxReadError : kWlxEndOfData;
    }
    return 0;
}

Status CTextFile::Write(std::string_view text) {
    if (!stream_) return kWlxWriteError;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) return kWlxWriteError;
    return 0;
}

Status CTextFile::Seek(std::int64_t offset) {
    if (!stream_ || offset < 0 || std::fseek(stream_, static_cast<long>(offset), SEEK_SET) != 0)
        return kWlxInvalidOffset;
    bufferPos_ = bufferEnd_ = 0;
    if (offset == 0)
        lines_ = 0;
    else if (offset == toldOffset_)
        lines_ = toldLines_;
    return 0;
}

Status CTextFile::Tell(std::int64_t& offset) {
    if (!stream_) return kWlxReadError;
    const long position = std::ftell(stream_);
    if (position < 0) return kWlxReadError;
    // What has been read ahead is not yet consumed.
    offset = position - static_cast<std::int64_t>(bufferEnd_ - bufferPos_);
    toldOffset_ = offset;
    toldLines_ = lines_;
    return 0;
}
