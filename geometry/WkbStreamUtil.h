// Reading and writing the well-known binary encoding of geometries through a
// stream. Every geometry class reads and writes through these routines.
//
// Beyond the encoding's own checks, a read fails with kError when the stream
// ends before the geometry does, when a count promises more than the stream
// still holds, and when collections nest deeper than kMaxCollectionDepth.
#pragma once

#include <algorithm>
#include <cstdint>

#include "geometry/WkbGeometry.h"

class CWKBStreamUtil {
public:
    // Collections within collections: deeper encodings are refused on load
    // and on save, so neither can exhaust the stack.
    static constexpr int kMaxCollectionDepth = 32;

    static HRESULT ReadByteOrder(IStream* stream, EWKBByteOrder* byteOrder);
    static HRESULT WriteByteOrder(IStream* stream, EWKBByteOrder byteOrder);
    static HRESULT ReadGeometryType(IStream* stream, EWKBGeometryType* type,
                                    EWKBByteOrder byteOrder);
    static HRESULT ReadUInt32(IStream* stream, std::uint32_t* value, EWKBByteOrder byteOrder);
    static HRESULT WriteUInt32(IStream* stream, std::uint32_t value, EWKBByteOrder byteOrder);
    static HRESULT ReadDouble(IStream* stream, double* value, EWKBByteOrder byteOrder);
    static HRESULT WriteDouble(IStream* stream, double value, EWKBByteOrder byteOrder);
    // The low 32 bits of the stream's size.
    static HRESULT GetStreamSize(IStream* stream, std::uint32_t* size);

    // A count of items that each take at least minItemBytes: refused before
    // anything is allocated for them when the rest of the stream cannot hold
    // that many.
    static HRESULT ReadCount(IStream* stream, std::uint32_t* count, EWKBByteOrder byteOrder,
                             std::uint32_t minItemBytes);

    // Reads count bare x, y pairs in the byte order and hands each to
    // addPoint(x, y), stopping at the first failure. The pairs come in blocks,
    // one stream Read per block; a read that ends short or fails still hands
    // over the whole pairs it delivered before its error is returned.
    template <class AddPoint>
    static HRESULT ReadPoints(IStream* stream, std::uint32_t count, EWKBByteOrder byteOrder,
                              AddPoint addPoint);

    // Creates the geometry that the stream holds at its position, of the class
    // its type code names, and loads it; the stream is left after it. The
    // out-pointer is null on failure.
    static HRESULT CreateGeometryFromStream(IStream* stream, IWKBGeometry** geometry);

private:
    static constexpr std::uint32_t kPointBlock = 256;

    // Reads up to kPointBlock pairs into xy; *pairs receives how many whole
    // pairs arrived.
    static HRESULT ReadPointBlock(IStream* stream, std::uint32_t count, EWKBByteOrder byteOrder,
                                  double* xy, std::uint32_t* pairs);
};

template <class AddPoint>
HRESULT CWKBStreamUtil::ReadPoints(IStream* stream, std::uint32_t count, EWKBByteOrder byteOrder,
                                   AddPoint addPoint) {
    double xy[2 * kPointBlock];
    while (count > 0) {
        const std::uint32_t asked = std::min(count, kPointBlock);
        std::uint32_t pairs = 0;
        const HRESULT hr = ReadPointBlock(stream, asked, byteOrder, xy, &pairs);
        for (std::uint32_t i = 0; i < pairs; ++i) {
            const HRESULT added = addPoint(xy[2 * i], xy[2 * i + 1]);
            if (Failed(added)) return added;
        }
        if (Failed(hr)) return hr;
        count -= asked;
    }
    return S_OK;
}

// Counts the collections being loaded or saved on this thread, one level per
// object alive.
class CollectionNesting {
public:
    CollectionNesting();
    ~CollectionNesting();
    CollectionNesting(const CollectionNesting&) = delete;
    CollectionNesting& operator=(const CollectionNesting&) = delete;

    bool TooDeep() const;
};

// Smallest encodings: what a count of members must find left in the stream.
inline constexpr std::uint32_t kMinPointBytes = 21;    // order, type, x, y
inline constexpr std::uint32_t kMinGeometryBytes = 9;  // order, type, an empty count
inline constexpr std::uint32_t kCoordinateBytes = 16;  // x, y of a line string or ring
inline constexpr std::uint32_t kMinRingBytes = 4;      // an empty point count
