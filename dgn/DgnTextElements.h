// Text elements (type 17), one line of text at its origin, and text nodes
// (type 7), a header whose own text elements follow it, one a line.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dgn/DgnElement.h"
#include "dgn/DgnStyle.h"

namespace dgn {

// The justification a stored text code stands for; 0 for codes not known.
TFgnJustification TextJustification(std::uint8_t code);
// The justification a stored text-node code stands for; 0 for codes not known.
TFgnJustification NodeJustification(std::uint8_t code);
// The stored bytes as UTF-8: 16-bit text (led by 0xFF 0xFD) decoded, other
// text as it stands.
std::string DecodeText(std::span<const std::uint8_t> bytes);
// The stored bytes of UTF-8 `text`: as they stand when all are ASCII, else
// 16-bit text (0xFF 0xFD, then UTF-16LE).
std::vector<std::uint8_t> EncodeText(std::string_view text);
// Where the justification point lies from the lower-left corner of a text of
// `width` (the whole line) and `height`, turned by `angle` degrees.
CDgnPt JustificationOffset(TFgnJustification justification, double width, double height,
                           double angle);
// The font name of a font number: the settings' [DRFX Fonts], else a fixed name.
std::string FontName(std::uint8_t font);
// The stored justification code of a text written with `justification`.
std::uint8_t TextJustificationCode(TFgnJustification justification);
// The stored justification code of a text node written with `justification`.
std::uint8_t NodeJustificationCode(TFgnJustification justification);

}  // namespace dgn

class CDgnText : public CDgnEntity<CFgnText> {
public:
    using CDgnEntity::CDgnEntity;
    TFgnFmtErr ReadElement() override;
    // Type 17 of single-byte text; 1 for a text longer than 255 bytes.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    // Writing: the text at `origin` (the justification point) drawn as `style` says.
    void SetText(std::string text, const CDgnPt& origin, const CFgnStyleText* style);

    const CFgnPt* GetPt(TFgnFmtErr& err) const override;
    const CFgnStyleText* GetStyle(TFgnFmtErr& err) const override;
    char const* GetText(TFgnFmtErr& err) const override;

    // The origin moves and the angle turns with the frame.
    void Transform(const dgn::SDgnFrame& frame) override;

    double Width() const { return width_; }
    double Height() const { return height_; }
    double Angle() const { return angle_; }
    const std::string& Text() const { return text_; }

private:
    std::unique_ptr<CDgnStyleText> style_;
    std::uint8_t font_ = 0;
    TFgnJustification justification_ = TFgnJustification(0);
    double width_ = 0, height_ = 0, angle_ = 0;
    CDgnPt origin_;
    std::string text_;
};

class CDgnTNode : public CDgnEntity<CFgnMText> {
public:
    using CDgnEntity::CDgnEntity;
    // The node's lines are the texts of the type-17 elements that follow it,
    // within its stated length; other components are passed over.
    TFgnFmtErr ReadElement() override;
    // Type 7 and one type-17 element a line, the lines spread over the box.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    void Transform(const dgn::SDgnFrame& frame) override;
    // Writing: the text in the box from `min` to `max` drawn as `style` says.
    void SetNode(std::string text, const CDgnPt& min, const CDgnPt& max,
                 const CFgnStyleText* style);

    const CFgnPt* GetMaxPt(TFgnFmtErr& err) const override;
    const CFgnPt* GetMinPt(TFgnFmtErr& err) const override;
    const CFgnStyleText* GetStyle(TFgnFmtErr& err) const override;
    char const* GetText(TFgnFmtErr& err) const override;

    const CDgnPt& Origin() const { return origin_; }
    double LineSpacing() const { return lineSpacing_; }
    std::uint16_t Elements() const { return elements_; }
    std::uint16_t NodeNumber() const { return nodeNumber_; }

private:
    std::unique_ptr<CDgnStyleText> style_;
    std::uint8_t font_ = 0;
    TFgnJustification justification_ = TFgnJustification(0);
    double width_ = 0, height_ = 0, angle_ = 0;
    double lineSpacing_ = 0;
    CDgnPt origin_, min_, max_;
    std::uint16_t totalLength_ = 0, elements_ = 0, nodeNumber_ = 0, lineLengths_ = 0;
    std::string text_;
};
