#include "dgn/DgnTextElements.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "common/Utf8.h"
#include "dgn/DgnEncoder.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnSettings.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// A stored character size: positional units x 1000 / 6.
constexpr double kSizeFactor = 6.0 / 1000;
constexpr double kQuaternionScale = 2147483647.0;

// The angle of a 3-D text's quaternion (w, x, y, z) when it turns in the
// plane only (z kept); 0 otherwise and for the identity (all zero).
double QuaternionAngle(const double (&q)[4]) {
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    const double m00 = 1 - 2 * (y * y + z * z), m10 = 2 * (x * y - w * z);
    const bool plane =
        std::fabs(2 * (x * z - w * y)) < 1e-9 && std::fabs(2 * (y * z + w * x)) < 1e-9;
    if ((w != 0 || x != 0 || y != 0 || z != 0) && plane) return -std::atan2(m10, m00) / kDegree;
    return 0;
}

}  // namespace

namespace dgn {

TFgnJustification TextJustification(std::uint8_t code) {
    switch (code) {
        case 0:
            return TFgnJustification(3);
        case 1:
            return TFgnJustification(4);
        case 2:
            return TFgnJustification(5);
        case 6:
            return TFgnJustification(8);
        case 7:
            return TFgnJustification(9);
        case 8:
            return TFgnJustification(10);
        case 12:
            return TFgnJustification(14);
        case 13:
            return TFgnJustification(15);
        case 14:
            return TFgnJustification(16);
        default:
            return TFgnJustification(0);
    }
}

TFgnJustification NodeJustification(std::uint8_t code) {
    if (code <= 4) return TFgnJustification(code + 3);
    if (code == 5) return TFgnJustification(5);
    if (code <= 14) return TFgnJustification(code + 2);
    return TFgnJustification(0);
}

std::string DecodeText(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFD)
        return std::string(bytes.begin(), bytes.end());
    // 16-bit units stored low byte first; UTF-8 is the text's code page here.
    std::string out = Utf16LeToUtf8(bytes.subspan(2));
    std::erase(out, '\0');
    return out;
}

CDgnPt JustificationOffset(TFgnJustification justification, double w, double h, double angle) {
    double dx = 0, dy = 0;
    switch (static_cast<int>(justification)) {
        case 3:
            dy = h;
            break;
        case 4:
            dy = h / 2;
            break;
        case 8:
            dx = w / 2, dy = h;
            break;
        case 9:
            dx = w / 2, dy = h / 2;
            break;
        case 10:
            dx = w / 2;
            break;
        case 14:
            dx = w, dy = h;
            break;
        case 15:
            dx = w, dy = h / 2;
            break;
        case 16:
            dx = w;
            break;
        default:
            break;
    }
    const double r = std::sqrt(dx * dx + dy * dy);
    // An empty or zero-sized text has no direction to move in.
    if (!(r > 0)) return CDgnPt(0, 0, 0);
    double direction = std::asin(dy / r) / kDegree + angle;
    direction = std::fmod(direction, 360);
    if (direction < 0) direction += 360;
    return CDgnPt(r * std::cos(direction * kDegree), r * std::sin(direction * kDegree), 0);
}

std::string FontName(std::uint8_t font) {
    const std::string key = std::to_string(font);
    std::string name = iniFile.Read(kSectionDrfxFonts, key.c_str(), "", 256);
    if (name.empty()) name = iniFile.Read(kSectionDrfxFonts, "DEFAULT", "", 256);
    if (!name.empty()) return name;
    static constexpr const char* kFixed[] = {"Arial", "Times New Roman", "Roman", "Simplex",
                                             "SanSerif"};
    return font < 5 ? kFixed[font] : "ARIAL";
}

}  // namespace dgn

