// What a design file's control element says of the whole design, for one
// open design: dimension, working units, global origin, design range, and
// the colour table through which every colour index becomes red, green, blue.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dgn/DgnElement.h"

using DgnRgb = std::array<std::uint8_t, 3>;

namespace dgn {
// The level of a written element: the key of the first [Level Layer Mapping]
// line whose value is the layer name (letter case ignored), else the layer
// name's leading digits; the low six bits, 63 for 0.
std::uint8_t LevelFromLayer(std::string_view layer);
}  // namespace dgn

class CDgnGlobal : public CDgnElement {
public:
    // Reading `design`: defaults until ReadElement reads its control element.
    explicit CDgnGlobal(const CByteSource& design);
    // Writing: the values a writer starts from until a seed replaces them.
    CDgnGlobal(const CFgnPt* rangeLow, const CFgnPt* rangeHigh, std::int32_t positionalPerSub,
               std::int32_t subPerMaster, bool twoD, double originX, double originY,
               double originZ);

    // Loads the seed (writing): the seed file that [General] "SeedFilePath"
    // names beside the settings file, else the seed compiled into the
    // library. Its bytes up to its end-of-design word go to `out`, and its
    // units, range and origin replace the constructor's. 0; 1 when the seed
    // is not a design; 8 when its dimension is not the writer's.
    TFgnFmtErr WriteElement() override;
    TFgnFmtErr LoadSeedHeader(std::vector<std::uint8_t>& out);
    // Reads the control element (reading): 0; 1 when the design does not
    // begin with a sound one; 7 when it cannot be read.
    TFgnFmtErr ReadElement() override;
    TFgnFmtErr ReadDesignHeader() { return ReadElement(); }

    DgnRgb ColourOf(std::uint8_t index) const { return colours_[index]; }
    // The first entry equal to `rgb`, else the nearest (ties to the lower index).
    std::uint8_t NearestColour(DgnRgb rgb) const;
    // The symbology word of a line or outline style: colour (an index of 255
    // leaves the colour bits 0), weight, and the first line style number whose
    // [Import Line Styles] name is `pattern` exactly, else 0.
    std::uint16_t StyleToSymbology(std::int32_t colour, std::int16_t weight,
                                   const char* pattern) const;
    static DgnRgb GenerateColour(int index);
    static const std::array<DgnRgb, 256>& FixedColours();

    double UnitsPerMaster() const { return unitsPerMaster_; }
    void SetUnitsPerMaster(double units) { unitsPerMaster_ = units; }
    std::int32_t SubUnitsPerMaster() const { return subPerMaster_; }
    std::int32_t PositionalPerSubUnit() const { return positionalPerSub_; }
    bool TwoD() const { return twoD_; }
    // Negated: positional units when reading, master units when writing.
    const CDgnPt& NegatedOrigin() const { return origin_; }
    void SetNegatedOrigin(const CDgnPt& origin) { origin_ = origin; }
    const CDgnPt& RangeLow() const { return rangeLow_; }
    const CDgnPt& RangeHigh() const { return rangeHigh_; }
    const double (&Scales() const)[3] { return scales_; }

    // Master units of a stored coordinate of axis 0, 1 or 2.
    double ToMaster(double stored, int axis) const;

private:
    // The fixed table for [General] "Color Scheme" exactly "DRFX", else the generated one.
    void LoadColourTable();

    CDgnPt origin_;
    bool twoD_ = true;
    double scales_[3] = {1.0, 1.0, 1.0};
    double unitsPerMaster_ = 1000.0;
    CDgnPt rangeLow_, rangeHigh_;
    std::array<DgnRgb, 256> colours_{};
    std::int32_t subPerMaster_ = 0;
    std::int32_t positionalPerSub_ = 0;
};
