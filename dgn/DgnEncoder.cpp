#include "dgn/DgnEncoder.h"

#include <cmath>
#include <numbers>

#include "dgn/DgnGlobal.h"

namespace dgn {

CDgnEncoder::CDgnEncoder(const CDgnGlobal& global, std::uint8_t type, const SDgnWriteHeader& header)
    : global_(global), type_(type), header_(header), threeD_(!global.TwoD()) {}

void CDgnEncoder::Word(std::uint16_t value) {
    body_.push_back(static_cast<std::uint8_t>(value));
    body_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void CDgnEncoder::Long(std::int32_t value) {
    std::uint8_t bytes[4];
    StoreLong(value, bytes);
    body_.insert(body_.end(), bytes, bytes + 4);
}

void CDgnEncoder::Double(double value) {
    if (!std::isfinite(value)) ok_ = false;
    std::uint8_t bytes[8];
    StoreVaxDouble(value, bytes);
    body_.insert(body_.end(), bytes, bytes + 8);
}

void CDgnEncoder::Bytes(std::span<const std::uint8_t> bytes) {
    body_.insert(body_.end(), bytes.begin(), bytes.end());
}

std::int32_t CDgnEncoder::Stored(double value, int axis) {
    const CDgnPt& origin = global_.NegatedOrigin();
    const double shift = axis == 0 ? origin.X() : axis == 1 ? origin.Y() : origin.Z();
    const double stored = std::round((value - shift) * global_.UnitsPerMaster());
    if (!std::isfinite(stored) || stored < -2147483647.0 || stored > 2147483647.0) {
        ok_ = false;
        return 0;
    }
    return static_cast<std::int32_t>(stored);
}

void CDgnEncoder::Extend(const CDgnPt& pt) {
    const double values[3] = {pt.X(), pt.Y(), pt.Z()};
    const int axes = threeD_ ? 3 : 2;
    for (int axis = 0; axis < axes; ++axis) {
        const std::int32_t v = Stored(values[axis], axis);
        low_[axis] = hasRange_ ? std::min(low_[axis], v) : v;
        high_[axis] = hasRange_ ? std::max(high_[axis], v) : v;
    }
    hasRange_ = true;
}

void CDgnEncoder::ExtendStored(const std::int32_t (&low)[3], const std::int32_t (&high)[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        low_[axis] = hasRange_ ? std::min(low_[axis], low[axis]) : low[axis];
        high_[axis] = hasRange_ ? std::max(high_[axis], high[axis]) : high[axis];
    }
    hasRange_ = true;
}

bool StoredRange(std::span<const std::uint8_t> bytes, std::int32_t (&low)[3],
                 std::int32_t (&high)[3], std::uint16_t (&levels)[4]) {
    bool any = false;
    for (std::size_t at = 0; at + kHeaderSize <= bytes.size();) {
        const std::uint8_t* h = bytes.data() + at;
        const std::uint8_t level = h[0] & 0x3F;
        levels[level / 16] = static_cast<std::uint16_t>(levels[level / 16] | 1u << (level % 16));
        for (int axis = 0; axis < 3; ++axis) {
            const std::int32_t l =
                DecodeRange(static_cast<std::uint32_t>(LoadLong(h + 4 + 4 * axis)));
            const std::int32_t u =
                DecodeRange(static_cast<std::uint32_t>(LoadLong(h + 16 + 4 * axis)));
            low[axis] = any ? std::min(low[axis], l) : l;
            high[axis] = any ? std::max(high[axis], u) : u;
        }
        any = true;
        at += 4 + 2 * std::size_t(h[2] | h[3] << 8);
    }
    return any;
}

void CDgnEncoder::Point(const CDgnPt& pt) {
    Extend(pt);
    Long(Stored(pt.X(), 0));
    Long(Stored(pt.Y(), 1));
    if (threeD_) Long(Stored(pt.Z(), 2));
}

void CDgnEncoder::DoublePoint(const CDgnPt& pt) {
    const CDgnPt& origin = global_.NegatedOrigin();
    const double units = global_.UnitsPerMaster();
    Double((pt.X() - origin.X()) * units);
    Double((pt.Y() - origin.Y()) * units);
    if (threeD_) Double((pt.Z() - origin.Z()) * units);
}

void CDgnEncoder::Length(double value) {
    Double(value * global_.UnitsPerMaster());
}

void CDgnEncoder::Angle(double degrees) {
    const double stored = std::round(degrees * kAngleUnitsPerDegree);
    if (!std::isfinite(stored) || std::fabs(stored) > 2147483647.0) {
        ok_ = false;
        Long(0);
        return;
    }
    Long(static_cast<std::int32_t>(stored));
}

TFgnFmtErr CDgnEncoder::Finish(std::vector<std::uint8_t>& out) {
    if (body_.size() % 2) body_.push_back(0);
    const std::size_t beforeLinkage = kHeaderSize + body_.size();
    const std::size_t length = beforeLinkage + (header_.linkage ? 8 : 0);
    if (!ok_ || (length - 4) / 2 > 0xFFFF) return kFgnIncomplete;
    const std::size_t at = out.size();
    out.resize(at + kHeaderSize);
    std::uint8_t* h = out.data() + at;
    const auto put16 = [h](std::size_t offset, std::uint16_t v) {
        h[offset] = static_cast<std::uint8_t>(v);
        h[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    h[0] = static_cast<std::uint8_t>((header_.level & 0x3F) | (header_.complex ? 0x80 : 0));
    h[1] = type_;
    put16(2, static_cast<std::uint16_t>((length - 4) / 2));
    for (int axis = 0; axis < 3; ++axis) {
        const bool used = hasRange_ && (axis < 2 || threeD_);
        StoreLong(static_cast<std::int32_t>(EncodeRange(used ? low_[axis] : 0)), h + 4 + 4 * axis);
        StoreLong(static_cast<std::int32_t>(EncodeRange(used ? high_[axis] : 0)),
                  h + 16 + 4 * axis);
    }
    put16(28, header_.graphicGroup);
    put16(30, static_cast<std::uint16_t>((beforeLinkage - 32) / 2));
    put16(32, static_cast<std::uint16_t>((header_.elementClass & 0x0F) |
                                         (header_.linkage ? kPropertyAttributes : 0)));
    put16(34, header_.symbology);
    out.insert(out.end(), body_.begin(), body_.end());
    if (header_.linkage) {
        // A database linkage: its entity number is a signed word.
        const std::uint16_t entity = header_.entityNumber > 32768 ? 0 : header_.entityNumber;
        const std::uint16_t words[4] = {
            0x8000, entity, static_cast<std::uint16_t>(header_.linkNumber),
            static_cast<std::uint16_t>(header_.linkNumber >> 16 & 0xFF)};
        for (const std::uint16_t w : words) {
            out.push_back(static_cast<std::uint8_t>(w));
            out.push_back(static_cast<std::uint8_t>(w >> 8));
        }
    }
    return kFgnOk;
}

std::vector<CDgnPt> ArcExtremes(const CDgnPt& centre, double primary, double secondary,
                                double rotation, double start, double sweep) {
    const double turn = rotation * std::numbers::pi / 180;
    const auto at = [&](double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        const double x = primary * std::cos(a), y = secondary * std::sin(a);
        return CDgnPt(centre.X() + x * std::cos(turn) - y * std::sin(turn),
                      centre.Y() + x * std::sin(turn) + y * std::cos(turn), centre.Z());
    };
    std::vector<CDgnPt> points{at(start), at(start + sweep)};
    const double low = std::min(start, start + sweep), high = std::max(start, start + sweep);
    bool inside = false;
    // Angles a stored long cannot hold are refused later; no walk over them.
    for (double q = std::fabs(low) < 1e9 ? std::ceil(low / 90) * 90 : high; q < high; q += 90) {
        if (q <= low) continue;
        points.push_back(at(q));
        inside = true;
    }
    if (!inside) points.push_back(at(start + sweep / 2));
    return points;
}

double SweepOf(double start, double end, bool counterClockwise) {
    double sweep = std::fmod(end - start, 360.0);
    if (counterClockwise && sweep <= 0) sweep += 360;
    if (!counterClockwise && sweep >= 0) sweep -= 360;
    return sweep;
}

void EncodeLineString(CDgnEncoder& encoder, std::span<const CDgnPt> points) {
    encoder.Word(static_cast<std::uint16_t>(points.size()));
    for (const CDgnPt& pt : points) encoder.Point(pt);
}

void EncodeArc(CDgnEncoder& encoder, const SDgnPiece& arc) {
    for (const CDgnPt& pt :
         ArcExtremes(arc.centre, arc.primary, arc.secondary, arc.rotation, arc.start, arc.sweep))
        encoder.Extend(pt);
    encoder.Angle(arc.start);
    encoder.Long(static_cast<std::int32_t>(EncodeSweep(arc.sweep)));
    encoder.Length(arc.primary);
    encoder.Length(arc.secondary);
    if (encoder.ThreeD())
        for (int i = 0; i < 4; ++i) encoder.Long(0);  // no rotation
    else
        encoder.Angle(arc.rotation);
    encoder.DoublePoint(arc.centre);
}

TFgnFmtErr WriteComplex(const CDgnGlobal& global, std::uint8_t type, const SDgnWriteHeader& header,
                        const std::vector<SDgnPiece>& pieces, std::vector<std::uint8_t>& out) {
    SDgnWriteHeader part = header;
    part.complex = true;
    part.linkage = false;
    part.elementClass = 0;
    part.graphicGroup = 0;
    CDgnEncoder head(global, type, header);
    std::vector<std::uint8_t> components;
    std::size_t count = 0;
    for (const SDgnPiece& piece : pieces) {
        if (piece.arc) {
            CDgnEncoder arc(global, kTypeArc, part);
            EncodeArc(arc, piece);
            if (arc.Finish(components) != kFgnOk) return kFgnIncomplete;
            for (const CDgnPt& pt : ArcExtremes(piece.centre, piece.primary, piece.secondary, 0,
                                                piece.start, piece.sweep))
                head.Extend(pt);
            ++count;
            continue;
        }
        if (piece.points.size() < 2) return kFgnIncomplete;
        for (const CDgnPt& pt : piece.points) head.Extend(pt);
        // Consecutive line strings share their joining vertex.
        for (std::size_t first = 0; first + 1 < piece.points.size(); first += kMaxVertices - 1) {
            const std::size_t n = std::min(kMaxVertices, piece.points.size() - first);
            CDgnEncoder line(global, kTypeLineString, part);
            EncodeLineString(line, std::span<const CDgnPt>(piece.points).subspan(first, n));
            if (line.Finish(components) != kFgnOk) return kFgnIncomplete;
            ++count;
        }
    }
    if (count == 0 || count > 0xFFFF) return kFgnIncomplete;
    head.Word(0);  // the total length, set below
    head.Word(static_cast<std::uint16_t>(count));
    for (int i = 0; i < 4; ++i) head.Word(0);
    std::vector<std::uint8_t> element;
    if (head.Finish(element) != kFgnOk) return kFgnIncomplete;
    // The words after the total-length word, to the end of the last component.
    const std::size_t words = (element.size() + components.size() - (kHeaderSize + 2)) / 2;
    if (words > 0xFFFF) return kFgnIncomplete;
    element[kHeaderSize] = static_cast<std::uint8_t>(words);
    element[kHeaderSize + 1] = static_cast<std::uint8_t>(words >> 8);
    out.insert(out.end(), element.begin(), element.end());
    out.insert(out.end(), components.begin(), components.end());
    return kFgnOk;
}

}  // namespace dgn
