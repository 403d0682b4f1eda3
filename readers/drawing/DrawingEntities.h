// The entities of the drawing model, one class per kind, with the values the
// DWG/DXF reader reads of each, already in world coordinates where the
// drawing database gives world coordinates, and every angle in radians.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "readers/drawing/DrawingCurves.h"
#include "readers/drawing/DrawingGeometry.h"

namespace drawing {

class CBlockRecord;
class CDxfLoader;

// One entry of an extended-data chain: 1000 text, 1001 application name,
// 1002 "{" or "}", 1003 layer name, 1004 binary chunk, 1005 handle (as text),
// 1010-1013 points, 1040-1042 reals, 1070 16-bit and 1071 32-bit integers.
struct XDataValue {
    int code = 0;
    std::string text;
    std::vector<std::uint8_t> bytes;
    Point3d point;
    double real = 0;
    std::int32_t integer = 0;
};
using XDataChain = std::vector<XDataValue>;

// The chain of one application in `all` (its 1001 entry first, up to the next
// application's), found without regard to case; empty when it has none.
XDataChain XDataOf(const XDataChain& all, std::string_view application);

// Handles as the database writes them: upper-case hexadecimal without leading
// zeros; 0 (no handle) gives the empty text.
std::string HandleText(std::uint64_t handle);

enum class EEntityType : std::uint8_t {
    kText,
    kAttribute,
    kAttributeDefinition,
    kBlockReference,
    kMInsertBlock,
    k2dPolyline,
    k3dPolyline,
    kPolygonMesh,
    kPolyFaceMesh,
    kArc,
    kCircle,
    kLine,
    kEllipse,
    kSpline,
    kLeader,
    kRay,
    kXline,
    kDimension,
    kOrdinateDimension,
    kAlignedDimension,
    kRotatedDimension,
    k3PointAngularDimension,
    k2LineAngularDimension,
    kRadialDimension,
    kDiametricDimension,
    kPoint,
    kFace,
    kTrace,
    kSolid,
    kShape,
    kViewport,
    kMline,
    kMText,
    kOleFrame,
    kBody,
    kRegion,
    k3dSolid,
    kFcf,
    kPolyline,  // the lightweight polyline
    kRasterImage,
    kMPolygon,
    kHatch,
    kOther,  // any other kind: ClassName() tells which
};

// The class name of a kind: "DxDbLine", "DxDbPolyline", ...
const char* ClassNameOf(EEntityType type);

class CEntity {
public:
    virtual ~CEntity() = default;

    EEntityType Type() const { return type_; }
    const char* ClassName() const { return className_; }
    std::uint64_t Handle() const { return handle_; }
    std::string HandleText() const { return drawing::HandleText(handle_); }
    // 0 by block, 256 by layer (the default), 1 to 255 a colour.
    int ColorIndex() const { return colorIndex_; }
    const std::string& LayerName() const { return *layer_; }
    const std::string& LinetypeName() const { return *linetype_; }
    bool IsPaperSpace() const { return paperSpace_; }
    // The extended data of one application (see XDataOf), a copy.
    XDataChain XData(std::string_view application) const;
    bool HasXData() const { return xdata_ != nullptr; }

