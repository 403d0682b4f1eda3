// The drawing model: a read-only drawing database filled from a DXF file
// (ASCII or binary), with its block, layer and text style tables, the
// named-objects dictionary and the entities of model space, paper space and
// every block. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/ByteSource.h"
#include "readers/drawing/DrawingEntities.h"

namespace drawing {

class CBlockRecord {
public:
    // "*Model_Space", "*Paper_Space", or the block's name.
    const std::string& Name() const { return name_; }
    std::uint64_t Handle() const { return handle_; }
    const Point3d& BasePoint() const { return basePoint_; }
    // The block's flags (1 anonymous, 2 has attribute definitions, 4 external reference, ...).
    int Flags() const { return flags_; }
    // The entities in drawing order; vertices, attributes and sequence ends
    // belong to their polyline or block reference, not to the block.
    const std::vector<std::unique_ptr<CEntity>>& Entities() const { return entities_; }

private:
    friend class CDxfLoader;
    friend class CDatabase;
    std::string name_;
    std::uint64_t handle_ = 0;
    Point3d basePoint_;
    int flags_ = 0;
    std::vector<std::unique_ptr<CEntity>> entities_;
};

class CLayerRecord {
public:
    const std::string& Name() const { return name_; }
    std::uint64_t Handle() const { return handle_; }
    // The colour (1 to 255) whether the layer is on or off.
    int ColorIndex() const { return colorIndex_ < 0 ? -colorIndex_ : colorIndex_; }
    // The file marks an off layer by a negative colour.
    bool IsOff() const { return colorIndex_ < 0; }
    bool IsFrozen() const { return (flags_ & 1) != 0; }
    bool IsLocked() const { return (flags_ & 4) != 0; }
    const std::string& LinetypeName() const { return linetype_; }

private:
    friend class CDxfLoader;
    std::string name_;
    std::uint64_t handle_ = 0;
    int colorIndex_ = 7;
    int flags_ = 0;
    std::string linetype_;
};

// A text style; its font (typeface, bold, italic, character set, pitch and
// family) comes from the record's extended data, as the file stores a
// TrueType font's description.
class CTextStyleRecord {
public:
    const std::string& Name() const { return name_; }
    std::uint64_t Handle() const { return handle_; }
    const std::string& FontFile() const { return fontFile_; }
    const std::string& BigFontFile() const { return bigFontFile_; }
    double TextHeight() const { return height_; }
    double WidthFactor() const { return widthFactor_; }
    int Flags() const { return flags_; }
    // Empty when the record names no typeface.
    const std::string& Typeface() const { return typeface_; }
    bool IsBold() const { return (fontFlags_ & 0x2000000) != 0; }
    bool IsItalic() const { return (fontFlags_ & 0x1000000) != 0; }
    int Charset() const { return (fontFlags_ >> 8) & 0xFF; }
    int PitchAndFamily() const { return fontFlags_ & 0xFF; }

private:
    friend class CDxfLoader;
    std::string name_;
    std::uint64_t handle_ = 0;
    std::string fontFile_;
    std::string bigFontFile_;
    double height_ = 0;
    double widthFactor_ = 1;
    int flags_ = 0;
    std::string typeface_;
    std::int32_t fontFlags_ = 0;
};

class CDictionary;

// An object of the OBJECTS section.
class CObject {
public:
    virtual ~CObject() = default;
    // "DICTIONARY", "XRECORD", ...
    const std::string& DxfName() const { return dxfName_; }
    std::uint64_t Handle() const { return handle_; }
    std::uint64_t OwnerHandle() const { return owner_; }
    XDataChain XData(std::string_view application) const;
    const CDictionary* AsDictionary() const;

private:
    friend class CDxfLoader;
    std::string dxfName_;
    std::uint64_t handle_ = 0;
    std::uint64_t owner_ = 0;
    std::unique_ptr<XDataChain> xdata_;
};

class CDictionary final : public CObject {
public:
    struct Entry {
        std::string name;
        std::uint64_t handle = 0;
    };
    // In file order.
    const std::vector<Entry>& Entries() const { return entries_; }
    // The handle of the entry of that name (letter case aside); 0 when none.
    std::uint64_t Find(std::string_view name) const;

private:
    friend class CDxfLoader;
    std::vector<Entry> entries_;
};

// The answer of opening a drawing; the numbers are the database's own.
enum class EOpenStatus : int {
    kOk = 0,
    kCannotOpen = 3,     // no DXF file, or a damaged one
    kAccessDenied = 72,  // the file exists but may not be read
};

class CDatabase {
public:
    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Fills the database from a DXF file; a failure leaves it empty, with the
    // reason in LastError().
    EOpenStatus ReadDxf(const CByteSource& source);
    EOpenStatus ReadDxfFile(const std::string& path);
    // Where and why the last read failed ("line 12: a value that is not a number").
    const std::string& LastError() const { return lastError_; }

    bool IsBinaryDxf() const { return binary_; }
    // $ACADVER ("AC1015"); "AC1009" when the header has none.
    const std::string& AcadVersion() const { return acadVersion_; }
    // The database's release number of the file: 16 for AC1009, 19 AC1012,
    // 20 AC1013, 21 AC1014, 23 AC1015, 25 AC1018, 27 AC1021, 29 AC1024,
    // 31 AC1027, 33 AC1032.
    int OriginalFileVersion() const { return originalVersion_; }
    // $DWGCODEPAGE as the file names it (empty when absent).
    const std::string& CodePage() const { return codePage_; }

    // The block table: model space, paper space, then the blocks in file order.
    const std::vector<std::unique_ptr<CBlockRecord>>& Blocks() const { return blocks_; }
    // Letter case aside ("$MODEL_SPACE" of R12 files is "*Model_Space"); null: not found.
    const CBlockRecord* FindBlock(std::string_view name) const;
    const CBlockRecord& ModelSpace() const { return *blocks_[0]; }
    const CBlockRecord& PaperSpace() const { return *blocks_[1]; }

    const std::vector<std::unique_ptr<CLayerRecord>>& Layers() const { return layers_; }
    const CLayerRecord* FindLayer(std::string_view name) const;
    const std::vector<std::unique_ptr<CTextStyleRecord>>& TextStyles() const { return styles_; }
    const CTextStyleRecord* FindTextStyle(std::string_view name) const;

    // The root of the OBJECTS section; null in drawings without one (R12).
    const CDictionary* NamedObjectsDictionary() const { return namedObjects_; }
    // An object of the OBJECTS section by its handle; null: not found.
    const CObject* FindObject(std::uint64_t handle) const;

private:
    friend class CDxfLoader;
    void Clear();
    // The one copy of a name that entities point to.
    const std::string* Intern(std::string_view text);

    std::string lastError_;
    bool binary_ = false;
    std::string acadVersion_;
    int originalVersion_ = 16;
    std::string codePage_;
    std::vector<std::unique_ptr<CBlockRecord>> blocks_;
    std::vector<std::unique_ptr<CLayerRecord>> layers_;
    std::vector<std::unique_ptr<CTextStyleRecord>> styles_;
    std::vector<std::unique_ptr<CObject>> objects_;
    std::unordered_map<std::string, std::size_t> blockIndex_;  // folded name -> index
    std::unordered_map<std::string, std::size_t> layerIndex_;
    std::unordered_map<std::string, std::size_t> styleIndex_;
    std::unordered_map<std::uint64_t, const CObject*> objectIndex_;
    const CDictionary* namedObjects_ = nullptr;
    std::unordered_set<std::string> names_;
};

// A table name folded for lookups: ASCII letters in upper case.
std::string FoldName(std::string_view name);

}  // namespace drawing
