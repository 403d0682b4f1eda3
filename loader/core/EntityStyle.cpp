#include "loader/core/EntityStyle.h"

#include "loader/core/Messages.h"

namespace {

// String-table ids of the style table and column names.
enum : int {
    kSymbolStyleTable = 44063,
    kTextStyleTable = 44064,
    kPolylineStyleTable = 44065,
    kPolygonStyleTable = 44066,
    kOriginalKeyColumn = 44067,
    kNameColumn = 44068,
    kLayerColumn = 44069,
    kFillColorColumn = 44070,
    kFillStyleColumn = 44071,
    kEdgeColorColumn = 44072,
    kEdgeStyleColumn = 44073,
    kEdgeWidthColumn = 44074,
    kLineColorColumn = 44075,
    kLineStyleColumn = 44076,
    kLineWidthColumn = 44077,
    kPointColorColumn = 44078,
    kSymbolNameColumn = 44079,
    kSymbolRotationColumn = 44080,
    kSymbolWidthColumn = 44081,
    kSymbolHeightColumn = 44082,
    kTextContentColumn = 44085,
    kTextColorColumn = 44086,
    kTextHorzAlignColumn = 44087,
    kTextVertAlignColumn = 44088,
    kTextRotationColumn = 44089,
    kTextHeightColumn = 44090,
};

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

void AddTextColumn(CTableSchema& schema, int id) {
    schema.AddColumn(LoadMessage(id), 255, 0, kColumnText);
}
void AddColorColumn(CTableSchema& schema, int id) {
    schema.AddColumn(LoadMessage(id), 12, 0, kColumnLong);
}
void AddIntColumn(CTableSchema& schema, int id) {
    schema.AddColumn(LoadMessage(id), 10, 0, kColumnInt);
}
void AddDoubleColumn(CTableSchema& schema, int id) {
    schema.AddColumn(LoadMessage(id), 20, 8, kColumnDouble);
}

CountedRef<CTableSchema> BeginSchema(int tableId) {
    auto schema = MakeCounted<CTableSchema>();
    schema->SetName(LoadMessage(tableId));
    AddTextColumn(*schema, kOriginalKeyColumn);
    AddTextColumn(*schema, kNameColumn);
    AddTextColumn(*schema, kLayerColumn);
    return schema;
}

}  // namespace

CEntityStyle::CEntityStyle(const char* originalKey, const char* name, const char* layer,
                           int tableNameId)
    : name_(TextOrEmpty(name)),
      originalKey_(TextOrEmpty(originalKey)),
      layer_(TextOrEmpty(layer)),
      tableName_(LoadMessage(tableNameId)) {}

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
    : CEntityStyle(originalKey, name, layer, kPolygonStyleTable),
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
    : CEntityStyle(originalKey, name, layer, kPolylineStyleTable),
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
    : CEntityStyle(originalKey, name, layer, kSymbolStyleTable),
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
    : CEntityStyle(originalKey, name, layer, kTextStyleTable),
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
    auto schema = BeginSchema(kPolygonStyleTable);
    AddColorColumn(*schema, kFillColorColumn);
    AddIntColumn(*schema, kFillStyleColumn);
    AddColorColumn(*schema, kEdgeColorColumn);
    AddIntColumn(*schema, kEdgeStyleColumn);
    AddDoubleColumn(*schema, kEdgeWidthColumn);
    return schema;
}

CountedRef<CTableSchema> MakePolylineStyleSchema() {
    auto schema = BeginSchema(kPolylineStyleTable);
    AddColorColumn(*schema, kLineColorColumn);
    AddIntColumn(*schema, kLineStyleColumn);
    AddDoubleColumn(*schema, kLineWidthColumn);
    return schema;
}

CountedRef<CTableSchema> MakeSymbolStyleSchema() {
    auto schema = BeginSchema(kSymbolStyleTable);
    AddColorColumn(*schema, kPointColorColumn);
    AddTextColumn(*schema, kSymbolNameColumn);
    AddDoubleColumn(*schema, kSymbolRotationColumn);
    AddDoubleColumn(*schema, kSymbolWidthColumn);
    AddDoubleColumn(*schema, kSymbolHeightColumn);
    return schema;
}

CountedRef<CTableSchema> MakeTextStyleSchema() {
    auto schema = BeginSchema(kTextStyleTable);
    AddTextColumn(*schema, kTextContentColumn);
    AddColorColumn(*schema, kTextColorColumn);
    AddIntColumn(*schema, kTextHorzAlignColumn);
    AddIntColumn(*schema, kTextVertAlignColumn);
    AddDoubleColumn(*schema, kTextRotationColumn);
    AddDoubleColumn(*schema, kTextHeightColumn);
    return schema;
}
