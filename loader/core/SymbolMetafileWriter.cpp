#include "loader/core/SymbolMetafileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "loader/core/FeatureRecord.h"
#include "loader/core/GeometryMembers.h"
#include "loader/core/Messages.h"
#include "platform/ComPtr.h"

namespace {

constexpr double kSymbolSize = 10000.0;
// The value of pi the symbols have always been drawn with.
constexpr double kPi = 3.14159265359;

// C's truncation toward zero, kept inside the range of a coordinate.
std::int32_t Truncate(double value) {
    constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
    if (!(value == value)) return 0;
    return static_cast<std::int32_t>(std::clamp(value, -kLimit, kLimit));
}

COLORREF ToColorRef(const CRgbaColor& color) {
    return MakeColorRef(color.red, color.green, color.blue);
}

int PenStyle(int style) {
    return style >= 0 && style <= PS_NULL ? style : PS_SOLID;
}

int HatchStyle(int fillStyle) {
    switch (fillStyle) {
        case 1:
            return 3;
        case 2:
            return 4;
        case 3:
            return 5;
        case 4:
            return 2;
        case 5:
            return 0;
        case 6:
            return 1;
        default:
            return 3;
    }
}

unsigned TextAlignment(int horizontalMode, int verticalMode) {
    unsigned horizontal = TA_LEFT;
    switch (horizontalMode) {
        case 1:
        case 4:
            horizontal = TA_CENTER;
            break;
        case 2:
        case 7:
            horizontal = TA_RIGHT;
            break;
        default:
            break;
    }
    unsigned vertical = TA_BASELINE;
    switch (verticalMode) {
        case 1:
            vertical = TA_BOTTOM;
            break;
        case 3:
            vertical = TA_TOP;
            break;
        default:
            break;
    }
    return horizontal | vertical;
}

// Selects an object for the lifetime of the guard, then selects back what
// was there and deletes it.
class SelectedObject {
public:
    SelectedObject(CEmfDeviceContext& dc, HGDIOBJ object)
        : dc_(dc), object_(object), previous_(object ? dc.SelectObject(object) : 0) {}
    ~SelectedObject() {
        if (previous_) dc_.SelectObject(previous_);
        if (object_) dc_.DeleteObject(object_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    bool Ok() const { return object_ != 0 && previous_ != 0; }

private:
    CEmfDeviceContext& dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_;
};

}  // namespace

CSymbolMetafileWriter::CSymbolMetafileWriter(const std::string& fileName, const CExtent2d& extent,
                                             const char* description, Status& status) {
    const SIZE unit = ScreenDeviceSizeOfLogicalUnit(MM_HIMETRIC);
    margin_ = SIZE{unit.cx + 1, unit.cy + 1};

    const double width = ExtentWidth(extent);
    const double height = ExtentHeight(extent);
    // A block of one point has no size: it is drawn as if its side were 1.
    double side = std::max(width, height);
    if (!(side > 0.0) || !std::isfinite(side)) side = 1.0;
    scale_ = kSymbolSize / side;
    originX_ = extent.minX;
    originY_ = extent.maxY;

    const RECT frame{0, 0, Truncate(std::max(width, 0.0) * scale_) + margin_.cx,
                     Truncate(std::max(height, 0.0) * scale_) + margin_.cy};
    dc_ = CEmfDeviceContext::Create(fileName, frame, description ? description : "");
    if (!dc_) {
        SetStatusArgs(fileName.c_str(), nullptr);
        status = kWlxOpenFailed;
        return;
    }
    dc_->SetMapMode(MM_HIMETRIC);
    dc_->SetBkMode(TRANSPARENT);

    // The block's insertion point in the symbol's unit square centred on the extent.
    const double refX = 0.5 - ((extent.minX + extent.maxX) / 2) / side;
    const double refY = 0.5 - ((extent.minY + extent.maxY) / 2) / side;
    char header[512];
    const int length = std::snprintf(
        header, sizeof header,
        "<VelstromTessaranSymbol version=\"1.0\"><symboldef  version=\"1.0\" refX=\"%f\" "
        "refY=\"%f\"/></VelstromTessaranSymbol>",
        refX, refY);
    const bool written =
        length > 0 && static_cast<std::size_t>(length) < sizeof header &&
        dc_->GdiComment(std::span(reinterpret_cast<const std::uint8_t*>(header), length + 1));
    status = written ? 0 : kWlxWriteError;
}

CSymbolMetafileWriter::~CSymbolMetafileWriter() {
    CloseMetafile();
}

Status CSymbolMetafileWriter::CloseMetafile() {
    if (!dc_) return 0;
    const bool ok = dc_->Close();
    dc_.reset();
    return ok ? 0 : kWlxWriteError;
}

POINT CSymbolMetafileWriter::Map(double x, double y) const {
    return POINT{Truncate((x - originX_) * scale_ + 0.5), Truncate((y - originY_) * scale_ - 0.5)};
}

int CSymbolMetafileWriter::ToUnits(double length) const {
    return Truncate(length * scale_ + 0.5);
}

Status CSymbolMetafileWriter::Draw(const CFeatureRecord& record) {
    if (!dc_) return kWlxWriteError;
    IWKBGeometry* geometry = record.PeekGeometry();
    const CEntityStyle* style = record.GetStyle();
    if (!geometry || !style) return 0;
    return DrawGeometry(geometry, *style);
}

Status CSymbolMetafileWriter::DrawGeometry(IWKBGeometry* geometry, const CEntityStyle& style) {
    EWKBGeometryType type{};
    HRESULT hr = geometry->GetType(&type);
    if (Failed(hr)) return hr;
    switch (type) {
        case kWkbPoint: {
            auto point = ComPtr<IWKBPoint>::QueryFrom(geometry);
            double x = 0, y = 0;
            if (!point) return kWlxInvalidObjectType;
            if (Failed(hr = point->GetXY(&x, &y))) return hr;
            return DrawPoint(x, y, style);
        }
        case kWkbLineString: {
            const auto* lineStyle = dynamic_cast<const CPolylineStyle*>(&style);
            auto line = ComPtr<IWKBLineString>::QueryFrom(geometry);
            if (!line) return kWlxInvalidObjectType;
            return lineStyle ? DrawLine(line.Get(), *lineStyle) : 0;
        }
        case kWkbPolygon: {
            const auto* polygonStyle = dynamic_cast<const CPolygonStyle*>(&style);
            auto polygon = ComPtr<IWKBPolygon>::QueryFrom(geometry);
            if (!polygon) return kWlxInvalidObjectType;
            return polygonStyle ? DrawPolygon(polygon.Get(), *polygonStyle) : 0;
        }
        case kWkbMultiPoint: {
            auto points = ComPtr<IWKBMultiPoint>::QueryFrom(geometry);
            WkbLong count = 0;
            if (!points) return kWlxInvalidObjectType;
            if (Failed(hr = points->GetNumPoints(&count))) return hr;
            for (WkbLong i = 0; i < count; ++i) {
                double x = 0, y = 0;
                if (Failed(hr = points->GetPointXY(i, &x, &y))) return hr;
                if (const Status status = DrawPoint(x, y, style)) return status;
            }
            return 0;
        }
        case kWkbMultiLineString: {
            auto lines = ComPtr<IWKBMultiLineString>::QueryFrom(geometry);
            if (!lines) return kWlxInvalidObjectType;
            return ForEachMember(lines.Get(),
                                 [&](IWKBGeometry* line) { return DrawGeometry(line, style); });
        }
        case kWkbMultiPolygon: {
            auto polygons = ComPtr<IWKBMultiPolygon>::QueryFrom(geometry);
            if (!polygons) return kWlxInvalidObjectType;
            return ForEachMember(polygons.Get(), [&](IWKBGeometry* polygon) {
                return DrawGeometry(polygon, style);
            });
        }
        case kWkbGeometryCollection:
        default:
            return 0;
    }
}

Status CSymbolMetafileWriter::DrawPoint(double x, double y, const CEntityStyle& style) {
    const POINT at = Map(x, y);
    if (const auto* text = dynamic_cast<const CTextStyle*>(&style)) return DrawText(at, *text);
    if (const auto* symbol = dynamic_cast<const CSymbolStyle*>(&style))
        return DrawCross(at, ToColorRef(symbol->GetPointColor()));
    return 0;
}

Status CSymbolMetafileWriter::DrawText(const POINT& at, const CTextStyle& style) {
    CEmfFont font;
    font.height = ToUnits(style.GetHeight());
    font.width = 0;
    font.escapement = Truncate(style.GetRotation() * 1800.0 / kPi + 0.5);
    font.orientation = 0;
    font.weight = style.GetBold() > 0 ? FW_BOLD : FW_NORMAL;
    font.italic = static_cast<std::uint8_t>(style.GetItalic());
    font.underline = static_cast<std::uint8_t>(style.GetUnderline());
    font.strikeOut = 0;
    font.charSet = static_cast<std::uint8_t>(style.GetCharSet());
    font.pitchAndFamily = static_cast<std::uint8_t>(style.GetPitchAndFamily());
    font.faceName = style.GetFaceName();
    SelectedObject selected(*dc_, dc_->CreateFont(font));
    if (!selected.Ok()) return kWlxWriteError;
    dc_->SetTextColor(ToColorRef(style.GetColor()));
    dc_->SetTextAlign(TextAlignment(style.GetHorizontalMode(), style.GetVerticalMode()));
    return dc_->TextOut(at.x, at.y, style.GetContent()) ? 0 : kWlxWriteError;
}

Status CSymbolMetafileWriter::DrawCross(const POINT& at, COLORREF color) {
    SelectedObject pen(*dc_, dc_->CreatePen(PS_SOLID, 0, color));
    if (!pen.Ok()) return kWlxWriteError;
    const int h = 4 * margin_.cx;
    const int v = 4 * margin_.cy;
    const POINT across[] = {{at.x - h, at.y}, {at.x + h + 1, at.y}};
    const POINT down[] = {{at.x, at.y - v}, {at.x, at.y + v + 1}};
    return dc_->Polyline(across) && dc_->Polyline(down) ? 0 : kWlxWriteError;
}

namespace {

HRESULT MappedPoints(IWKBLineString* line, const CSymbolMetafileWriter& writer,
                     std::vector<POINT>& points) {
    WkbLong count = 0;
    HRESULT hr = line->GetNumPoints(&count);
    if (Failed(hr)) return hr;
    points.clear();
    points.reserve(static_cast<std::size_t>(std::max<WkbLong>(count, 0)));
    for (WkbLong i = 0; i < count; ++i) {
        double x = 0, y = 0;
        if (Failed(hr = line->GetPointXY(i, &x, &y))) return hr;
        points.push_back(writer.Map(x, y));
    }
    return S_OK;
}

}  // namespace

Status CSymbolMetafileWriter::DrawLine(IWKBLineString* line, const CPolylineStyle& style) {
    std::vector<POINT> points;
    if (const HRESULT hr = MappedPoints(line, *this, points); Failed(hr)) return hr;
    if (points.empty()) return 0;
    const COLORREF color = ToColorRef(style.GetLineColor());
    if (points.size() == 1) return DrawCross(points[0], color);
    SelectedObject pen(
        *dc_, dc_->CreatePen(PenStyle(style.GetLineStyle()), ToUnits(style.GetLineWidth()), color));
    if (!pen.Ok()) return kWlxWriteError;
    return dc_->Polyline(points) ? 0 : kWlxWriteError;
}

Status CSymbolMetafileWriter::DrawPolygon(IWKBPolygon* polygon, const CPolygonStyle& style) {
    // Only the exterior ring is drawn.
    ComPtr<IWKBLineString> ring;
    if (const HRESULT hr = polygon->GetExteriorRing(ring.Put()); Failed(hr)) return hr;
    if (!ring) return 0;
    std::vector<POINT> points;
    if (const HRESULT hr = MappedPoints(ring.Get(), *this, points); Failed(hr)) return hr;
    if (points.empty()) return 0;

    const int fillStyle = style.GetFillStyle();
    const COLORREF fill = ToColorRef(style.GetFillColor());
    SelectedObject pen(*dc_,
                       dc_->CreatePen(PenStyle(style.GetEdgeStyle()), ToUnits(style.GetEdgeWidth()),
                                      ToColorRef(style.GetEdgeColor())));
    SelectedObject brush(*dc_, fillStyle == 0 || fillStyle == 7
                                   ? dc_->CreateSolidBrush(fill)
                                   : dc_->CreateHatchBrush(HatchStyle(fillStyle), fill));
    if (!pen.Ok() || !brush.Ok()) return kWlxWriteError;
    if (fillStyle == 7) return dc_->Polyline(points) ? 0 : kWlxWriteError;
    dc_->SetPolyFillMode(WINDING);
    const bool drawn = dc_->Polygon(points);
    dc_->SetPolyFillMode(ALTERNATE);
    return drawn ? 0 : kWlxWriteError;
}
