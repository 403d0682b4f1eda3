// The members of a multi-part geometry: shared interface pointers, each
// holding one reference of the array's own.
#pragma once

#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "geometry/WkbStreamUtil.h"
#include "platform/ComPtr.h"
#include "platform/Persist.h"

template <class Member>
class CWKBGeometryArray {
public:
    CWKBGeometryArray() = default;
    CWKBGeometryArray(const CWKBGeometryArray&) = delete;
    CWKBGeometryArray& operator=(const CWKBGeometryArray&) = delete;
    ~CWKBGeometryArray() { Clear(); }

    WkbLong Size() const { return static_cast<WkbLong>(members_.size()); }
    // The member without a reference of the caller's: valid while the array holds it.
    Member* At(WkbLong index) const { return members_[static_cast<std::size_t>(index)]; }

    HRESULT Get(WkbLong index, Member** member) const {
        if (!member) return E_POINTER;
        *member = nullptr;
        if (index < 0 || index >= Size()) return kInvalidIndex;
        *member = At(index);
        (*member)->AddRef();
        return S_OK;
    }

    // index == Size() appends; otherwise the member at index is replaced.
    HRESULT Set(WkbLong index, Member* member) {
        if (!member) return E_POINTER;
        if (index < 0 || index > Size()) return kInvalidIndex;
        if (index == Size()) return Insert(index, member);
        member->AddRef();
        std::exchange(members_[static_cast<std::size_t>(index)], member)->Release();
        return S_OK;
    }

    // Before position index; index == Size() appends.
    HRESULT Insert(WkbLong index, Member* member) {
        if (!member) return E_POINTER;
        if (index < 0 || index > Size()) return kInvalidIndex;
        if (Size() == std::numeric_limits<WkbLong>::max()) return E_OUTOFMEMORY;
        try {
            members_.insert(members_.begin() + index, member);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        member->AddRef();
        return S_OK;
    }

    HRESULT Append(Member* member) { return Insert(Size(), member); }

    // Appends a member just made, taking over its creation reference (the
    // member is released when it cannot be stored); kUnableToCreateObject
    // for a member that could not be made.
    HRESULT AppendCreated(Member* created) {
        if (!created) return kUnableToCreateObject;
        HRESULT hr = S_OK;
        try {
            if (Size() < std::numeric_limits<WkbLong>::max())
                members_.push_back(created);
            else
                hr = E_OUTOFMEMORY;
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        if (Failed(hr)) created->Release();
        return hr;
    }

    HRESULT Reserve(std::uint32_t count) {
        try {
            members_.reserve(members_.size() + count);
        } catch (const std::exception&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    void Clear() {
        // Emptied first, so the array is consistent whatever releasing a
        // member sets off.
        std::vector<Member*> old;
        old.swap(members_);
        for (Member* member : old) member->Release();
    }

private:
    std::vector<Member*> members_;
};

// Reads a member count and that many members, appending each one made by
// loadMember(stream, &member). What was read before a failure stays in the
// array.
template <class Member, class LoadMember>
HRESULT LoadMembers(IStream* stream, EWKBByteOrder byteOrder, std::uint32_t minMemberBytes,
                    CWKBGeometryArray<Member>& members, LoadMember loadMember) {
    std::uint32_t count = 0;
    HRESULT hr = CWKBStreamUtil::ReadCount(stream, &count, byteOrder, minMemberBytes);
    if (Succeeded(hr)) hr = members.Reserve(count);
    for (std::uint32_t i = 0; i < count && Succeeded(hr); ++i) {
        ComPtr<Member> member;
        hr = loadMember(stream, member.Put());
        if (Succeeded(hr)) hr = members.Append(member.Get());
    }
    return hr;
}

// Loads one member of a fixed class: a new object made by create() reads its
// own complete encoding, whose type code must be of that class.
template <class Member>
HRESULT LoadMemberOfClass(IStream* stream, Member* (*create)(), Member** member) {
    *member = nullptr;
    auto created = ComPtr<Member>::Adopt(create());
    auto persist = ComPtr<IPersistStream>::QueryFrom(created.Get());
    if (!persist) return kUnableToCreateObject;
    HRESULT hr = persist->Load(stream);
    if (Failed(hr)) return hr;
    *member = created.Detach();
    return S_OK;
}

// The member count, then each member's own complete encoding in its own byte order.
template <class Member>
HRESULT SaveMembers(IStream* stream, EWKBByteOrder byteOrder,
                    const CWKBGeometryArray<Member>& members) {
    HRESULT hr =
        CWKBStreamUtil::WriteUInt32(stream, static_cast<std::uint32_t>(members.Size()), byteOrder);
    for (WkbLong i = 0; i < members.Size() && Succeeded(hr); ++i) {
        auto persist = ComPtr<IPersistStream>::QueryFrom(members.At(i));
        hr = persist ? persist->Save(stream, 0) : E_NOINTERFACE;
    }
    return hr;
}