namespace dgn {

std::uint8_t TextJustificationCode(TFgnJustification justification) {
    switch (static_cast<int>(justification)) {
        case 0:
        case 5:
            return 2;
        case 1:
        case 10:
            return 8;
        case 2:
        case 13:
        case 16:
            return 14;
        case 4:
        case 7:
            return 1;
        case 8:
            return 6;
        case 9:
            return 7;
        case 11:
        case 14:
            return 12;
        case 12:
        case 15:
            return 13;
        default:
            return 0;
    }
}

std::vector<std::uint8_t> EncodeText(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return std::vector<std::uint8_t>(text.begin(), text.end());
    std::vector<std::uint8_t> out = {0xFF, 0xFD};
    const auto unit = [&out](char32_t u) {
        out.push_back(static_cast<std::uint8_t>(u));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80       ? 1
                           : lead >> 5 == 6  ? 2
                           : lead >> 4 == 14 ? 3
                           : lead >> 3 == 30 ? 4
                                             : 0;
        char32_t code = 0xFFFD;
        if (length > 0 && i + length <= text.size()) {
            code = length == 1 ? lead : lead & (0x7F >> length);
            for (int k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    code = 0xFFFD;
                    break;
                }
                code = code << 6 | (next & 0x3F);
            }
        }
        i += length > 0 && code != 0xFFFD ? length : 1;
        if (code >= 0x10000 && code <= 0x10FFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) ? 0xFFFD : code);
        }
    }
    return out;
}

std::uint8_t NodeJustificationCode(TFgnJustification justification) {
    static constexpr std::uint8_t kCodes[17] = {2, 0, 14, 0,  1,  2,  3,  4, 6,
                                                7, 8, 9,  10, 11, 12, 13, 14};
    const int j = static_cast<int>(justification);
    return j >= 0 && j <= 16 ? kCodes[j] : 0;
}

}  // namespace dgn

void CDgnText::SetText(std::string text, const CDgnPt& origin, const CFgnStyleText* style) {
    text_ = std::move(text);
    origin_ = origin;
    justification_ = TFgnJustification(5);
    if (!style) return;
    double height = 0, angle = 0, spacing = 0;
    std::int32_t colour = 0, second = 0;
    TFgnBool f1 = kFgnFalse, f2 = kFgnFalse, f3 = kFgnFalse;
    TFgnJustification justification = TFgnJustification(5);
    TFgnFmtErr err = kFgnOk;
    style->GetDefinition(height, colour, second, f1, f2, f3, justification, angle, spacing);
    if (std::fabs(angle) <= 360) {
        angle_ = std::fmod(angle_ + angle, 360);
        if (angle_ < 0) angle_ += 360;
    }
    width_ = height_ = height;
    justification_ = justification;
    const auto value = static_cast<std::uint32_t>(colour);
    const std::uint8_t index = Factors()->NearestColour({static_cast<std::uint8_t>(value),
                                                         static_cast<std::uint8_t>(value >> 8),
                                                         static_cast<std::uint8_t>(value >> 16)});
    Written().symbology = static_cast<std::uint16_t>(index == 255 ? 0 : index << 8);
    const char* font = style->GetFont(err);
    font_ = static_cast<std::uint8_t>(
        std::atoi(iniFile.Read(dgn::kSectionDgnFonts, font ? font : "", "0", 64).c_str()));
}

TFgnFmtErr CDgnText::WriteElement() {
    const std::vector<std::uint8_t> stored = dgn::EncodeText(text_);
    if (Mode() != kModeWrite || !Output() || stored.size() > 255) return kFgnIncomplete;
    const auto characters = std::count_if(text_.begin(), text_.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    CDgnPt origin = origin_;
    if (std::atoi(iniFile.Read(dgn::kSectionGeneral, dgn::kKeyJustConvert, "0", 16).c_str())) {
        const CDgnPt offset =
            dgn::JustificationOffset(justification_, double(characters) * width_, height_, angle_);
        origin.SetPoint(origin.X() - offset.X(), origin.Y() - offset.Y(), origin.Z());
    }
    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeText, Written());
    const double units = Factors()->UnitsPerMaster();
    encoder.Byte(font_);
    encoder.Byte(dgn::TextJustificationCode(justification_));
    const double size = std::trunc(height_ / kSizeFactor * units);
    if (!(std::fabs(size) <= 2147483647.0)) return kFgnIncomplete;
    for (int i = 0; i < 2; ++i) encoder.Long(static_cast<std::int32_t>(size));
    if (encoder.ThreeD()) {
        // A hair past the angle: a stored component is near a whole unit,
        // and readers take the angle in whole degrees, fraction dropped.
        const double half = (angle_ + 1e-5) * kDegree / 2;  // a turn about z
        encoder.Long(static_cast<std::int32_t>(std::lround(std::cos(half) * kQuaternionScale)));
        encoder.Long(0);
        encoder.Long(0);
        encoder.Long(static_cast<std::int32_t>(std::lround(std::sin(half) * kQuaternionScale)));
    } else {
        encoder.Angle(angle_);
    }
    encoder.Point(origin);
    // The far corner of the text box, for the range.
    encoder.Extend(
        CDgnPt(origin.X() + double(characters) * width_, origin.Y() + height_, origin.Z()));
    encoder.Byte(static_cast<std::uint8_t>(stored.size()));
    encoder.Byte(0);  // no enter-data fields
    encoder.Bytes(stored);
    if (stored.size() % 2) encoder.Byte(' ');
    return encoder.Finish(*Output());
}

