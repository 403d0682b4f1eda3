// The loader's style records made from the plug-ins' styles. Every record
// begins with the entity's key, the record's name and the entity's layer; a
// plug-in that gives no style for an entity gets none made.
#pragma once

#include <memory>

#include "foreign/Foreign.h"
#include "loader/core/EntityStyle.h"
#include "loader/core/Geometry2d.h"
#include "readers/plugin/CellNesting.h"

namespace foreign {

// The three texts every style record begins with.
struct SStyleTexts {
    const char* key = nullptr;
    const char* name = nullptr;
    const char* layer = nullptr;
};

// Red in bits 0-7, green 8-15, blue 16-23; opaque.
CRgbaColor ColorFromFgn(std::int32_t colour);

struct SAlignment {
    int horizontal = 0;
    int vertical = 1;
};
// The text style's alignment codes; 0 and 1 for a justification out of
// range or when justifications are not converted.
SAlignment AlignmentFor(TFgnJustification justification, bool convert);

// A text's height and angle (radians) carried through the transforms.
struct STextFrame {
    double height = 0.0;
    double angle = 0.0;
};
STextFrame TransformTextFrame(double height, double degrees, const CCellNestingState& nesting);

// Rotation (degrees) becomes radians; the size gives width and height.
std::unique_ptr<CEntityStyle> MakeSymbolStyle(const SStyleTexts& texts, const CFgnStylePnt* style);
std::unique_ptr<CEntityStyle> MakePolylineStyle(const SStyleTexts& texts,
                                                const CFgnStyleLine* style);
std::unique_ptr<CEntityStyle> MakePolygonStyle(const SStyleTexts& texts, const CFgnStylePly* style);
std::unique_ptr<CEntityStyle> MakeTextStyle(const SStyleTexts& texts, const char* content,
                                            const CFgnStyleText* style,
                                            const CCellNestingState& nesting,
                                            bool convertJustification);
// A block instance as a symbol: named after its block, turned and sized by
// its matrix and the block's extent.
std::unique_ptr<CEntityStyle> MakeBlockSymbolStyle(const SStyleTexts& texts,
                                                   const CFgnStyleBlk* style, const char* blockName,
                                                   const FgnMatrix& matrix,
                                                   const CExtent2d& blockExtent);

}  // namespace foreign
