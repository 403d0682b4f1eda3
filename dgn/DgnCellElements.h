// Cells (type 2): a named group of component elements placed with an origin
// and a matrix, presented as one block instance that owns its block, the
// components in the cell's own frame. Blocks also hold the entities of an
// attached reference file.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "dgn/DgnElement.h"
#include "dgn/DgnStyle.h"

class CDgnBlk : public CFgnBlk {
public:
    CDgnBlk() = default;
    // The flag follows the path: 1 exactly when the path is not empty.
    CDgnBlk(const char* name, const char* xref, int flag);
    // The block owns its entities: it is not copied.
    CDgnBlk(const CDgnBlk&) = delete;
    CDgnBlk& operator=(const CDgnBlk&) = delete;
    ~CDgnBlk() override;

    char const* GetName(TFgnFmtErr& err) const override;
    const std::list<const CFgnEntity*>* GetEntities(TFgnFmtErr& err) const override;
    char const* GetXRef(TFgnFmtErr& err) const override;
    int IsXRef() const { return xref_; }
    const std::list<const CFgnEntity*>& Entities() const { return entities_; }
    // Appends an entity the block then owns (and deletes).
    TFgnFmtErr AddEntity(const CFgnEntity* entity);

    // Building blocks is the writer's: these answer 4 and add nothing.
    TFgnFmtErr AddPnt(char const*, char const*, double, double, const CFgnStylePnt*) override;
    TFgnFmtErr AddPnt(char const*, char const*, double, double, double,
                      const CFgnStylePnt*) override;
    CFgnMPnt* AddMPnt(char const*, char const*, const CFgnStylePnt*, TFgnFmtErr& err) override;
    TFgnFmtErr AddLine(char const*, char const*, double, double, double, double,
                       const CFgnStyleLine*) override;
    TFgnFmtErr AddLine(char const*, char const*, double, double, double, double, double, double,
                       const CFgnStyleLine*) override;
    CFgnPline* AddPline(char const*, char const*, TFgnBool, const CFgnStyleLine*,
                        TFgnFmtErr& err) override;
    CFgnCPline* AddCPline(char const*, char const*, const CFgnStyleLine*, TFgnBool,
                          TFgnFmtErr& err) override;
    CFgnPly* AddPly(char const*, char const*, double, double, double, const CFgnStylePly*,
                    TFgnFmtErr& err) override;
    CFgnPly* AddPly(char const*, char const*, double, double, double, double, const CFgnStylePly*,
                    TFgnFmtErr& err) override;
    CFgnCPly* AddCPly(char const*, char const*, double, double, const CFgnStylePly*, TFgnBool,
                      TFgnFmtErr& err) override;
    CFgnCPly* AddCPly(char const*, char const*, double, double, double, const CFgnStylePly*,
                      TFgnBool, TFgnFmtErr& err) override;
    TFgnFmtErr AddArc(char const*, char const*, double, double, double, double, double, double,
                      TFgnBool, const CFgnStyleLine*) override;
    TFgnFmtErr AddArc(char const*, char const*, double, double, double, double, double, double,
                      double, TFgnBool, const CFgnStyleLine*) override;
    TFgnFmtErr AddText(char const*, char const*, char const*, double, double,
                       const CFgnStyleText*) override;
    TFgnFmtErr AddText(char const*, char const*, char const*, double, double, double,
                       const CFgnStyleText*) override;
    TFgnFmtErr AddMText(char const*, char const*, char const*, double, double, double, double,
                        const CFgnStyleText*) override;
    TFgnFmtErr AddMText(char const*, char const*, char const*, double, double, double, double,
                        double, double, const CFgnStyleText*) override;
    CFgnBlkInst* AddBlkInst(char const*, char const*, const CFgnBlk*, const FgnMatrix*, double,
                            double, const CFgnStyleBlk*, TFgnFmtErr& err) override;
    CFgnBlkInst* AddBlkInst(char const*, char const*, const CFgnBlk*, const FgnMatrix*, double,
                            double, double, const CFgnStyleBlk*, TFgnFmtErr& err) override;
    TFgnFmtErr AddUnknown(char const*, char const*, char const*) override;

private:
    std::list<const CFgnEntity*> entities_;
    std::string name_;
    std::string xrefPath_;
    int xref_ = 0;
};

// A block instance's operations over its point list, block, insertion point,
// matrix and style.
template <class Base = CFgnBlkInst>
class CDgnInstance : public CDgnEntity<Base> {
public:
    using CDgnEntity<Base>::CDgnEntity;
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override { return AddPt(x, y, 0); }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override;
    const CFgnBlk* GetBlk(TFgnFmtErr& err) const override;
    const CFgnPt* GetInsertPt(TFgnFmtErr& err) const override;
    const CFgnStyleBlk* GetStyle(TFgnFmtErr& err) const override;
    const FgnMatrix* GetMatrix(TFgnFmtErr& err) const override;
    void MakeStyle() override;
    bool IsPlaneRotation() const override { return CDgnElement::IsPlaneRotation(matrix_); }

    // Null when the instance has none.
    const CDgnBlk* Block() const { return block_.get(); }
    const CDgnPt& InsertPoint() const { return insert_; }
    const FgnMatrix& Matrix() const { return matrix_; }

protected:
    std::unique_ptr<CDgnStyleBlk> style_;
    FgnMatrix matrix_ = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    CDgnPt insert_;
    CDgnPointList points_;
    std::unique_ptr<CDgnBlk> block_;
};

class CDgnBlkInst : public CDgnInstance<> {
public:
    using CDgnInstance::CDgnInstance;
    // The components follow the header within the cell's stated length;
    // each is read relative to the cell's origin and, when the matrix is a
    // plane rotation, moved into the cell's unrotated frame.
    TFgnFmtErr ReadElement() override;
    TFgnBool IsXRef(TFgnFmtErr& err) const override;
    // A cell inside another: its components end with the outer cell's, and
    // it lies `depth` cells deep.
    void SetEnclosure(std::uint64_t end, int depth) { enclosingEnd_ = end, depth_ = depth; }
    // A cell inside a rotated cell: its origin moves and its matrix is
    // taken relative to the outer frame.
    void Transform(const dgn::SDgnFrame& frame) override;

    const std::string& Name() const { return name_; }
    std::uint16_t TotalLength() const { return totalLength_; }

private:
    std::uint64_t enclosingEnd_ = UINT64_MAX;
    int depth_ = 0;
    std::uint16_t totalLength_ = 0;
    std::string name_;
    std::uint16_t class_ = 0;
    std::uint16_t levels_[4] = {};
    CDgnPt rangeLow_, rangeHigh_;
};

namespace dgn {

// Cells nest this deep at most: a cell deeper down is left out of its block.
inline constexpr int kMaxCellDepth = 32;

// The element of `type` as a cell component, made for reading; null for the
// types a cell leaves out.
std::unique_ptr<CDgnElement> MakeCellComponent(std::uint8_t type, const CByteSource& design,
                                               std::uint64_t offset, CDgnGlobal* global);

}  // namespace dgn
