#include "geometry/WkbStreamUtil.h"

#include <algorithm>
#include <bit>

#include "common/ByteOrder.h"
#include "geometry/WkbCreate.h"
#include "platform/ComPtr.h"
#include "platform/Persist.h"

namespace {

thread_local int t_collectionDepth = 0;

// A stream that ends early must not pass for a full read.
HRESULT ReadExact(IStream* stream, std::uint8_t* bytes, std::uint32_t count) {
    std::uint32_t read = 0;
    HRESULT hr = stream->Read(bytes, count, &read);
    if (Failed(hr)) return hr;
    return read == count ? S_OK : kError;
}

HRESULT WriteExact(IStream* stream, const std::uint8_t* bytes, std::uint32_t count) {
    std::uint32_t written = 0;
    HRESULT hr = stream->Write(bytes, count, &written);
    if (Failed(hr)) return hr;
    return written == count ? S_OK : kStreamWriteError;
}

byteorder::Endian Order(EWKBByteOrder byteOrder) {
    return byteOrder == kWkbLittleEndian ? byteorder::Endian::kLittle : byteorder::Endian::kBig;
}

HRESULT BytesLeft(IStream* stream, std::uint64_t* left) {
    std::uint64_t position = 0;
    HRESULT hr = stream->Seek(0, STREAM_SEEK_CUR, &position);
    if (Failed(hr)) return hr;
    STATSTG stat;
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (Failed(hr)) return hr;
    *left = stat.cbSize > position ? stat.cbSize - position : 0;
    return S_OK;
}

IWKBGeometry* CreateGeometryOfType(EWKBGeometryType type) {
    switch (type) {
        case kWkbPoint:
            return CreateWKBPoint();
        case kWkbLineString:
            return CreateWKBLineString();
        case kWkbPolygon:
            return CreateWKBPolygon();
        case kWkbMultiPoint:
            return CreateWKBMultiPoint();
        case kWkbMultiLineString:
            return CreateWKBMultiLineString();
        case kWkbMultiPolygon:
            return CreateWKBMultiPolygon();
        case kWkbGeometryCollection:
            return CreateWKBGeometryCollection();
    }
    return nullptr;
}

}  // namespace

HRESULT CWKBStreamUtil::ReadByteOrder(IStream* stream, EWKBByteOrder* byteOrder) {
    std::uint8_t byte = 0;
    HRESULT hr = ReadExact(stream, &byte, 1);
    if (Failed(hr)) return hr;
    if (byte != kWkbBigEndian && byte != kWkbLittleEndian) return kInvalidByteOrder;
    *byteOrder = static_cast<EWKBByteOrder>(byte);
    return S_OK;
}

HRESULT CWKBStreamUtil::WriteByteOrder(IStream* stream, EWKBByteOrder byteOrder) {
    auto byte = static_cast<std::uint8_t>(byteOrder);
    return WriteExact(stream, &byte, 1);
}

HRESULT CWKBStreamUtil::ReadGeometryType(IStream* stream, EWKBGeometryType* type,
                                         EWKBByteOrder byteOrder) {
    std::uint32_t code = 0;
    HRESULT hr = ReadUInt32(stream, &code, byteOrder);
    if (Failed(hr)) return hr;
    if (code < kWkbPoint || code > kWkbGeometryCollection) return kInvalidGeometryType;
    *type = static_cast<EWKBGeometryType>(code);
    return S_OK;
}

HRESULT CWKBStreamUtil::ReadUInt32(IStream* stream, std::uint32_t* value, EWKBByteOrder byteOrder) {
    std::uint8_t bytes[4];
    HRESULT hr = ReadExact(stream, bytes, sizeof bytes);
    if (Failed(hr)) return hr;
    *value = byteorder::Load<std::uint32_t>(Order(byteOrder), bytes);
    return S_OK;
}

HRESULT CWKBStreamUtil::WriteUInt32(IStream* stream, std::uint32_t value, EWKBByteOrder byteOrder) {
    std::uint8_t bytes[4];
    byteorder::Store(Order(byteOrder), value, bytes);
    return WriteExact(stream, bytes, sizeof bytes);
}

