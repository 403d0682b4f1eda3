#include "platform/PositionalIo.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

// Calls `call(done)` until all `length` bytes moved, the file ended or a
// call failed; a call the system interrupted is repeated.
template <class Call>
std::size_t Transfer(std::size_t length, std::uint64_t position, Call call) {
    // The largest position the system's file offsets reach.
    constexpr std::uint64_t kMax = static_cast<std::uint64_t>(INT64_MAX);
    if (position > kMax || length > kMax - position) return 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t moved = call(done, static_cast<off_t>(position + done));
        if (moved < 0 && errno == EINTR) continue;
        if (moved <= 0) break;
        done += static_cast<std::size_t>(moved);
    }
    return done;
}

}  // namespace

std::size_t ReadAt(std::FILE* file, void* buffer, std::size_t length, std::uint64_t position) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    return Transfer(length, position, [&](std::size_t done, off_t at) {
        return pread(fileno(file), bytes + done, length - done, at);
    });
}

std::size_t WriteAt(std::FILE* file, const void* buffer, std::size_t length,
                    std::uint64_t position) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    return Transfer(length, position, [&](std::size_t done, off_t at) {
        return pwrite(fileno(file), bytes + done, length - done, at);
    });
}

}  // namespace platform
