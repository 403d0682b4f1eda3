#include "nativeformat/BinaryFile.h"

#include <filesystem>
#include <system_error>

#include "platform/PositionalIo.h"

namespace fs = std::filesystem;

bool CBinaryFile::Open(const std::string& name, int flags) {
    Close();
    readOnly_ = (flags & kOpenRead) != 0;
    newFile_ = false;
    std::FILE* f = nullptr;
    if (readOnly_) {
        f = std::fopen(name.c_str(), "rb");
    } else if (flags & kOpenReadWrite) {
        const bool existed = Exists(name);
        if (flags & kOpenCreateNew) {
            f = std::fopen(name.c_str(), "w+bx");
            newFile_ = true;
        } else if (flags & kOpenCreateAlways) {
            f = std::fopen(name.c_str(), "w+b");
            newFile_ = true;
        } else if (flags & kOpenAlways) {
            f = std::fopen(name.c_str(), existed ? "r+b" : "w+bx");
            newFile_ = !existed;
        } else {
            f = std::fopen(name.c_str(), "r+b");
        }
    }
    if (!f) {
        newFile_ = false;
        return false;
    }
    std::error_code ec;
    if (fs::is_directory(name, ec)) {
        std::fclose(f);
        newFile_ = false;
        return false;
    }
    file_ = f;
    name_ = name;
    unbuffered_ = false;
    position_ = 0;
    lastOp_ = LastOp::kNone;
    streamAt_ = 0;
    streamKnown_ = true;
    return true;
}

bool CBinaryFile::Close() {
    bool ok = true;
    if (file_ && std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    name_.clear();
    return ok;
}

bool CBinaryFile::StartOp(LastOp op, std::uint64_t at) {
    const LastOp other = op == LastOp::kRead ? LastOp::kWrite : LastOp::kRead;
    if (lastOp_ == other || !streamKnown_ || streamAt_ != at) {
        if (std::fseek(file_, static_cast<long>(at), SEEK_SET) != 0) {
            streamKnown_ = false;
            return false;
        }
        streamAt_ = at;
        streamKnown_ = true;
    }
    lastOp_ = op;
    return true;
}

void CBinaryFile::EndOp(std::size_t asked, std::size_t done) {
    streamAt_ += done;
    // After a failure the stream may stand anywhere.
    if (done != asked) streamKnown_ = false;
}

bool CBinaryFile::ReadExactly(void* buffer, std::size_t n) {
    return file_ && ReadUpTo(buffer, n) == n;
}

std::size_t CBinaryFile::ReadUpTo(void* buffer, std::size_t n) {
    if (!file_) return 0;
    std::size_t got = 0;
    if (unbuffered_) {
        got = platform::ReadAt(file_, buffer, n, position_);
    } else {
        if (!StartOp(LastOp::kRead, position_)) return 0;
        got = std::fread(buffer, 1, n, file_);
        EndOp(n, got);
    }
    position_ += got;
    return got;
}

bool CBinaryFile::WriteExactly(const void* buffer, std::size_t n) {
    if (!file_ || readOnly_) return false;
    std::size_t put = 0;
    if (unbuffered_) {
        put = platform::WriteAt(file_, buffer, n, position_);
    } else {
        if (!StartOp(LastOp::kWrite, position_)) return false;
        put = std::fwrite(buffer, 1, n, file_);
        EndOp(n, put);
    }
    position_ += put;
    return put == n;
}

bool CBinaryFile::Seek(std::int64_t offset, int origin) {
    if (!file_) return false;
    std::int64_t base = 0;
    if (origin == kFromCurrent) {
        base = static_cast<std::int64_t>(position_);
    } else if (origin == kFromEnd) {
        if (std::fflush(file_) != 0) return false;
        std::error_code ec;
        const auto size = fs::file_size(name_, ec);
        if (ec) return false;
        base = static_cast<std::int64_t>(size);
    } else if (origin != kFromStart) {
        return false;
    }
    const std::int64_t target = base + offset;
    if (target < 0) return false;
    position_ = static_cast<std::uint64_t>(target);
    return true;
}

bool CBinaryFile::Tell(std::uint64_t& offset) const {
    if (!file_) return false;
    offset = position_;
    return true;
}

bool CBinaryFile::Size(std::uint32_t& size) {
    if (!file_) return false;
    if (std::fflush(file_) != 0) return false;
    std::error_code ec;
    const std::uint64_t bytes = fs::file_size(name_, ec);
    if (ec) return false;
    if (bytes > 0xFFFFFFFFu) return false;
    size = static_cast<std::uint32_t>(bytes);
    return true;
}

bool CBinaryFile::SetUnbuffered() {
    if (!file_ || std::setvbuf(file_, nullptr, _IONBF, 0) != 0) return false;
    unbuffered_ = true;
    return true;
}

bool CBinaryFile::Flush() {
    if (!file_) return false;
    return std::fflush(file_) == 0;
}

bool CBinaryFile::Truncate(std::uint64_t size) {
    if (!file_ || readOnly_ || !Flush()) return false;
    std::error_code ec;
    fs::resize_file(name_, size, ec);
    streamKnown_ = false;
    return !ec;
}

bool CBinaryFile::Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(name, ec);
}

std::uint32_t CBinaryFile::GreatestCommonDivisor(std::uint32_t a, std::uint32_t b) {
    while (b != 0) {
        const std::uint32_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}
