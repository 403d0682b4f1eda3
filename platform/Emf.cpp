#include "platform/Emf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "common/ByteOrder.h"

namespace {

// Record types of the EMF format.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_GDICOMMENT = 70,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kEmfVersion = 0x00010000;
constexpr std::uint32_t kHeaderSize = 108;  // with both header extensions
constexpr std::uint32_t kLogFontPanoseSize = 320;

// The stock objects a new context has selected.
constexpr HGDIOBJ kStockFlag = 0x80000000u;
constexpr HGDIOBJ kWhiteBrush = kStockFlag | 0;
constexpr HGDIOBJ kBlackPen = kStockFlag | 7;
constexpr HGDIOBJ kSystemFont = kStockFlag | 13;

// The reference device: a 1920 x 1080 screen of 96 dots per inch.
constexpr int kScreenDpi = 96;
constexpr std::int32_t kScreenPixelsX = 1920;
constexpr std::int32_t kScreenPixelsY = 1080;
constexpr std::int32_t kScreenMicrometersX = kScreenPixelsX * 25400 / kScreenDpi;
constexpr std::int32_t kScreenMicrometersY = kScreenPixelsY * 25400 / kScreenDpi;

// Inches per logical unit of the fixed mapping modes; 0 for device units.
double InchesPerLogicalUnit(int mapMode) {
    switch (mapMode) {
        case MM_LOMETRIC:
            return 0.1 / 25.4;
        case MM_HIMETRIC:
            return 0.01 / 25.4;
        case MM_LOENGLISH:
            return 0.01;
        case MM_HIENGLISH:
            return 0.001;
        case MM_TWIPS:
            return 1.0 / 1440.0;
        default:
            return 0.0;
    }
}

// The metric modes have y growing upwards; the device has it downwards.
POINT LogicalToDevice(int mapMode, const POINT& p) {
    const double inches = InchesPerLogicalUnit(mapMode);
    if (inches == 0.0) return p;
    const double factor = inches * kScreenDpi;
    return POINT{static_cast<std::int32_t>(std::lround(p.x * factor)),
                 static_cast<std::int32_t>(std::lround(-static_cast<double>(p.y) * factor))};
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        int extra = lead < 0x80                    ? 0
                    : lead >= 0xC2 && lead <= 0xDF ? 1
                    : lead >= 0xE0 && lead <= 0xEF ? 2
                    : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                   : -1;
        char32_t cp = extra == 0   ? lead
                      : extra == 1 ? (lead & 0x1F)
                      : extra == 2 ? (lead & 0x0F)
                                   : (lead & 0x07);
        bool valid = extra >= 0 && i + extra < s.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return out;
}

// Builds one record: the type, a size patched at the end, fields in order.
class RecordBuilder {
public:
    explicit RecordBuilder(std::uint32_t type) {
        U32(type);
        U32(0);
    }
    RecordBuilder& U32(std::uint32_t v) { return Field(v); }
    RecordBuilder& I32(std::int32_t v) { return Field(v); }
    RecordBuilder& U16(std::uint16_t v) { return Field(v); }
    RecordBuilder& U8(std::uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    RecordBuilder& F32(float v) { return Field(v); }
    RecordBuilder& Rect(const RECT& r) { return I32(r.left).I32(r.top).I32(r.right).I32(r.bottom); }
    RecordBuilder& Point(const POINT& p) { return I32(p.x).I32(p.y); }
    RecordBuilder& Bytes(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    // A fixed-size UTF-16 field: cut to leave room for a terminator, zero-filled.
    RecordBuilder& FixedText(const std::u16string& text, std::size_t units) {
        for (std::size_t i = 0; i < units; ++i) U16(i + 1 < units && i < text.size() ? text[i] : 0);
        return *this;
    }
    RecordBuilder& Text(const std::u16string& text) {
        for (char16_t c : text) U16(c);
        return *this;
    }
    RecordBuilder& PadTo4() {
        while (bytes_.size() % 4) bytes_.push_back(0);
        return *this;
    }
    std::size_t Size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Finish() {
        PadTo4();
        byteorder::StoreU32Le(static_cast<std::uint32_t>(bytes_.size()), bytes_.data() + 4);
        return std::move(bytes_);
    }

private:
    // Every field is little-endian.
    template <class T>
    RecordBuilder& Field(T value) {
        std::uint8_t bytes[sizeof(T)];
        byteorder::Store<byteorder::Endian::kLittle>(value, bytes);
        bytes_.insert(bytes_.end(), bytes, bytes + sizeof bytes);
        return *this;
    }

    std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> ValueRecord(std::uint32_t type, std::uint32_t value) {
    return RecordBuilder(type).U32(value).Finish();
}

}  // namespace

SIZE ScreenDeviceSizeOfLogicalUnit(int mapMode) {
    const double inches = InchesPerLogicalUnit(mapMode);
    if (inches == 0.0) return SIZE{1, 1};
    const auto units = static_cast<std::int32_t>(inches * kScreenDpi);
    return SIZE{units, units};
}

std::unique_ptr<CEmfDeviceContext> CEmfDeviceContext::Create(const std::string& fileName,
                                                             const RECT& frame,
                                                             std::string_view description) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) return nullptr;
    std::u16string text;
    if (!description.empty()) {
        text = Utf8ToUtf16(description);
        text.push_back(u'\0');
    }
    std::unique_ptr<CEmfDeviceContext> dc(new CEmfDeviceContext(file, frame, std::move(text)));
    // The header is written again, completed, when the file is closed.
    if (!dc->WriteRecord(dc->HeaderRecord())) {
        dc->Close();
        std::remove(fileName.c_str());
        return nullptr;
    }
    return dc;
}

CEmfDeviceContext::CEmfDeviceContext(std::FILE* file, const RECT& frame, std::u16string description)
    : file_(file),
      frame_(frame),
      description_(std::move(description)),
      selectedPen_(kBlackPen),
      selectedBrush_(kWhiteBrush),
      selectedFont_(kSystemFont) {}

CEmfDeviceContext::~CEmfDeviceContext() {
    Close();
}

bool CEmfDeviceContext::WriteRecord(const std::vector<std::uint8_t>& record) {
    if (!file_ || failed_) return false;
    if (std::fwrite(record.data(), 1, record.size(), file_) != record.size()) {
        failed_ = true;
        return false;
    }
    bytes_ += static_cast<std::uint32_t>(record.size());
    ++records_;
    return true;
}

std::vector<std::uint8_t> CEmfDeviceContext::HeaderRecord() const {
    RecordBuilder r(EMR_HEADER);
    r.Rect(haveBounds_ ? bounds_ : RECT{0, 0, -1, -1});
    r.Rect(frame_);
    r.U32(kEmfSignature).U32(kEmfVersion).U32(bytes_).U32(records_);
    r.U16(static_cast<std::uint16_t>(objects_.size())).U16(0);
    r.U32(static_cast<std::uint32_t>(description_.size()));
    r.U32(description_.empty() ? 0 : kHeaderSize);
    r.U32(0);  // palette entries
    r.I32(kScreenPixelsX).I32(kScreenPixelsY);
    r.I32(kScreenMicrometersX / 1000).I32(kScreenMicrometersY / 1000);
    r.U32(0).U32(0).U32(0);  // no pixel format, no OpenGL
    r.I32(kScreenMicrometersX).I32(kScreenMicrometersY);
    r.Text(description_);
    return r.Finish();
}

bool CEmfDeviceContext::Close() {
    if (!file_) return false;
    const auto eof = RecordBuilder(EMR_EOF).U32(0).U32(16).U32(20).Finish();
    WriteRecord(eof);
    // The header's counts include the header itself and the end record.
    const auto header = HeaderRecord();
    bool ok = !failed_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}

int CEmfDeviceContext::SetMapMode(int mode) {
    const int previous = mapMode_;
    if (WriteRecord(ValueRecord(EMR_SETMAPMODE, static_cast<std::uint32_t>(mode)))) mapMode_ = mode;
    return previous;
}

int CEmfDeviceContext::SetBkMode(int mode) {
    const int previous = bkMode_;
    if (WriteRecord(ValueRecord(EMR_SETBKMODE, static_cast<std::uint32_t>(mode)))) bkMode_ = mode;
    return previous;
}

int CEmfDeviceContext::SetPolyFillMode(int mode) {
    const int previous = polyFillMode_;
    if (WriteRecord(ValueRecord(EMR_SETPOLYFILLMODE, static_cast<std::uint32_t>(mode))))
        polyFillMode_ = mode;
    return previous;
}

unsigned CEmfDeviceContext::SetTextAlign(unsigned align) {
    const unsigned previous = textAlign_;
    if (WriteRecord(ValueRecord(EMR_SETTEXTALIGN, align))) textAlign_ = align;
    return previous;
}

COLORREF CEmfDeviceContext::SetTextColor(COLORREF color) {
    const COLORREF previous = textColor_;
    if (WriteRecord(ValueRecord(EMR_SETTEXTCOLOR, color))) textColor_ = color;
    return previous;
}

HGDIOBJ CEmfDeviceContext::AddObject(Object object, std::vector<std::uint8_t> record) {
    // The lowest free slot of the handle table, as GDI reuses them.
    std::size_t slot = 1;
    while (slot < objects_.size() && objects_[slot].kind != Kind::kNone) ++slot;
    for (int i = 0; i < 4; ++i) record[8 + i] = static_cast<std::uint8_t>(slot >> (8 * i));
    if (!WriteRecord(record)) return 0;
    if (slot == objects_.size())
        objects_.push_back(object);
    else
        objects_[slot] = object;
    return static_cast<HGDIOBJ>(slot);
}

HGDIOBJ CEmfDeviceContext::CreatePen(int style, int width, COLORREF color) {
    auto record =
        RecordBuilder(EMR_CREATEPEN).U32(0).I32(style).I32(width).I32(0).U32(color).Finish();
    return AddObject(Object{Kind::kPen}, std::move(record));
}

HGDIOBJ CEmfDeviceContext::CreateSolidBrush(COLORREF color) {
    auto record = RecordBuilder(EMR_CREATEBRUSHINDIRECT).U32(0).U32(0).U32(color).U32(0).Finish();
    return AddObject(Object{Kind::kBrush}, std::move(record));
}

HGDIOBJ CEmfDeviceContext::CreateHatchBrush(int hatch, COLORREF color) {
    auto record =
        RecordBuilder(EMR_CREATEBRUSHINDIRECT).U32(0).U32(2).U32(color).I32(hatch).Finish();
    return AddObject(Object{Kind::kBrush}, std::move(record));
}

HGDIOBJ CEmfDeviceContext::CreateFont(const CEmfFont& font) {
    RecordBuilder r(EMR_EXTCREATEFONTINDIRECTW);
    r.U32(0);
    const std::size_t start = r.Size();
    r.I32(font.height).I32(font.width).I32(font.escapement).I32(font.orientation).I32(font.weight);
    r.U8(font.italic).U8(font.underline).U8(font.strikeOut).U8(font.charSet);
    r.U8(font.outPrecision).U8(font.clipPrecision).U8(font.quality).U8(font.pitchAndFamily);
    r.FixedText(Utf8ToUtf16(font.faceName), 32);
    // The rest of a LogFontPanose: full name, style, version fields, vendor,
    // culture and PANOSE classification, all unset.
    while (r.Size() - start < kLogFontPanoseSize) r.U8(0);
    return AddObject(Object{Kind::kFont, font.height}, r.Finish());
}

CEmfDeviceContext::Kind CEmfDeviceContext::KindOf(HGDIOBJ object) const {
    switch (object) {
        case kWhiteBrush:
            return Kind::kBrush;
        case kBlackPen:
            return Kind::kPen;
        case kSystemFont:
            return Kind::kFont;
        default:
            break;
    }
    return object < objects_.size() ? objects_[object].kind : Kind::kNone;
}

HGDIOBJ CEmfDeviceContext::SelectObject(HGDIOBJ object) {
    HGDIOBJ* slot = nullptr;
    switch (KindOf(object)) {
        case Kind::kPen:
            slot = &selectedPen_;
            break;
        case Kind::kBrush:
            slot = &selectedBrush_;
            break;
        case Kind::kFont:
            slot = &selectedFont_;
            break;
        case Kind::kNone:
            return 0;
    }
    if (!WriteRecord(ValueRecord(EMR_SELECTOBJECT, object))) return 0;
    const HGDIOBJ previous = *slot;
    *slot = object;
    return previous;
}

bool CEmfDeviceContext::DeleteObject(HGDIOBJ object) {
    if (object & kStockFlag) return true;  // stock objects are never deleted
    if (object == 0 || object >= objects_.size() || objects_[object].kind == Kind::kNone)
        return false;
    // A selected object stays usable until another one replaces it, as in GDI.
    if (!WriteRecord(ValueRecord(EMR_DELETEOBJECT, object))) return false;
    objects_[object] = Object{};
    return true;
}

bool CEmfDeviceContext::GdiComment(std::span<const std::uint8_t> data) {
    auto record = RecordBuilder(EMR_GDICOMMENT)
                      .U32(static_cast<std::uint32_t>(data.size()))
                      .Bytes(data)
                      .Finish();
    return WriteRecord(record);
}

void CEmfDeviceContext::ExtendBounds(const POINT& logical) {
    const POINT d = LogicalToDevice(mapMode_, logical);
    if (!haveBounds_) {
        bounds_ = RECT{d.x, d.y, d.x, d.y};
        haveBounds_ = true;
        return;
    }
    bounds_.left = std::min(bounds_.left, d.x);
    bounds_.top = std::min(bounds_.top, d.y);
    bounds_.right = std::max(bounds_.right, d.x);
    bounds_.bottom = std::max(bounds_.bottom, d.y);
}

bool CEmfDeviceContext::DrawPoly(std::uint32_t type, std::span<const POINT> points) {
    if (points.empty()) return false;
    RECT box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const POINT& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    RecordBuilder r(type);
    r.Rect(box).U32(static_cast<std::uint32_t>(points.size()));
    for (const POINT& p : points) r.Point(p);
    if (!WriteRecord(r.Finish())) return false;
    ExtendBounds(POINT{box.left, box.top});
    ExtendBounds(POINT{box.right, box.bottom});
    return true;
}

bool CEmfDeviceContext::Polyline(std::span<const POINT> points) {
    return DrawPoly(EMR_POLYLINE, points);
}

bool CEmfDeviceContext::Polygon(std::span<const POINT> points) {
    return DrawPoly(EMR_POLYGON, points);
}

bool CEmfDeviceContext::TextOut(int x, int y, std::string_view text) {
    const std::u16string chars = Utf8ToUtf16(text);
    // Without font metrics every character advances by half the font height.
    // The box is reckoned in 64 bits: a tall font or a long text at the edge
    // of the coordinate range is cut to the range, never wrapped around.
    const std::int32_t fontHeight =
        selectedFont_ < objects_.size() ? objects_[selectedFont_].fontHeight : 0;
    const std::int64_t height = std::abs(std::int64_t{fontHeight});
    const auto advance = static_cast<std::int32_t>(std::max<std::int64_t>(1, height / 2));
    const std::int64_t width = std::int64_t{advance} * static_cast<std::int64_t>(chars.size());
    const POINT reference{x, y};

    constexpr std::uint32_t kTextHeaderSize = 76;
    const std::uint32_t stringBytes = static_cast<std::uint32_t>((chars.size() * 2 + 3) / 4 * 4);
    RecordBuilder r(EMR_EXTTEXTOUTW);
    r.Rect(RECT{x, y, ClampToInt32(x + width), ClampToInt32(y + height)});
    r.U32(1);  // GM_COMPATIBLE
    const float scale = InchesPerLogicalUnit(mapMode_) == 0.0 ? 2540.0f / kScreenDpi : 1.0f;
    r.F32(scale).F32(scale);
    r.Point(reference).U32(static_cast<std::uint32_t>(chars.size())).U32(kTextHeaderSize);
    r.U32(0).Rect(RECT{0, 0, -1, -1}).U32(kTextHeaderSize + stringBytes);
    r.Text(chars).PadTo4();
    for (std::size_t i = 0; i < chars.size(); ++i) r.I32(advance);
    if (!WriteRecord(r.Finish())) return false;
    ExtendBounds(reference);
    return true;
}
