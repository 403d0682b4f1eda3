// The drawing reader's conversion of entities into feature records: the
// dispatch by kind, each kind's geometry in model-space coordinates, block
// references entered or kept as points, styles, block extents and symbols.
#include <cmath>
#include <string>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileNames.h"
#include "loader/core/GeometryExtent.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "loader/core/PointGeometry.h"
#include "loader/core/ReporterInterface.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "loader/core/UnicodeEscapes.h"
#include "readers/dxf/DwgReader.h"
#include "readers/dxf/DwgStyle.h"

using drawing::EEntityType;
using drawing::Point3d;
using dwg::kArcStep;
using dwg::kMaxDepth;
using dwg::SWalk;
using dwg::SWalkMode;

namespace {

constexpr double kNoExtent = 1e35;
constexpr int kWhite = 7;
// The fill style of a polygon made of a closed line.
constexpr int kClosedLineFillStyle = 7;

bool IsLineKind(EEntityType type) {
    switch (type) {
        case EEntityType::k2dPolyline:
        case EEntityType::k3dPolyline:
        case EEntityType::kArc:
        case EEntityType::kCircle:
        case EEntityType::kLine:
        case EEntityType::kEllipse:
        case EEntityType::kSpline:
        case EEntityType::kMline:
        case EEntityType::kPolyline:
            return true;
        default:
            return false;
    }
}

// The filter kind of what an entity becomes; 0 for the kinds that are not converted.
int FilterKind(EEntityType type) {
    switch (type) {
        case EEntityType::kText:
        case EEntityType::kAttribute:
        case EEntityType::kAttributeDefinition:
        case EEntityType::kMText:
        case EEntityType::kShape:
        case EEntityType::kPoint:
        case EEntityType::kBlockReference:
            return kFeaturePoint;
        case EEntityType::kTrace:
        case EEntityType::kSolid:
        case EEntityType::kMPolygon:
            return kFeaturePolygon;
        default:
            return IsLineKind(type) ? kFeatureLine : 0;
    }
}

CPoint2d Flat(const Point3d& p) {
    return {p.x, p.y};
}

void CloseRing(PointList& ring) {
    if (ring.size() > 1 && !(ring.front() == ring.back())) ring.push_back(ring.front());
}

// The vertices of a polyline with their bulges and widths, in the plane of the polyline.
struct SVertex {
    Point3d position;
    double bulge = 0;
    double startWidth = 0;
    double endWidth = 0;
};

// A polyline's points through `map`, with one width pair per point: the arcs
// of bulged segments, and the first point again when a closed polyline does
// not end there.
void PolylinePoints(const std::vector<SVertex>& vertices, bool closed, const dwg::PointMapper& map,
                    PointList& points, dwg::SegmentWidthList& widths) {
    const std::size_t n = vertices.size();
    if (n == 0) return;
    points.push_back(Flat(map(vertices[0].position)));
    for (std::size_t i = 0; i < n; ++i) {
        const SVertex& v = vertices[i];
        const bool last = i + 1 == n;
        if (last && !closed) break;
        const SVertex& next = vertices[last ? 0 : i + 1];
        // A closed polyline whose last vertex lies on its first needs no closing segment.
        if (last && next.position.x == v.position.x && next.position.y == v.position.y) break;
        const std::size_t before = points.size();
        dwg::AppendSegment(v.position, next.position, v.bulge, map, points);
        const std::size_t k = points.size() - before + 1;  // points of the segment, both ends
        const double q = (v.endWidth - v.startWidth) / static_cast<double>(k - 1);
        for (std::size_t j = 0; j + 1 < k; ++j)
            widths.push_back({v.startWidth + static_cast<double>(j) * q,
                              v.startWidth + static_cast<double>(j + 1) * q});
    }
    if (closed) {
        if (!(points.front() == points.back())) points.push_back(points.front());
        widths.push_back(
            {widths.empty() ? 0 : widths.back().end, widths.empty() ? 0 : widths.front().start});
    } else {
        widths.push_back({vertices[n - 1].startWidth, vertices[n - 1].endWidth});
    }
}

}  // namespace

