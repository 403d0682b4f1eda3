#include "platform/Stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

struct GlobalMemoryBlock {
    std::vector<std::uint8_t> bytes;
    std::uint32_t locks = 0;
};

namespace {

// Streams on global memory hold at most what a 32-bit size can count.
constexpr std::uint64_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

// Lets GetHGlobalFromStream recognise a memory stream from its interface
// alone, also one made by another module's copy of this file.
constexpr IID IID_IGlobalMemoryStream{
    0x9D3A5C21, 0x4E0B, 0x4C6F, {0x8A, 0x17, 0x2B, 0x63, 0xD0, 0x5E, 0x71, 0xC4}};

class IGlobalMemoryStream : public IUnknown {
public:
    virtual HGLOBAL Block() = 0;

protected:
    ~IGlobalMemoryStream() = default;
};

class MemoryStream final : public IStream, public IGlobalMemoryStream {
public:
    MemoryStream(std::shared_ptr<GlobalMemoryBlock> block, std::uint64_t position)
        : block_(std::move(block)), position_(position) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IStream) {
            *ppv = static_cast<IStream*>(this);
        } else if (riid == IID_IGlobalMemoryStream) {
            *ppv = static_cast<IGlobalMemoryStream*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override {
        if (pcbRead) *pcbRead = 0;
        if (!pv && cb) return STG_E_INVALIDPOINTER;
        const auto& bytes = block_->bytes;
        std::uint64_t available = position_ < bytes.size() ? bytes.size() - position_ : 0;
        auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(cb, available));
        if (count) std::memcpy(pv, bytes.data() + position_, count);
        position_ += count;
        if (pcbRead) *pcbRead = count;
        return S_OK;
    }

    HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten) override {
        if (pcbWritten) *pcbWritten = 0;
        if (cb == 0) return S_OK;
        if (!pv) return STG_E_INVALIDPOINTER;
        if (position_ + cb > kMaxSize) return STG_E_MEDIUMFULL;
        auto& bytes = block_->bytes;
        const auto* src = static_cast<const std::uint8_t*>(pv);
        try {
            if (position_ > bytes.size()) bytes.resize(position_);
            std::size_t overlap = std::min<std::size_t>(cb, bytes.size() - position_);
            if (overlap) std::memcpy(bytes.data() + position_, src, overlap);
            bytes.insert(bytes.end(), src + overlap, src + cb);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        position_ += cb;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }

    HRESULT Seek(std::int64_t move, STREAM_SEEK origin, std::uint64_t* newPosition) override {
        std::int64_t base;
        switch (origin) {
            case STREAM_SEEK_SET:
                base = 0;
                break;
            case STREAM_SEEK_CUR:
                base = static_cast<std::int64_t>(position_);
                break;
            case STREAM_SEEK_END:
                base = static_cast<std::int64_t>(block_->bytes.size());
                break;
            default:
                return STG_E_INVALIDFUNCTION;
        }
        // Written so that no extreme move can overflow.
        if (move < 0 ? -(move + 1) >= base : static_cast<std::uint64_t>(move) > kMaxSize - base)
            return STG_E_INVALIDFUNCTION;
        position_ = static_cast<std::uint64_t>(base + move);
        if (newPosition) *newPosition = position_;
        return S_OK;
    }

    HRESULT SetSize(std::uint64_t size) override {
        if (size > kMaxSize) return STG_E_MEDIUMFULL;
        try {
            block_->bytes.resize(size);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT Stat(STATSTG* stat, std::uint32_t) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->cbSize = block_->bytes.size();
        return S_OK;
    }

    HRESULT Clone(IStream** clone) override {
        if (!clone) return STG_E_INVALIDPOINTER;
        *clone = new (std::nothrow) MemoryStream(block_, position_);
        if (!*clone) return E_OUTOFMEMORY;
        (*clone)->AddRef();
        return S_OK;
    }

    HGLOBAL Block() override { return block_.get(); }

private:
    ~MemoryStream() = default;

    std::atomic<ULONG> refs_{0};
    std::shared_ptr<GlobalMemoryBlock> block_;
    std::uint64_t position_;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, int fDeleteOnRelease, IStream** ppstm) {
    if (!ppstm) return E_POINTER;
    *ppstm = nullptr;
    if (hGlobal || !fDeleteOnRelease) return E_INVALIDARG;
    try {
        auto* stream = new MemoryStream(std::make_shared<GlobalMemoryBlock>(), 0);
        stream->AddRef();
        *ppstm = stream;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal) {
    if (!phglobal) return E_POINTER;
    *phglobal = nullptr;
    if (!pstm) return E_INVALIDARG;
    void* memoryStream = nullptr;
    if (Failed(pstm->QueryInterface(IID_IGlobalMemoryStream, &memoryStream))) return E_INVALIDARG;
    auto* stream = static_cast<IGlobalMemoryStream*>(memoryStream);
    *phglobal = stream->Block();
    stream->Release();
    return S_OK;
}

void* GlobalLock(HGLOBAL hMem) {
    if (!hMem || hMem->bytes.empty()) return nullptr;
    ++hMem->locks;
    return hMem->bytes.data();
}

int GlobalUnlock(HGLOBAL hMem) {
    if (!hMem || hMem->locks == 0) return 0;
    return --hMem->locks != 0;
}
