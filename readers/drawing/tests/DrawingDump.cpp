#include "readers/drawing/tests/DrawingDump.h"

#include <cstdio>

namespace drawingtest {

using namespace drawing;

namespace {

constexpr int kMaxDepth = 10;

class CDumper {
public:
    explicit CDumper(std::vector<DumpEntry>& out) : out_(out) {}

    void Walk(const CBlockRecord& block, const Matrix3d& toWorld, int depth, const DumpEntry* top) {
        for (const auto& entity : block.Entities()) Add(*entity, toWorld, depth, top);
    }

private:
    void Add(const CEntity& entity, const Matrix3d& toWorld, int depth, const DumpEntry* top) {
        DumpEntry entry;
        entry.className = entity.ClassName();
        entry.depth = depth;
        entry.toWorld = toWorld;
        if (top == nullptr) {
            entry.handle = entity.HandleText();
            entry.layer = entity.LayerName();
            entry.paperSpace = entity.IsPaperSpace();
        } else {
            entry.handle = top->handle;
            entry.layer = entity.LayerName() == "0" ? top->layer : entity.LayerName();
            entry.paperSpace = top->paperSpace;
        }
        auto world = [&](const Point3d& p) { return toWorld.TransformPoint(p); };
        auto path = [&](std::vector<Point3d> points) {
            entry.shape = EDumpShape::kPath;
            for (const Point3d& p : points) entry.points.push_back(world(p));
        };
        if (const auto* e = entity.As<CPointEntity>()) {
            entry.shape = EDumpShape::kAnchor;
            entry.points.push_back(world(e->Position()));
        } else if (const auto* e = entity.As<CText>()) {
            entry.shape = EDumpShape::kAnchor;
            entry.points.push_back(world(e->Position()));
            if (e->HorizontalMode() != 0 || e->VerticalMode() != 0) {
                entry.points.push_back(world(e->AlignmentPoint()));
            }
        } else if (const auto* e = entity.As<CMText>()) {
            entry.shape = EDumpShape::kAnchor;
            entry.points.push_back(world(e->Location()));
        } else if (const auto* e = entity.As<CShape>()) {
            entry.shape = EDumpShape::kAnchor;
            entry.points.push_back(world(e->Position()));
        } else if (const auto* e = entity.As<CLine>()) {
            path({e->StartPoint(), e->EndPoint()});
        } else if (const auto* e = entity.As<CLwPolyline>()) {
            std::vector<Point3d> points;
            for (int i = 0; i < e->NumVerts(); ++i) points.push_back(e->WorldPointAt(i));
            path(points);
        } else if (const auto* e = entity.As<CPolyline2d>()) {
            std::vector<Point3d> points;
            for (std::size_t i = 0; i < e->Vertices().size(); ++i) {
                if (e->Vertices()[i].vertexType != 1)
                    points.push_back(e->WorldPosition(static_cast<int>(i)));
            }
            path(points);
        } else if (const auto* e = entity.As<CPolyline3d>()) {
            std::vector<Point3d> points;
            for (const PolylineVertex& v : e->Vertices()) {
                if (v.vertexType != 1) points.push_back(v.position);
            }
            if (e->Type() == EEntityType::k3dPolyline) path(points);
        } else if (const auto* e = entity.As<CSolid>()) {
            if (e->Type() != EEntityType::kFace) {
                path({e->PointAt(0), e->PointAt(1), e->PointAt(3), e->PointAt(2)});
            } else {
                path({e->PointAt(0), e->PointAt(1), e->PointAt(2), e->PointAt(3)});
            }
        } else if (const auto* e = entity.As<CMline>()) {
            std::vector<Point3d> points;
            for (int i = 0; i < e->NumVertices(); ++i) points.push_back(e->VertexAt(i));
            path(points);
        } else if (const auto* e = entity.As<CCircle>()) {
            entry.shape = EDumpShape::kCircle;
            entry.ocs = e->Ocs();
            entry.ocsCenter = e->OcsCenter();
            entry.radius = e->Radius();
            entry.points.push_back(world(e->Center()));
            if (const auto* arc = entity.As<CArc>()) {
                entry.points.push_back(world(arc->StartPoint()));
                entry.points.push_back(world(arc->EndPoint()));
            }
        } else if (const auto* e = entity.As<CEllipse>()) {
            entry.shape = EDumpShape::kEllipse;
            entry.center = e->Center();
            entry.major = e->MajorAxis();
            entry.minor = e->MinorAxis();
            entry.points = {world(e->StartPoint()), world(e->EndPoint())};
        } else if (const auto* e = entity.As<CSpline>()) {
            if (e->Curve() != nullptr) {
                entry.shape = EDumpShape::kSpline;
                entry.spline = e;
                entry.points = {world(e->Curve()->StartPoint()), world(e->Curve()->EndPoint())};
            }
        } else if (const auto* e = entity.As<CBlockReference>()) {
            entry.shape = EDumpShape::kAnchor;
            entry.points.push_back(world(e->Position()));
            out_.push_back(entry);
            const DumpEntry self = out_.back();
            if (e->BlockTableRecord() != nullptr && depth < kMaxDepth &&
                e->Type() == EEntityType::kBlockReference) {
                Walk(*e->BlockTableRecord(), toWorld * e->BlockTransform(), depth + 1,
                     top != nullptr ? top : &self);
            }
            for (const auto& attribute : e->Attributes()) {
                Add(*attribute, toWorld, depth, top);
            }
            return;
        }
        out_.push_back(entry);
    }

