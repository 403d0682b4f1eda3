// How an object is drawn, as a reader that knows it (DWG) attaches it to the
// feature record: exported as the four style tables, and used to draw block
// symbols.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "loader/core/AttributeTable.h"
#include "loader/core/MessageIds.h"

struct CRgbaColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    CRgbaColor() = default;
    CRgbaColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
        : red(r), green(g), blue(b), alpha(a) {}

    // alpha << 24 | red << 16 | green << 8 | blue
    std::uint32_t Pack() const {
        return std::uint32_t{alpha} << 24 | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 |
               blue;
    }
    static CRgbaColor Unpack(std::uint32_t packed) {
        return CRgbaColor(static_cast<std::uint8_t>(packed >> 16),
                          static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed),
                          static_cast<std::uint8_t>(packed >> 24));
    }
};

enum EStyleKind : int {
    kTextStyleKind = 0,
    kSymbolStyleKind = 1,
    kPolylineStyleKind = 2,
    kPolygonStyleKind = 3,
};

class CEntityStyle {
public:
    virtual ~CEntityStyle() = default;
    // A new row of this style's table, values in column order.
    virtual CountedRef<CTableRow> MakeRow() const = 0;
    virtual EStyleKind GetStyleKind() const = 0;
    virtual std::unique_ptr<CEntityStyle> Clone() const = 0;

    const std::string& GetName() const { return name_; }
    const std::string& GetOriginalKey() const { return originalKey_; }
    const std::string& GetLayer() const { return layer_; }
    const std::string& GetTableName() const { return tableName_; }

protected:
    // Null texts become empty; the table name comes from the string table.
    CEntityStyle(const char* originalKey, const char* name, const char* layer,
                 CMessage<> tableName);
    CEntityStyle(const CEntityStyle&) = default;
    CEntityStyle& operator=(const CEntityStyle&) = delete;

    // A row of this table holding the original key, name and layer.
    CountedRef<CTableRow> BeginRow() const;

private:
    std::string name_;
    std::string originalKey_;
    std::string layer_;
    std::string tableName_;
};

class CPolygonStyle final : public CEntityStyle {
public:
    CPolygonStyle(const char* originalKey, const char* name, const char* layer,
                  CRgbaColor fillColor, int fillStyle, CRgbaColor edgeColor, int edgeStyle,
                  double edgeWidth);
    CountedRef<CTableRow> MakeRow() const override;
    EStyleKind GetStyleKind() const override { return kPolygonStyleKind; }
    std::unique_ptr<CEntityStyle> Clone() const override;

    CRgbaColor GetFillColor() const { return fillColor_; }
    int GetFillStyle() const { return fillStyle_; }
    CRgbaColor GetEdgeColor() const { return edgeColor_; }
    int GetEdgeStyle() const { return edgeStyle_; }
    double GetEdgeWidth() const { return edgeWidth_; }

private:
    CRgbaColor fillColor_;
    int fillStyle_;
    CRgbaColor edgeColor_;
    int edgeStyle_;
    double edgeWidth_;
};

class CPolylineStyle final : public CEntityStyle {
public:
    CPolylineStyle(const char* originalKey, const char* name, const char* layer,
                   CRgbaColor lineColor, int lineStyle, double lineWidth);
    CountedRef<CTableRow> MakeRow() const override;
    EStyleKind GetStyleKind() const override { return kPolylineStyleKind; }
    std::unique_ptr<CEntityStyle> Clone() const override;

    CRgbaColor GetLineColor() const { return lineColor_; }
    int GetLineStyle() const { return lineStyle_; }
    double GetLineWidth() const { return lineWidth_; }

private:
    CRgbaColor lineColor_;
    int lineStyle_;
    double lineWidth_;
};

class CSymbolStyle final : public CEntityStyle {
public:
    // The rotation is in radians.
    CSymbolStyle(const char* originalKey, const char* name, const char* layer,
                 CRgbaColor pointColor, const char* symbolName, double rotation, double width,
                 double height);
    CountedRef<CTableRow> MakeRow() const override;
    EStyleKind GetStyleKind() const override { return kSymbolStyleKind; }
    std::unique_ptr<CEntityStyle> Clone() const override;

    CRgbaColor GetPointColor() const { return pointColor_; }
    const std::string& GetSymbolName() const { return symbolName_; }
    double GetRotation() const { return rotation_; }
    double GetWidth() const { return width_; }
    double GetHeight() const { return height_; }

private:
    CRgbaColor pointColor_;
    std::string symbolName_;
    double rotation_;
    double width_;
    double height_;
};

class CTextStyle final : public CEntityStyle {
public:
    // The rotation is in radians; bold above 0 means bold; an empty face name
    // asks for the default face.
    CTextStyle(const char* originalKey, const char* name, const char* layer, const char* content,
               CRgbaColor color, int horizontalMode, int verticalMode, double rotation,
               double height, int bold, int italic, int underline, int charSet, int pitchAndFamily,
               const char* faceName);
    CountedRef<CTableRow> MakeRow() const override;
    EStyleKind GetStyleKind() const override { return kTextStyleKind; }
    std::unique_ptr<CEntityStyle> Clone() const override;

    const std::string& GetContent() const { return content_; }
    CRgbaColor GetColor() const { return color_; }
    int GetHorizontalMode() const { return horizontalMode_; }
    int GetVerticalMode() const { return verticalMode_; }
    double GetRotation() const { return rotation_; }
    double GetHeight() const { return height_; }
    int GetBold() const { return bold_; }
    int GetItalic() const { return italic_; }
    int GetUnderline() const { return underline_; }
    int GetCharSet() const { return charSet_; }
    int GetPitchAndFamily() const { return pitchAndFamily_; }
    const std::string& GetFaceName() const { return faceName_; }

private:
    std::string content_;
    CRgbaColor color_;
    int horizontalMode_;
    int verticalMode_;
    double rotation_;
    double height_;
    int bold_;
    int italic_;
    int underline_;
    int charSet_;
    int pitchAndFamily_;
    std::string faceName_;
};

// The schemas of the four style tables, names from the string table.
CountedRef<CTableSchema> MakePolygonStyleSchema();
CountedRef<CTableSchema> MakePolylineStyleSchema();
CountedRef<CTableSchema> MakeSymbolStyleSchema();
CountedRef<CTableSchema> MakeTextStyleSchema();
