// Tells a caller whether an object's interface reports rich error information.
#pragma once

#include "platform/Com.h"

inline constexpr IID IID_ISupportErrorInfo{
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

class ISupportErrorInfo : public IUnknown {
public:
    // S_OK when the interface riid may report error information, S_FALSE otherwise.
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

template <>
struct InterfaceId<ISupportErrorInfo> {
    static constexpr const IID& value = IID_ISupportErrorInfo;
};
