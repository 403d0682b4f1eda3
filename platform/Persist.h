// Objects that load themselves from a stream and save themselves into one.
#pragma once

#include <cstdint>

#include "platform/Com.h"
#include "platform/Stream.h"

inline constexpr IID IID_IPersist{
    0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IPersistStream{
    0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IPersist : public IUnknown {
public:
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

class IPersistStream : public IPersist {
public:
    // S_OK when the object changed since it was last saved, S_FALSE otherwise.
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, int fClearDirty) = 0;
    virtual HRESULT GetSizeMax(std::uint64_t* pcbSize) = 0;

protected:
    ~IPersistStream() = default;
};

template <>
struct InterfaceId<IPersist> {
    static constexpr const IID& value = IID_IPersist;
};
template <>
struct InterfaceId<IPersistStream> {
    static constexpr const IID& value = IID_IPersistStream;
};