void CDwgReader::ReportUnsupportedEntity(const drawing::CEntity& entity) {
    const std::string handle = entity.HandleText();
    const std::string& layer = entity.LayerName();
    if (settings_->reporter)
        settings_->reporter->ShowWarning(Format(kMsgUnsupportedEntity, entity.ClassName(),
                                                handle.c_str(),
                                                layer.empty() ? "<Unknown>" : layer.c_str())
                                             .c_str());
    settings_->warnings = 1;
}

bool CDwgReader::FilterEntity(const drawing::CEntity& entity, int depth, bool explode) {
    CFeatureKey key;
    key.kind = FilterKind(entity.Type());
    if (key.kind == 0) {
        ReportUnsupportedEntity(entity);
        return false;
    }
    if (depth == 0) key.layer = entity.LayerName().c_str();
    if (const auto* reference = entity.As<drawing::CBlockReference>()) {
        const bool descends = explode && depth < kMaxDepth;
        key.kind = descends ? kFeatureOther : kFeaturePoint;
        if (!descends || depth == 0) key.block = reference->BlockName();
    } else if (key.kind == kFeatureLine && settings_->closedPolylinesToPolygons) {
        // Chosen once the line is known to be open or closed.
        key.kind = kFeatureOther;
    }
    return settings_->filter.Accept(&key) != 0;
}

Status CDwgReader::ConvertNextEntity(SWalk& walk, CFeatureRecord* record, const SWalkMode& mode,
                                     bool& converted) {
    converted = false;
    Status status = 0;
    while (status == 0 && !converted && !walk.end && walk.current) {
        bool entered = false;
        if (mode.symbol || FilterEntity(*walk.current, walk.Depth(), mode.explode))
            status = ConvertEntity(walk, record, mode, converted, entered);
        if (entered) continue;
        if (status == 0 && !converted) AdvanceEntity(walk);
    }
    return status;
}

int CDwgReader::LayerColourIndex(const std::string& layer) const {
    const drawing::CLayerRecord* record = database_->FindLayer(layer);
    const int index = record ? record->ColorIndex() : kWhite;
    // By layer or by block has no meaning for a layer.
    return index >= 1 && index <= 255 ? index : kWhite;
}

namespace {

// The colour of an entity's layer; layer "0" inside a block takes the
// layer of the reference that placed the block.
int OwnLayerColour(const drawing::CEntity& entity, const SWalk& walk, int layerColour) {
    if (walk.Depth() > 0 && entity.LayerName() == "0") return walk.layerColour[walk.Depth()];
    return layerColour;
}

}  // namespace

CRgbaColor CDwgReader::ResolveColour(const drawing::CEntity& entity, const SWalk& walk) const {
    int c = entity.ColorIndex();
    int layer = OwnLayerColour(entity, walk, LayerColourIndex(entity.LayerName()));
    int level = walk.Depth();
    // Each by-block step goes out one level, so this ends.
    while (c == 256 || c == 0) {
        if (c == 256) {
            c = layer;
        } else if (level < 1) {
            c = walk.colour[0];
            break;
        } else {
            c = walk.colour[level];
            layer = walk.layerColour[level];
            --level;
        }
    }
    return dwg::ColourFromIndex(c);
}

