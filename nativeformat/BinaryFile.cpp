#include "nativeformat/BinaryFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

bool CBinaryFile::Open(const std::string& name, int flags) {
    Close();
    readOnly_ = (flags & kOpenRead) != 0;
    newFile_ = false;
    std::FILE* f = nullptr;
    if (readOnly_) {
        f = std::fopen(name.c_str(), "rb");
    } else if (flags & kOpenReadWrite) {
        const bool existed = Exists(name);
        if (flags & kOpenCreateNew) {
            f = std::fopen(name.c_str(), "w+bx");
            newFile_ = true;
        } else if (flags & kOpenCreateAlways) {
            f = std::fopen(name.c_str(), "w+b");
            newFile_ = true;
        } else if (flags & kOpenAlways) {
            f = std::fopen(name.c_str(), existed ? "r+b" : "w+bx");
            newFile_ = !existed;
        } else {
            f = std::fopen(name.c_str(), "r+b");
        }
    }
    if (!f) {
        newFile_ = false;
        return false;
    }
    std::error_code ec;
    if (fs::is_directory(name, ec)) {
        std::fclose(f);
        newFile_ = false;
        return false;
    }
    file_ = f;
    name_ = name;
    position_ = 0;
    lastOp_ = LastOp::kNone;
    streamAt_ = 0;
    streamKnown_ = true;
    return true;
}

