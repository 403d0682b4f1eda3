#include "coordsys/datum/GridFileInput.h"

#include <algorithm>

#include "coordsys/core/CsCore.h"
#include "coordsys/datum/DatumErrors.h"
#include "platform/FileCase.h"

std::unique_ptr<CByteSource> CS_openGridSource(const std::string& path) {
    const std::string resolved = ResolveFileCase(path);
    if (resolved.empty()) return nullptr;
    return CFileByteSource::Open(resolved);
}

CGridFileInput::CGridFileInput(std::string path) : path_(std::move(path)) {}

CGridFileInput::CGridFileInput(std::string name, std::span<const std::uint8_t> bytes)
    : path_(std::move(name)), memory_(bytes), inMemory_(true) {}

int CGridFileInput::Open() {
    if (source_) return 0;
    if (inMemory_) {
        source_ = std::make_unique<CMemoryByteSource>(memory_);
    } else {
        source_ = CS_openGridSource(path_);
    }
    return source_ ? 0 : Fail(kCsErrShiftFileOpen);
}

int CGridFileInput::Read(std::uint64_t offset, void* out, std::size_t count) const {
    if (!source_ || !source_->Contains(offset, count)) return Fail(kCsErrCorrupt);
    return source_->ReadAt(offset, out, count) ? 0 : Fail(kCsErrIo);
}

int CGridFileInput::Fail(int code) const {
    return CS_failWith(code, path_.c_str());
}

int CGridWindow::Load(const CGridFileInput& input, std::uint64_t start, std::size_t length) {
    bytes_.resize(length);
    start_ = start;
    if (input.Read(start, bytes_.data(), length) == 0) return 0;
    bytes_.clear();
    return -1;
}

void CGridWindow::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    start_ = 0;
}

void CGridBlockCache::SetCapacity(std::size_t capacity) {
    Clear();
    maxBlocks_ = std::max<std::size_t>(1, capacity / kBlockSize);
}

void CGridBlockCache::Clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    slots_.clear();
    joined_.clear();
    joined_.shrink_to_fit();
}

const CGridBlockCache::Block* CGridBlockCache::Load(const CGridFileInput& input,
                                                    std::uint64_t index) {
    ++clock_;
    if (auto found = slots_.find(index); found != slots_.end()) {
        Block& block = blocks_[found->second];
        block.lastUse = clock_;
        return &block;
    }
    std::size_t slot = blocks_.size();
    if (slot < maxBlocks_) {
        blocks_.emplace_back();
    } else {
        slot = 0;
        for (std::size_t i = 1; i < blocks_.size(); ++i) {
            if (blocks_[i].lastUse < blocks_[slot].lastUse) slot = i;
        }
        slots_.erase(blocks_[slot].index);
    }
    Block& block = blocks_[slot];
    const std::uint64_t start = index * kBlockSize;
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, input.Size() - start));
    block.bytes.resize(length);
    block.index = index;
    block.lastUse = clock_;
    if (input.Read(start, block.bytes.data(), length) != 0) {
        block.lastUse = 0;  // nothing held: the first to be reused
        block.index = ~std::uint64_t{0};
        return nullptr;
    }
    slots_[index] = slot;
    return &block;
}

const std::uint8_t* CGridBlockCache::Get(const CGridFileInput& input, std::uint64_t offset,
                                         std::size_t count) {
    if (!input.IsOpen() || count > input.Size() || offset > input.Size() - count) {
        input.Fail(kCsErrCorrupt);
        return nullptr;
    }
    const std::uint64_t first = offset / kBlockSize;
    const std::uint64_t last = (offset + count - 1) / kBlockSize;
    if (first == last) {
        const Block* block = Load(input, first);
        return block ? block->bytes.data() + (offset - first * kBlockSize) : nullptr;
    }
    // Across blocks: joined in a buffer of its own.
    joined_.resize(count);
    std::size_t done = 0;
    for (std::uint64_t index = first; index <= last; ++index) {
        const Block* block = Load(input, index);
        if (block == nullptr) return nullptr;
        const std::uint64_t from = std::max(offset, index * kBlockSize) - index * kBlockSize;
        const std::size_t n = static_cast<std::size_t>(
            std::min<std::uint64_t>(block->bytes.size() - from, count - done));
        std::copy_n(block->bytes.data() + from, n, joined_.data() + done);
        done += n;
    }
    return joined_.data();
}

std::string CS_gridFileStem(const std::string& path, std::size_t keep) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return name.size() > keep ? name.substr(name.size() - keep) : name;
}
