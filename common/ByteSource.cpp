#include "common/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::optional<std::vector<std::uint8_t>> CByteSource::Read(std::uint64_t offset,
                                                           std::size_t count) const {
    if (!Contains(offset, count)) return std::nullopt;
    std::vector<std::uint8_t> out(count);
    if (count != 0 && !ReadAt(offset, out.data(), count)) return std::nullopt;
    return out;
}

bool CMemoryByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    if (!Contains(offset, count)) return false;
    if (count != 0) std::memcpy(out, bytes_.data() + offset, count);
    return true;
}

std::unique_ptr<CFileByteSource> CFileByteSource::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<CFileByteSource>(
        new CFileByteSource(fd, static_cast<std::uint64_t>(info.st_size)));
}

CFileByteSource::~CFileByteSource() {
    ::close(fd_);
}

bool CFileByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    if (!Contains(offset, count)) return false;
    auto* bytes = static_cast<std::uint8_t*>(out);
    while (count != 0) {
        const ssize_t got = ::pread(fd_, bytes, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool CByteCursor::Seek(std::size_t position) {
    if (!ok_ || position > bytes_.size()) {
        ok_ = false;
        return false;
    }
    position_ = position;
    return true;
}

bool CByteCursor::Skip(std::size_t count) {
    if (!ok_ || count > bytes_.size() - position_) {
        ok_ = false;
        return false;
    }
    position_ += count;
    return true;
}

std::span<const std::uint8_t> CByteCursor::Take(std::size_t count) {
    if (!ok_ || count > bytes_.size() - position_) {
        ok_ = false;
        return {};
    }
    const auto out = bytes_.subspan(position_, count);
    position_ += count;
    return out;
}