bool CBinaryFile::Close() {
    bool ok = true;
    if (file_ && Cached() && !readOnly_) ok = WriteBackAll();
    if (file_ && std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    name_.clear();
    pages_.clear();
    pageSize_ = 0;
    return ok;
}

bool CBinaryFile::StartOp(LastOp op, std::uint64_t at) {
    const LastOp other = op == LastOp::kRead ? LastOp::kWrite : LastOp::kRead;
    if (lastOp_ == other || !streamKnown_ || streamAt_ != at) {
        if (std::fseek(file_, static_cast<long>(at), SEEK_SET) != 0) {
            streamKnown_ = false;
            return false;
        }
        streamAt_ = at;
        streamKnown_ = true;
    }
    lastOp_ = op;
    return true;
}

void CBinaryFile::EndOp(std::size_t asked, std::size_t done) {
    streamAt_ += done;
    // After a failure the stream may stand anywhere.
    if (done != asked) streamKnown_ = false;
}

bool CBinaryFile::ReadExactly(void* buffer, std::size_t n) {
    if (!file_) return false;
    if (Cached()) return ReadCached(static_cast<std::uint8_t*>(buffer), n);
    if (!StartOp(LastOp::kRead, position_)) return false;
    const std::size_t got = std::fread(buffer, 1, n, file_);
    EndOp(n, got);
    position_ += got;
    return got == n;
}

std::size_t CBinaryFile::ReadUpTo(void* buffer, std::size_t n) {
    if (!file_) return 0;
    const std::uint64_t from = position_;
    if (Cached()) {
        const std::uint64_t left = size_ > position_ ? size_ - position_ : 0;
        ReadCached(static_cast<std::uint8_t*>(buffer),
                   static_cast<std::size_t>(std::min<std::uint64_t>(n, left)));
        return static_cast<std::size_t>(position_ - from);
    }
    if (!StartOp(LastOp::kRead, position_)) return 0;
    const std::size_t got = std::fread(buffer, 1, n, file_);
    EndOp(n, got);
    position_ += got;
    return got;
}

bool CBinaryFile::WriteExactly(const void* buffer, std::size_t n) {
    if (!file_ || readOnly_) return false;
    if (Cached()) return WriteCached(static_cast<const std::uint8_t*>(buffer), n);
    if (!StartOp(LastOp::kWrite, position_)) return false;
    const std::size_t put = std::fwrite(buffer, 1, n, file_);
    EndOp(n, put);
    position_ += put;
    return put == n;
}

bool CBinaryFile::Seek(std::int64_t offset, int origin) {
    if (!file_) return false;
    std::int64_t base = 0;
    if (origin == kFromCurrent) {
        base = static_cast<std::int64_t>(position_);
    } else if (origin == kFromEnd && Cached()) {
        base = static_cast<std::int64_t>(size_);
    } else if (origin == kFromEnd) {
        if (std::fflush(file_) != 0) return false;
        std::error_code ec;
        const auto size = fs::file_size(name_, ec);
        if (ec) return false;
        base = static_cast<std::int64_t>(size);
    } else if (origin != kFromStart) {
        return false;
    }
    const std::int64_t target = base + offset;
    if (target < 0) return false;
    position_ = static_cast<std::uint64_t>(target);
    return true;
}

bool CBinaryFile::Tell(std::uint64_t& offset) const {
    if (!file_) return false;
    offset = position_;
    return true;
}

bool CBinaryFile::Size(std::uint32_t& size) {
    if (!file_) return false;
    std::uint64_t bytes = size_;
    if (!Cached()) {
        if (std::fflush(file_) != 0) return false;
        std::error_code ec;
        bytes = fs::file_size(name_, ec);
        if (ec) return false;
    }
    if (bytes > 0xFFFFFFFFu) return false;
    size = static_cast<std::uint32_t>(bytes);
    return true;
}

bool CBinaryFile::SetUnbuffered() {
    return file_ && std::setvbuf(file_, nullptr, _IONBF, 0) == 0;
}

bool CBinaryFile::UsePageCache(std::size_t pages, std::size_t pageSize) {
    if (!file_ || Cached() || pages == 0 || pageSize == 0 || std::fflush(file_) != 0) return false;
    std::error_code ec;
    const auto bytes = fs::file_size(name_, ec);
    if (ec) return false;
    try {
        pages_.resize(pages);
        for (Page& page : pages_) page.bytes.resize(pageSize);
    } catch (const std::bad_alloc&) {
        pages_.clear();
        return false;
    }
    // The pages are the buffer: the stream's own would only copy twice.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    pageSize_ = pageSize;
    size_ = diskSize_ = bytes;
    return true;
}

bool CBinaryFile::Flush() {
    if (!file_) return false;
    if (Cached() && !readOnly_ && !WriteBackAll()) return false;
    return std::fflush(file_) == 0;
}

bool CBinaryFile::Truncate(std::uint64_t size) {
    if (!file_ || readOnly_ || !Flush()) return false;
    std::error_code ec;
    fs::resize_file(name_, size, ec);
    streamKnown_ = false;
    if (Cached()) {
        for (Page& page : pages_) page.used = 0;
        size_ = diskSize_ = size;
    }
    return !ec;
}

bool CBinaryFile::ReadCached(std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n && position_ < size_) {
        const std::uint64_t start = position_ - position_ % pageSize_;
        const auto at = static_cast<std::size_t>(position_ - start);
        const auto k = static_cast<std::size_t>(
            std::min<std::uint64_t>({n - done, pageSize_ - at, size_ - position_}));
        Page* page = FindPage(start);
        if (!page && (!(page = PageToReuse(false)) || !LoadPage(*page, start, false))) return false;
        std::memcpy(out + done, page->bytes.data() + at, k);
        done += k;
        position_ += k;
    }
    return done == n;
}

bool CBinaryFile::WriteCached(const std::uint8_t* in, std::size_t n) {
    while (n > 0) {
        const std::uint64_t start = position_ - position_ % pageSize_;
        const auto at = static_cast<std::size_t>(position_ - start);
        const std::size_t k = std::min(n, pageSize_ - at);
        Page* page = FindPage(start);
        if (!page && (!(page = PageToReuse(true)) || !LoadPage(*page, start, k == pageSize_)))
            return false;
        std::memcpy(page->bytes.data() + at, in, k);
        in += k;
        n -= k;
        position_ += k;
        size_ = std::max(size_, position_);
        if (!page->dirty) {
            page->dirty = true;
            // At most half the pages hold changes, so that reads find room.
            if (!LimitChangedPages()) return false;
        }
        // A page that appending has filled goes out at once: the file grows
        // on the disk much as it would unbuffered, and a file that cannot grow
        // fails soon, in the write that makes it grow.
        if (at + k == pageSize_ && start + pageSize_ > diskSize_ && !WriteBack(*page)) return false;
    }
    return true;
}

