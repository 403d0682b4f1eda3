#include "loader/core/EntityStyle.h"

#include "loader/core/Messages.h"

namespace {

std::string TextOrEmpty(const char* text) {
    return text ? std::string(text) : std::string();
}

// The tables have always used this value of pi; the exported degrees keep it.
double ToDegrees(double radians) {
    return radians * 180.0 / 3.14159265359;
}

std::int32_t PackedSigned(CRgbaColor color) {
    return static_cast<std::int32_t>(color.Pack());
}

void AddTextColumn(CTableSchema& schema, CMessage<> name) {
    schema.AddColumn(LoadMessage(name), 255, 0, kColumnText);
}
void AddColorColumn(CTableSchema& schema, CMessage<> name) {
    schema.AddColumn(LoadMessage(name), 12, 0, kColumnLong);
}
void AddIntColumn(CTableSchema& schema, CMessage<> name) {
    schema.AddColumn(LoadMessage(name), 10, 0, kColumnInt);
}
void AddDoubleColumn(CTableSchema& schema, CMessage<> name) {
    schema.AddColumn(LoadMessage(name), 20, 8, kColumnDouble);
}

CountedRef<CTableSchema> BeginSchema(CMessage<> tableName) {
    auto schema = MakeCounted<CTableSchema>();
    schema->SetName(LoadMessage(tableName));
    AddTextColumn(*schema, kMsgOriginalKeyColumn);
    AddTextColumn(*schema, kMsgNameColumn);
    AddTextColumn(*schema, kMsgLayerColumn);
    return schema;
}

}  // namespace

CEntityStyle::CEntityStyle(const char* originalKey, const char* name, const char* layer,
                           CMessage<> tableName)
    : name_(TextOrEmpty(name)),
      originalKey_(TextOrEmpty(originalKey)),
      layer_(TextOrEmpty(layer)),
      tableName_(LoadMessage(tableName)) {}

CountedRef<CTableRow> CEntityStyle::BeginRow() const {
    auto row = MakeCounted<CTableRow>();
    row->SetTableName(tableName_);
    AppendTextValue(*row, originalKey_);
    AppendTextValue(*row, name_);
    AppendTextValue(*row, layer_);
    return row;
}

CPolygonStyle::CPolygonStyle(const char* originalKey, const char* name, const char* layer,
                             CRgbaColor fillColor, int fillStyle, CRgbaColor edgeColor,
                             int edgeStyle, double edgeWidth)
    : CEntityStyle(originalKey, name, layer, kMsgPolygonStyleTable),
      fillColor_(fillColor),
      fillStyle_(fillStyle),
      edgeColor_(edgeColor),
      edgeStyle_(edgeStyle),
      edgeWidth_(edgeWidth) {}

CountedRef<CTableRow> CPolygonStyle::MakeRow() const {
    auto row = BeginRow();
    AppendLongValue(*row, PackedSigned(fillColor_));
    AppendIntValue(*row, fillStyle_);
    AppendLongValue(*row, PackedSigned(edgeColor_));
    AppendIntValue(*row, edgeStyle_);
    AppendDoubleValue(*row, edgeWidth_);
    return row;
}

std::unique_ptr<CEntityStyle> CPolygonStyle::Clone() const {
    return std::unique_ptr<CEntityStyle>(new CPolygonStyle(*this));
}

CPolylineStyle::CPolylineStyle(const char* originalKey, const char* name, const char* layer,
                               CRgbaColor lineColor, int lineStyle, double lineWidth)
    : CEntityStyle(originalKey, name, layer, kMsgPolylineStyleTable),
      lineColor_(lineColor),
      lineStyle_(lineStyle),
      lineWidth_(lineWidth) {}

CountedRef<CTableRow> CPolylineStyle::MakeRow() const {
    auto row = BeginRow();
    AppendLongValue(*row, PackedSigned(lineColor_));
    AppendIntValue(*row, lineStyle_);
    AppendDoubleValue(*row, lineWidth_);
    return row;
}

std::unique_ptr<CEntityStyle> CPolylineStyle::Clone() const {
    return std::unique_ptr<CEntityStyle>(new CPolylineStyle(*this));
}

CSymbolStyle::CSymbolStyle(const char* originalKey, const char* name, const char* layer,
                           CRgbaColor pointColor, const char* symbolName, double rotation,
                           double width, double height)
    : CEntityStyle(originalKey, name, layer, kMsgSymbolStyleTable),
      pointColor_(pointColor),
      symbolName_(TextOrEmpty(symbolName)),
      rotation_(rotation),
      width_(width),
      height_(height) {}

