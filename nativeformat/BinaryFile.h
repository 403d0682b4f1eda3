// Handle-based binary file of the native formats: whole reads and writes at
// explicit positions, with the open modes the WLX, SIF and KIF objects use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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
    // Reads and writes go straight to the system: for callers that do their
    // own buffering or move in whole nodes.
    bool SetUnbuffered();
    // Reads and writes go through `pages` pages of `pageSize` bytes of the
    // file, the least recently used one making room: for callers that move
    // small pieces at scattered places, as the index files move their nodes.
    // Changes reach the system when appending fills a page, when more than
    // half the pages hold changes (the oldest then), and at Flush and Close.
    bool UsePageCache(std::size_t pages, std::size_t pageSize);
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
    struct Page {
        std::uint64_t start = 0;
        std::vector<std::uint8_t> bytes;  // zeros past what the file holds
        std::uint64_t used = 0;           // when last used; 0: no page held
        bool dirty = false;
    };

    bool Cached() const { return pageSize_ != 0; }
    // Moves the stream to `at` when it is elsewhere or turns between reading
    // and writing; EndOp records where a transfer of `asked` bytes left it.
    bool StartOp(LastOp op, std::uint64_t at);
    void EndOp(std::size_t asked, std::size_t done);
    bool ReadCached(std::uint8_t* out, std::size_t n);
    bool WriteCached(const std::uint8_t* in, std::size_t n);
    Page* FindPage(std::uint64_t start);
    // The least recently used page to make room with, written back first when
    // changed. A read takes only an unchanged one (there always is one, see
    // LimitChangedPages), so that a failed write shows in a write.
    Page* PageToReuse(bool mayWriteBack);
    // Makes the page hold the file's bytes from `start` on; `fresh` when the
    // caller overwrites it whole.
    bool LoadPage(Page& page, std::uint64_t start, bool fresh);
    // Writes back the least recently used changed page when more than half
    // the pages hold changes.
    bool LimitChangedPages();
    bool ReadDirect(std::uint64_t at, std::uint8_t* out, std::size_t n);
    bool WriteBack(Page& page);
    bool WriteBackAll();

    std::FILE* file_ = nullptr;
    std::string name_;
    bool readOnly_ = false;
    bool newFile_ = false;
    // The position is kept here, and the stream's apart from it, so that
    // seeks to where the stream already is cost nothing (the page cache's
    // transfers in file order included); switching between reading and
    // writing needs a seek on a stdio stream, which StartOp adds.
    std::uint64_t position_ = 0;
    LastOp lastOp_ = LastOp::kNone;
    std::uint64_t streamAt_ = 0;
    bool streamKnown_ = true;

    // The page cache; pageSize_ 0 while it is not in use.
    std::vector<Page> pages_;
    std::size_t pageSize_ = 0;
    std::uint64_t clock_ = 0;
    std::uint64_t size_ = 0;      // the file's size with what the pages add
    std::uint64_t diskSize_ = 0;  // what the system holds of it
};
