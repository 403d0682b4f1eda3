// The base of every element class of the plug-in, and its point value.
//
// An element reads itself from a design held in a byte source: ReadHeader
// loads the element's own bytes (start to start + 4 + 2 x words to follow)
// and every later read is bounded by them, so a damaged count can never
// reach past the element. Each element class derives first from its
// contract entity class and second from CDgnElement.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/ByteSource.h"
#include "dgn/DgnCodec.h"
#include "foreign/Foreign.h"

class CDgnGlobal;
class CDgnStyleLine;

class CDgnPt : public CFgnPt {
public:
    CDgnPt() = default;
    CDgnPt(double x, double y, double z) : x_(x), y_(y), z_(z) {}
    CDgnPt(const CDgnPt& other) = default;
    explicit CDgnPt(const CFgnPt& other);
    CDgnPt& operator=(const CDgnPt& other) = default;

    void SetPoint(double x, double y, double z) { x_ = x, y_ = y, z_ = z; }
    double GetX(TFgnFmtErr& err) const override;
    double GetY(TFgnFmtErr& err) const override;
    double GetZ(TFgnFmtErr& err) const override;

    double X() const { return x_; }
    double Y() const { return y_; }
    double Z() const { return z_; }
    bool operator==(const CDgnPt& other) const {
        return x_ == other.x_ && y_ == other.y_ && z_ == other.z_;
    }

private:
    double x_ = 0, y_ = 0, z_ = 0;
};

namespace dgn {

// The map of a rotated cell's components into the cell's own frame: points
// are multiplied by the matrix (x' = m00 x + m01 y + m02 z, as the contract
// applies a block instance's matrix), angles turned by its rotation.
struct SDgnFrame {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    CDgnPt Apply(const CDgnPt& p) const;
    // The rotation about z in degrees.
    double Degrees() const;
};

// What a writer sets of an element's header besides its type and length,
// and the database linkage the second pass attaches.
struct SDgnWriteHeader {
    std::uint8_t level = 63;
    bool complex = false;
    std::uint16_t symbology = 0;
    std::uint8_t elementClass = 0;
    std::uint16_t graphicGroup = 0;
    bool linkage = false;
    std::uint16_t entityNumber = 0;
    std::uint32_t linkNumber = 0;
};

}  // namespace dgn

// Owned points and the list of them the contract hands out.
class CDgnPointList {
public:
    CDgnPointList() = default;
    CDgnPointList(const CDgnPointList& other) { *this = other; }
    CDgnPointList& operator=(const CDgnPointList& other);

    void Add(const CDgnPt& pt);
    void Transform(const dgn::SDgnFrame& frame);
    std::size_t Size() const { return points_.size(); }
    const CDgnPt& operator[](std::size_t i) const { return points_[i]; }
    const std::list<const CFgnPt*>* List() const { return &list_; }

private:
    std::deque<CDgnPt> points_;
    std::list<const CFgnPt*> list_;
};

class CDgnElement {
public:
    enum EMode : std::int32_t { kModeRead = 1, kModeWrite = 2 };

    // Reading the element that begins at `offset` of `design`.
    CDgnElement(const CByteSource& design, std::uint64_t offset, CDgnGlobal* global);
    // Building an element of `mode` without a design to read.
    CDgnElement(CDgnGlobal* global, EMode mode);
    CDgnElement(const CDgnElement&) = delete;
    CDgnElement& operator=(const CDgnElement&) = delete;

    // Encodes the element; 1 unless writing.
    virtual TFgnFmtErr WriteElement();
    // Decodes the element: 0; 1 when not reading or the element is damaged
    // (a field reaches past its end, a count it cannot hold); 7 when its
    // bytes cannot be read (past the end of the design).
    virtual TFgnFmtErr ReadElement();
    virtual ~CDgnElement();
    // Builds the entity's style from the header's symbology.
    virtual void MakeStyle() {}

    // The entity the element presents; null for elements that are none.
    virtual CFgnEntity* Entity() { return nullptr; }
    // Whether its orientation is a rotation (and uniform scale) in the plane,
    // the only kind the contract can carry.
    virtual bool IsPlaneRotation() const { return true; }
    // Moves the entity into the frame of the cell that holds it.
    virtual void Transform(const dgn::SDgnFrame&) {}

