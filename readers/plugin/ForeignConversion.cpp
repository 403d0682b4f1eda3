// The plug-in reader's conversion of entities into feature records, the walk
// through exploded blocks, block extents and block symbols.
#include <cmath>
#include <string>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileNames.h"
#include "loader/core/GeometryExtent.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/PointGeometry.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "loader/core/Utf8Text.h"
#include "readers/plugin/ForeignGeometry.h"
#include "readers/plugin/ForeignReader.h"
#include "readers/plugin/ForeignStyle.h"
#include "readers/plugin/ForeignWalk.h"

using foreign::AppendArc;
using foreign::AppendPoints;
using foreign::TransformedPoint;

namespace {

constexpr FgnMatrix kIdentity = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
constexpr double kNoExtent = 1e35;

bool IsPolygon(TFgnEntityType type) {
    return type == kFgnEntityPly || type == kFgnEntityCPly;
}

std::string BlockName(const CFgnBlk* block) {
    TFgnFmtErr err = kFgnOk;
    const char* name = block ? block->GetName(err) : nullptr;
    return std::string(TrimBlanks(name ? name : ""));
}

const FgnMatrix& MatrixOf(const CFgnBlkInst& instance) {
    TFgnFmtErr err = kFgnOk;
    const FgnMatrix* matrix = instance.GetMatrix(err);
    return matrix ? *matrix : kIdentity;
}

// A symbol needs an area to be drawn on.
bool HasSymbolArea(const CExtent2d& extent) {
    return ExtentWidth(extent) > 0.0 && ExtentHeight(extent) > 0.0;
}

// The symbol file of a block beside the output file.
std::string SymbolFileName(const std::string& outputName, const std::string& block) {
    const std::size_t slash = outputName.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : outputName.substr(0, slash + 1);
    return directory + MakeFileNameFromName(block) + ".emf";
}

HRESULT MakeGeometry(IWKBGeometryFactory* factory, const PointList& points, bool line,
                     ComPtr<IWKBGeometry>& out) {
    return line ? MakeLineString(factory, points, out) : MakePolygon(factory, points, out);
}

// A compound line or polygon: one line or ring of all pieces when they join,
// else one member per piece.
HRESULT MakeCompound(IWKBGeometryFactory* factory, const std::vector<PointList>& parts,
                     bool contiguous, bool line, ComPtr<IWKBGeometry>& out) {
    if (contiguous) {
        PointList all;
        for (const PointList& part : parts) all.insert(all.end(), part.begin(), part.end());
        return MakeGeometry(factory, all, line, out);
    }
    return line ? MakeMultiLineString(factory, parts, out) : MakeMultiPolygon(factory, parts, out);
}

// A text's outline: from the anchor up its height, then along its width.
PointList TextBox(const CPoint2d& anchor, double height, double degrees, std::size_t bytes) {
    const double a = degrees * foreign::kDegreesToRadians;
    const double width = static_cast<double>(bytes) * height;
    const CPoint2d up{anchor.x - height * std::sin(a), anchor.y + height * std::cos(a)};
    return {anchor,
            up,
            {up.x + width * std::cos(a), up.y + width * std::sin(a)},
            {anchor.x + width * std::cos(a), anchor.y + width * std::sin(a)}};
}

}  // namespace

bool CForeignReader::Accept(const SWalk& walk, TFgnEntityType type) const {
    TFgnFmtErr err = kFgnOk;
    CFeatureKey key;
    key.layer = walk.current->GetLayer(err);
    switch (type) {
        case kFgnEntityPnt:
        case kFgnEntityMPnt:
        case kFgnEntityText:
        case kFgnEntityMText:
            key.kind = kFeaturePoint;
            break;
        case kFgnEntityLine:
        case kFgnEntityPline:
        case kFgnEntityCPline:
        case kFgnEntityArc:
            key.kind = kFeatureLine;
            break;
        case kFgnEntityPly:
        case kFgnEntityCPly:
            key.kind = labelToggle_ ? kFeaturePoint : kFeaturePolygon;
            break;
        case kFgnEntityBlkInst: {
            const auto& instance = static_cast<const CFgnBlkInst&>(*walk.current);
            const int depth = walk.nesting.GetDepth();
            const bool expands = walk.explode && depth < CCellNestingState::kMaxDepth;
            key.kind = expands ? kFeatureOther : kFeaturePoint;
            if (!expands || depth == 0) key.block = BlockName(instance.GetBlk(err));
            break;
        }
        default:
            break;
    }
    return settings_->filter.Accept(&key) != 0;
}

