// How an element is drawn, as the contract's style classes: colours are
// red | green << 8 | blue << 16, and 0xFF000000 is no colour.
#pragma once

#include <string>

#include "foreign/Foreign.h"

inline constexpr std::int32_t kDgnNoColour = static_cast<std::int32_t>(0xFF000000u);

class CDgnStylePnt : public CFgnStylePnt {
public:
    CDgnStylePnt() = default;
    // The rotation is not kept: points report 0.
    CDgnStylePnt(std::int32_t colour, double rotation, std::int16_t size, char const* symbol);
    char const* GetDefinition(std::int32_t& colour, double& rotation, std::int16_t& size,
                              TFgnFmtErr& err) const override;

private:
    std::int32_t colour_ = 0;
    double rotation_ = 0.0;
    std::int16_t size_ = 1;
    std::string symbol_;
};

class CDgnStyleLine : public CFgnStyleLine {
public:
    CDgnStyleLine() = default;
    CDgnStyleLine(std::int32_t colour, std::int16_t weight, char const* pattern);
    TFgnFmtErr GetDefinition(std::int32_t& colour, std::int16_t& weight) const override;
    char const* GetLinePattern(TFgnFmtErr& err) const override;

private:
    std::int32_t colour_ = 0;
    std::int16_t weight_ = 0;
    std::string pattern_;
};

// Outlines only: no fill colour, no fill pattern.
class CDgnStylePly : public CFgnStylePly {
public:
    CDgnStylePly() = default;
    // The second and third colours and the second name are not kept.
    CDgnStylePly(std::int32_t colour, std::int32_t, std::int32_t, std::int16_t weight,
                 char const* linePattern, char const*);
    TFgnFmtErr GetDefinition(std::int32_t& edgeColour, std::int32_t& fillColour,
                             std::int32_t& third, std::int16_t& weight) const override;
    char const* GetFillPattern(TFgnFmtErr& err) const override;
    char const* GetLinePattern(TFgnFmtErr& err) const override;

private:
    std::int32_t colour_ = 0;
    std::int16_t weight_ = 0;
    std::string pattern_;
};

// The three flags are false and the second colour none; `last` carries the
// line spacing (0 for a single-line text).
class CDgnStyleText : public CFgnStyleText {
public:
    CDgnStyleText() = default;
    CDgnStyleText(double height, std::int32_t colour, TFgnJustification justification, double angle,
                  double lineSpacing, char const* font);
    TFgnFmtErr GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                             TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                             TFgnJustification& justification, double& angle,
                             double& last) const override;
    char const* GetFont(TFgnFmtErr& err) const override;

private:
    std::string font_;
    double height_ = 0.0;
    std::int32_t colour_ = 0;
    TFgnJustification justification_ = TFgnJustification(5);
    double angle_ = 0.0;
    double lineSpacing_ = 0.0;
};

class CDgnStyleBlk : public CFgnStyleBlk {
public:
    CDgnStyleBlk() = default;
    explicit CDgnStyleBlk(std::int32_t colour) : colour_(colour) {}
    TFgnFmtErr GetDefinition(std::int32_t& colour) const override;

private:
    std::int32_t colour_ = 0;
};
