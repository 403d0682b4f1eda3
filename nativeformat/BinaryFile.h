// Handle-based binary file of the native formats: whole reads and writes at
// explicit positions, with the open modes the WLX, SIF and KIF objects use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Open flags, bits of one integer.
enum EBinaryOpenFlags : int {
    kOpenRead = 0x01,          // read only; the file must exist
    kOpenReadWrite = 0x02,     // read and write, with one of the creation modes below
    kOpenCreateNew = 0x04,     // create; fail when the file exists
    kOpenCreateAlways = 0x08,  // create, emptying an existing file
    kOpenAlways = 0x10,        // open, creating the file when it does not exist
};

class CBinaryFile {
public:
    // Origins of Seek.
    static constexpr int kFromStart = 0;
    static constexpr int kFromCurrent = 1;
    static constexpr int kFromEnd = 2;

    CBinaryFile() = default;
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;
    ~CBinaryFile() { Close(); }

    // Each operation returns true on success.
    bool Open(const std::string& name, int flags);
    bool Close();
    bool ReadExactly(void* buffer, std::size_t n);
    // Reads at most `n` bytes, fewer at the end of the file: how many it read.
    std::size_t ReadUpTo(void* buffer, std::size_t n);
    bool WriteExactly(const void* buffer, std::size_t n);
    bool Seek(std::int64_t offset, int origin);
    bool Tell(std::uint64_t& offset) const;
    // Fails for files of 4 GiB and more: the native formats address bytes
    // with 32-bit offsets.
    bool Size(std::uint32_t& size);
    // Reads and writes go straight to the system, each in one call at its
    // position: for callers that do their own buffering or move in whole
    // nodes. Must come before the first transfer.
    bool SetUnbuffered();
    // Hands buffered writes to the system.
    bool Flush();
    // Cuts the file at `size` bytes.
    bool Truncate(std::uint64_t size);

    bool IsOpen() const { return file_ != nullptr; }
    bool IsReadOnly() const { return readOnly_; }
    bool IsNewFile() const { return newFile_; }
    const std::string& Name() const { return name_; }

    static bool Exists(const std::string& name);
    static std::uint32_t GreatestCommonDivisor(std::uint32_t a, std::uint32_t b);

private:
    enum class LastOp { kNone, kRead, kWrite };
    // Moves the stream to `at` when it is elsewhere or turns between reading
    // and writing; EndOp records where a transfer of `asked` bytes left it.
    bool StartOp(LastOp op, std::uint64_t at);
    void EndOp(std::size_t asked, std::size_t done);

    std::FILE* file_ = nullptr;
    std::string name_;
    bool readOnly_ = false;
    bool newFile_ = false;
    bool unbuffered_ = false;
    // The position is kept here, and the stream's apart from it, so that
    // seeks to where the stream already is cost nothing; switching between
    // reading and writing needs a seek on a stdio stream, which StartOp adds.
    std::uint64_t position_ = 0;
    LastOp lastOp_ = LastOp::kNone;
    std::uint64_t streamAt_ = 0;
    bool streamKnown_ = true;
};