    template <class T>
    const T* As() const {
        return dynamic_cast<const T*>(this);
    }

protected:
    friend class CDxfLoader;
    CEntity() = default;

private:
    EEntityType type_ = EEntityType::kOther;
    bool paperSpace_ = false;
    std::int16_t colorIndex_ = 256;
    const char* className_ = "";
    std::uint64_t handle_ = 0;
    const std::string* layer_ = nullptr;
    const std::string* linetype_ = nullptr;
    std::unique_ptr<XDataChain> xdata_;
};

// An entity that lies in a plane: its extrusion and object coordinate system.
class CPlanarEntity : public CEntity {
public:
    const Vector3d& Normal() const { return normal_; }
    // Object coordinates to world coordinates (the arbitrary-axis rule).
    Matrix3d Ocs() const { return OcsToWorld(normal_); }

protected:
    friend class CDxfLoader;
    Vector3d normal_{0, 0, 1};
};

// DxDbPoint. The position is a world point.
class CPointEntity final : public CEntity {
public:
    const Point3d& Position() const { return position_; }

private:
    friend class CDxfLoader;
    Point3d position_;
};

// DxDbLine: world points.
class CLine final : public CEntity {
public:
    const Point3d& StartPoint() const { return start_; }
    const Point3d& EndPoint() const { return end_; }

private:
    friend class CDxfLoader;
    Point3d start_;
    Point3d end_;
};

// DxDbCircle, and DxDbArc through CArc. The centre is a world point; angles
// (of arcs, and those of PointAtAngle) are measured in the object
// coordinate system, counter-clockwise about the normal.
class CCircle : public CPlanarEntity {
public:
    Point3d Center() const { return Ocs().TransformPoint(ocsCenter_); }
    const Point3d& OcsCenter() const { return ocsCenter_; }
    double Radius() const { return radius_; }
    // The world point at `angle` radians.
    Point3d PointAtAngle(double angle) const;

protected:
    friend class CDxfLoader;
    Point3d ocsCenter_;
    double radius_ = 0;
};

class CArc final : public CCircle {
public:
    // In [0, 2 pi).
    double StartAngle() const { return startAngle_; }
    double EndAngle() const { return endAngle_; }
    Point3d StartPoint() const { return PointAtAngle(startAngle_); }
    Point3d EndPoint() const { return PointAtAngle(endAngle_); }

private:
    friend class CDxfLoader;
    double startAngle_ = 0;
    double endAngle_ = 0;
};

// DxDbEllipse: centre and axes in world coordinates. The curve runs from
// StartParam to EndParam (radians of the parameter t in centre + cos t
// major + sin t minor, EndParam > StartParam); StartAngle and EndAngle are
// the angles of those points seen from the centre, measured from the major
// axis, as the drawing database gives them.
class CEllipse final : public CPlanarEntity {
public:
    const Point3d& Center() const { return center_; }
    const Vector3d& MajorAxis() const { return major_; }
    Vector3d MinorAxis() const;
    double RadiusRatio() const { return ratio_; }
    double StartParam() const { return startParam_; }
    double EndParam() const { return endParam_; }
    double StartAngle() const;
    double EndAngle() const;
    Point3d PointAtParam(double t) const;
    Point3d StartPoint() const { return PointAtParam(startParam_); }
    Point3d EndPoint() const { return PointAtParam(endParam_); }
    // The curve for lengths, points at a distance and splits.
    CEllipseCurve Curve() const;

private:
    friend class CDxfLoader;
    Point3d center_;
    Vector3d major_{1, 0, 0};
    double ratio_ = 1;
    double startParam_ = 0;
    double endParam_ = 0;
};

// DxDbSpline: control and fit points in world coordinates.
class CSpline final : public CPlanarEntity {
public:
    int Degree() const { return degree_; }
    bool IsRational() const { return (flags_ & 4) != 0; }
    bool IsPeriodic() const { return (flags_ & 2) != 0; }
    // Flagged closed or periodic, or ending where it starts.
    bool IsClosed() const;
    const std::vector<double>& Knots() const { return knots_; }
    const std::vector<Point3d>& ControlPoints() const { return controlPoints_; }
    const std::vector<double>& Weights() const { return weights_; }
    bool HasFitData() const { return !fitPoints_.empty(); }
    int NumFitPoints() const { return static_cast<int>(fitPoints_.size()); }
    const Point3d& FitPointAt(int i) const { return fitPoints_.at(i); }
    const std::vector<Point3d>& FitPoints() const { return fitPoints_; }
    // The NURBS curve of the control points; null when they make none (a
    // spline of fit points only, or counts that do not agree).
    const CNurbsCurve* Curve() const { return curve_ ? &*curve_ : nullptr; }

private:
    friend class CDxfLoader;
    int degree_ = 3;
    int flags_ = 0;
    std::vector<double> knots_;
    std::vector<Point3d> controlPoints_;
    std::vector<double> weights_;
    std::vector<Point3d> fitPoints_;
    std::optional<CNurbsCurve> curve_;
};

// DxDbText, DxDbAttribute and DxDbAttributeDefinition. Positions are world
// points; the rotation is measured in the object coordinate system.
class CText final : public CPlanarEntity {
public:
    const std::string& TextString() const { return text_; }
    // The first alignment point.
    Point3d Position() const { return Ocs().TransformPoint(position_); }
    // The second alignment point; the position when the text has none.
    Point3d AlignmentPoint() const {
        return Ocs().TransformPoint(hasAlignment_ ? alignment_ : position_);
    }
    // 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit.
    int HorizontalMode() const { return horizontalMode_; }
    // 0 baseline, 1 bottom, 2 middle, 3 top.
    int VerticalMode() const { return verticalMode_; }
    double Rotation() const { return rotation_; }
    double Height() const { return height_; }
    double WidthFactor() const { return widthFactor_; }
    double Oblique() const { return oblique_; }
    const std::string& TextStyleName() const { return *style_; }
    // Attributes and attribute definitions: the tag, and its flags (1 invisible, 2 constant, ...).
    const std::string& Tag() const { return tag_; }
    int AttributeFlags() const { return attributeFlags_; }

private:
    friend class CDxfLoader;
    std::string text_;
    std::string tag_;
    Point3d position_;   // object coordinates
    Point3d alignment_;  // object coordinates
    bool hasAlignment_ = false;
    std::int8_t horizontalMode_ = 0;
    std::int8_t verticalMode_ = 0;
    std::int16_t attributeFlags_ = 0;
    double rotation_ = 0;
    double height_ = 0;
    double widthFactor_ = 1;
    double oblique_ = 0;
    const std::string* style_ = nullptr;
};

// DxDbMText: the contents keep their formatting codes.
class CMText final : public CPlanarEntity {
public:
    const std::string& Contents() const { return contents_; }
    const Point3d& Location() const { return location_; }
    double Rotation() const { return rotation_; }
    double TextHeight() const { return height_; }
    // The width of the reference rectangle.
    double Width() const { return width_; }
    // 1 top left ... 9 bottom right.
    int Attachment() const { return attachment_; }
    const std::string& TextStyleName() const { return *style_; }

private:
    friend class CDxfLoader;
    std::string contents_;
    Point3d location_;
    double rotation_ = 0;
    double height_ = 0;
    double width_ = 0;
    int attachment_ = 1;
    const std::string* style_ = nullptr;
};

// DxDbBlockReference, and DxDbMInsertBlock for a reference with more than one
// row or column.
class CBlockReference final : public CPlanarEntity {
public:
    const std::string& BlockName() const { return *blockName_; }
    // The referenced block; null when the drawing has no block of that name,
    // or when the reference would make the block contain itself.
    const CBlockRecord* BlockTableRecord() const { return block_; }
    Point3d Position() const { return Ocs().TransformPoint(position_); }
    double Rotation() const { return rotation_; }
    const Vector3d& ScaleFactors() const { return scale_; }
    // Block coordinates to world coordinates: T(position) x OCS x Rz(rotation)
    // x S(scale) x T(-base point of the block).
    Matrix3d BlockTransform() const;
    const std::vector<std::unique_ptr<CText>>& Attributes() const { return attributes_; }
    int ColumnCount() const { return columns_; }
    int RowCount() const { return rows_; }
    double ColumnSpacing() const { return columnSpacing_; }
    double RowSpacing() const { return rowSpacing_; }

private:
    friend class CDxfLoader;
    const std::string* blockName_ = nullptr;
    const CBlockRecord* block_ = nullptr;
    Point3d position_;  // object coordinates
    double rotation_ = 0;
    Vector3d scale_{1, 1, 1};
    int columns_ = 1;
    int rows_ = 1;
    double columnSpacing_ = 0;
    double rowSpacing_ = 0;
    std::vector<std::unique_ptr<CText>> attributes_;
};

// DxDbPolyline, the lightweight polyline: vertices in object coordinates at
// its elevation.
class CLwPolyline final : public CPlanarEntity {
public:
    int NumVerts() const { return static_cast<int>(points_.size()); }
    const Point2d& PointAt(int i) const { return points_.at(i); }
    Point3d WorldPointAt(int i) const;
    double BulgeAt(int i) const { return bulges_.empty() ? 0 : bulges_.at(i); }
    // (start width, end width) of the segment that starts at vertex i.
    std::pair<double, double> WidthsAt(int i) const;
    // The one width of every segment; none when the widths vary.
    std::optional<double> ConstantWidth() const;
    double Elevation() const { return elevation_; }
    bool IsClosed() const { return (flags_ & 1) != 0; }

private:
    friend class CDxfLoader;
    std::vector<Point2d> points_;
    std::vector<double> bulges_;                     // empty when every bulge is 0
    std::vector<std::pair<double, double>> widths_;  // empty when every width is the constant one
    double constantWidth_ = 0;
    double elevation_ = 0;
    int flags_ = 0;
};

// A vertex of a 2D or 3D polyline. Types: 0 plain, 1 spline control point,
// 2 spline fit point, 3 curve-fit point (2D only).
struct PolylineVertex {
    Point3d position;  // object coordinates (2D, z = elevation) or world (3D)
    double bulge = 0;
    double startWidth = 0;
    double endWidth = 0;
    int vertexType = 0;
    int flags = 0;
    std::uint64_t handle = 0;
};

// DxDb2dPolyline.
class CPolyline2d final : public CPlanarEntity {
public:
    const std::vector<PolylineVertex>& Vertices() const { return vertices_; }
    Point3d WorldPosition(int i) const { return Ocs().TransformPoint(vertices_.at(i).position); }
    double Elevation() const { return elevation_; }
    double DefaultStartWidth() const { return defaultStartWidth_; }
    double DefaultEndWidth() const { return defaultEndWidth_; }
    bool IsClosed() const { return (flags_ & 1) != 0; }

private:
    friend class CDxfLoader;
    std::vector<PolylineVertex> vertices_;
    double elevation_ = 0;
    double defaultStartWidth_ = 0;
    double defaultEndWidth_ = 0;
    int flags_ = 0;
};

// DxDb3dPolyline (world vertices), and the vertices of DxDbPolygonMesh and
// DxDbPolyFaceMesh as the file holds them.
class CPolyline3d final : public CEntity {
public:
    const std::vector<PolylineVertex>& Vertices() const { return vertices_; }
    bool IsClosed() const { return (flags_ & 1) != 0; }

private:
    friend class CDxfLoader;
    std::vector<PolylineVertex> vertices_;
    int flags_ = 0;
};

// DxDbSolid and DxDbTrace (corners given in object coordinates) and DxDbFace
// (world corners): four world corners; a missing fourth is the third.
class CSolid final : public CPlanarEntity {
public:
    const Point3d& PointAt(int i) const { return corners_[i & 3]; }

private:
    friend class CDxfLoader;
    Point3d corners_[4];
};

// DxDbMline: world vertices.
class CMline final : public CPlanarEntity {
public:
    int NumVertices() const { return static_cast<int>(vertices_.size()); }
    const Point3d& VertexAt(int i) const { return vertices_.at(i); }
    bool IsClosed() const { return (flags_ & 2) != 0; }
    double Scale() const { return scale_; }
    const std::string& StyleName() const { return styleName_; }

private:
    friend class CDxfLoader;
    std::vector<Point3d> vertices_;
    int flags_ = 0;
    double scale_ = 1;
    std::string styleName_;
};

// One boundary loop of a multi-polygon, in object coordinates (z = elevation).
struct MPolygonLoop {
    bool readable = true;  // false: not a polyline path
    bool closed = true;
    std::vector<Point2d> vertices;
    std::vector<double> bulges;  // one per vertex
};

// DxDbMPolygon.
class CMPolygon final : public CPlanarEntity {
public:
    const std::vector<MPolygonLoop>& Loops() const { return loops_; }
    double Elevation() const { return elevation_; }

private:
    friend class CDxfLoader;
    std::vector<MPolygonLoop> loops_;
    double elevation_ = 0;
};

// DxDbShape.
class CShape final : public CPlanarEntity {
public:
    Point3d Position() const { return Ocs().TransformPoint(position_); }
    const std::string& Name() const { return name_; }
    double Rotation() const { return rotation_; }
    double Size() const { return size_; }
    double WidthFactor() const { return widthFactor_; }
    double Oblique() const { return oblique_; }

private:
    friend class CDxfLoader;
    Point3d position_;
    std::string name_;
    double rotation_ = 0;
    double size_ = 0;
    double widthFactor_ = 1;
    double oblique_ = 0;
};

}  // namespace drawing
