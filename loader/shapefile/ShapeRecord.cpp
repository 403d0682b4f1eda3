#include "loader/shapefile/ShapeRecord.h"

#include "common/ByteOrder.h"

namespace {

constexpr std::size_t kPointSize = 16;   // x and y, little-endian doubles
constexpr std::size_t kBoxEnd = 4 + 32;  // shape type and bounding box
constexpr std::uint8_t kWkbLittleEndian = 1;

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return byteorder::LoadU32Le(&b[at]);
}

void Put32(std::vector<std::uint8_t>& wkb, std::uint32_t v) {
    std::uint8_t bytes[4];
    byteorder::StoreU32Le(v, bytes);
    wkb.insert(wkb.end(), bytes, bytes + sizeof bytes);
}

void PutHeader(std::vector<std::uint8_t>& wkb, std::uint32_t type) {
    wkb.push_back(kWkbLittleEndian);
    Put32(wkb, type);
}

// The Z and M types hold the 2-D type's layout, then their Z and M blocks.
std::int32_t PlanarType(std::int32_t type) {
    switch (type) {
        case kShapePointZ:
        case kShapePolyLineZ:
        case kShapePolygonZ:
        case kShapeMultiPointZ:
            return type - 10;
        case kShapePointM:
        case kShapePolyLineM:
        case kShapePolygonM:
        case kShapeMultiPointM:
            return type - 20;
        default:
            return type;
    }
}

}  // namespace

Status CShapeRecord::Parse(std::span<const std::uint8_t> content) {
    content_ = content;
    kind_ = EShapeKind::kSkipped;
    partCount_ = pointCount_ = 0;
    hasZOrM_ = false;
    if (content.size() < 4) return kWlxBadFormat;
    shapeType_ = static_cast<std::int32_t>(Read32(content, 0));
    const std::int32_t planar = PlanarType(shapeType_);
    hasZOrM_ = planar != shapeType_;
    switch (planar) {
        case kShapePoint:
            if (content.size() < 4 + kPointSize) return kWlxBadFormat;
            pointsAt_ = 4;
            pointCount_ = 1;
            kind_ = EShapeKind::kPoint;
            return 0;
        case kShapeMultiPoint: {
            if (content.size() < kBoxEnd + 4) return kWlxBadFormat;
            pointCount_ = Read32(content, kBoxEnd);
            pointsAt_ = kBoxEnd + 4;
            if (pointCount_ > (content.size() - pointsAt_) / kPointSize) return kWlxBadFormat;
            kind_ = EShapeKind::kMultiPoint;
            return 0;
        }
        case kShapePolyLine:
        case kShapePolygon: {
            if (content.size() < kBoxEnd + 8) return kWlxBadFormat;
            partCount_ = Read32(content, kBoxEnd);
            pointCount_ = Read32(content, kBoxEnd + 4);
            partsAt_ = kBoxEnd + 8;
            const std::size_t room = content.size() - partsAt_;
            if (partCount_ > room / 4) return kWlxBadFormat;
            pointsAt_ = partsAt_ + std::size_t{partCount_} * 4;
            if (pointCount_ > (content.size() - pointsAt_) / kPointSize) return kWlxBadFormat;
            if (partCount_ == 0) return 0;  // nothing to draw: skipped
            // Part starts rise strictly (no empty part) and stay below the point count.
            for (std::uint32_t i = 0; i < partCount_; ++i) {
                const std::uint32_t start = Read32(content, partsAt_ + 4 * i);
                if (start >= pointCount_) return kWlxBadFormat;
                if (i > 0 && start <= Read32(content, partsAt_ + 4 * (i - 1))) return kWlxBadFormat;
            }
            const bool line = planar == kShapePolyLine;
            kind_ = partCount_ == 1 ? (line ? EShapeKind::kLine : EShapeKind::kPolygon)
                                    : (line ? EShapeKind::kMultiLine : EShapeKind::kMultiPolygon);
            return 0;
        }
        default:
            return 0;  // null and multipatch shapes are skipped
    }
}

int CShapeRecord::GetFeatureKind() const {
    switch (kind_) {
        case EShapeKind::kPoint:
        case EShapeKind::kMultiPoint:
            return 1;
        case EShapeKind::kLine:
        case EShapeKind::kMultiLine:
            return 2;
        case EShapeKind::kPolygon:
        case EShapeKind::kMultiPolygon:
            return 3;
        case EShapeKind::kSkipped:
            break;
    }
    return 0;
}

void CShapeRecord::BuildWkb(std::vector<std::uint8_t>& wkb) const {
    wkb.clear();
    const auto points = [&](std::uint32_t first, std::uint32_t count) {
        const auto* from = content_.data() + pointsAt_ + std::size_t{first} * kPointSize;
        wkb.insert(wkb.end(), from, from + std::size_t{count} * kPointSize);
    };
    // Points of part i: from its start to the next part's start, or to the end.
    const auto part = [&](std::uint32_t i, std::uint32_t& first, std::uint32_t& count) {
        first = Read32(content_, partsAt_ + 4 * i);
        const std::uint32_t end =
            i + 1 < partCount_ ? Read32(content_, partsAt_ + 4 * (i + 1)) : pointCount_;
        count = end - first;
    };
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    switch (kind_) {
        case EShapeKind::kPoint:
            wkb.reserve(5 + kPointSize);
            PutHeader(wkb, 1);
            points(0, 1);
            return;
        case EShapeKind::kMultiPoint:
            wkb.reserve(9 + std::size_t{pointCount_} * (5 + kPointSize));
            PutHeader(wkb, 4);
            Put32(wkb, pointCount_);
            for (std::uint32_t i = 0; i < pointCount_; ++i) {
                PutHeader(wkb, 1);
                points(i, 1);
            }
            return;
        case EShapeKind::kLine:
        case EShapeKind::kPolygon: {
            const bool polygon = kind_ == EShapeKind::kPolygon;
            part(0, first, count);
            wkb.reserve(13 + std::size_t{count} * kPointSize);
            PutHeader(wkb, polygon ? 3 : 2);
            if (polygon) Put32(wkb, 1);
            Put32(wkb, count);
            points(first, count);
            return;
        }
        case EShapeKind::kMultiLine:
        case EShapeKind::kMultiPolygon: {
            const bool polygon = kind_ == EShapeKind::kMultiPolygon;
            wkb.reserve(9 + std::size_t{partCount_} * 13 + std::size_t{pointCount_} * kPointSize);
            PutHeader(wkb, polygon ? 6 : 5);
            Put32(wkb, partCount_);
            for (std::uint32_t i = 0; i < partCount_; ++i) {
                part(i, first, count);
                PutHeader(wkb, polygon ? 3 : 2);
                if (polygon) Put32(wkb, 1);
                Put32(wkb, count);
                points(first, count);
            }
            return;
        }
        case EShapeKind::kSkipped:
            return;
    }
}