std::unique_ptr<CEntityStyle> CDwgReader::MakeStyle(const drawing::CEntity& entity,
                                                    const CFeatureRecord& record, const SWalk& walk,
                                                    bool polygon,
                                                    const CExtent2d* blockExtent) const {
    const std::string key = entity.HandleText();
    const char* name = record.GetName();
    const char* layer = entity.LayerName().c_str();
    const CRgbaColor colour = ResolveColour(entity, walk);
    auto fill = [&] {
        return std::make_unique<CPolygonStyle>(key.c_str(), name, layer, colour, 0, colour, 0, 0.0);
    };
    auto text = [&](const std::string& styleName, int horizontal, int vertical, double rotation,
                    double height) {
        walk.transforms.ApplyLengthAndAngle(height, rotation);
        const drawing::CTextStyleRecord* font = database_->FindTextStyle(styleName);
        return std::make_unique<CTextStyle>(
            key.c_str(), name, layer, name, colour, horizontal, vertical, rotation, height,
            font && font->IsBold(), font && font->IsItalic(), 0, font ? font->Charset() : 0,
            font ? font->PitchAndFamily() : 0, font ? font->Typeface().c_str() : "");
    };
    switch (entity.Type()) {
        case EEntityType::kPoint:
            return std::make_unique<CSymbolStyle>(key.c_str(), name, layer, colour, "", 0.0, 0.0,
                                                  0.0);
        case EEntityType::kShape: {
            const auto& e = *entity.As<drawing::CShape>();
            return std::make_unique<CSymbolStyle>(key.c_str(), name, layer, colour,
                                                  e.Name().c_str(), e.Rotation(),
                                                  e.Size() * e.WidthFactor(), e.Size());
        }
        case EEntityType::kText:
        case EEntityType::kAttribute:
        case EEntityType::kAttributeDefinition: {
            const auto& e = *entity.As<drawing::CText>();
            return text(e.TextStyleName(), e.HorizontalMode(), e.VerticalMode(), e.Rotation(),
                        e.Height());
        }
        case EEntityType::kMText: {
            const auto& e = *entity.As<drawing::CMText>();
            return text(e.TextStyleName(), 0, 3, e.Rotation(), e.TextHeight());
        }
        case EEntityType::kBlockReference: {
            const auto& e = *entity.As<drawing::CBlockReference>();
            const double width = blockExtent ? ExtentWidth(*blockExtent) : 0.0;
            const double height = blockExtent ? ExtentHeight(*blockExtent) : 0.0;
            return std::make_unique<CSymbolStyle>(
                key.c_str(), name, layer, colour,
                e.BlockTableRecord() ? e.BlockTableRecord()->Name().c_str() : e.BlockName().c_str(),
                e.Rotation(), width * e.ScaleFactors().x, height * e.ScaleFactors().y);
        }
        case EEntityType::kPolyline: {
            if (polygon) return fill();
            const auto width = entity.As<drawing::CLwPolyline>()->ConstantWidth();
            return std::make_unique<CPolylineStyle>(key.c_str(), name, layer, colour, 0,
                                                    width ? *width : 0.0);
        }
        case EEntityType::k2dPolyline: {
            if (polygon) return fill();
            const auto& e = *entity.As<drawing::CPolyline2d>();
            const double width =
                e.DefaultStartWidth() == e.DefaultEndWidth() ? e.DefaultStartWidth() : 0.0;
            return std::make_unique<CPolylineStyle>(key.c_str(), name, layer, colour, 0, width);
        }
        case EEntityType::kTrace:
        case EEntityType::kSolid:
        case EEntityType::kMPolygon:
            return fill();
        default:
            return std::make_unique<CPolylineStyle>(key.c_str(), name, layer, colour, 0, 0.0);
    }
}

