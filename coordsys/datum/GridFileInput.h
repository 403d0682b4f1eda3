// How the grid-file objects reach their bytes: a source opened by path in
// any letter case of its name (or a view of bytes in memory, for tests and
// fuzzing), opened again after every release, and read through a window of
// whole file ranges held in memory. Every read is checked against the size
// first; failures are reported with the file's path as the error context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ByteSource.h"

// The file at `path`, or one of that name in another letter case; null when
// there is none.
std::unique_ptr<CByteSource> CS_openGridSource(const std::string& path);

class CGridFileInput {
public:
    // A file, opened on demand.
    explicit CGridFileInput(std::string path);
    // Bytes in memory under a name; they must outlive the input.
    CGridFileInput(std::string name, std::span<const std::uint8_t> bytes);

    const std::string& Path() const { return path_; }
    bool IsOpen() const { return source_ != nullptr; }
    // 0, or -1 with 128 reported.
    int Open();
    void Close() { source_.reset(); }
    // The open source's size (0 while closed).
    std::uint64_t Size() const { return source_ ? source_->Size() : 0; }
    // Exactly `count` bytes at `offset` of the open source: 0, or -1 with 113
    // (the range passes the end) or 107 (the read failed) reported.
    int Read(std::uint64_t offset, void* out, std::size_t count) const;
    // Reports `code` with the path as context; -1.
    int Fail(int code) const;
    // Opens the file, runs `read` (0, the code of what is wrong with the
    // file, or -1 already reported) and closes it; true when `read` gave 0,
    // with the code reported otherwise.
    template <class Read>
    bool ReadOnce(Read read) {
        if (Open() != 0) return false;
        const int status = read();
        Close();
        if (status > 0) Fail(status);
        return status == 0;
    }

private:
    std::string path_;
    std::span<const std::uint8_t> memory_;
    bool inMemory_ = false;
    std::unique_ptr<CByteSource> source_;
};

// A range of a file's bytes held in memory.
class CGridWindow {
public:
    bool Holds(std::uint64_t offset, std::size_t count) const {
        return offset >= start_ && count <= bytes_.size() &&
               offset - start_ <= bytes_.size() - count;
    }
    const std::uint8_t* At(std::uint64_t offset) const { return bytes_.data() + (offset - start_); }
    // Reads [start, start + length) of the open input: 0, or -1 reported
    // (the window is then empty).
    int Load(const CGridFileInput& input, std::uint64_t start, std::size_t length);
    // Empties the window and frees its memory.
    void Clear();

private:
    std::uint64_t start_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// Aligned blocks of a file's bytes, the least recently used given up first:
// random points in a large grid read a block each, not a whole window.
class CGridBlockCache {
public:
    static constexpr std::size_t kBlockSize = 4096;

    // Holds at least one block, at most `capacity` bytes of them.
    explicit CGridBlockCache(std::size_t capacity = kBlockSize) { SetCapacity(capacity); }
    void SetCapacity(std::size_t capacity);
    // `count` bytes at `offset` of the open input, valid until the next call;
    // null with the failure reported.
    const std::uint8_t* Get(const CGridFileInput& input, std::uint64_t offset, std::size_t count);
    // Forgets every block and frees their memory.
    void Clear();

private:
    struct Block {
        std::uint64_t index = 0;
        std::uint64_t lastUse = 0;
        std::vector<std::uint8_t> bytes;
    };
    // The block of `index`, loaded when needed; null reported.
    const Block* Load(const CGridFileInput& input, std::uint64_t index);

    std::size_t maxBlocks_ = 1;
    std::uint64_t clock_ = 0;
    std::vector<Block> blocks_;
    std::unordered_map<std::uint64_t, std::size_t> slots_;  // block index -> its slot
    std::vector<std::uint8_t> joined_;                      // a range across two blocks
};

// The file name of a path without its directory and extension, cut to its
// last `keep` characters.
std::string CS_gridFileStem(const std::string& path, std::size_t keep);
