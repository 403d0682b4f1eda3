// A block symbol: an enhanced metafile (<block>.emf) drawn from the block's
// objects in their styles, whose first record is a comment with the XML
// symbol header. The larger side of the block's extent spans 10000 units of
// 0.01 mm; x grows rightwards from the extent's left edge, y is negative
// downwards from its top edge.
#pragma once

#include <memory>
#include <string>

#include "common/Status.h"
#include "geometry/WkbGeometry.h"
#include "loader/core/Geometry2d.h"
#include "platform/Emf.h"

class CFeatureRecord;
class CEntityStyle;
class CPolylineStyle;
class CPolygonStyle;
class CTextStyle;

class CSymbolMetafileWriter {
public:
    // Creates the file. A file that cannot be created gives kWlxOpenFailed
    // with its name as the message argument.
    CSymbolMetafileWriter(const std::string& fileName, const CExtent2d& extent,
                          const char* description, Status& status);
    // Draws the record's geometry in the record's style; a record without
    // either draws nothing.
    virtual Status Draw(const CFeatureRecord& record);
    // Completes the file when it is still open.
    virtual ~CSymbolMetafileWriter();
    CSymbolMetafileWriter(const CSymbolMetafileWriter&) = delete;
    CSymbolMetafileWriter& operator=(const CSymbolMetafileWriter&) = delete;

    // Completes and closes the file; later calls do nothing.
    Status CloseMetafile();

    double GetScale() const { return scale_; }
    // Block coordinates to metafile units.
    POINT Map(double x, double y) const;

private:
    Status DrawGeometry(IWKBGeometry* geometry, const CEntityStyle& style);
    Status DrawPoint(double x, double y, const CEntityStyle& style);
    Status DrawText(const POINT& at, const CTextStyle& style);
    Status DrawCross(const POINT& at, COLORREF color);
    Status DrawLine(IWKBLineString* line, const CPolylineStyle& style);
    Status DrawPolygon(IWKBPolygon* polygon, const CPolygonStyle& style);
    int ToUnits(double length) const;

    SIZE margin_;
    double scale_ = 1.0;
    double originX_ = 0.0;
    double originY_ = 0.0;
    std::unique_ptr<CEmfDeviceContext> dc_;
};