Status CDwgReader::ConvertEntity(SWalk& walk, CFeatureRecord* record, const SWalkMode& mode,
                                 bool& converted, bool& entered) {
    const drawing::CEntity& entity = *walk.current;
    const EEntityType type = entity.Type();
    if (type == EEntityType::kBlockReference)
        return ConvertBlockReference(walk, record, mode, converted, entered);
    IWKBGeometryFactory* factory = factory_.Get();
    const dwg::STransformStack& transforms = walk.transforms;
    const dwg::PointMapper world = [&](const Point3d& p) { return transforms.Apply(p); };
    auto planar = [&](const drawing::CPlanarEntity& e) -> dwg::PointMapper {
        const drawing::Matrix3d ocs = e.Ocs();
        return [&transforms, ocs](const Point3d& p) {
            return transforms.Apply(ocs.TransformPoint(p));
        };
    };
    const bool textOutline = mode.symbol && !mode.styles;
    PointList points;
    std::vector<PointList> rings;
    enum { kNone, kPoint, kLine, kPolygon, kMultiPolygon } shape = kNone;
    bool hasWidth = false;
    dwg::SegmentWidthList widths;

    auto textName = [&](const std::string& raw, bool keepNewLines) {
        if (!settings_->nameTemplate.empty()) return;
        std::string cleaned = dwg::StripTextFormatting(raw, keepNewLines);
        DecodeUnicodeEscapes(cleaned);
        record->SetName(cleaned);
    };
    // A text's outline from its anchor: up its height, then along its width.
    auto outline = [&](const Point3d& anchor, double up, double rotation, double width) {
        const double s = std::sin(rotation);
        const double c = std::cos(rotation);
        const Point3d p1{anchor.x - up * s, anchor.y + up * c, anchor.z};
        const Point3d along{width * c, width * s, 0};
        for (const Point3d& p : {anchor, p1, p1 + along, anchor + along})
            points.push_back(Flat(world(p)));
        shape = kLine;
    };

    switch (type) {
        case EEntityType::kPoint:
            points.push_back(Flat(world(entity.As<drawing::CPointEntity>()->Position())));
            shape = kPoint;
            break;
        case EEntityType::kShape:
        case EEntityType::kAttribute:
        case EEntityType::kAttributeDefinition: {
            if (mode.symbol) return 0;
            if (const auto* shapeEntity = entity.As<drawing::CShape>()) {
                points.push_back(Flat(world(shapeEntity->Position())));
            } else {
                const auto& e = *entity.As<drawing::CText>();
                textName(e.TextString(), false);
                points.push_back(Flat(world(e.Position())));
            }
            shape = kPoint;
            break;
        }
        case EEntityType::kText: {
            const auto& e = *entity.As<drawing::CText>();
            textName(e.TextString(), false);
            const int h = e.HorizontalMode();
            const Point3d anchor = e.VerticalMode() == 0 && (h == 0 || h == 3 || h == 5)
                                       ? e.Position()
                                       : e.AlignmentPoint();
            const std::string cleaned = dwg::StripTextFormatting(e.TextString(), false);
            if (textOutline && settings_->nameTemplate.empty() && !cleaned.empty()) {
                const double width =
                    static_cast<double>(cleaned.size()) * e.WidthFactor() * e.Height();
                outline(anchor, e.Height(), e.Rotation(), width);
            } else {
                points.push_back(Flat(world(anchor)));
                shape = kPoint;
            }
            break;
        }
        case EEntityType::kMText: {
            const auto& e = *entity.As<drawing::CMText>();
            textName(e.Contents(), true);
            const std::string cleaned = dwg::StripTextFormatting(e.Contents(), true);
            if (textOutline && settings_->nameTemplate.empty() && !cleaned.empty()) {
                // Downwards from the top-left anchor.
                outline(e.Location(), -e.TextHeight(), e.Rotation(), e.Width());
            } else {
                points.push_back(Flat(world(e.Location())));
                shape = kPoint;
            }
            break;
        }
        case EEntityType::kLine: {
            const auto& e = *entity.As<drawing::CLine>();
            points = {Flat(world(e.StartPoint())), Flat(world(e.EndPoint()))};
            shape = kLine;
            break;
        }
        case EEntityType::kMline: {
            const auto& e = *entity.As<drawing::CMline>();
            for (int i = 0; i < e.NumVertices(); ++i) points.push_back(Flat(world(e.VertexAt(i))));
            if (e.IsClosed() && !points.empty()) points.push_back(points.front());
            shape = kLine;
            break;
        }
        case EEntityType::kArc: {
            const auto& e = *entity.As<drawing::CArc>();
            dwg::AppendArcPoints(e.OcsCenter(), e.StartAngle(), e.EndAngle(), e.Radius(), true,
                                 planar(e), points);
            shape = kLine;
            break;
        }
        case EEntityType::kCircle: {
            const auto& e = *entity.As<drawing::CCircle>();
            const dwg::PointMapper map = planar(e);
            const Point3d c = e.OcsCenter();
            for (int i = 0; i < 120; ++i) {
                const double a = i * kArcStep;
                points.push_back(Flat(
                    map({c.x + e.Radius() * std::cos(a), c.y + e.Radius() * std::sin(a), c.z})));
            }
            points.push_back(points.front());
            shape = kLine;
            break;
        }
        case EEntityType::kEllipse: {
            const auto& e = *entity.As<drawing::CEllipse>();
            // Sampled by the parameter, so that the first sample is the start point.
            double sweep = e.EndParam() - e.StartParam();
            if (!std::isfinite(sweep)) sweep = 0;
            if (sweep < 0) sweep = std::fmod(sweep, dwg::kTwoPi) + dwg::kTwoPi;
            // More than a turn draws the ellipse once.
            const int n = static_cast<int>(std::fmin(sweep, dwg::kTwoPi) / kArcStep);
            for (int i = 0; i < n; ++i)
                points.push_back(Flat(world(e.PointAtParam(e.StartParam() + i * kArcStep))));
            points.push_back(Flat(world(e.EndPoint())));
            shape = kLine;
            break;
        }
        case EEntityType::kSpline: {
            const auto& e = *entity.As<drawing::CSpline>();
            const drawing::CNurbsCurve* curve = e.Curve();
            if (!curve) {
                // A spline of fit points only: the line through them.
                if (e.NumFitPoints() < 2) {
                    ReportUnsupportedEntity(entity);
                    return 0;
                }
                for (const Point3d& p : e.FitPoints()) points.push_back(Flat(world(p)));
                shape = kLine;
                break;
            }
            const double length = curve->Length();
            if (!(length > 0) || !std::isfinite(length)) {
                ReportUnsupportedEntity(entity);
                return 0;
            }
            points.push_back(Flat(world(curve->StartPoint())));
            // Counted rather than summed, so that no sample falls a rounding
            // error before the end point.
            for (int i = 1; i < 100; ++i) {
                const auto p = curve->PointAtDistance(length * i / 100);
                if (!p) return kWlxReadError;
                points.push_back(Flat(world(*p)));
            }
            points.push_back(Flat(world(curve->EndPoint())));
            shape = kLine;
            break;
        }
        case EEntityType::kPolyline: {
            const auto& e = *entity.As<drawing::CLwPolyline>();
            const auto constant = e.ConstantWidth();
            hasWidth = !(constant && *constant == 0);
            std::vector<SVertex> vertices;
            for (int i = 0; i < e.NumVerts(); ++i) {
                const auto [start, end] = e.WidthsAt(i);
                vertices.push_back(
                    {{e.PointAt(i).x, e.PointAt(i).y, e.Elevation()}, e.BulgeAt(i), start, end});
            }
            PolylinePoints(vertices, e.IsClosed(), planar(e), points, widths);
            shape = kLine;
            break;
        }
        case EEntityType::k2dPolyline: {
            const auto& e = *entity.As<drawing::CPolyline2d>();
            std::vector<SVertex> vertices;
            for (const drawing::PolylineVertex& v : e.Vertices()) {
                if (v.vertexType == 1) continue;
                if (v.startWidth > 0 || v.endWidth > 0) hasWidth = true;
                vertices.push_back({{v.position.x, v.position.y, e.Elevation()},
                                    v.bulge,
                                    v.startWidth,
                                    v.endWidth});
            }
            PolylinePoints(vertices, e.IsClosed(), planar(e), points, widths);
            shape = kLine;
            break;
        }
        case EEntityType::k3dPolyline: {
            const auto& e = *entity.As<drawing::CPolyline3d>();
            for (const drawing::PolylineVertex& v : e.Vertices())
                if (v.vertexType != 1) points.push_back(Flat(world(v.position)));
            if (e.IsClosed() && points.size() > 1 && !(points.front() == points.back()))
                points.push_back(points.front());
            shape = kLine;
            break;
        }
        case EEntityType::kSolid:
        case EEntityType::kTrace: {
            const auto& e = *entity.As<drawing::CSolid>();
            for (int corner : {0, 1, 3, 2}) points.push_back(Flat(world(e.PointAt(corner))));
            CloseRing(points);
            shape = kPolygon;
            break;
        }
        case EEntityType::kMPolygon: {
            const auto& e = *entity.As<drawing::CMPolygon>();
            const dwg::PointMapper map = planar(e);
            for (const drawing::MPolygonLoop& loop : e.Loops()) {
                if (!loop.readable || loop.vertices.empty()) continue;
                std::vector<SVertex> vertices;
                for (std::size_t i = 0; i < loop.vertices.size(); ++i)
                    vertices.push_back({{loop.vertices[i].x, loop.vertices[i].y, e.Elevation()},
                                        i < loop.bulges.size() ? loop.bulges[i] : 0.0});
                PointList ring;
                dwg::SegmentWidthList unused;
                PolylinePoints(vertices, true, map, ring, unused);
                CloseRing(ring);
                rings.push_back(std::move(ring));
            }
            if (rings.empty()) return kWlxReadError;
            shape = kMultiPolygon;
            break;
        }
        default:
            // Inside a symbol the kinds that are not converted pass silently.
            if (!mode.symbol) ReportUnsupportedEntity(entity);
            return 0;
    }

    ComPtr<IWKBGeometry> geometry;
    HRESULT hr = S_OK;
    const bool outlined = hasWidth && mode.symbol && shape == kLine;
    PointList ring;
    if (outlined) ring = dwg::WideLineOutline(points, widths);
    if (outlined && !ring.empty()) {
        hr = MakePolygon(factory, ring, geometry);
    } else if (shape == kPoint) {
        hr = MakePoint(factory, points.front(), geometry);
    } else if (shape == kLine) {
        hr = MakeLineString(factory, points, geometry);
    } else if (shape == kPolygon) {
        hr = MakePolygon(factory, points, geometry);
    } else {
        hr = MakeMultiPolygon(factory, rings, geometry);
    }
    if (Failed(hr)) return hr;
    std::unique_ptr<CEntityStyle> style;
    if (mode.styles) style = MakeStyle(entity, *record, walk, outlined && !ring.empty(), nullptr);

    if (!mode.symbol && settings_->closedPolylinesToPolygons && shape == kLine && !outlined) {
        const bool closed = points.size() > 3 && points.front() == points.back();
        if (closed) {
            if (Failed(hr = MakePolygon(factory, points, geometry))) return hr;
            if (const auto* line = dynamic_cast<const CPolylineStyle*>(style.get()))
                style = std::make_unique<CPolygonStyle>(
                    line->GetOriginalKey().c_str(), line->GetName().c_str(),
                    line->GetLayer().c_str(), line->GetLineColor(), kClosedLineFillStyle,
                    line->GetLineColor(), line->GetLineStyle(), line->GetLineWidth());
        }
        const CFeatureFilter& filter = settings_->filter;
        if (closed ? !filter.polygonsEnabled : !filter.linesEnabled) return 0;
    }
    if (const Status status = record->SetGeometry(geometry.Get())) return status;
    if (style) record->SetStyle(std::move(style));
    converted = true;
    return 0;
}

