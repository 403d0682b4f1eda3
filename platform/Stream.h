// The byte-stream interface through which geometries load and save their
// well-known binary. The in-memory implementation and the global-memory
// accessors are declared below and live in Stream.cpp.
#pragma once

#include <cstdint>

#include "platform/Com.h"

enum STREAM_SEEK : std::uint32_t { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

struct STATSTG {
    std::uint64_t cbSize = 0;
};

inline constexpr std::uint32_t STATFLAG_NONAME = 1;

inline constexpr IID IID_IStream{0x0000000C, 0x0000, 0x0000,
                                 {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IStream : public IUnknown {
public:
    // Reads up to cb bytes; *pcbRead (when given) receives the count read,
    // which is below cb only at the end of the stream.
    virtual HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten) = 0;
    virtual HRESULT Seek(std::int64_t dlibMove, STREAM_SEEK dwOrigin, std::uint64_t* plibNewPosition) = 0;
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