TFgnFmtErr CDgnText::ReadElement() {
    return ReadBody([this] {
        font_ = ReadByte();
        justification_ = dgn::TextJustification(ReadByte());
        const double units = Factors()->UnitsPerMaster();
        width_ = ReadLong() / units * kSizeFactor;
        height_ = ReadLong() / units * kSizeFactor;
        if (!ThreeD()) {
            angle_ = dgn::AngleDegrees(ReadLong());
        } else {
            double q[4];
            for (double& c : q) c = ReadLong() / kQuaternionScale;
            angle_ = QuaternionAngle(q);
        }
        origin_ = ReadPoint();
        const std::uint8_t count = ReadByte();
        const std::uint8_t enterData = ReadByte();
        const auto bytes = ReadBytes(count + (count & 1));
        if (!ReadOk()) return kFgnIncomplete;
        text_ = dgn::DecodeText(bytes.first(count));
        if (std::atoi(iniFile.Read(dgn::kSectionGeneral, dgn::kKeyJustConvert, "0", 16).c_str())) {
            // Characters, not bytes: a UTF-8 sequence counts once.
            const auto characters = std::count_if(text_.begin(), text_.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            });
            const CDgnPt offset = dgn::JustificationOffset(
                justification_, double(characters) * width_, height_, angle_);
            origin_.SetPoint(origin_.X() + offset.X(), origin_.Y() + offset.Y(), origin_.Z());
        }
        ReadBytes(2 * std::size_t(enterData));
        return ReadStatus();
    });
}

void CDgnText::MakeStyle() {
    style_ = std::make_unique<CDgnStyleText>(height_, SymbologyColour(), justification_,
                                             std::trunc(angle_), 0.0, dgn::FontName(font_).c_str());
}

const CFgnPt* CDgnText::GetPt(TFgnFmtErr& err) const {
    err = kFgnOk;
    return &origin_;
}
const CFgnStyleText* CDgnText::GetStyle(TFgnFmtErr& err) const {
    err = kFgnOk;
    return style_.get();
}
char const* CDgnText::GetText(TFgnFmtErr& err) const {
    err = kFgnOk;
    return text_.c_str();
}

void CDgnText::Transform(const dgn::SDgnFrame& frame) {
    origin_ = frame.Apply(origin_);
    angle_ = std::fmod(angle_ + frame.Degrees(), 360);
    // A text being written keeps the style it was given.
    if (Mode() == kModeRead) MakeStyle();
}