Status CForeignReader::ConvertForeignEntity(SWalk& walk, CFeatureRecord* record, bool& produced) {
    produced = false;
    if (!walk.current) return kWlxReadError;
    Status status = 0;
    while (!produced && status == 0 && !walk.end && walk.current) {
        TFgnFmtErr err = kFgnOk;
        const TFgnEntityType type = walk.current->GetType(err);
        if (settings_->labels && IsPolygon(type)) labelToggle_ = !labelToggle_;
        bool entered = false;
        if (walk.symbolMode || Accept(walk, type)) {
            status = type == kFgnEntityBlkInst
                         ? ConvertBlockInstance(walk, record, produced, entered)
                         : ConvertEntity(walk, type, record, produced);
        }
        // A polygon's label point is followed by the polygon itself.
        if (status == 0 && !produced && !entered && !labelToggle_) status = Advance(walk);
    }
    return status;
}

Status CForeignReader::ConvertEntity(SWalk& walk, TFgnEntityType type, CFeatureRecord* record,
                                     bool& produced) {
    const CFgnEntity& entity = *walk.current;
    const CCellNestingState& nesting = walk.nesting;
    IWKBGeometryFactory* factory = factory_.Get();
    TFgnFmtErr err = kFgnOk;
    ComPtr<IWKBGeometry> geometry;
    HRESULT hr = S_OK;
    std::unique_ptr<CEntityStyle> style;
    const foreign::SStyleTexts texts{entity.GetKey(err), record->GetName(), entity.GetLayer(err)};
    auto point = [&](const CFgnPt* pt) -> HRESULT {
        CPoint2d p;
        if (!TransformedPoint(pt, nesting, p)) return kLoaderInputReadError;
        return MakePoint(factory, p, geometry);
    };
    switch (type) {
        case kFgnEntityPnt: {
            const auto& e = static_cast<const CFgnPnt&>(entity);
            hr = point(e.GetPt(err));
            if (walk.makeStyles) style = foreign::MakeSymbolStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityMPnt: {
            const auto& e = static_cast<const CFgnMPnt&>(entity);
            PointList points;
            if (!AppendPoints(e.GetPts(err), nesting, points)) return kLoaderInputReadError;
            hr = foreign::MakeMultiPoint(factory, points, geometry);
            if (walk.makeStyles) style = foreign::MakeSymbolStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityLine: {
            const auto& e = static_cast<const CFgnLine&>(entity);
            PointList points(2);
            if (!TransformedPoint(e.GetStartPt(err), nesting, points[0]) ||
                !TransformedPoint(e.GetEndPt(err), nesting, points[1]))
                return kLoaderInputReadError;
            hr = MakeLineString(factory, points, geometry);
            if (walk.makeStyles) style = foreign::MakePolylineStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityPline: {
            const auto& e = static_cast<const CFgnPline&>(entity);
            PointList points;
            if (!AppendPoints(e.GetPts(err), nesting, points)) return kLoaderInputReadError;
            hr = MakeLineString(factory, points, geometry);
            if (walk.makeStyles) style = foreign::MakePolylineStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityCPline: {
            const auto& e = static_cast<const CFgnCPline&>(entity);
            std::vector<PointList> parts;
            if (const Status status = foreign::CollectPieces(e.GetGeometry(err), nesting, parts))
                return status;
            hr = MakeCompound(factory, parts, e.IsContiguous(err) == kFgnTrue, true, geometry);
            if (walk.makeStyles) style = foreign::MakePolylineStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityPly: {
            const auto& e = static_cast<const CFgnPly&>(entity);
            if (labelToggle_) {
                if (walk.symbolMode) return 0;
                hr = point(e.GetLabelPt(err));
                break;
            }
            PointList points;
            if (!AppendPoints(e.GetPts(err), nesting, points)) return kLoaderInputReadError;
            hr = MakePolygon(factory, points, geometry);
            if (walk.makeStyles) style = foreign::MakePolygonStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityCPly: {
            const auto& e = static_cast<const CFgnCPly&>(entity);
            if (labelToggle_) {
                if (walk.symbolMode) return 0;
                hr = point(e.GetLabelPt(err));
                break;
            }
            std::vector<PointList> parts;
            if (const Status status = foreign::CollectPieces(e.GetGeometry(err), nesting, parts))
                return status;
            hr = MakeCompound(factory, parts, e.IsContiguous(err) == kFgnTrue, false, geometry);
            if (walk.makeStyles) style = foreign::MakePolygonStyle(texts, e.GetStyle(err));
            break;
        }
        case kFgnEntityText: {
            const auto& e = static_cast<const CFgnText&>(entity);
            const char* text = e.GetText(err);
            const CFgnStyleText* textStyle = e.GetStyle(err);
            const CFgnPt* pt = e.GetPt(err);
            if (!pt) return kLoaderInputReadError;
            const CPoint2d anchor{pt->GetX(err), pt->GetY(err)};
            if (walk.BoxMode() && text && *text && textStyle) {
                double height = 0, angle = 0, last = 0;
                std::int32_t colour = 0, second = 0;
                TFgnBool f1 = kFgnFalse, f2 = kFgnFalse, f3 = kFgnFalse;
                auto justification = static_cast<TFgnJustification>(0);
                textStyle->GetDefinition(height, colour, second, f1, f2, f3, justification, angle,
                                         last);
                PointList box =
                    TextBox(anchor, height, angle, std::char_traits<char>::length(text));
                for (CPoint2d& p : box) p = nesting.Transform(p.x, p.y);
                hr = MakeLineString(factory, box, geometry);
            } else {
                hr = MakePoint(factory, nesting.Transform(anchor.x, anchor.y), geometry);
            }
            if (!*record->GetName() && text) record->SetName(text);
            if (walk.makeStyles)
                style = foreign::MakeTextStyle({texts.key, record->GetName(), texts.layer}, text,
                                               textStyle, nesting, justify_);
            break;
        }
        case kFgnEntityMText: {
            const auto& e = static_cast<const CFgnMText&>(entity);
            const char* text = e.GetText(err);
            const CFgnPt* minPt = e.GetMinPt(err);
            const CFgnPt* maxPt = e.GetMaxPt(err);
            if (!minPt || !maxPt) return kLoaderInputReadError;
            const double x0 = minPt->GetX(err), y0 = minPt->GetY(err);
            const double x1 = maxPt->GetX(err), y1 = maxPt->GetY(err);
            if (walk.BoxMode()) {
                PointList box = {nesting.Transform(x0, y0), nesting.Transform(x0, y1),
                                 nesting.Transform(x1, y1), nesting.Transform(x1, y0)};
                hr = MakeLineString(factory, box, geometry);
            } else {
                hr = MakePoint(factory, nesting.Transform(x0, y1), geometry);
            }
            record->SetName(text ? text : "");
            if (walk.makeStyles)
                style = foreign::MakeTextStyle({texts.key, record->GetName(), texts.layer}, text,
                                               e.GetStyle(err), nesting, justify_);
            break;
        }
        case kFgnEntityArc: {
            const auto& e = static_cast<const CFgnArc&>(entity);
            PointList points;
            if (!AppendArc(e, nesting, points)) return kLoaderInputReadError;
            hr = MakeLineString(factory, points, geometry);
            if (walk.makeStyles) style = foreign::MakePolylineStyle(texts, e.GetStyle(err));
            break;
        }
        default:
            return 0;
    }
    if (Failed(hr)) return hr;
    if (const Status status = record->SetGeometry(geometry.Get())) return status;
    if (style) record->SetStyle(std::move(style));
    produced = true;
    return 0;
}

Status CForeignReader::ConvertBlockInstance(SWalk& walk, CFeatureRecord* record, bool& produced,
                                            bool& entered) {
    const auto& instance = static_cast<const CFgnBlkInst&>(*walk.current);
    TFgnFmtErr err = kFgnOk;
    const int depth = walk.nesting.GetDepth();
    // A reference-file attachment inside a cell is not part of the design.
    if (depth >= 1 && walk.explode && dgn_ && instance.IsXRef(err) == kFgnTrue) return 0;
    const CFgnPt* insert = instance.GetInsertPt(err);
    const CFgnBlk* block = instance.GetBlk(err);
    if (!insert || !block) return kLoaderInputReadError;
    const double x = insert->GetX(err);
    const double y = insert->GetY(err);
    const std::string name = BlockName(block);
    if (depth == 0 && settings_->blocksAsMetafiles)
        if (const Status status = WriteBlockSymbol(instance, record)) return status;
    if (walk.explode && depth < CCellNestingState::kMaxDepth) {
        const std::list<const CFgnEntity*>* entities = block->GetEntities(err);
        // An empty block yields nothing, and the walk moves past it.
        if (!entities || entities->empty()) return 0;
        // A block is measured and drawn in its own coordinates: each instance's
        // symbol style carries that instance's turn and scale.
        const bool own = walk.symbolMode && depth == 0;
        walk.current = own ? walk.nesting.Enter(kIdentity, 0.0, 0.0, *entities)
                           : walk.nesting.Enter(MatrixOf(instance), x, y, *entities);
        entered = true;
        return 0;
    }
    ComPtr<IWKBGeometry> geometry;
    if (HRESULT hr = MakePoint(factory_.Get(), walk.nesting.Transform(x, y), geometry); Failed(hr))
        return hr;
    if (const Status status = record->SetGeometry(geometry.Get())) return status;
    if (!*record->GetName()) record->SetName(name);
    produced = true;
    if (!walk.makeStyles) return 0;
    const CFgnStyleBlk* style = instance.GetStyle(err);
    if (!style) return 0;
    CExtent2d extent;
    if (const Status status = GetBlockExtent(instance, extent)) return status;
    record->SetStyle(foreign::MakeBlockSymbolStyle(
        {instance.GetKey(err), record->GetName(), instance.GetLayer(err)}, style, name.c_str(),
        MatrixOf(instance), extent));
    return 0;
}

Status CForeignReader::Advance(SWalk& walk) {
    if (const CFgnEntity* next = walk.nesting.Advance()) {
        walk.current = next;
        return 0;
    }
    if (walk.symbolMode) {
        walk.end = 1;
        walk.current = nullptr;
        return 0;
    }
    return SeekEntity(true, walk.current, walk.end);
}

Status CForeignReader::AdvanceAfterRecord(SWalk& walk) {
    return labelToggle_ ? 0 : Advance(walk);
}

Status CForeignReader::GetBlockExtent(const CFgnBlkInst& instance, CExtent2d& extent) {
    TFgnFmtErr err = kFgnOk;
    const std::string name = BlockName(instance.GetBlk(err));
    if (const CExtent2d* cached = blockExtents_.Find(name)) {
        extent = *cached;
        return 0;
    }
    // Kept at once: a block met again while it is measured takes what is known.
    auto stored =
        std::make_unique<CExtent2d>(CExtent2d{kNoExtent, kNoExtent, -kNoExtent, -kNoExtent});
    CExtent2d& measured = *stored;
    blockExtents_.Add(name, std::move(stored));

    CCellNestingState nesting;
    CFeatureRecord local;
    const CFgnEntity* current = &instance;
    int end = 0;
    SWalk walk{current, nesting, end, true, false, true};
    bool any = false;
    Status status = 0;
    while (status == 0 && !end) {
        local.Clear();
        bool produced = false;
        status = ConvertForeignEntity(walk, &local, produced);
        if (status != 0 || !produced) break;
        if (IWKBGeometry* geometry = local.PeekGeometry()) {
            status = ComputeGeometryExtent(measured, geometry);
            any = true;
        }
        if (status == 0) status = AdvanceAfterRecord(walk);
    }
    if (!any) {
        const CFgnPt* insert = instance.GetInsertPt(err);
        const double x = insert ? insert->GetX(err) : 0.0;
        const double y = insert ? insert->GetY(err) : 0.0;
        measured = CExtent2d{x, y, x, y};
    }
    extent = measured;
    return status;
}

Status CForeignReader::WriteBlockSymbol(const CFgnBlkInst& instance, CFeatureRecord* record) {
    TFgnFmtErr err = kFgnOk;
    const std::string name = BlockName(instance.GetBlk(err));
    // A block without a name has no file to be drawn into.
    if (name.empty() || symbolsWritten_.Contains(name, false)) return 0;
    symbolsWritten_.Add(name);
    CExtent2d extent;
    Status status = GetBlockExtent(instance, extent);
    if (status != 0 || !HasSymbolArea(extent)) return status;
    auto writer = std::make_unique<CSymbolMetafileWriter>(
        SymbolFileName(settings_->outputName, name), extent, nullptr, status);
    if (status != 0) return kWlxWriteError;

    CCellNestingState nesting;
    CFeatureRecord local;
    const CFgnEntity* current = &instance;
    int end = 0;
    SWalk walk{current, nesting, end, true, true, true};
    while (status == 0 && !end) {
        local.Clear();
        bool produced = false;
        status = ConvertForeignEntity(walk, &local, produced);
        if (status != 0 || !produced) break;
        status = writer->Draw(local);
        if (status == 0) status = AdvanceAfterRecord(walk);
    }
    if (status == 0) record->SetSymbolMetafile(std::move(writer));
    return status;
}
