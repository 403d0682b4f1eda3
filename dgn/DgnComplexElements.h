// Complex chains (type 12) and complex shapes (type 14): a header and the
// component elements after it, presented as one line or polygon of pieces.
#pragma once

#include <deque>
#include <list>
#include <memory>
#include <optional>

#include "dgn/DgnEncoder.h"
#include "dgn/DgnSimpleElements.h"

namespace dgn {

// The owned pieces of a complex element and the list the contract hands out.
class CDgnGeomList {
public:
    void AddArc(const CDgnPt& centre, double start, double end, double primary, double secondary,
                TFgnBool counterClockwise);
    CDgnGeomPts* AddPts();
    const std::list<const CFgnGeom*>* List() const { return &list_; }
    void Transform(const SDgnFrame& frame);
    // Every vertex of the pieces in order, an arc stroked in tenths of its span.
    std::vector<CDgnPt> Vertices() const;

private:
    std::deque<std::unique_ptr<CFgnGeom>> owned_;
    std::list<const CFgnGeom*> list_;
};

// A point inside the outline `vertices`: the middle of the widest span of the
// horizontal through the middle of their y range; none without two crossings.
std::optional<CDgnPt> LabelPoint(const std::vector<CDgnPt>& vertices);

}  // namespace dgn

// What complex chains and shapes share: the header words and the components.
template <class Base>
class CDgnComplexEntity : public CDgnEntity<Base> {
public:
    using CDgnEntity<Base>::CDgnEntity;
    TFgnFmtErr AddArcGeom(double cx, double cy, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override {
        return AddArcGeom(cx, cy, 0, start, end, xRadius, yRadius, counterClockwise);
    }
    TFgnFmtErr AddArcGeom(double cx, double cy, double cz, double start, double end, double xRadius,
                          double yRadius, TFgnBool counterClockwise) override {
        return dgn::GuardStatus([&] {
            pieces_.AddArc(CDgnPt(cx, cy, cz), start, end, xRadius, yRadius, counterClockwise);
            return kFgnOk;
        });
    }
    CFgnGeomPts* AddPtGeom(TFgnFmtErr& err) override {
        err = kFgnOk;
        return pieces_.AddPts();
    }
    const std::list<const CFgnGeom*>* GetGeometry(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return pieces_.List();
    }
    TFgnBool IsContiguous(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return kFgnTrue;
    }
    void Transform(const dgn::SDgnFrame& frame) override { pieces_.Transform(frame); }
    const dgn::CDgnGeomList& Pieces() const { return pieces_; }
    // The pieces as the writer encodes them.
    std::vector<dgn::SDgnPiece> WritePieces() const;

protected:
    // The header words, then each component that follows the header: lines,
    // line strings, curves and plane arcs become pieces, others add nothing.
    TFgnFmtErr ReadComplex();

    std::uint16_t totalLength_ = 0, components_ = 0;
    std::uint16_t words_[4] = {};
    dgn::CDgnGeomList pieces_;
};

class CDgnCPline : public CDgnComplexEntity<CFgnCPline> {
public:
    using CDgnComplexEntity::CDgnComplexEntity;
    TFgnFmtErr ReadElement() override;
    // Type 12 and its components; 1 without a piece to write.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

private:
    std::unique_ptr<CDgnStyleLine> style_;
};

class CDgnCPoly : public CDgnComplexEntity<CFgnCPly> {
public:
    using CDgnComplexEntity::CDgnComplexEntity;
    TFgnFmtErr ReadElement() override;
    // Type 14 and its components; 1 without a piece to write.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    void SetLabel(const CDgnPt& label) { label_ = label, noLabel_ = 0; }
    const CFgnStylePly* GetStyle(TFgnFmtErr& err) const override;
    // err 1 when the outline has no label point.
    const CFgnPt* GetLabelPt(TFgnFmtErr& err) const override;
    void Transform(const dgn::SDgnFrame& frame) override;

private:
    CDgnPt label_;
    std::unique_ptr<CDgnStylePly> style_;
    std::int32_t noLabel_ = 1;
};
