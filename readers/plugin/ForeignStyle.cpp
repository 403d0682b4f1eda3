#include "readers/plugin/ForeignStyle.h"

#include <cmath>

#include "readers/plugin/ForeignGeometry.h"

namespace foreign {

namespace {

// Horizontal and vertical codes by justification 0 to 16.
constexpr SAlignment kAlignments[] = {
    {0, 1}, {1, 1}, {2, 1}, {0, 3}, {0, 2}, {0, 1}, {6, 3}, {6, 2}, {1, 3},
    {1, 2}, {1, 1}, {7, 3}, {7, 2}, {7, 1}, {2, 3}, {2, 2}, {2, 1},
};

double Length(double dx, double dy) {
    return std::sqrt(dx * dx + dy * dy);
}

// Every line and fill pattern is drawn as the loader's style 0.
constexpr int kPatternCode = 0;

}  // namespace

CRgbaColor ColorFromFgn(std::int32_t colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    return CRgbaColor(static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                      static_cast<std::uint8_t>(bits >> 16), 255);
}

SAlignment AlignmentFor(TFgnJustification justification, bool convert) {
    const auto index = static_cast<std::int32_t>(justification);
    if (!convert || index < 0 || index > kFgnJustificationMax) return {};
    return kAlignments[index];
}

STextFrame TransformTextFrame(double height, double degrees, const CCellNestingState& nesting) {
    const double angle = degrees * kDegreesToRadians;
    const CPoint2d origin = nesting.Transform(0.0, 0.0);
    const CPoint2d up = nesting.Transform(height * std::sin(angle), height * std::cos(angle));
    const CPoint2d along = nesting.Transform(std::cos(angle), std::sin(angle));
    STextFrame frame;
    frame.height = Length(up.x - origin.x, up.y - origin.y);
    frame.angle = std::atan2(along.y - origin.y, along.x - origin.x);
    if (frame.angle < 0.0) frame.angle += kTwoPi;
    return frame;
}

std::unique_ptr<CEntityStyle> MakeSymbolStyle(const SStyleTexts& texts, const CFgnStylePnt* style) {
    if (!style) return nullptr;
    std::int32_t colour = 0;
    double rotation = 0.0;
    std::int16_t size = 0;
    TFgnFmtErr err = kFgnOk;
    const char* symbol = style->GetDefinition(colour, rotation, size, err);
    return std::make_unique<CSymbolStyle>(texts.key, texts.name, texts.layer, ColorFromFgn(colour),
                                          symbol, rotation * kDegreesToRadians, size, size);
}

std::unique_ptr<CEntityStyle> MakePolylineStyle(const SStyleTexts& texts,
                                                const CFgnStyleLine* style) {
    if (!style) return nullptr;
    std::int32_t colour = 0;
    std::int16_t weight = 0;
    style->GetDefinition(colour, weight);
    return std::make_unique<CPolylineStyle>(texts.key, texts.name, texts.layer,
                                            ColorFromFgn(colour), kPatternCode, weight);
}

std::unique_ptr<CEntityStyle> MakePolygonStyle(const SStyleTexts& texts,
                                               const CFgnStylePly* style) {
    if (!style) return nullptr;
    std::int32_t edge = 0;
    std::int32_t fill = 0;
    std::int32_t third = 0;
    std::int16_t weight = 0;
    style->GetDefinition(edge, fill, third, weight);
    return std::make_unique<CPolygonStyle>(texts.key, texts.name, texts.layer, ColorFromFgn(fill),
                                           kPatternCode, ColorFromFgn(edge), kPatternCode, weight);
}

std::unique_ptr<CEntityStyle> MakeTextStyle(const SStyleTexts& texts, const char* content,
                                            const CFgnStyleText* style,
                                            const CCellNestingState& nesting,
                                            bool convertJustification) {
    if (!style) return nullptr;
    double height = 0.0;
    std::int32_t colour = 0;
    std::int32_t second = 0;
    TFgnBool flag1 = kFgnFalse;
    TFgnBool flag2 = kFgnFalse;
    TFgnBool flag3 = kFgnFalse;
    auto justification = static_cast<TFgnJustification>(0);
    double degrees = 0.0;
    double last = 0.0;
    style->GetDefinition(height, colour, second, flag1, flag2, flag3, justification, degrees, last);
    const STextFrame frame = TransformTextFrame(height, degrees, nesting);
    const SAlignment alignment = AlignmentFor(justification, convertJustification);
    TFgnFmtErr err = kFgnOk;
    return std::make_unique<CTextStyle>(texts.key, texts.name, texts.layer, content,
                                        ColorFromFgn(colour), alignment.horizontal,
                                        alignment.vertical, frame.angle, frame.height, flag1, flag2,
                                        flag3, 0, 0, style->GetFont(err));
}

std::unique_ptr<CEntityStyle> MakeBlockSymbolStyle(const SStyleTexts& texts,
                                                   const CFgnStyleBlk* style, const char* blockName,
                                                   const FgnMatrix& matrix,
                                                   const CExtent2d& blockExtent) {
    if (!style) return nullptr;
    std::int32_t colour = 0;
    style->GetDefinition(colour);
    const double sx = Length(matrix[0][0], matrix[1][0]);
    const double sy = Length(matrix[0][1], matrix[1][1]);
    const double rotation = std::atan2(sy * matrix[1][0], sx * matrix[1][1]);
    return std::make_unique<CSymbolStyle>(texts.key, texts.name, texts.layer, ColorFromFgn(colour),
                                          blockName, rotation, ExtentWidth(blockExtent) * sx,
                                          ExtentHeight(blockExtent) * sy);
}

}  // namespace foreign