CBinaryFile::Page* CBinaryFile::FindPage(std::uint64_t start) {
    for (Page& page : pages_) {
        if (page.used != 0 && page.start == start) {
            page.used = ++clock_;
            return &page;
        }
    }
    return nullptr;
}

bool CBinaryFile::LimitChangedPages() {
    std::size_t changed = 0;
    Page* oldest = nullptr;
    for (Page& page : pages_) {
        if (!page.dirty) continue;
        ++changed;
        if (!oldest || page.used < oldest->used) oldest = &page;
    }
    return changed <= pages_.size() / 2 || WriteBack(*oldest);
}

CBinaryFile::Page* CBinaryFile::PageToReuse(bool mayWriteBack) {
    Page* oldest = nullptr;
    for (Page& page : pages_) {
        if ((mayWriteBack || !page.dirty) && (!oldest || page.used < oldest->used)) oldest = &page;
    }
    if (oldest && oldest->dirty && !WriteBack(*oldest)) return nullptr;
    return oldest;
}

bool CBinaryFile::LoadPage(Page& page, std::uint64_t start, bool fresh) {
    page.used = 0;
    page.dirty = false;
    std::size_t loaded = 0;
    if (!fresh) {
        if (start < diskSize_) {
            loaded =
                static_cast<std::size_t>(std::min<std::uint64_t>(pageSize_, diskSize_ - start));
            if (!ReadDirect(start, page.bytes.data(), loaded)) return false;
        }
        std::fill(page.bytes.begin() + static_cast<std::ptrdiff_t>(loaded), page.bytes.end(),
                  std::uint8_t{0});
    }
    page.start = start;
    page.used = ++clock_;
    return true;
}

// Past what the disk holds lie zeros, as in the gap that a write beyond the
// end of a file leaves.
bool CBinaryFile::ReadDirect(std::uint64_t at, std::uint8_t* out, std::size_t n) {
    std::size_t got = 0;
    if (at < diskSize_) {
        const auto onDisk = static_cast<std::size_t>(std::min<std::uint64_t>(n, diskSize_ - at));
        if (!StartOp(LastOp::kRead, at)) return false;
        got = std::fread(out, 1, onDisk, file_);
        EndOp(onDisk, got);
        if (got != onDisk) return false;
    }
    std::fill(out + got, out + n, std::uint8_t{0});
    return true;
}

// Up to the end of the file only: a page past it holds no bytes of it.
bool CBinaryFile::WriteBack(Page& page) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(pageSize_, size_ - page.start));
    if (!StartOp(LastOp::kWrite, page.start)) return false;
    const std::size_t put = std::fwrite(page.bytes.data(), 1, length, file_);
    EndOp(length, put);
    if (put != length) return false;
    diskSize_ = std::max(diskSize_, page.start + length);
    page.dirty = false;
    return true;
}

// In file order, so that the system sees one pass.
bool CBinaryFile::WriteBackAll() {
    std::vector<Page*> dirty;
    for (Page& page : pages_)
        if (page.used != 0 && page.dirty) dirty.push_back(&page);
    std::sort(dirty.begin(), dirty.end(),
              [](const Page* a, const Page* b) { return a->start < b->start; });
    for (Page* page : dirty)
        if (!WriteBack(*page)) return false;
    return true;
}

bool CBinaryFile::Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(name, ec);
}

std::uint32_t CBinaryFile::GreatestCommonDivisor(std::uint32_t a, std::uint32_t b) {
    while (b != 0) {
        const std::uint32_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}
