// Byte builders for the WLX and index tests: big-endian fields written
// through the byte-order codec alone, independently of the native file code
// under test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/ByteOrder.h"

namespace wlxbytes {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes U16(std::uint32_t v) {
    Bytes b(2);
    byteorder::StoreU16Be(static_cast<std::uint16_t>(v), b.data());
    return b;
}

inline Bytes U32(std::uint32_t v) {
    Bytes b(4);
    byteorder::StoreU32Be(v, b.data());
    return b;
}

inline Bytes F32(double v) {
    Bytes b(4);
    byteorder::StoreF32Be(static_cast<float>(v), b.data());
    return b;
}

inline Bytes F64(double v) {
    Bytes b(8);
    byteorder::StoreF64Be(v, b.data());
    return b;
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

// A damage for index tests: a free node of `size` zero bytes appended to the
// file, named by the free list head at `headAt`.
inline std::function<void(Bytes&)> AppendFreeNode(std::size_t headAt, std::size_t size) {
    return [headAt, size](Bytes& file) {
        const auto node = static_cast<std::uint32_t>(file.size());
        file.resize(file.size() + size);
        Overwrite(headAt, U32(node))(file);
    };
}

}  // namespace wlxbytes