TFgnFmtErr CDgnTNode::ReadElement() {
    return ReadBody([this] {
        const auto range = Header().range;
        CDgnGlobal& global = *Factors();
        const auto corner = [&](std::size_t at) {
            return CDgnPt(global.ToMaster(dgn::DecodeRange(range[at]), 0),
                          global.ToMaster(dgn::DecodeRange(range[at + 1]), 1),
                          ThreeD() ? global.ToMaster(dgn::DecodeRange(range[at + 2]), 2) : 0.0);
        };
        min_ = corner(0);
        max_ = corner(3);
        totalLength_ = ReadWord();
        elements_ = ReadWord();
        nodeNumber_ = ReadWord();
        lineLengths_ = ReadWord();  // the longest line and the characters used
        font_ = ReadByte();
        justification_ = dgn::NodeJustification(ReadByte());
        const double units = global.UnitsPerMaster();
        lineSpacing_ = ReadLong() / units;
        width_ = ReadLong() / units * kSizeFactor;
        height_ = ReadLong() / units * kSizeFactor;
        if (!ThreeD()) {
            angle_ = dgn::AngleDegrees(ReadLong());
        } else {
            double q[4];
            for (double& c : q) c = ReadLong() / kQuaternionScale;
            angle_ = QuaternionAngle(q);
        }
        origin_ = ReadPoint();
        if (!ReadOk()) return kFgnIncomplete;
        // The lines lie within the node's stated length, and the design.
        const CByteSource& design = *Design();
        const std::uint64_t end =
            std::min<std::uint64_t>(Offset() + 38 + 2 * std::uint64_t(totalLength_), design.Size());
        std::uint64_t position = Offset() + Header().Length();
        std::vector<std::string> lines;
        for (std::uint16_t i = 0; i < elements_ && position + 4 <= end; ++i) {
            std::uint8_t first[4];
            if (!design.ReadAt(position, first, sizeof first)) break;
            if (dgn::DecodeFirstWord(byteorder::LoadU16Le(first)).type == dgn::kTypeText) {
                CDgnText line(design, position, &global);
                if (line.ReadElement() == kFgnOk) lines.push_back(line.Text());
            }
            position += 4 + 2 * std::uint64_t(byteorder::LoadU16Le(first + 2));
        }
        for (std::size_t i = 0; i < lines.size(); ++i) text_ += (i ? "\n" : "") + lines[i];
        return kFgnOk;
    });
}

void CDgnTNode::MakeStyle() {
    style_ = std::make_unique<CDgnStyleText>(height_, SymbologyColour(), justification_, angle_,
                                             lineSpacing_, dgn::FontName(font_).c_str());
}

void CDgnTNode::Transform(const dgn::SDgnFrame& frame) {
    origin_ = frame.Apply(origin_);
    // The range's top-left corner, where the node is anchored, moves exactly;
    // the range keeps its size.
    const CDgnPt topLeft = frame.Apply(CDgnPt(min_.X(), max_.Y(), max_.Z()));
    const double width = max_.X() - min_.X(), height = max_.Y() - min_.Y();
    min_ = CDgnPt(topLeft.X(), topLeft.Y() - height, min_.Z());
    max_ = CDgnPt(topLeft.X() + width, topLeft.Y(), topLeft.Z());
    angle_ = std::fmod(angle_ + frame.Degrees(), 360);
    // A text being written keeps the style it was given.
    if (Mode() == kModeRead) MakeStyle();
}

const CFgnPt* CDgnTNode::GetMaxPt(TFgnFmtErr& err) const {
    err = kFgnOk;
    return &max_;
}
const CFgnPt* CDgnTNode::GetMinPt(TFgnFmtErr& err) const {
    err = kFgnOk;
    return &min_;
}
const CFgnStyleText* CDgnTNode::GetStyle(TFgnFmtErr& err) const {
    err = kFgnOk;
    return style_.get();
}
char const* CDgnTNode::GetText(TFgnFmtErr& err) const {
    err = kFgnOk;
    return text_.c_str();
}

void CDgnTNode::SetNode(std::string text, const CDgnPt& min, const CDgnPt& max,
                        const CFgnStyleText* style) {
    text_ = std::move(text);
    min_ = min;
    max_ = max;
    double height = 0, angle = 0, spacing = 0;
    std::int32_t colour = 0, second = 0;
    TFgnBool f1 = kFgnFalse, f2 = kFgnFalse, f3 = kFgnFalse;
    TFgnJustification justification = TFgnJustification(5);
    TFgnFmtErr err = kFgnOk;
    std::string font;
    if (style) {
        style->GetDefinition(height, colour, second, f1, f2, f3, justification, angle, spacing);
        const char* name = style->GetFont(err);
        font = name ? name : "";
    }
    style_ = std::make_unique<CDgnStyleText>(height, colour, justification, angle, spacing,
                                             font.c_str());
    width_ = height_ = height;
    lineSpacing_ = spacing;
    justification_ = justification;
    const auto value = static_cast<std::uint32_t>(colour);
    const std::uint8_t index = Factors()->NearestColour({static_cast<std::uint8_t>(value),
                                                         static_cast<std::uint8_t>(value >> 8),
                                                         static_cast<std::uint8_t>(value >> 16)});
    Written().symbology = static_cast<std::uint16_t>(index == 255 ? 0 : index << 8);
    const int number =
        std::atoi(iniFile.Read(dgn::kSectionDgnFonts, font.c_str(), "3", 64).c_str());
    font_ = static_cast<std::uint8_t>((number & 0xFF) == 0 ? 3 : number);
}

