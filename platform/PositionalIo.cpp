#include "platform/PositionalIo.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

// The largest position the system's file offsets reach.
bool InRange(std::uint64_t position, std::size_t length) {
    constexpr std::uint64_t kMax = static_cast<std::uint64_t>(INT64_MAX);
    return position <= kMax && length <= kMax - position;
}

}  // namespace

std::size_t ReadAt(std::FILE* file, void* buffer, std::size_t length, std::uint64_t position) {
    if (!InRange(position, length)) return 0;
    const int fd = fileno(file);
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            pread(fd, bytes + done, length - done, static_cast<off_t>(position + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t WriteAt(std::FILE* file, const void* buffer, std::size_t length,
                    std::uint64_t position) {
    if (!InRange(position, length)) return 0;
    const int fd = fileno(file);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t put =
            pwrite(fd, bytes + done, length - done, static_cast<off_t>(position + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    return done;
}

}  // namespace platform
