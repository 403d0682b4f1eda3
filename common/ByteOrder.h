// The one byte-order codec: fixed-width integers and IEEE reals loaded from
// and stored to little- or big-endian bytes. Every file format of the system
// reads and writes its fields through here, never by copying a struct.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace byteorder {

enum class Endian { kLittle, kBig };

namespace detail {

template <class T>
using UnsignedOf = std::conditional_t<
    sizeof(T) == 1, std::uint8_t,
    std::conditional_t<sizeof(T) == 2, std::uint16_t,
                       std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;

// The bytes of a 2-, 4- or 8-byte value in the other order.
template <class U>
constexpr U Swap(U value) {
#if defined(__GNUC__)
    if constexpr (sizeof(U) == 2)
        return __builtin_bswap16(value);
    else if constexpr (sizeof(U) == 4)
        return __builtin_bswap32(value);
    else
        return __builtin_bswap64(value);
#else
    U swapped = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i, value >>= 8)
        swapped = static_cast<U>(swapped << 8 | (value & 0xFF));
    return swapped;
#endif
}

static_assert(std::endian::native == std::endian::little ||
              std::endian::native == std::endian::big);

// A value between the host's order and E's, either way.
template <Endian E, class U>
constexpr U Ordered(U value) {
    if constexpr (sizeof(U) == 1 ||
                  (E == Endian::kLittle) == (std::endian::native == std::endian::little))
        return value;
    else
        return Swap(value);
}

// One load or store, swapped when the orders differ: the compiler does not
// always merge byte-by-byte forms, and index nodes are read field by field in
// the hottest loops.
template <Endian E, class U>
inline U LoadUnsigned(const std::uint8_t* in) {
    U value;
    std::memcpy(&value, in, sizeof value);
    return Ordered<E>(value);
}

template <Endian E, class U>
inline void StoreUnsigned(U value, std::uint8_t* out) {
    const U ordered = Ordered<E>(value);
    std::memcpy(out, &ordered, sizeof ordered);
}

}  // namespace detail

// T: any fixed-width integer, float or double.
template <Endian E, class T>
inline T Load(const std::uint8_t* in) {
    static_assert(std::is_arithmetic_v<T> &&
                  (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8));
    using U = detail::UnsignedOf<T>;
    return std::bit_cast<T>(detail::LoadUnsigned<E, U>(in));
}

template <Endian E, class T>
inline void Store(T value, std::uint8_t* out) {
    static_assert(std::is_arithmetic_v<T> &&
                  (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8));
    using U = detail::UnsignedOf<T>;
    detail::StoreUnsigned<E, U>(std::bit_cast<U>(value), out);
}

// An order known only at run time: a byte-order mark, a header's flag.
template <class T>
inline T Load(Endian order, const std::uint8_t* in) {
    return order == Endian::kLittle ? Load<Endian::kLittle, T>(in) : Load<Endian::kBig, T>(in);
}

template <class T>
inline void Store(Endian order, T value, std::uint8_t* out) {
    if (order == Endian::kLittle)
        Store<Endian::kLittle>(value, out);
    else
        Store<Endian::kBig>(value, out);
}

// Named forms for the common cases.
inline std::uint16_t LoadU16Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::uint16_t>(in);
}
inline std::uint32_t LoadU32Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::uint32_t>(in);
}
inline std::uint64_t LoadU64Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::uint64_t>(in);
}
inline std::int16_t LoadI16Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::int16_t>(in);
}
inline std::int32_t LoadI32Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::int32_t>(in);
}
inline std::int64_t LoadI64Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, std::int64_t>(in);
}
inline float LoadF32Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, float>(in);
}
inline double LoadF64Le(const std::uint8_t* in) {
    return Load<Endian::kLittle, double>(in);
}

inline std::uint16_t LoadU16Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::uint16_t>(in);
}
inline std::uint32_t LoadU32Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::uint32_t>(in);
}
inline std::uint64_t LoadU64Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::uint64_t>(in);
}
inline std::int16_t LoadI16Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::int16_t>(in);
}
inline std::int32_t LoadI32Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::int32_t>(in);
}
inline std::int64_t LoadI64Be(const std::uint8_t* in) {
    return Load<Endian::kBig, std::int64_t>(in);
}
inline float LoadF32Be(const std::uint8_t* in) {
    return Load<Endian::kBig, float>(in);
}
inline double LoadF64Be(const std::uint8_t* in) {
    return Load<Endian::kBig, double>(in);
}

inline void StoreU16Le(std::uint16_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreU32Le(std::uint32_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreU64Le(std::uint64_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreI16Le(std::int16_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreI32Le(std::int32_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreI64Le(std::int64_t v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreF32Le(float v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}
inline void StoreF64Le(double v, std::uint8_t* out) {
    Store<Endian::kLittle>(v, out);
}

inline void StoreU16Be(std::uint16_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreU32Be(std::uint32_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreU64Be(std::uint64_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreI16Be(std::int16_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreI32Be(std::int32_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreI64Be(std::int64_t v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreF32Be(float v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}
inline void StoreF64Be(double v, std::uint8_t* out) {
    Store<Endian::kBig>(v, out);
}

}  // namespace byteorder