TFgnFmtErr CDgnTNode::WriteElement() {
    if (Mode() != kModeWrite || !Output() || !style_) return kFgnIncomplete;
    const std::uint8_t code = dgn::NodeJustificationCode(justification_);
    // From the top-left corner to the justification point, in parts of the box.
    static constexpr double kAcross[15] = {0, 0, 0, 0, 0, 0, 0.5, 0.5, 0.5, 1, 1, 1, 1, 1, 1};
    static constexpr double kDown[15] = {0, 0.5, 1, 0, 0.5, 1, 0, 0.5, 1, 0, 0.5, 1, 0, 0.5, 1};
    const double w = max_.X() - min_.X(), h = max_.Y() - min_.Y();
    origin_ = CDgnPt(min_.X() + kAcross[code] * w, max_.Y() - kDown[code] * h, min_.Z());

    std::vector<std::string> lines;
    for (std::size_t at = 0;;) {
        const std::size_t end = text_.find('\n', at);
        lines.push_back(text_.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (lines.size() > 0xFFFF) return kFgnIncomplete;
    const double step = h / double(lines.size());
    const double baseline = max_.Y() - kDown[code] * step;

    dgn::SDgnWriteHeader part = Written();
    part.complex = true;
    part.linkage = false;
    part.elementClass = 0;
    part.graphicGroup = 0;
    std::vector<std::uint8_t> components;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CDgnText line(Factors(), kModeWrite);
        line.SetText(lines[i], CDgnPt(origin_.X(), baseline - double(i) * step, origin_.Z()),
                     style_.get());
        line.Written() = part;
        line.SetOutput(&components);
        if (line.WriteElement() != kFgnOk) return kFgnIncomplete;
        longest = std::max(longest, lines[i].size());
    }

    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeTextNode, Written());
    encoder.Extend(min_);
    encoder.Extend(max_);
    const double units = Factors()->UnitsPerMaster();
    encoder.Word(0);  // the total length, set below
    encoder.Word(static_cast<std::uint16_t>(lines.size()));
    encoder.Word(0);  // node number
    encoder.Byte(static_cast<std::uint8_t>(std::min<std::size_t>(longest, 255)));
    encoder.Byte(0);
    encoder.Byte(font_);
    encoder.Byte(code);
    const double spacing = std::trunc(lineSpacing_ * units);
    const double size = std::trunc(height_ / kSizeFactor * units);
    if (!(std::fabs(spacing) <= 2147483647.0) || !(std::fabs(size) <= 2147483647.0))
        return kFgnIncomplete;
    encoder.Long(static_cast<std::int32_t>(spacing));
    encoder.Long(static_cast<std::int32_t>(size));
    encoder.Long(static_cast<std::int32_t>(size));
    // The node itself is not turned.
    for (int i = 0; i < (encoder.ThreeD() ? 4 : 1); ++i) encoder.Long(0);
    encoder.Point(origin_);
    std::vector<std::uint8_t> element;
    if (encoder.Finish(element) != kFgnOk) return kFgnIncomplete;
    const std::size_t words = (element.size() + components.size() - (dgn::kHeaderSize + 2)) / 2;
    if (words > 0xFFFF) return kFgnIncomplete;
    element[dgn::kHeaderSize] = static_cast<std::uint8_t>(words);
    element[dgn::kHeaderSize + 1] = static_cast<std::uint8_t>(words >> 8);
    Output()->insert(Output()->end(), element.begin(), element.end());
    Output()->insert(Output()->end(), components.begin(), components.end());
    return kFgnOk;
}