CountedRef<CTableRow> CSymbolStyle::MakeRow() const {
    auto row = BeginRow();
    AppendLongValue(*row, PackedSigned(pointColor_));
    AppendTextValue(*row, symbolName_);
    AppendDoubleValue(*row, ToDegrees(rotation_));
    AppendDoubleValue(*row, width_);
    AppendDoubleValue(*row, height_);
    return row;
}

std::unique_ptr<CEntityStyle> CSymbolStyle::Clone() const {
    return std::unique_ptr<CEntityStyle>(new CSymbolStyle(*this));
}

CTextStyle::CTextStyle(const char* originalKey, const char* name, const char* layer,
                       const char* content, CRgbaColor color, int horizontalMode, int verticalMode,
                       double rotation, double height, int bold, int italic, int underline,
                       int charSet, int pitchAndFamily, const char* faceName)
    : CEntityStyle(originalKey, name, layer, kMsgTextStyleTable),
      content_(TextOrEmpty(content)),
      color_(color),
      horizontalMode_(horizontalMode),
      verticalMode_(verticalMode),
      rotation_(rotation),
      height_(height),
      bold_(bold),
      italic_(italic),
      underline_(underline),
      charSet_(charSet),
      pitchAndFamily_(pitchAndFamily),
      faceName_(TextOrEmpty(faceName)) {}

CountedRef<CTableRow> CTextStyle::MakeRow() const {
    int vertical = 0;
    switch (verticalMode_) {
        case 0:
            vertical = 1;
            break;
        case 2:
            vertical = 2;
            break;
        case 3:
            vertical = 4;
            break;
        default:
            break;
    }
    int horizontal = 0;
    switch (horizontalMode_) {
        case 1:
            horizontal = 1;
            break;
        case 2:
        case 7:
            horizontal = 2;
            break;
        case 4:
            horizontal = 1;
            vertical = 2;
            break;
        default:
            break;
    }
    auto row = BeginRow();
    AppendTextValue(*row, content_);
    AppendLongValue(*row, PackedSigned(color_));
    AppendIntValue(*row, horizontal);
    AppendIntValue(*row, vertical);
    AppendDoubleValue(*row, ToDegrees(rotation_));
    AppendDoubleValue(*row, height_);
    return row;
}

std::unique_ptr<CEntityStyle> CTextStyle::Clone() const {
    return std::unique_ptr<CEntityStyle>(new CTextStyle(*this));
}

CountedRef<CTableSchema> MakePolygonStyleSchema() {
    auto schema = BeginSchema(kMsgPolygonStyleTable);
    AddColorColumn(*schema, kMsgFillColorColumn);
    AddIntColumn(*schema, kMsgFillStyleColumn);
    AddColorColumn(*schema, kMsgEdgeColorColumn);
    AddIntColumn(*schema, kMsgEdgeStyleColumn);
    AddDoubleColumn(*schema, kMsgEdgeWidthColumn);
    return schema;
}

CountedRef<CTableSchema> MakePolylineStyleSchema() {
    auto schema = BeginSchema(kMsgPolylineStyleTable);
    AddColorColumn(*schema, kMsgLineColorColumn);
    AddIntColumn(*schema, kMsgLineStyleColumn);
    AddDoubleColumn(*schema, kMsgLineWidthColumn);
    return schema;
}

CountedRef<CTableSchema> MakeSymbolStyleSchema() {
    auto schema = BeginSchema(kMsgSymbolStyleTable);
    AddColorColumn(*schema, kMsgPointColorColumn);
    AddTextColumn(*schema, kMsgSymbolNameColumn);
    AddDoubleColumn(*schema, kMsgSymbolRotationColumn);
    AddDoubleColumn(*schema, kMsgSymbolWidthColumn);
    AddDoubleColumn(*schema, kMsgSymbolHeightColumn);
    return schema;
}

CountedRef<CTableSchema> MakeTextStyleSchema() {
    auto schema = BeginSchema(kMsgTextStyleTable);
    AddTextColumn(*schema, kMsgTextContentColumn);
    AddColorColumn(*schema, kMsgTextColorColumn);
    AddIntColumn(*schema, kMsgTextHorzAlignColumn);
    AddIntColumn(*schema, kMsgTextVertAlignColumn);
    AddDoubleColumn(*schema, kMsgTextRotationColumn);
    AddDoubleColumn(*schema, kMsgTextHeightColumn);
    return schema;
}