    const dgn::SDgnHeader& Header() const { return header_; }
    const std::string& Key() const { return key_; }
    const std::string& Layer() const { return layer_; }
    std::uint64_t Offset() const { return offset_; }
    EMode Mode() const { return mode_; }
    CDgnGlobal* Factors() const { return global_; }

    // Writing: the key and layer the caller gave (the level follows the layer).
    void SetIdentity(std::string key, std::string layer);
    dgn::SDgnWriteHeader& Written() { return written_; }
    const dgn::SDgnWriteHeader& Written() const { return written_; }
    // Where WriteElement appends the element's bytes.
    void SetOutput(std::vector<std::uint8_t>* out) { output_ = out; }

    // A matrix m0..m8 (row by row) is a plane rotation when m2 = m5 = 0,
    // m1 = -m3 and m0 = m4: rotation and uniform scale about z, no mirror.
    static bool IsPlaneRotation(const double (&m)[3][3]);

protected:
    // Loads the element's bytes and decodes its header (ReadElement's
    // status); the reads below start after the header.
    TFgnFmtErr ReadHeader();
    // The design read from; null for an element being written.
    const CByteSource* Design() const { return design_; }
    // Takes the key, layer and header of another element read from the same place.
    void CopyIdentity(const CDgnElement& other);
    void SetLayer(std::string layer) { layer_ = std::move(layer); }

    std::int32_t ReadLong();
    double ReadDouble();
    std::uint16_t ReadWord();
    std::uint8_t ReadByte();
    std::span<const std::uint8_t> ReadBytes(std::size_t count);
    // Moves to `offset` from the element's start.
    void SeekInElement(std::size_t offset);
    // The element bytes not yet read.
    std::size_t Remaining() const { return cursor_.Remaining(); }
    // No read so far reached past the element's end.
    bool ReadOk() const { return cursor_.Ok(); }
    // Passes over the attribute linkages to the element's end.
    void SkipAttributes();
    // 0 when every read stayed inside the element, else 1.
    TFgnFmtErr ReadStatus() const { return ReadOk() ? kFgnOk : kFgnIncomplete; }

    bool ThreeD() const;
    // Bytes of one stored point: 8 in 2-D, 12 in 3-D.
    std::size_t PointSize() const { return ThreeD() ? 12 : 8; }
    // A stored point of longs in master units; z is 0 in 2-D and not read.
    CDgnPt ReadPoint();
    // A stored position of doubles (arc and ellipse centres), likewise.
    CDgnPt ReadDoublePoint();
    // A stored length (double) in master units.
    double ReadLength();

    // The header's colour through the colour table: red + 256 green + 65536 blue.
    std::int32_t SymbologyColour() const;
    // The line pattern named for the header's line style.
    std::string LinePattern() const;
    std::unique_ptr<CDgnStyleLine> MakeLineStyle() const;
    std::vector<std::uint8_t>* Output() const { return output_; }

private:
    const CByteSource* design_ = nullptr;
    std::uint64_t offset_;
    CDgnGlobal* global_;
    EMode mode_;
    std::string key_;
    std::string layer_;
    dgn::SDgnHeader header_;
    std::vector<std::uint8_t> bytes_;
    CByteCursor cursor_{{}};
    dgn::SDgnWriteHeader written_;
    std::vector<std::uint8_t>* output_ = nullptr;
};

// Key and layer of an element-backed entity.
template <class Base>
class CDgnEntity : public Base, public CDgnElement {
public:
    using CDgnElement::CDgnElement;
    char const* GetKey(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return Key().c_str();
    }
    char const* GetLayer(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return Layer().c_str();
    }
    CFgnEntity* Entity() override { return this; }
    // Writing: the entity is whole once its values are set.
    void SetBuilt() { this->SetComplete(); }

protected:
    // ReadElement's frame: the header, then `body` (its status), then past the
    // linkages to the element's end; the style is made and the entity
    // complete only when every read stayed inside the element.
    template <class Body>
    TFgnFmtErr ReadBody(Body&& body) {
        if (Mode() != kModeRead) return kFgnIncomplete;
        if (const TFgnFmtErr status = ReadHeader()) return status;
        if (const TFgnFmtErr status = body()) return status;
        SkipAttributes();
        if (!ReadOk()) return kFgnIncomplete;
        MakeStyle();
        this->SetComplete();
        return kFgnOk;
    }
};
