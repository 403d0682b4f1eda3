// One way to reach the bytes of an input: its size and a read at an offset.
// Readers of binary formats take a CByteSource, so that tests and fuzz targets
// feed them from memory and the program from a file, through the same checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/ByteOrder.h"

class CByteSource {
public:
    virtual ~CByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly `count` bytes at `offset` into `out`; false (nothing promised of
    // `out`) when the range passes the end or the read fails.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const = 0;

    // The whole range as a vector; empty optional when it cannot be read.
    std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t count) const;
    // Whether [offset, offset + count) lies inside the source, without overflow.
    bool Contains(std::uint64_t offset, std::uint64_t count) const {
        const std::uint64_t size = Size();
        return offset <= size && count <= size - offset;
    }
};

// Bytes held in memory: a view of the caller's bytes, or a copy it owns.
class CMemoryByteSource final : public CByteSource {
public:
    // A view: `bytes` must outlive the source.
    explicit CMemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // Takes the bytes.
    explicit CMemoryByteSource(std::vector<std::uint8_t> owned)
        : owned_(std::move(owned)), bytes_(owned_) {}
    CMemoryByteSource(const CMemoryByteSource&) = delete;
    CMemoryByteSource& operator=(const CMemoryByteSource&) = delete;

    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> owned_;
    std::span<const std::uint8_t> bytes_;
};

// A file opened read-only; its size is taken once at open.
class CFileByteSource final : public CByteSource {
public:
    // Null when the file cannot be opened or is not a regular file.
    static std::unique_ptr<CFileByteSource> Open(const std::string& path);
    ~CFileByteSource() override;
    CFileByteSource(const CFileByteSource&) = delete;
    CFileByteSource& operator=(const CFileByteSource&) = delete;

    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

private:
    CFileByteSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    std::uint64_t size_;
};

// Reads fields in order from a byte range with one bounds check per field.
// After the first read that would pass the end every later read fails too and
// yields zero, so a parser checks Ok() once after a group of fields.
class CByteCursor {
public:
    explicit CByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return ok_ ? bytes_.size() - position_ : 0; }
    // Moves to an absolute position; past the end fails the cursor.
    bool Seek(std::size_t position);
    bool Skip(std::size_t count);
    // The next `count` bytes as a view (empty and failed when they are not there).
    std::span<const std::uint8_t> Take(std::size_t count);

    template <byteorder::Endian E, class T>
    T Get() {
        const auto bytes = Take(sizeof(T));
        return ok_ ? byteorder::Load<E, T>(bytes.data()) : T{};
    }
    std::uint8_t U8() { return Get<byteorder::Endian::kLittle, std::uint8_t>(); }
    std::uint16_t U16Le() { return Get<byteorder::Endian::kLittle, std::uint16_t>(); }
    std::uint32_t U32Le() { return Get<byteorder::Endian::kLittle, std::uint32_t>(); }
    std::int16_t I16Le() { return Get<byteorder::Endian::kLittle, std::int16_t>(); }
    std::int32_t I32Le() { return Get<byteorder::Endian::kLittle, std::int32_t>(); }
    double F64Le() { return Get<byteorder::Endian::kLittle, double>(); }
    float F32Le() { return Get<byteorder::Endian::kLittle, float>(); }
    std::uint16_t U16Be() { return Get<byteorder::Endian::kBig, std::uint16_t>(); }
    std::uint32_t U32Be() { return Get<byteorder::Endian::kBig, std::uint32_t>(); }
    std::int16_t I16Be() { return Get<byteorder::Endian::kBig, std::int16_t>(); }
    std::int32_t I32Be() { return Get<byteorder::Endian::kBig, std::int32_t>(); }
    double F64Be() { return Get<byteorder::Endian::kBig, double>(); }
    float F32Be() { return Get<byteorder::Endian::kBig, float>(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};