HRESULT CWKBStreamUtil::ReadDouble(IStream* stream, double* value, EWKBByteOrder byteOrder) {
    std::uint8_t bytes[8];
    HRESULT hr = ReadExact(stream, bytes, sizeof bytes);
    if (Failed(hr)) return hr;
    *value = byteorder::Load<double>(Order(byteOrder), bytes);
    return S_OK;
}

HRESULT CWKBStreamUtil::WriteDouble(IStream* stream, double value, EWKBByteOrder byteOrder) {
    std::uint8_t bytes[8];
    byteorder::Store(Order(byteOrder), value, bytes);
    return WriteExact(stream, bytes, sizeof bytes);
}

HRESULT CWKBStreamUtil::GetStreamSize(IStream* stream, std::uint32_t* size) {
    STATSTG stat;
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (Failed(hr)) return hr;
    *size = static_cast<std::uint32_t>(stat.cbSize);
    return S_OK;
}

HRESULT CWKBStreamUtil::ReadCount(IStream* stream, std::uint32_t* count, EWKBByteOrder byteOrder,
                                  std::uint32_t minItemBytes) {
    HRESULT hr = ReadUInt32(stream, count, byteOrder);
    if (Failed(hr)) return hr;
    std::uint64_t left = 0;
    hr = BytesLeft(stream, &left);
    if (Failed(hr)) return hr;
    return std::uint64_t{*count} * minItemBytes <= left ? S_OK : kError;
}

HRESULT CWKBStreamUtil::ReadPointBlock(IStream* stream, std::uint32_t count,
                                       EWKBByteOrder byteOrder, double* xy, std::uint32_t* pairs) {
    *pairs = 0;
    const std::uint32_t asked = count * kCoordinateBytes;
    std::uint32_t read = 0;
    const HRESULT hr = stream->Read(xy, asked, &read);
    *pairs = std::min(read, asked) / kCoordinateBytes;
    // The doubles are decoded where they were read.
    if (byteOrder != kWkbLittleEndian || std::endian::native != std::endian::little) {
        auto* bytes = reinterpret_cast<const std::uint8_t*>(xy);
        for (std::uint32_t i = 0; i < 2 * *pairs; ++i)
            xy[i] = byteorder::Load<double>(Order(byteOrder), bytes + 8 * i);
    }
    if (Failed(hr)) return hr;
    return read == asked ? S_OK : kError;
}

HRESULT CWKBStreamUtil::CreateGeometryFromStream(IStream* stream, IWKBGeometry** geometry) {
    if (!geometry) return E_POINTER;
    *geometry = nullptr;
    if (!stream) return E_POINTER;

    // Peek at the header through a clone, leaving the stream where it is.
    EWKBGeometryType type{};
    {
        ComPtr<IStream> clone;
        HRESULT hr = stream->Clone(clone.Put());
        if (Failed(hr)) return hr;
        EWKBByteOrder byteOrder{};
        hr = ReadByteOrder(clone.Get(), &byteOrder);
        if (Succeeded(hr)) hr = ReadGeometryType(clone.Get(), &type, byteOrder);
        if (Failed(hr)) return hr;
    }

    auto created = ComPtr<IWKBGeometry>::Adopt(CreateGeometryOfType(type));
    if (!created) return kUnableToCreateObject;
    auto persist = ComPtr<IPersistStream>::QueryFrom(created.Get());
    if (!persist) return kUnableToCreateObject;
    HRESULT hr = persist->Load(stream);
    if (Failed(hr)) return hr;
    *geometry = created.Detach();
    return S_OK;
}

CollectionNesting::CollectionNesting() {
    ++t_collectionDepth;
}

CollectionNesting::~CollectionNesting() {
    --t_collectionDepth;
}

bool CollectionNesting::TooDeep() const {
    return t_collectionDepth > CWKBStreamUtil::kMaxCollectionDepth;
}