Status CDwgReader::ConvertBlockReference(SWalk& walk, CFeatureRecord* record, const SWalkMode& mode,
                                         bool& converted, bool& entered) {
    const auto& reference = *walk.current->As<drawing::CBlockReference>();
    const drawing::CBlockRecord* block = reference.BlockTableRecord();
    const int depth = walk.Depth();
    if (!block) {
        // A reference to no block, or one that would hold itself, has nothing to draw.
        if (!mode.symbol) ReportUnsupportedEntity(reference);
        return 0;
    }
    const bool descends = mode.explode && depth < kMaxDepth && !block->Entities().empty();
    const bool symbolFile = depth == 0 && settings_->blocksAsMetafiles && !mode.symbol;
    const CExtent2d* extent = nullptr;
    if (symbolFile || (mode.styles && !descends)) extent = ComputeBlockExtent(reference);
    if (symbolFile)
        if (const Status status = WriteBlockSymbol(reference, record)) return status;
    if (descends) {
        const bool onLayerZero = reference.LayerName() == "0" && depth > 0;
        const int layerColour =
            onLayerZero ? walk.layerColour[depth] : LayerColourIndex(reference.LayerName());
        ++walk.levels[depth].position;
        walk.transforms.matrix[depth] = reference.BlockTransform();
        walk.transforms.depth = depth + 1;
        walk.colour[depth + 1] = reference.ColorIndex();
        walk.layerColour[depth + 1] = layerColour;
        walk.levels[depth + 1] = {block, 0};
        walk.current = block->Entities().front().get();
        entered = true;
        return 0;
    }
    ComPtr<IWKBGeometry> geometry;
    if (HRESULT hr =
            MakePoint(factory_.Get(), Flat(walk.transforms.Apply(reference.Position())), geometry);
        Failed(hr))
        return hr;
    if (const Status status = record->SetGeometry(geometry.Get())) return status;
    if (mode.styles) record->SetStyle(MakeStyle(reference, *record, walk, false, extent));
    converted = true;
    return 0;
}

