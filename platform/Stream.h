// The byte-stream interface through which geometries load and save their
// well-known binary, and the in-memory stream over a block of "global memory"
// that the geometry server and its clients create.
#pragma once

#include <cstdint>

#include "platform/Com.h"

enum STREAM_SEEK : std::uint32_t { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

struct STATSTG {
    std::uint64_t cbSize = 0;
};

inline constexpr std::uint32_t STATFLAG_DEFAULT = 0;
inline constexpr std::uint32_t STATFLAG_NONAME = 1;

inline constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001u);
inline constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009u);
inline constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070u);

inline constexpr IID IID_IStream{
    0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IStream : public IUnknown {
public:
    // Reads up to cb bytes; *pcbRead (when given) receives the count read,
    // which is below cb only at the end of the stream.
    virtual HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten) = 0;
    virtual HRESULT Seek(std::int64_t dlibMove, STREAM_SEEK dwOrigin,
                         std::uint64_t* plibNewPosition) = 0;
    virtual HRESULT SetSize(std::uint64_t libNewSize) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, std::uint32_t grfStatFlag) = 0;
    // A second stream over the same bytes with its own position, starting at
    // this stream's position.
    virtual HRESULT Clone(IStream** ppstm) = 0;

protected:
    ~IStream() = default;
};

template <>
struct InterfaceId<IStream> {
    static constexpr const IID& value = IID_IStream;
};

// A growable block of bytes behind a memory stream. The handle stays valid
// while any stream over the block (the one created and its clones) is alive.
struct GlobalMemoryBlock;
using HGLOBAL = GlobalMemoryBlock*;

// A new, empty stream over a new block that is freed with the last stream
// over it. Only that form exists here: hGlobal must be null and
// fDeleteOnRelease non-zero (E_INVALIDARG otherwise), since no caller could
// free the block itself. The block holds at most 4 GiB - 1 bytes, as a
// stream on global memory does; writing past that fails with STG_E_MEDIUMFULL.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, int fDeleteOnRelease, IStream** ppstm);

// The block behind a stream made by CreateStreamOnHGlobal; E_INVALIDARG for
// any other stream.
HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal);

// The block's first byte (null for an empty block or a null handle). The
// pointer stays valid until the block next grows or shrinks.
void* GlobalLock(HGLOBAL hMem);
// Ends one GlobalLock; non-zero while other locks remain.
int GlobalUnlock(HGLOBAL hMem);
