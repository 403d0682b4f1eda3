#include "dgn/DgnElement.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "dgn/DgnGlobal.h"
#include "dgn/DgnSettings.h"
#include "dgn/DgnStyle.h"

namespace {

std::string Decimal(std::uint64_t value) {
    char text[24];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

CDgnPt::CDgnPt(const CFgnPt& other) {
    TFgnFmtErr err;
    x_ = other.GetX(err);
    y_ = other.GetY(err);
    z_ = other.GetZ(err);
}

double CDgnPt::GetX(TFgnFmtErr& err) const {
    err = kFgnOk;
    return x_;
}
double CDgnPt::GetY(TFgnFmtErr& err) const {
    err = kFgnOk;
    return y_;
}
double CDgnPt::GetZ(TFgnFmtErr& err) const {
    err = kFgnOk;
    return z_;
}

namespace dgn {

CDgnPt SDgnFrame::Apply(const CDgnPt& p) const {
    return CDgnPt(m[0][0] * p.X() + m[0][1] * p.Y() + m[0][2] * p.Z(),
                  m[1][0] * p.X() + m[1][1] * p.Y() + m[1][2] * p.Z(),
                  m[2][0] * p.X() + m[2][1] * p.Y() + m[2][2] * p.Z());
}

double SDgnFrame::Degrees() const {
    return std::atan2(m[1][0], m[0][0]) * 180 / std::numbers::pi;
}

}  // namespace dgn

void CDgnPointList::Transform(const dgn::SDgnFrame& frame) {
    for (CDgnPt& pt : points_) pt = frame.Apply(pt);
}

CDgnPointList& CDgnPointList::operator=(const CDgnPointList& other) {
    if (this == &other) return *this;
    points_.clear();
    list_.clear();
    for (const CDgnPt& pt : other.points_) Add(pt);
    return *this;
}

void CDgnPointList::Add(const CDgnPt& pt) {
    points_.push_back(pt);
    list_.push_back(&points_.back());
}

CDgnElement::CDgnElement(const CByteSource& design, std::uint64_t offset, CDgnGlobal* global)
    : design_(&design), offset_(offset), global_(global), mode_(kModeRead), key_(Decimal(offset)) {}

CDgnElement::CDgnElement(CDgnGlobal* global, EMode mode)
    : offset_(0), global_(global), mode_(mode) {}

CDgnElement::~CDgnElement() = default;

TFgnFmtErr CDgnElement::WriteElement() {
    return mode_ == kModeWrite ? kFgnOk : kFgnIncomplete;
}

TFgnFmtErr CDgnElement::ReadElement() {
    return mode_ == kModeRead ? kFgnOk : kFgnIncomplete;
}

bool CDgnElement::IsPlaneRotation(const double (&m)[3][3]) {
    return m[0][2] == 0 && m[1][2] == 0 && m[0][1] == -m[1][0] && m[0][0] == m[1][1];
}

TFgnFmtErr CDgnElement::ReadHeader() {
    cursor_ = CByteCursor({});
    bytes_.clear();
    std::uint8_t first[4];
    if (!design_ || !design_->ReadAt(offset_, first, sizeof first)) return kFgnNotLoaded;
    header_ = dgn::DecodeFirstWord(byteorder::LoadU16Le(first));
    header_.wordsToFollow = byteorder::LoadU16Le(first + 2);
    const std::size_t length = header_.Length();
    if (!design_->Contains(offset_, length)) return kFgnNotLoaded;
    if (length < dgn::kHeaderSize) return kFgnIncomplete;
    bytes_.resize(length);
    if (!design_->ReadAt(offset_, bytes_.data(), length)) return kFgnNotLoaded;
    header_ = dgn::DecodeHeader(
        std::span<const std::uint8_t, dgn::kHeaderSize>(bytes_.data(), dgn::kHeaderSize));
    cursor_ = CByteCursor(bytes_);
    cursor_.Seek(dgn::kHeaderSize);
    const std::string level = Decimal(header_.level);
    layer_ = iniFile.Read(dgn::kSectionLevelLayers, level.c_str(), level.c_str(), 512);
    key_ = Decimal(offset_);
    return kFgnOk;
}

void CDgnElement::SetIdentity(std::string key, std::string layer) {
    key_ = std::move(key);
    layer_ = std::move(layer);
    written_.level = dgn::LevelFromLayer(layer_);
}

void CDgnElement::CopyIdentity(const CDgnElement& other) {
    offset_ = other.offset_;
    key_ = other.key_;
    layer_ = other.layer_;
    header_ = other.header_;
}

std::int32_t CDgnElement::ReadLong() {
    const auto bytes = cursor_.Take(4);
    return cursor_.Ok() ? dgn::LoadLong(bytes.data()) : 0;
}

double CDgnElement::ReadDouble() {
    const auto bytes = cursor_.Take(8);
    return cursor_.Ok() ? dgn::LoadVaxDouble(bytes.data()) : 0.0;
}

std::uint16_t CDgnElement::ReadWord() {
    return cursor_.U16Le();
}

std::uint8_t CDgnElement::ReadByte() {
    return cursor_.U8();
}

std::span<const std::uint8_t> CDgnElement::ReadBytes(std::size_t count) {
    return cursor_.Take(count);
}

void CDgnElement::SeekInElement(std::size_t offset) {
    cursor_.Seek(offset);
}

void CDgnElement::SkipAttributes() {
    if (cursor_.Ok()) cursor_.Seek(bytes_.size());
}

bool CDgnElement::ThreeD() const {
    return global_ && !global_->TwoD();
}

CDgnPt CDgnElement::ReadPoint() {
    const double x = ReadLong(), y = ReadLong();
    const double z = ThreeD() ? ReadLong() : 0.0;
    return CDgnPt(global_->ToMaster(x, 0), global_->ToMaster(y, 1),
                  ThreeD() ? global_->ToMaster(z, 2) : 0.0);
}

CDgnPt CDgnElement::ReadDoublePoint() {
    const double x = ReadDouble(), y = ReadDouble();
    const double z = ThreeD() ? ReadDouble() : 0.0;
    return CDgnPt(global_->ToMaster(x, 0), global_->ToMaster(y, 1),
                  ThreeD() ? global_->ToMaster(z, 2) : 0.0);
}

double CDgnElement::ReadLength() {
    return ReadDouble() / global_->UnitsPerMaster();
}

std::int32_t CDgnElement::SymbologyColour() const {
    const DgnRgb rgb = global_->ColourOf(header_.ColourIndex());
    return rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
}

std::string CDgnElement::LinePattern() const {
    const std::string style = Decimal(header_.LineStyle());
    return iniFile.Read(dgn::kSectionLineStyles, style.c_str(), dgn::kDefaultLineStyle, 512);
}

std::unique_ptr<CDgnStyleLine> CDgnElement::MakeLineStyle() const {
    return std::make_unique<CDgnStyleLine>(SymbologyColour(), header_.Weight(),
                                           LinePattern().c_str());
}