namespace {

// A walk through one block in its own coordinates, as block symbols and
// extents draw it.
SWalk BlockWalk(const drawing::CBlockReference& reference, const drawing::CBlockRecord& block,
                int layerColour) {
    SWalk walk;
    walk.transforms.depth = 1;
    walk.colour[1] = reference.ColorIndex();
    walk.layerColour[1] = layerColour;
    walk.levels[1] = {&block, 0};
    walk.current = block.Entities().front().get();
    return walk;
}

}  // namespace

const CExtent2d* CDwgReader::ComputeBlockExtent(const drawing::CBlockReference& reference) {
    const drawing::CBlockRecord* block = reference.BlockTableRecord();
    if (!block) return nullptr;
    const std::string name = drawing::FoldName(block->Name());
    if (const auto found = blockExtents_.find(name); found != blockExtents_.end())
        return found->second.get();
    // Kept at once: a block met again while it is measured takes what is known.
    auto stored =
        std::make_unique<CExtent2d>(CExtent2d{kNoExtent, kNoExtent, -kNoExtent, -kNoExtent});
    CExtent2d* extent = stored.get();
    blockExtents_.emplace(name, std::move(stored));
    if (block->Entities().empty()) {
        const Point3d p = reference.Position();
        *extent = CExtent2d{p.x, p.y, p.x, p.y};
        return extent;
    }
    SWalk walk = BlockWalk(reference, *block, kWhite);
    const SWalkMode mode{true, false, true};
    Status status = 0;
    while (status == 0 && !walk.end) {
        CFeatureRecord scratch;
        bool converted = false;
        status = ConvertNextEntity(walk, &scratch, mode, converted);
        if (status != 0 || !converted) break;
        if (IWKBGeometry* geometry = scratch.PeekGeometry())
            status = ComputeGeometryExtent(*extent, geometry);
        AdvanceEntity(walk);
    }
    return extent;
}