    std::vector<DumpEntry>& out_;
};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace

std::vector<DumpEntry> DumpDrawing(const CDatabase& database) {
    std::vector<DumpEntry> entries;
    CDumper dumper(entries);
    dumper.Walk(database.ModelSpace(), Matrix3d(), 0, nullptr);
    dumper.Walk(database.PaperSpace(), Matrix3d(), 0, nullptr);
    return entries;
}

std::string FormatDump(const std::vector<DumpEntry>& entries) {
    std::string text;
    for (const DumpEntry& entry : entries) {
        text.append(static_cast<std::size_t>(entry.depth) * 2, ' ');
        text += entry.handle + '\t' + entry.layer + '\t' + entry.className;
        if (entry.paperSpace) text += "\tpaper";
        if (entry.shape == EDumpShape::kCircle) text += "\tr=" + Number(entry.radius);
        for (const Point3d& p : entry.points) {
            text += "\t(" + Number(p.x) + ' ' + Number(p.y) + ' ' + Number(p.z) + ')';
        }
        text += '\n';
    }
    return text;
}

Matrix3d InverseAffine(const Matrix3d& m) {
    const double a = m(0, 0), b = m(0, 1), c = m(0, 2);
    const double d = m(1, 0), e = m(1, 1), f = m(1, 2);
    const double g = m(2, 0), h = m(2, 1), i = m(2, 2);
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    Matrix3d inverse;
    inverse(0, 0) = (e * i - f * h) / det;
    inverse(0, 1) = (c * h - b * i) / det;
    inverse(0, 2) = (b * f - c * e) / det;
    inverse(1, 0) = (f * g - d * i) / det;
    inverse(1, 1) = (a * i - c * g) / det;
    inverse(1, 2) = (c * d - a * f) / det;
    inverse(2, 0) = (d * h - e * g) / det;
    inverse(2, 1) = (b * g - a * h) / det;
    inverse(2, 2) = (a * e - b * d) / det;
    const Point3d t = inverse.TransformVector({m(0, 3), m(1, 3), m(2, 3)});
    inverse(0, 3) = -t.x;
    inverse(1, 3) = -t.y;
    inverse(2, 3) = -t.z;
    return inverse;
}

}  // namespace drawingtest
