#include "nativeformat/WlxFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_set>

#include "common/ByteOrder.h"
#include "nativeformat/BigEndian.h"
#include "nativeformat/RingGeneralizer.h"
#include "nativeformat/WlxFormat.h"

using namespace wlxformat;

namespace {

constexpr std::size_t kBufferSize = 0x40000;
// Offsets in the file, its indexes and its free-block chain are 32-bit.
constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFu;
// More than any header element holds; the rest of a longer one is passed over.
constexpr std::size_t kMaxHeaderBody = 0x60000;

std::uint64_t Even(std::uint64_t n) {
    return n + (n & 1);
}

std::string_view TextOf(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

std::string_view Clip(const std::string& text) {
    return std::string_view(text).substr(0, bigendian::Utf8PrefixLength(text, kMaxTextBytes));
}

// Finite as the file stores them: a 32-bit file holds floats, and a value
// beyond their range would be stored as an infinity.
bool AllStorable(std::span<const double> values, std::uint16_t precision) {
    const double largest =
        precision == 32 ? std::numeric_limits<float>::max() : std::numeric_limits<double>::max();
    return std::all_of(values.begin(), values.end(),
                       [largest](double v) { return std::fabs(v) <= largest; });
}

// A ring is open when its first and last points differ in x or in y.
bool IsOpenRing(const double* xy, std::uint32_t n) {
    return n >= 2 && (xy[0] != xy[2 * n - 2] || xy[1] != xy[2 * n - 1]);
}

std::uint32_t OpenRings(std::span<const std::uint32_t> counts, const double* xy) {
    std::uint32_t open = 0;
    for (std::uint32_t n : counts) {
        open += IsOpenRing(xy, n) ? 1 : 0;
        xy += 2 * std::size_t{n};
    }
    return open;
}

std::uint64_t Sum(std::span<const std::uint32_t> counts) {
    std::uint64_t total = 0;
    for (std::uint32_t n : counts) total += n;
    return total;
}

}  // namespace

CWlxFile::CWlxFile(const std::string& name, int flags, Status& status) {
    status = Open(name, flags);
}

CWlxFile::~CWlxFile() {
    if (opened_ && !file_.IsReadOnly() && !finished_) Finish();
    file_.Close();
}

Status CWlxFile::Fail(Status status) {
    if (status_ == 0) status_ = status;
    return status_;
}

Status CWlxFile::Open(const std::string& name, int flags) {
    if (!file_.Open(name, flags)) return Fail(kWlxOpenFailed);
    fileName_ = name;
    try {
        readBuffer_.resize(kBufferSize);
        writeBuffer_.resize(kBufferSize);
    } catch (const std::bad_alloc&) {
        return Fail(kWlxOutOfMemory);
    }
    if (file_.IsNewFile()) {
        // A summary with zero content until the file is finished.
        std::uint8_t* p = Room(kSummaryElementSize);
        PutElementHeader(kTagSummary, kSummaryLength, p);
        std::memset(p + 2, 0, kSummaryLength);
        writeFill_ += kSummaryElementSize;
        opened_ = true;
        return 0;
    }
    std::uint32_t size = 0;
    if (!file_.Size(size)) return Fail(kWlxReadError);
    fileSize_ = size;
    if (Status st = ReadHeader()) return Fail(st);
    if (version_ > kCurrentVersion) return Fail(kWlxInvalidVersion);
    if (!file_.IsReadOnly()) {
        if (version_ < kCurrentVersion) return Fail(kWlxInvalidVersion);
        if (Status st = CheckEndElement()) return Fail(st);
        // New records replace the end element.
        endOfData_ = size - 2;
        writeBase_ = endOfData_;
    }
    readPos_ = dataStart_;
    headerWritten_ = true;
    opened_ = true;
    return 0;
}

Status CWlxFile::ReadHeader() {
    std::uint8_t head[kSummaryElementSize];
    if (fileSize_ < kSummaryElementSize) return kWlxInvalidFormat;
    if (Status st = ReadAt(0, kSummaryElementSize, head)) return st;
    const std::uint16_t word = byteorder::LoadU16Be(head);
    if (TagOf(word) != kTagSummary || ShortLengthOf(word) != kSummaryLength)
        return kWlxInvalidFormat;
    objectCount_ = byteorder::LoadU32Be(head + 2);
    freeHead_ = byteorder::LoadU32Be(head + 6);
    storedFlags_ = byteorder::LoadU32Be(head + 10) & 7;
    for (int i = 0; i < 4; ++i) extent_[i] = byteorder::LoadF64Be(head + 14 + 8 * i);
    extentSet_ = objectCount_ > 0;

    std::vector<std::uint8_t> body;
    std::uint64_t pos = kSummaryElementSize;
    while (true) {
        int tag = 0;
        std::uint64_t length = 0;
        std::uint64_t bodyAt = 0;
        if (Status st = ReadElementHeader(pos, tag, length, bodyAt)) return st;
        const std::uint64_t next = bodyAt + Even(length);
        if (tag == kTagStartOfData) {
            if (next > fileSize_) return kWlxInvalidFormat;
            dataStart_ = static_cast<std::uint32_t>(next);
            return 0;
        }
        if (tag == kTagSummary || tag == kTagEndOfData) return kWlxInvalidFormat;
        if (tag >= kTagVersion && tag <= kTagMetadataVersion) {
            if (bodyAt + length > fileSize_) return kWlxInvalidFormat;
            body.resize(std::min<std::uint64_t>(length, kMaxHeaderBody));
            if (Status st = ReadAt(bodyAt, body.size(), body.data())) return st;
            if (Status st = ReadHeaderElement(tag, body)) return st;
        } else if (next > fileSize_) {
            return kWlxInvalidElement;
        }
        pos = next;
    }
}

Status CWlxFile::ReadHeaderElement(int tag, std::span<const std::uint8_t> body) {
    std::size_t at = 0;
    auto text = [&](std::string& out) {
        const std::size_t used = bigendian::GetElementString(body.subspan(at), out, kMaxTextBytes);
        at += used;
        return used != 0;
    };
    auto doubles = [&](double* out, std::size_t n) {
        if (body.size() - at < 8 * n) return false;
        for (std::size_t i = 0; i < n; ++i) out[i] = byteorder::LoadF64Be(&body[at + 8 * i]);
        at += 8 * n;
        return true;
    };
    auto u16 = [&](std::uint16_t& out) {
        if (body.size() - at < 2) return false;
        out = byteorder::LoadU16Be(&body[at]);
        at += 2;
        return true;
    };
    CCoordSysDescriptor& d = descriptor_;
    bool ok = true;
    switch (tag) {
        case kTagVersion:
            ok = u16(version_);
            // A newer file may lay out the rest of its header differently.
            if (ok && version_ > kCurrentVersion) return kWlxInvalidVersion;
            break;
        case kTagMetadataVersion:
            ok = u16(metadataVersion_);
            break;
        case kTagDescription:
            ok = text(description_);
            hasDescription_ = ok;
            break;
        case kTagPrecision:
            ok = u16(precision_) && (precision_ == 32 || precision_ == 64);
            break;
        case kTagCoordSys: {
            double values[8];
            ok = text(d.key) && text(d.description) && text(d.group) && text(d.projectionKey) &&
                 text(d.unit) && doubles(values, 8);
            if (ok) {
                d.originLongitude = values[0];
                d.originLatitude = values[1];
                d.falseEasting = values[2];
                d.falseNorthing = values[3];
                d.scaleReduction = values[4];
                d.unitScale = values[5];
                d.mapScale = values[6];
                d.scale = values[7];
                hasCoordSys_ = true;
            }
            break;
        }
        case kTagProjectionParameters:
            ok = doubles(d.parameters, 24);
            break;
        case kTagDatum: {
            double values[7];
            std::uint16_t method = 0;
            ok = text(d.datumKey) && text(d.datumDescription) && doubles(values, 7) && u16(method);
            if (ok) {
                d.deltaX = values[0];
                d.deltaY = values[1];
                d.deltaZ = values[2];
                d.rotX = values[3];
                d.rotY = values[4];
                d.rotZ = values[5];
                d.bwScale = values[6];
                d.datumMethod = static_cast<std::int16_t>(method);
            }
            break;
        }
        case kTagEllipsoid: {
            double values[2];
            ok = text(d.ellipsoidKey) && text(d.ellipsoidDescription) && doubles(values, 2);
            if (ok) {
                d.equatorialRadius = values[0];
                d.polarRadius = values[1];
            }
            break;
        }
        default:
            break;
    }
    return ok ? 0 : kWlxInvalidFormat;
}

// Appending overwrites the last two bytes: they must be the end element.
Status CWlxFile::CheckEndElement() {
    if (fileSize_ % 2 != 0 || fileSize_ < std::uint64_t{dataStart_} + 2) return kWlxInvalidFormat;
    std::uint8_t tail[2];
    if (Status st = ReadAt(fileSize_ - 2, 2, tail)) return st;
    const std::uint16_t word = byteorder::LoadU16Be(tail);
    return TagOf(word) == kTagEndOfData && ShortLengthOf(word) == 0 ? 0 : kWlxInvalidFormat;
}

Status CWlxFile::SetPrecision(std::uint16_t precision) {
    if (status_ || headerWritten_) return status_;
    if (precision != 32 && precision != 64) return kWlxInvalidParameter;
    precision_ = precision;
    return 0;
}

Status CWlxFile::SetDescription(const char* text) {
    if (!text) return kWlxInvalidParameter;
    if (status_ || headerWritten_) return status_;
    description_ = text;
    hasDescription_ = true;
    return 0;
}

Status CWlxFile::SetCoordSysMetadata(const CCoordSysDescriptor* descriptor) {
    if (status_ || headerWritten_) return status_;
    if (descriptor) descriptor_ = *descriptor;
    hasCoordSys_ = descriptor != nullptr;
    return 0;
}

void CWlxFile::GetExtent(double extent[4]) const {
    for (int i = 0; i < 4; ++i) extent[i] = objectCount_ > 0 && extentSet_ ? extent_[i] : 0.0;
}

// ---------------------------------------------------------------------------
// Writing

std::uint8_t* CWlxFile::Room(std::size_t n) {
    if (writeFill_ + n > writeBuffer_.size() && !FlushWrite()) return nullptr;
    return writeBuffer_.data() + writeFill_;
}

bool CWlxFile::FlushWrite() {
    if (writeFill_ == 0) return true;
    const bool ok = file_.Seek(static_cast<std::int64_t>(writeBase_), CBinaryFile::kFromStart) &&
                    file_.WriteExactly(writeBuffer_.data(), writeFill_);
    if (ok) {
        writeBase_ += writeFill_;
        fileSize_ = std::max(fileSize_, writeBase_);
    }
    writeFill_ = 0;
    if (!ok) Fail(kWlxWriteError);
    return ok;
}

bool CWlxFile::MoveWriteTo(std::uint32_t offset) {
    if (!FlushWrite()) return false;
    writeBase_ = offset;
    return true;
}

bool CWlxFile::AppendElement(int tag, std::span<const std::uint8_t> body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    const std::size_t total = ElementHeaderSize(length) + length + (length & 1);
    std::uint8_t* p = Room(total);
    if (!p) return false;
    p += PutElementHeader(tag, length, p);
    std::copy(body.begin(), body.end(), p);
    if (length & 1) p[length] = 0;
    writeFill_ += total;
    return true;
}

Status CWlxFile::WriteHeader() {
    std::vector<std::uint8_t> body;
    auto u16 = [&](std::uint16_t v) {
        const std::size_t at = body.size();
        body.resize(at + 2);
        byteorder::StoreU16Be(v, &body[at]);
    };
    auto text = [&](std::string_view v) {
        const std::size_t at = body.size();
        body.resize(at + bigendian::ElementStringSize(v));
        bigendian::PutElementString(v, &body[at]);
    };
    auto doubles = [&](std::initializer_list<double> values) {
        for (double v : values) {
            const std::size_t at = body.size();
            body.resize(at + 8);
            byteorder::StoreF64Be(v, &body[at]);
        }
    };
    auto element = [&](int tag) {
        const bool ok = AppendElement(tag, body);
        body.clear();
        return ok;
    };
    const CCoordSysDescriptor& d = descriptor_;
    u16(kCurrentVersion);
    bool ok = element(kTagVersion);
    if (ok && hasCoordSys_) {
        u16(kMetadataVersion);
        ok = element(kTagMetadataVersion);
        metadataVersion_ = kMetadataVersion;
    }
    if (ok && hasDescription_) {
        text(description_);
        ok = element(kTagDescription);
    }
    if (ok) {
        u16(precision_);
        ok = element(kTagPrecision);
    }
    if (ok && hasCoordSys_) {
        for (const std::string* t : {&d.key, &d.description, &d.group, &d.projectionKey, &d.unit})
            text(Clip(*t));
        doubles({d.originLongitude, d.originLatitude, d.falseEasting, d.falseNorthing,
                 d.scaleReduction, d.unitScale, d.mapScale, d.scale});
        ok = element(kTagCoordSys);
        for (double p : d.parameters) doubles({p});
        ok = ok && element(kTagProjectionParameters);
        text(Clip(d.datumKey));
        text(Clip(d.datumDescription));
        doubles({d.deltaX, d.deltaY, d.deltaZ, d.rotX, d.rotY, d.rotZ, d.bwScale});
        u16(static_cast<std::uint16_t>(d.datumMethod));
        ok = ok && element(kTagDatum);
        text(Clip(d.ellipsoidKey));
        text(Clip(d.ellipsoidDescription));
        doubles({d.equatorialRadius, d.polarRadius});
        ok = ok && element(kTagEllipsoid);
    }
    ok = ok && element(kTagStartOfData) && FlushWrite();
    if (!ok) return Fail(kWlxWriteError);
    dataStart_ = static_cast<std::uint32_t>(writeBase_);
    endOfData_ = dataStart_;
    readPos_ = dataStart_;
    headerWritten_ = true;
    return 0;
}

Status CWlxFile::BeginWrite() {
    if (status_) return status_;
    if (file_.IsReadOnly()) return kWlxReadOnly;
    if (finished_) return kWlxIllegalCall;
    return headerWritten_ ? 0 : WriteHeader();
}

Status CWlxFile::WritePoint(const char* name, const char* key, const char* link, double x, double y,
                            std::uint32_t& offset, double* extent) {
    if (Status st = BeginWrite()) return st;
    const double xy[2] = {x, y};
    if (!AllStorable(xy, precision_)) return kWlxInvalidParameter;
    const std::uint32_t one = 1;
    return WriteRecord({kWlxPointRecord, {&one, 1}, xy}, name, key, link, offset, extent);
}

Status CWlxFile::WriteLineString(const char* name, const char* key, const char* link,
                                 std::uint32_t count, const double* points, std::uint32_t& offset,
                                 double* extent) {
    if (Status st = BeginWrite()) return st;
    if (count > kMaxCount16) return kWlxTooComplex;
    if (count > 0 && !points) return kWlxInvalidParameter;
    const std::span<const double> xy(points, 2 * std::size_t{count});
    if (!AllStorable(xy, precision_)) return kWlxInvalidParameter;
    return WriteRecord({kWlxLineStringRecord, {&count, 1}, xy}, name, key, link, offset, extent);
}

Status CWlxFile::WriteMultiLineString(const char* name, const char* key, const char* link,
                                      std::uint32_t partCount, const std::uint32_t* partCounts,
                                      const double* points, std::uint32_t& offset, double* extent) {
    if (Status st = BeginWrite()) return st;
    if (partCount > kMaxCount16) return kWlxTooManyParts;
    if (partCount > 0 && !partCounts) return kWlxInvalidParameter;
    const std::span<const std::uint32_t> counts(partCounts, partCount);
    const std::uint64_t total = Sum(counts);
    if (total > kMaxObjectPoints) return kWlxTooComplex;
    if (total > 0 && !points) return kWlxInvalidParameter;
    const std::span<const double> xy(points, 2 * total);
    if (!AllStorable(xy, precision_)) return kWlxInvalidParameter;
    return WriteRecord({kWlxMultiLineStringRecord, counts, xy}, name, key, link, offset, extent);
}

Status CWlxFile::WritePolygon(const char* name, const char* key, const char* link,
                              std::uint32_t count, const double* points, std::uint32_t& offset,
                              double* extent) {
    if (Status st = BeginWrite()) return st;
    if (count > 0 && !points) return kWlxInvalidParameter;
    const std::span<const double> xy(points, 2 * std::size_t{count});
    if (!AllStorable(xy, precision_)) return kWlxInvalidParameter;
    Shape shape{kWlxPolygonRecord, {&count, 1}, xy};
    // The ring's 16-bit count holds its closing point too: the ring is
    // generalized to fit it rather than lost.
    const std::uint32_t limit = std::min(maxPoints_, kMaxCount16);
    if (Status st = GeneralizeIfNeeded(shape.counts, xy, limit, shape)) return st;
    if (shape.counts[0] + std::uint64_t{OpenRings(shape.counts, shape.points.data())} > kMaxCount16)
        return kWlxTooComplex;
    return WriteRecord(shape, name, key, link, offset, extent);
}

Status CWlxFile::WriteMultiPolygon(const char* name, const char* key, const char* link,
                                   std::uint32_t ringCount, const std::uint32_t* ringCounts,
                                   const double* points, std::uint32_t& offset, double* extent) {
    if (Status st = BeginWrite()) return st;
    if (ringCount > kMaxCount16) return kWlxTooManyParts;
    if (ringCount > 0 && !ringCounts) return kWlxInvalidParameter;
    const std::span<const std::uint32_t> counts(ringCounts, ringCount);
    const std::uint64_t total = Sum(counts);
    if (total > 0 && !points) return kWlxInvalidParameter;
    const std::span<const double> xy(points, 2 * total);
    if (!AllStorable(xy, precision_)) return kWlxInvalidParameter;
    Shape shape{kWlxMultiPolygonRecord, counts, xy};
    if (Status st = GeneralizeIfNeeded(counts, xy, maxPoints_, shape)) return st;
    if (Sum(shape.counts) + OpenRings(shape.counts, shape.points.data()) > kMaxObjectPoints)
        return kWlxTooComplex;
    return WriteRecord(shape, name, key, link, offset, extent);
}

Status CWlxFile::GeneralizeIfNeeded(std::span<const std::uint32_t> counts,
                                    std::span<const double> points, std::uint32_t limit,
                                    Shape& shape) {
    const std::uint64_t given = Sum(counts);
    const std::uint32_t closing = OpenRings(counts, points.data());
    if (given > maxPoints_ || given + closing <= limit) return 0;
    generalized_ = 1;
    const std::uint32_t target = closing < limit ? limit - closing : 0;
    try {
        if (!GeneralizeRings(points, counts, target, workPoints_, workCounts_))
            return kWlxTooComplex;
    } catch (const std::bad_alloc&) {
        return Fail(kWlxOutOfMemory);
    }
    shape.counts = workCounts_;
    shape.points = workPoints_;
    return 0;
}

Status CWlxFile::WriteRecord(const Shape& shape, const char* name, const char* key,
                             const char* link, std::uint32_t& offset, double* extent) {
    const std::string_view texts[3] = {TextOf(name), TextOf(key), TextOf(link)};
    std::uint32_t stringsSize = 0;
    for (std::string_view t : texts)
        stringsSize += static_cast<std::uint32_t>(bigendian::ElementStringSize(t));

    const bool rings = shape.type == kWlxPolygonRecord || shape.type == kWlxMultiPolygonRecord;
    const std::uint64_t pointCount = shape.points.size() / 2;
    const std::uint64_t closing = rings ? OpenRings(shape.counts, shape.points.data()) : 0;
    std::uint64_t countBytes = 0;
    if (shape.type == kWlxMultiLineStringRecord || shape.type == kWlxMultiPolygonRecord)
        countBytes = 2 + 4 * std::uint64_t{shape.counts.size()};
    else if (shape.type != kWlxPointRecord)
        countBytes = 2;
    const std::uint64_t pointBytes = precision_ == 32 ? 8 : 16;
    const std::uint64_t length =
        Even(stringsSize) + countBytes + (pointCount + closing) * pointBytes;
    if (length > kMaxFileSize) return Fail(kWlxWriteError);
    const auto needed = static_cast<std::uint32_t>(length);

    FreeBlock block{};
    bool reuse = false;
    if (freeHead_ != 0) {
        if (Status st = TakeFreeBlock(needed, block, reuse)) return st;
    }
    if (reuse) {
        // The record takes the whole block; what lies after its content stays.
        if (!MoveWriteTo(block.offset) ||
            !EncodeRecord(shape, texts[0], texts[1], texts[2], stringsSize, block.length,
                          block.longForm) ||
            !MoveWriteTo(endOfData_))
            return status_;
        offset = block.offset;
    } else {
        const std::uint64_t elementSize = ElementHeaderSize(needed) + Even(length);
        // Room for the record and the end element within 32-bit offsets.
        if (endOfData_ + elementSize + 2 > kMaxFileSize) return Fail(kWlxWriteError);
        if (!EncodeRecord(shape, texts[0], texts[1], texts[2], stringsSize, needed, false))
            return status_;
        if (length & 1) {
            std::uint8_t* p = Room(1);
            if (!p) return status_;
            *p = 0;
            ++writeFill_;
        }
        offset = endOfData_;
        endOfData_ += static_cast<std::uint32_t>(elementSize);
    }

    ++objectCount_;
    if (shape.type <= kWlxPointListRecord)
        ++pointObjects_;
    else if (shape.type <= kWlxMultiLineStringRecord)
        ++lineObjects_;
    else
        ++polygonObjects_;

    // The extent of the coordinates as stored, so that a 32-bit file's points
    // never lie outside the extent its summary claims.
    const bool floats = precision_ == 32;
    auto stored = [floats](double v) {
        return floats ? static_cast<double>(static_cast<float>(v)) : v;
    };
    double own[4] = {0, 0, 0, 0};
    if (pointCount > 0) {
        const double* xy = shape.points.data();
        own[0] = own[2] = stored(xy[0]);
        own[1] = own[3] = stored(xy[1]);
        for (std::uint64_t i = 1; i < pointCount; ++i) {
            const double x = stored(xy[2 * i]);
            const double y = stored(xy[2 * i + 1]);
            if (x < own[0])
                own[0] = x;
            else if (x > own[2])
                own[2] = x;
            if (y < own[1])
                own[1] = y;
            else if (y > own[3])
                own[3] = y;
        }
        if (!extentSet_) {
            std::copy(own, own + 4, extent_);
            extentSet_ = true;
        } else {
            extent_[0] = std::min(extent_[0], own[0]);
            extent_[1] = std::min(extent_[1], own[1]);
            extent_[2] = std::max(extent_[2], own[2]);
            extent_[3] = std::max(extent_[3], own[3]);
        }
    }
    if (extent) std::copy(own, own + 4, extent);
    return 0;
}

bool CWlxFile::EncodeRecord(const Shape& shape, std::string_view name, std::string_view key,
                            std::string_view link, std::uint32_t stringsSize, std::uint32_t length,
                            bool longForm) {
    std::uint8_t* p = Room(6);
    if (!p) return false;
    writeFill_ += PutElementHeader(kTagFirstRecord + shape.type, length, p, longForm);
    for (std::string_view text : {name, key, link}) {
        const std::size_t size = bigendian::ElementStringSize(text);
        if (!(p = Room(size))) return false;
        writeFill_ += bigendian::PutElementString(text, p);
    }
    if (stringsSize & 1) {
        if (!(p = Room(1))) return false;
        *p = 0;
        ++writeFill_;
    }
    const bool rings = shape.type == kWlxPolygonRecord || shape.type == kWlxMultiPolygonRecord;
    const bool multi =
        shape.type == kWlxMultiLineStringRecord || shape.type == kWlxMultiPolygonRecord;
    const double* xy = shape.points.data();
    if (shape.type != kWlxPointRecord) {
        if (!(p = Room(2))) return false;
        // A multi-part record may have no part at all.
        const std::size_t count =
            multi ? shape.counts.size()
                  : shape.counts[0] + (rings && IsOpenRing(xy, shape.counts[0]) ? 1 : 0);
        byteorder::StoreU16Be(static_cast<std::uint16_t>(count), p);
        writeFill_ += 2;
    }
    if (multi) {
        const double* ring = xy;
        for (std::uint32_t n : shape.counts) {
            if (!(p = Room(4))) return false;
            byteorder::StoreU32Be(n + (rings && IsOpenRing(ring, n) ? 1 : 0), p);
            writeFill_ += 4;
            ring += 2 * std::size_t{n};
        }
    }
    if (!rings) return EncodePoints(xy, shape.points.size() / 2);
    for (std::uint32_t n : shape.counts) {
        if (!EncodePoints(xy, n)) return false;
        if (IsOpenRing(xy, n) && !EncodePoints(xy, 1)) return false;
        xy += 2 * std::size_t{n};
    }
    return true;
}

bool CWlxFile::EncodePoints(const double* xy, std::size_t n) {
    const std::size_t pointBytes = precision_ == 32 ? 8 : 16;
    while (n > 0) {
        std::size_t room = (writeBuffer_.size() - writeFill_) / pointBytes;
        if (room == 0) {
            if (!FlushWrite()) return false;
            continue;
        }
        const std::size_t k = std::min(room, n);
        std::uint8_t* out = writeBuffer_.data() + writeFill_;
        if (pointBytes == 8) {
            for (std::size_t i = 0; i < 2 * k; ++i, out += 4)
                byteorder::StoreF32Be(static_cast<float>(xy[i]), out);
        } else {
            for (std::size_t i = 0; i < 2 * k; ++i, out += 8) byteorder::StoreF64Be(xy[i], out);
        }
        writeFill_ += k * pointBytes;
        xy += 2 * k;
        n -= k;
    }
    return true;
}

Status CWlxFile::LoadFreeChain() {
    if (!FlushWrite()) return status_;
    std::unordered_set<std::uint32_t> seen;
    for (std::uint32_t at = freeHead_; at != 0;) {
        if (at % 2 != 0 || at < dataStart_ || std::uint64_t{at} + 2 > endOfData_ ||
            !seen.insert(at).second)
            return Fail(kWlxInvalidFormat);
        std::uint8_t h[6];
        if (Status st = ReadAt(at, 2, h)) return st;
        const std::uint16_t word = byteorder::LoadU16Be(h);
        if (TagOf(word) != kTagFreeBlock) return Fail(kWlxInvalidElement);
        FreeBlock block{at, at + 2u, ShortLengthOf(word), false, 0};
        if (block.length == kLongLength) {
            if (std::uint64_t{at} + 6 > endOfData_) return Fail(kWlxInvalidFormat);
            if (Status st = ReadAt(at + 2u, 4, h + 2)) return st;
            block.length = byteorder::LoadU32Be(h + 2);
            block.body = at + 6;
            block.longForm = true;
        }
        if (block.length < 4) return Fail(kWlxInvalidElement);
        if (std::uint64_t{block.body} + block.length > endOfData_) return Fail(kWlxInvalidFormat);
        if (Status st = ReadAt(block.body, 4, h)) return st;
        block.next = byteorder::LoadU32Be(h);
        freeChain_.push_back(block);
        at = block.next;
    }
    freeChainLoaded_ = true;
    return 0;
}

Status CWlxFile::TakeFreeBlock(std::uint32_t needed, FreeBlock& block, bool& found) {
    found = false;
    if (!freeChainLoaded_) {
        if (Status st = LoadFreeChain()) return st;
    }
    std::uint32_t bestSurplus = needed;
    std::size_t chosen = freeChain_.size();
    for (std::size_t i = 0; i < freeChain_.size(); ++i) {
        const std::uint32_t length = freeChain_[i].length;
        if (length == needed) {
            chosen = i;
            break;
        }
        if (length > needed && length - needed < bestSurplus) {
            bestSurplus = length - needed;
            chosen = i;
        }
    }
    if (chosen == freeChain_.size()) return 0;
    block = freeChain_[chosen];
    if (chosen == 0) {
        freeHead_ = block.next;
    } else {
        FreeBlock& previous = freeChain_[chosen - 1];
        if (!MoveWriteTo(previous.body)) return status_;
        std::uint8_t* p = Room(4);
        if (!p) return status_;
        byteorder::StoreU32Be(block.next, p);
        writeFill_ += 4;
        if (!FlushWrite()) return status_;
        previous.next = block.next;
    }
    freeChain_.erase(freeChain_.begin() + static_cast<std::ptrdiff_t>(chosen));
    found = true;
    return 0;
}

Status CWlxFile::Finish(const double* extent) {
    if (file_.IsReadOnly()) return kWlxReadOnly;
    if (!opened_ || finished_) return status_;
    // A header that never reached the file cannot be finished safely.
    if (!headerWritten_ && (status_ || WriteHeader())) return status_;
    if (extent && !extentSet_) {
        std::copy(extent, extent + 4, extent_);
        extentSet_ = true;
    }
    if (MoveWriteTo(endOfData_)) {
        std::uint8_t* p = Room(2);
        PutElementHeader(kTagEndOfData, 0, p);
        writeFill_ += 2;
        FlushWrite();
    }
    // Drop what a failed record left behind the end element.
    if (fileSize_ > std::uint64_t{endOfData_} + 2) {
        if (file_.Truncate(std::uint64_t{endOfData_} + 2))
            fileSize_ = std::uint64_t{endOfData_} + 2;
        else
            Fail(kWlxWriteError);
    }
    if (MoveWriteTo(0)) {
        std::uint8_t* p = Room(kSummaryElementSize);
        PutElementHeader(kTagSummary, kSummaryLength, p);
        byteorder::StoreU32Be(objectCount_, p + 2);
        byteorder::StoreU32Be(freeHead_, p + 6);
        // Flags of records already in an appended file still hold.
        const std::uint32_t flags = storedFlags_ | (pointObjects_ > 0 ? 1u : 0u) |
                                    (lineObjects_ > 0 ? 2u : 0u) | (polygonObjects_ > 0 ? 4u : 0u);
        byteorder::StoreU32Be(objectCount_ > 0 ? flags : 0, p + 10);
        double e[4];
        GetExtent(e);
        for (int i = 0; i < 4; ++i) byteorder::StoreF64Be(e[i], p + 14 + 8 * i);
        writeFill_ += kSummaryElementSize;
        FlushWrite();
    }
    writeBase_ = std::uint64_t{endOfData_} + 2;
    finished_ = true;
    readPos_ = dataStart_;
    readAtEnd_ = false;
    recPending_ = false;
    return status_;
}

// ---------------------------------------------------------------------------
// Reading

Status CWlxFile::ReadAt(std::uint64_t offset, std::size_t n, std::uint8_t* out) {
    if (offset + n > fileSize_) return Fail(kWlxInvalidFormat);
    if (!file_.Seek(static_cast<std::int64_t>(offset), CBinaryFile::kFromStart) ||
        !file_.ReadExactly(out, n))
        return Fail(kWlxReadError);
    return 0;
}

Status CWlxFile::ReadElementHeader(std::uint64_t at, int& tag, std::uint64_t& length,
                                   std::uint64_t& body) {
    std::uint8_t h[4];
    if (Status st = ReadAt(at, 2, h)) return st;
    const std::uint16_t word = byteorder::LoadU16Be(h);
    tag = TagOf(word);
    length = ShortLengthOf(word);
    body = at + 2;
    if (length == kLongLength) {
        if (Status st = ReadAt(at + 2, 4, h)) return st;
        length = byteorder::LoadU32Be(h);
        body += 4;
    }
    return 0;
}

Status CWlxFile::RewindData() {
    if (status_) return status_;
    if (dataStart_ == 0) return kWlxIllegalCall;
    readPos_ = dataStart_;
    readAtEnd_ = false;
    recPending_ = false;
    return 0;
}

Status CWlxFile::EndRead() {
    readPos_ = file_.IsReadOnly() ? dataStart_ : endOfData_;
    readAtEnd_ = false;
    recPending_ = false;
    return status_;
}

Status CWlxFile::NextRecord(int& type) {
    type = kWlxOtherElement;
    if (status_) return status_;
    if (dataStart_ == 0) return kWlxIllegalCall;
    if (readAtEnd_) return kWlxEndOfData;
    if (recPending_) {
        if (Status st = SkipRecord()) return st;
    }
    if (!file_.IsReadOnly() && !FlushWrite()) return status_;
    int tag = 0;
    std::uint64_t length = 0;
    std::uint64_t body = 0;
    if (Status st = ReadElementHeader(readPos_, tag, length, body)) return st;
    if (body + length > fileSize_) return Fail(kWlxInvalidFormat);
    if (tag == kTagEndOfData) {
        readAtEnd_ = true;
        return kWlxEndOfData;
    }
    if (tag >= kTagFirstRecord && tag <= kTagLastRecord)
        type = tag - kTagFirstRecord;
    else if (tag == kTagFreeBlock)
        type = kWlxFreeBlock;
    recType_ = type;
    recBody_ = static_cast<std::uint32_t>(body);
    recLength_ = static_cast<std::uint32_t>(length);
    recPending_ = true;
    return 0;
}

Status CWlxFile::SkipRecord() {
    if (status_) return status_;
    if (!recPending_) return 0;
    if (version_ < kCurrentVersion &&
        (recType_ == kWlxMultiLineStringRecord || recType_ == kWlxMultiPolygonRecord))
        return PassVersion1Record();
    readPos_ = recBody_ + Even(recLength_);
    recPending_ = false;
    return 0;
}

// Version 1 multi-part records are passed by their content, not their length.
Status CWlxFile::PassVersion1Record() {
    const std::uint64_t available = fileSize_ - recBody_;
    const std::size_t prefix =
        static_cast<std::size_t>(std::min<std::uint64_t>(available, 2 * (0xFFFF + 3) + 3));
    if (Status st = ReadAt(recBody_, prefix, readBuffer_.data())) return st;
    const std::span<const std::uint8_t> head(readBuffer_.data(), prefix);
    std::string scratch;
    std::size_t at = 0;
    for (int i = 0; i < 2; ++i) {
        const std::size_t used = bigendian::GetElementString(head.subspan(at), scratch, 0);
        if (used == 0) return Fail(kWlxInvalidFormat);
        at += used;
    }
    at += at & 1;
    if (at + 2 > prefix) return Fail(kWlxInvalidFormat);
    const std::uint32_t parts = byteorder::LoadU16Be(&head[at]);
    at += 2;
    if (at + 4 * std::uint64_t{parts} > available) return Fail(kWlxInvalidFormat);
    std::vector<std::uint8_t> counts(4 * std::size_t{parts});
    if (Status st = ReadAt(recBody_ + at, counts.size(), counts.data())) return st;
    std::uint64_t points = 0;
    for (std::uint32_t i = 0; i < parts; ++i) points += byteorder::LoadU32Be(&counts[4 * i]);
    const std::uint64_t length = at + 4 * std::uint64_t{parts} + points * (precision_ / 4);
    if (length > available) return Fail(kWlxInvalidFormat);
    recLength_ = static_cast<std::uint32_t>(length);
    readPos_ = recBody_ + Even(length);
    recPending_ = false;
    return 0;
}

Status CWlxFile::ReadCurrent(int type, const char*& name, const char*& key, const char*& link) {
    if (status_) return status_;
    if (!recPending_ || recType_ != type) return kWlxInvalidObjectType;
    const std::uint32_t body = recBody_;
    // Passing a version 1 multi-part record finds its length.
    if (Status st = SkipRecord()) return st;
    const std::size_t length = recLength_;
    try {
        if (readBuffer_.size() < length) readBuffer_.resize(length + 4095);
    } catch (const std::bad_alloc&) {
        return Fail(kWlxOutOfMemory);
    }
    if (Status st = ReadAt(body, length, readBuffer_.data())) return st;
    if (Status st = ParseRecord({readBuffer_.data(), length}, type)) return st;
    name = name_.c_str();
    key = key_.c_str();
    link = link_.c_str();
    return 0;
}

Status CWlxFile::ParseRecord(std::span<const std::uint8_t> body, int type) {
    std::size_t at = 0;
    auto text = [&](std::string& out) {
        const std::size_t used = bigendian::GetElementString(body.subspan(at), out, kMaxTextBytes);
        at += used;
        return used != 0;
    };
    if (!text(name_) || !text(key_)) return Fail(kWlxInvalidFormat);
    if (version_ >= kCurrentVersion) {
        if (!text(link_)) return Fail(kWlxInvalidFormat);
    } else {
        link_.clear();
    }
    at += at & 1;
    if (at > body.size()) return Fail(kWlxInvalidFormat);

    const std::size_t coordinate = precision_ / 8;
    const std::size_t pointBytes = 2 * coordinate;
    std::uint64_t count = 0;
    try {
        partCounts_.clear();
        if (type == kWlxPointRecord) {
            count = 1;
        } else if (type == kWlxMultiLineStringRecord || type == kWlxMultiPolygonRecord) {
            if (body.size() - at < 2) return Fail(kWlxInvalidFormat);
            const std::uint32_t parts = byteorder::LoadU16Be(&body[at]);
            at += 2;
            if (body.size() - at < 4 * std::size_t{parts}) return Fail(kWlxInvalidFormat);
            partCounts_.resize(parts);
            for (std::uint32_t i = 0; i < parts; ++i) {
                partCounts_[i] = byteorder::LoadU32Be(&body[at]);
                count += partCounts_[i];
                at += 4;
            }
        } else if (version_ >= kCurrentVersion) {
            if (body.size() - at < 2) return Fail(kWlxInvalidFormat);
            count = byteorder::LoadU16Be(&body[at]);
            at += 2;
            partCounts_.push_back(static_cast<std::uint32_t>(count));
        } else {
            count = (body.size() - at) / pointBytes;
            partCounts_.push_back(static_cast<std::uint32_t>(count));
        }
        if (count > (body.size() - at) / pointBytes) return Fail(kWlxInvalidFormat);
        points_.resize(2 * count);
    } catch (const std::bad_alloc&) {
        return Fail(kWlxOutOfMemory);
    }
    const std::uint8_t* in = body.data() + at;
    if (coordinate == 4) {
        for (std::size_t i = 0; i < points_.size(); ++i, in += 4)
            points_[i] = byteorder::LoadF32Be(in);
    } else {
        for (std::size_t i = 0; i < points_.size(); ++i, in += 8)
            points_[i] = byteorder::LoadF64Be(in);
    }
    return 0;
}

Status CWlxFile::ReadPart(int type, const char*& name, const char*& key, const char*& link,
                          std::uint32_t& count, const double*& points) {
    if (Status st = ReadCurrent(type, name, key, link)) return st;
    count = partCounts_[0];
    points = points_.data();
    return 0;
}

Status CWlxFile::ReadParts(int type, const char*& name, const char*& key, const char*& link,
                           std::uint32_t& partCount, const std::uint32_t*& partCounts,
                           const double*& points) {
    if (Status st = ReadCurrent(type, name, key, link)) return st;
    partCount = static_cast<std::uint32_t>(partCounts_.size());
    partCounts = partCounts_.data();
    points = points_.data();
    return 0;
}

Status CWlxFile::ReadPoint(const char*& name, const char*& key, const char*& link, double& x,
                           double& y) {
    if (Status st = ReadCurrent(kWlxPointRecord, name, key, link)) return st;
    x = points_[0];
    y = points_[1];
    return 0;
}

Status CWlxFile::ReadLineString(const char*& name, const char*& key, const char*& link,
                                std::uint32_t& count, const double*& points) {
    return ReadPart(kWlxLineStringRecord, name, key, link, count, points);
}

Status CWlxFile::ReadMultiLineString(const char*& name, const char*& key, const char*& link,
                                     std::uint32_t& partCount, const std::uint32_t*& partCounts,
                                     const double*& points) {
    return ReadParts(kWlxMultiLineStringRecord, name, key, link, partCount, partCounts, points);
}

Status CWlxFile::ReadPolygon(const char*& name, const char*& key, const char*& link,
                             std::uint32_t& count, const double*& points) {
    return ReadPart(kWlxPolygonRecord, name, key, link, count, points);
}

Status CWlxFile::ReadMultiPolygon(const char*& name, const char*& key, const char*& link,
                                  std::uint32_t& ringCount, const std::uint32_t*& ringCounts,
                                  const double*& points) {
    return ReadParts(kWlxMultiPolygonRecord, name, key, link, ringCount, ringCounts, points);
}