Status CDwgReader::WriteBlockSymbol(const drawing::CBlockReference& reference,
                                    CFeatureRecord* record) {
    const drawing::CBlockRecord* block = reference.BlockTableRecord();
    const CExtent2d* extent = ComputeBlockExtent(reference);
    if (!block || !extent || (ExtentWidth(*extent) <= 0 && ExtentHeight(*extent) <= 0)) return 0;
    if (block->Entities().empty()) return 0;
    if (symbolsWritten_.Contains(block->Name(), false)) return 0;
    symbolsWritten_.Add(block->Name());

    const std::string& output = settings_->outputName;
    const std::size_t slash = output.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "" : output.substr(0, slash + 1);
    const std::string fileName = directory + MakeFileNameFromName(block->Name()) + ".emf";
    Status status = 0;
    auto writer = std::make_unique<CSymbolMetafileWriter>(fileName, *extent, nullptr, status);
    if (status != 0) return status;

    SWalk walk = BlockWalk(reference, *block, LayerColourIndex(reference.LayerName()));
    const SWalkMode mode{true, true, true};
    while (status == 0 && !walk.end) {
        CFeatureRecord local;
        bool converted = false;
        status = ConvertNextEntity(walk, &local, mode, converted);
        if (status != 0 || !converted) break;
        status = writer->Draw(local);
        if (status == 0) AdvanceEntity(walk);
    }
    if (status == 0) record->SetSymbolMetafile(std::move(writer));
    return status;
}
