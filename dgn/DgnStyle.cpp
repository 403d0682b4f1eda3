#include "dgn/DgnStyle.h"

namespace {

std::string Text(char const* text) {
    return text ? text : "";
}

}  // namespace

CDgnStylePnt::CDgnStylePnt(std::int32_t colour, double, std::int16_t size, char const* symbol)
    : colour_(colour), size_(size), symbol_(Text(symbol)) {}

char const* CDgnStylePnt::GetDefinition(std::int32_t& colour, double& rotation, std::int16_t& size,
                                        TFgnFmtErr& err) const {
    colour = colour_;
    rotation = rotation_;
    size = size_;
    err = kFgnOk;
    return symbol_.c_str();
}

CDgnStyleLine::CDgnStyleLine(std::int32_t colour, std::int16_t weight, char const* pattern)
    : colour_(colour), weight_(weight), pattern_(Text(pattern)) {}

TFgnFmtErr CDgnStyleLine::GetDefinition(std::int32_t& colour, std::int16_t& weight) const {
    colour = colour_;
    weight = weight_;
    return kFgnOk;
}

char const* CDgnStyleLine::GetLinePattern(TFgnFmtErr& err) const {
    err = kFgnOk;
    return pattern_.c_str();
}

CDgnStylePly::CDgnStylePly(std::int32_t colour, std::int32_t, std::int32_t, std::int16_t weight,
                           char const* linePattern, char const*)
    : colour_(colour), weight_(weight), pattern_(Text(linePattern)) {}

TFgnFmtErr CDgnStylePly::GetDefinition(std::int32_t& edgeColour, std::int32_t& fillColour,
                                       std::int32_t& third, std::int16_t& weight) const {
    edgeColour = colour_;
    fillColour = kDgnNoColour;
    third = kDgnNoColour;
    weight = weight_;
    return kFgnOk;
}

char const* CDgnStylePly::GetFillPattern(TFgnFmtErr& err) const {
    err = kFgnOk;
    return nullptr;
}

char const* CDgnStylePly::GetLinePattern(TFgnFmtErr& err) const {
    err = kFgnOk;
    return pattern_.c_str();
}

CDgnStyleText::CDgnStyleText(double height, std::int32_t colour, TFgnJustification justification,
                             double angle, double lineSpacing, char const* font)
    : font_(Text(font)),
      height_(height),
      colour_(colour),
      justification_(justification),
      angle_(angle),
      lineSpacing_(lineSpacing) {}

TFgnFmtErr CDgnStyleText::GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                                        TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                                        TFgnJustification& justification, double& angle,
                                        double& last) const {
    height = height_;
    colour = colour_;
    second = kDgnNoColour;
    flag1 = flag2 = flag3 = kFgnFalse;
    justification = justification_;
    angle = angle_;
    last = lineSpacing_;
    return kFgnOk;
}

char const* CDgnStyleText::GetFont(TFgnFmtErr& err) const {
    err = kFgnOk;
    return font_.c_str();
}

TFgnFmtErr CDgnStyleBlk::GetDefinition(std::int32_t& colour) const {
    colour = colour_;
    return kFgnOk;
}
