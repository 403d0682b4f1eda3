// Drawing colours and texts as the loader's styles want them: the colour of a
// colour index, and a text without its formatting codes.
#pragma once

#include <string>
#include <string_view>

#include "loader/core/EntityStyle.h"

namespace dwg {

// Index 1 to 255 of the drawing colour table; any other index is white (7).
CRgbaColor ColourFromIndex(int index);

// The text without its formatting codes; paragraph breaks and line feeds
// become line feeds with `keepNewLines`, blanks without.
std::string StripTextFormatting(std::string_view text, bool keepNewLines);

}  // namespace dwg
