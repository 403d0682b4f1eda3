#include "readers/drawing/DrawingEntities.h"

#include <cmath>
#include <numbers>

#include "readers/drawing/DrawingDatabase.h"

namespace drawing {

namespace {

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

double NormalizedAngle(double angle) {
    const double turn = 2 * std::numbers::pi;
    angle = std::fmod(angle, turn);
    return angle < 0 ? angle + turn : angle;
}

}  // namespace

XDataChain XDataOf(const XDataChain& all, std::string_view application) {
    XDataChain chain;
    bool inside = false;
    for (const XDataValue& value : all) {
        if (value.code == 1001) {
            if (inside) break;
            inside = EqualFolded(value.text, application);
        }
        if (inside) chain.push_back(value);
    }
    return chain;
}

std::string HandleText(std::uint64_t handle) {
    if (handle == 0) return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char text[16];
    int length = 0;
    for (; handle != 0; handle >>= 4) text[length++] = kDigits[handle & 15];
    std::string out;
    while (length > 0) out.push_back(text[--length]);
    return out;
}

const char* ClassNameOf(EEntityType type) {
    switch (type) {
        case EEntityType::kText:
            return "DxDbText";
        case EEntityType::kAttribute:
            return "DxDbAttribute";
        case EEntityType::kAttributeDefinition:
            return "DxDbAttributeDefinition";
        case EEntityType::kBlockReference:
            return "DxDbBlockReference";
        case EEntityType::kMInsertBlock:
            return "DxDbMInsertBlock";
        case EEntityType::k2dPolyline:
            return "DxDb2dPolyline";
        case EEntityType::k3dPolyline:
            return "DxDb3dPolyline";
        case EEntityType::kPolygonMesh:
            return "DxDbPolygonMesh";
        case EEntityType::kPolyFaceMesh:
            return "DxDbPolyFaceMesh";
        case EEntityType::kArc:
            return "DxDbArc";
        case EEntityType::kCircle:
            return "DxDbCircle";
        case EEntityType::kLine:
            return "DxDbLine";
        case EEntityType::kEllipse:
            return "DxDbEllipse";
        case EEntityType::kSpline:
            return "DxDbSpline";
        case EEntityType::kLeader:
            return "DxDbLeader";
        case EEntityType::kRay:
            return "DxDbRay";
        case EEntityType::kXline:
            return "DxDbXline";
        case EEntityType::kDimension:
            return "DxDbDimension";
        case EEntityType::kOrdinateDimension:
            return "DxDbOrdinateDimension";
        case EEntityType::kAlignedDimension:
            return "DxDbAlignedDimension";
        case EEntityType::kRotatedDimension:
            return "DxDbRotatedDimension";
        case EEntityType::k3PointAngularDimension:
            return "DxDb3PointAngularDimension";
        case EEntityType::k2LineAngularDimension:
            return "DxDb2LineAngularDimension";
        case EEntityType::kRadialDimension:
            return "DxDbRadialDimension";
        case EEntityType::kDiametricDimension:
            return "DxDbDiametricDimension";
        case EEntityType::kPoint:
            return "DxDbPoint";
        case EEntityType::kFace:
            return "DxDbFace";
        case EEntityType::kTrace:
            return "DxDbTrace";
        case EEntityType::kSolid:
            return "DxDbSolid";
        case EEntityType::kShape:
            return "DxDbShape";
        case EEntityType::kViewport:
            return "DxDbViewport";
        case EEntityType::kMline:
            return "DxDbMline";
        case EEntityType::kMText:
            return "DxDbMText";
        case EEntityType::kOleFrame:
            return "DxDbOleFrame";
        case EEntityType::kBody:
            return "DxDbBody";
        case EEntityType::kRegion:
            return "DxDbRegion";
        case EEntityType::k3dSolid:
            return "DxDb3dSolid";
        case EEntityType::kFcf:
            return "DxDbFcf";
        case EEntityType::kPolyline:
            return "DxDbPolyline";
        case EEntityType::kRasterImage:
            return "DxDbRasterImage";
        case EEntityType::kMPolygon:
            return "DxDbMPolygon";
        case EEntityType::kHatch:
            return "DxDbHatch";
        case EEntityType::kOther:
            break;
    }
    return "DxDbProxyEntity";
}

XDataChain CEntity::XData(std::string_view application) const {
    return xdata_ ? XDataOf(*xdata_, application) : XDataChain{};
}

Point3d CCircle::PointAtAngle(double angle) const {
    const Point3d p{ocsCenter_.x + radius_ * std::cos(angle),
                    ocsCenter_.y + radius_ * std::sin(angle), ocsCenter_.z};
    return Ocs().TransformPoint(p);
}

Vector3d CEllipse::MinorAxis() const {
    return (ratio_ * Length(major_)) * Normalized(Cross(Normalized(normal_), major_));
}

double CEllipse::StartAngle() const {
    return NormalizedAngle(std::atan2(ratio_ * std::sin(startParam_), std::cos(startParam_)));
}

double CEllipse::EndAngle() const {
    return NormalizedAngle(std::atan2(ratio_ * std::sin(endParam_), std::cos(endParam_)));
}

Point3d CEllipse::PointAtParam(double t) const {
    return center_ + std::cos(t) * major_ + std::sin(t) * MinorAxis();
}

CEllipseCurve CEllipse::Curve() const {
    return CEllipseCurve(center_, major_, MinorAxis(), startParam_, endParam_);
}

bool CSpline::IsClosed() const {
    if ((flags_ & 3) != 0) return true;
    if (!curve_) return false;
    const Point3d start = curve_->StartPoint();
    const Point3d end = curve_->EndPoint();
    double extent = 0;
    for (const Point3d& p : controlPoints_) extent = std::max(extent, Length(p - start));
    return Length(end - start) <= 1e-10 * std::max(extent, 1.0);
}

Matrix3d CBlockReference::BlockTransform() const {
    const Point3d base = block_ != nullptr ? block_->BasePoint() : Point3d{};
    return Ocs() * Matrix3d::Translation(position_) * Matrix3d::RotationZ(rotation_) *
           Matrix3d::Scaling(scale_.x, scale_.y, scale_.z) *
           Matrix3d::Translation({-base.x, -base.y, -base.z});
}

Point3d CLwPolyline::WorldPointAt(int i) const {
    const Point2d& p = points_.at(i);
    return Ocs().TransformPoint({p.x, p.y, elevation_});
}

std::pair<double, double> CLwPolyline::WidthsAt(int i) const {
    if (widths_.empty()) {
        (void)points_.at(i);
        return {constantWidth_, constantWidth_};
    }
    return widths_.at(i);
}

std::optional<double> CLwPolyline::ConstantWidth() const {
    if (widths_.empty()) return constantWidth_;
    const double width = widths_.front().first;
    for (const auto& [start, end] : widths_) {
        if (start != width || end != width) return std::nullopt;
    }
    return width;
}

}  // namespace drawing
