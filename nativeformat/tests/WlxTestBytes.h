// Byte builders for the WLX and index tests: big-endian fields written
// independently of the codecs under test.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace wlxbytes {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes U16(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

inline Bytes U32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

inline Bytes F32(double v) {
    return U32(std::bit_cast<std::uint32_t>(static_cast<float>(v)));
}

inline Bytes F64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return Cat(
        {U32(static_cast<std::uint32_t>(bits >> 32)), U32(static_cast<std::uint32_t>(bits))});
}

inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Zeros(std::size_t n) {
    return Bytes(n, 0);
}

// A damage for corruption tests: `bytes` over the file's bytes from `at` on.
inline std::function<void(Bytes&)> Overwrite(std::size_t at, Bytes bytes) {
    return [at, bytes = std::move(bytes)](Bytes& file) {
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    };
}

}  // namespace wlxbytes
