// Enhanced metafiles as the Windows GDI records them: a device context whose
// drawing calls are written to a file as EMF records (header, drawing
// records, end record) in the public little-endian record layout. Only the
// calls the loader draws symbols with exist.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using COLORREF = std::uint32_t;  // red | green << 8 | blue << 16
constexpr COLORREF MakeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return red | std::uint32_t{green} << 8 | std::uint32_t{blue} << 16;
}

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};
struct SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// A GDI object of a metafile context: an index of its handle table, or a
// stock object. 0 is no object.
using HGDIOBJ = std::uint32_t;

inline constexpr int MM_TEXT = 1;
inline constexpr int MM_LOMETRIC = 2;
inline constexpr int MM_HIMETRIC = 3;
inline constexpr int MM_LOENGLISH = 4;
inline constexpr int MM_HIENGLISH = 5;
inline constexpr int MM_TWIPS = 6;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;
inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_DIAGCROSS = 5;
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_RIGHT = 2;
inline constexpr unsigned TA_CENTER = 6;
inline constexpr unsigned TA_BOTTOM = 8;
inline constexpr unsigned TA_BASELINE = 24;
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

// The fields of a LOGFONT; the face name is UTF-8, at most 31 characters kept.
struct CEmfFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;  // tenths of a degree
    std::int32_t orientation = 0;
    std::int32_t weight = FW_NORMAL;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;
};

// Device units of one logical unit of the screen (96 dots per inch) in a
// mapping mode, truncated as the screen's coordinate transform gives them.
SIZE ScreenDeviceSizeOfLogicalUnit(int mapMode);

// One metafile being recorded (CreateEnhMetaFile ... CloseEnhMetaFile) with
// the screen as its reference device. Setters return the value they replace;
// drawing calls return false once a write has failed or the file is closed.
class CEmfDeviceContext {
public:
    // Creates the file. frame: the picture's rectangle in 0.01 mm. The
    // description ("application\0picture") is stored with a closing NUL.
    // Null when the file cannot be created.
    static std::unique_ptr<CEmfDeviceContext> Create(const std::string& fileName, const RECT& frame,
                                                     std::string_view description);
    ~CEmfDeviceContext();  // closes the file as Close does
    CEmfDeviceContext(const CEmfDeviceContext&) = delete;
    CEmfDeviceContext& operator=(const CEmfDeviceContext&) = delete;

    int SetMapMode(int mode);
    int SetBkMode(int mode);
    int SetPolyFillMode(int mode);
    unsigned SetTextAlign(unsigned align);
    COLORREF SetTextColor(COLORREF color);

    HGDIOBJ CreatePen(int style, int width, COLORREF color);
    HGDIOBJ CreateSolidBrush(COLORREF color);
    HGDIOBJ CreateHatchBrush(int hatch, COLORREF color);
    HGDIOBJ CreateFont(const CEmfFont& font);
    // Returns the object of the same kind selected before (0 on failure).
    HGDIOBJ SelectObject(HGDIOBJ object);
    bool DeleteObject(HGDIOBJ object);

    bool GdiComment(std::span<const std::uint8_t> data);
    bool TextOut(int x, int y, std::string_view text);
    bool Polyline(std::span<const POINT> points);
    bool Polygon(std::span<const POINT> points);

    // Writes the end record and the completed header and closes the file;
    // false when any write failed. Later calls do nothing and return false.
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }

private:
    enum class Kind : std::uint8_t { kNone, kPen, kBrush, kFont };
    struct Object {
        Kind kind = Kind::kNone;
        std::int32_t fontHeight = 0;
    };

    CEmfDeviceContext(std::FILE* file, const RECT& frame, std::u16string description);
    bool WriteRecord(const std::vector<std::uint8_t>& record);
    HGDIOBJ AddObject(Object object, std::vector<std::uint8_t> record);
    Kind KindOf(HGDIOBJ object) const;
    void ExtendBounds(const POINT& logical);
    bool DrawPoly(std::uint32_t type, std::span<const POINT> points);
    std::vector<std::uint8_t> HeaderRecord() const;

    std::FILE* file_;
    bool failed_ = false;
    RECT frame_;
    std::u16string description_;
    std::uint32_t bytes_ = 0;
    std::uint32_t records_ = 0;
    std::vector<Object> objects_{Object{}};  // slot 0 is reserved by the format
    HGDIOBJ selectedPen_;
    HGDIOBJ selectedBrush_;
    HGDIOBJ selectedFont_;
    int mapMode_ = MM_TEXT;
    int bkMode_ = OPAQUE;
    int polyFillMode_ = ALTERNATE;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    COLORREF textColor_ = 0;
    bool haveBounds_ = false;
    RECT bounds_;
};
