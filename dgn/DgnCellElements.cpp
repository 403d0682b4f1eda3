#include "dgn/DgnCellElements.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "common/ByteOrder.h"
#include "dgn/DgnComplexElements.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnSimpleElements.h"
#include "dgn/DgnTextElements.h"

namespace {

// A stored matrix element: 10000 / 2^31 of its value.
constexpr double kMatrixScale = 10000.0 / 2147483648.0;

template <class T>
T Give(TFgnFmtErr& err, T value) {
    err = kFgnOk;
    return value;
}

template <class T>
T* NotBuilt(TFgnFmtErr& err) {
    err = kFgnNotImplemented;
    return nullptr;
}

template <class T>
std::unique_ptr<CDgnElement> Make(const CByteSource& design, std::uint64_t offset,
                                  CDgnGlobal* global) {
    return std::make_unique<T>(design, offset, global);
}

// The inverse by cofactors; false when the matrix is singular.
bool Invert(const FgnMatrix& m, double (&out)[3][3]) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (det == 0 || !std::isfinite(det)) return false;
    out[0][0] = c00 / det;
    out[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    out[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    out[1][0] = c01 / det;
    out[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    out[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    out[2][0] = c02 / det;
    out[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    out[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return true;
}

// Puts the design's global origin back when the cell's components are read.
class COriginScope {
public:
    COriginScope(CDgnGlobal& global, const CDgnPt& origin)
        : global_(global), saved_(global.NegatedOrigin()) {
        global_.SetNegatedOrigin(origin);
    }
    ~COriginScope() { global_.SetNegatedOrigin(saved_); }
    COriginScope(const COriginScope&) = delete;
    COriginScope& operator=(const COriginScope&) = delete;

private:
    CDgnGlobal& global_;
    CDgnPt saved_;
};

}  // namespace

CDgnBlk::CDgnBlk(const char* name, const char* xref, int)
    : name_(name ? name : ""), xrefPath_(xref ? xref : ""), xref_(xrefPath_.empty() ? 0 : 1) {}

CDgnBlk::~CDgnBlk() {
    for (const CFgnEntity* entity : entities_) delete entity;
}

char const* CDgnBlk::GetName(TFgnFmtErr& err) const {
    return Give(err, name_.c_str());
}
const std::list<const CFgnEntity*>* CDgnBlk::GetEntities(TFgnFmtErr& err) const {
    return Give(err, &entities_);
}
char const* CDgnBlk::GetXRef(TFgnFmtErr& err) const {
    return Give(err, xrefPath_.c_str());
}

TFgnFmtErr CDgnBlk::AddEntity(const CFgnEntity* entity) {
    if (!entity) return kFgnIncomplete;
    try {
        entities_.push_back(entity);
    } catch (...) {
        delete entity;
        return kFgnNoMemory;
    }
    return kFgnOk;
}

TFgnFmtErr CDgnBlk::AddPnt(char const*, char const*, double, double, const CFgnStylePnt*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddPnt(char const*, char const*, double, double, double, const CFgnStylePnt*) {
    return kFgnNotImplemented;
}
CFgnMPnt* CDgnBlk::AddMPnt(char const*, char const*, const CFgnStylePnt*, TFgnFmtErr& err) {
    return NotBuilt<CFgnMPnt>(err);
}
TFgnFmtErr CDgnBlk::AddLine(char const*, char const*, double, double, double, double,
                            const CFgnStyleLine*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddLine(char const*, char const*, double, double, double, double, double,
                            double, const CFgnStyleLine*) {
    return kFgnNotImplemented;
}
CFgnPline* CDgnBlk::AddPline(char const*, char const*, TFgnBool, const CFgnStyleLine*,
                             TFgnFmtErr& err) {
    return NotBuilt<CFgnPline>(err);
}
CFgnCPline* CDgnBlk::AddCPline(char const*, char const*, const CFgnStyleLine*, TFgnBool,
                               TFgnFmtErr& err) {
    return NotBuilt<CFgnCPline>(err);
}
CFgnPly* CDgnBlk::AddPly(char const*, char const*, double, double, double, const CFgnStylePly*,
                         TFgnFmtErr& err) {
    return NotBuilt<CFgnPly>(err);
}
CFgnPly* CDgnBlk::AddPly(char const*, char const*, double, double, double, double,
                         const CFgnStylePly*, TFgnFmtErr& err) {
    return NotBuilt<CFgnPly>(err);
}
CFgnCPly* CDgnBlk::AddCPly(char const*, char const*, double, double, const CFgnStylePly*, TFgnBool,
                           TFgnFmtErr& err) {
    return NotBuilt<CFgnCPly>(err);
}
CFgnCPly* CDgnBlk::AddCPly(char const*, char const*, double, double, double, const CFgnStylePly*,
                           TFgnBool, TFgnFmtErr& err) {
    return NotBuilt<CFgnCPly>(err);
}
TFgnFmtErr CDgnBlk::AddArc(char const*, char const*, double, double, double, double, double, double,
                           TFgnBool, const CFgnStyleLine*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddArc(char const*, char const*, double, double, double, double, double, double,
                           double, TFgnBool, const CFgnStyleLine*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddText(char const*, char const*, char const*, double, double,
                            const CFgnStyleText*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddText(char const*, char const*, char const*, double, double, double,
                            const CFgnStyleText*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddMText(char const*, char const*, char const*, double, double, double, double,
                             const CFgnStyleText*) {
    return kFgnNotImplemented;
}
TFgnFmtErr CDgnBlk::AddMText(char const*, char const*, char const*, double, double, double, double,
                             double, double, const CFgnStyleText*) {
    return kFgnNotImplemented;
}
CFgnBlkInst* CDgnBlk::AddBlkInst(char const*, char const*, const CFgnBlk*, const FgnMatrix*, double,
                                 double, const CFgnStyleBlk*, TFgnFmtErr& err) {
    return NotBuilt<CFgnBlkInst>(err);
}
CFgnBlkInst* CDgnBlk::AddBlkInst(char const*, char const*, const CFgnBlk*, const FgnMatrix*, double,
                                 double, double, const CFgnStyleBlk*, TFgnFmtErr& err) {
    return NotBuilt<CFgnBlkInst>(err);
}
TFgnFmtErr CDgnBlk::AddUnknown(char const*, char const*, char const*) {
    return kFgnNotImplemented;
}

template <class Base>
TFgnFmtErr CDgnInstance<Base>::AddPt(double x, double y, double z) {
    return dgn::GuardStatus([&] {
        points_.Add(CDgnPt(x, y, z));
        return kFgnOk;
    });
}
template <class Base>
const std::list<const CFgnPt*>* CDgnInstance<Base>::GetPts(TFgnFmtErr& err) const {
    return Give(err, points_.List());
}
template <class Base>
const CFgnBlk* CDgnInstance<Base>::GetBlk(TFgnFmtErr& err) const {
    return Give(err, static_cast<const CFgnBlk*>(block_.get()));
}
template <class Base>
const CFgnPt* CDgnInstance<Base>::GetInsertPt(TFgnFmtErr& err) const {
    return Give(err, static_cast<const CFgnPt*>(&insert_));
}
template <class Base>
const CFgnStyleBlk* CDgnInstance<Base>::GetStyle(TFgnFmtErr& err) const {
    return Give(err, static_cast<const CFgnStyleBlk*>(style_.get()));
}
template <class Base>
const FgnMatrix* CDgnInstance<Base>::GetMatrix(TFgnFmtErr& err) const {
    return Give(err, &matrix_);
}
template <class Base>
void CDgnInstance<Base>::MakeStyle() {
    style_ = std::make_unique<CDgnStyleBlk>(this->SymbologyColour());
}

template class CDgnInstance<CFgnBlkInst>;

TFgnFmtErr CDgnBlkInst::ReadElement() {
    return ReadBody([this]() -> TFgnFmtErr {
        totalLength_ = ReadWord();
        const std::uint16_t nameWords[2] = {ReadWord(), ReadWord()};
        class_ = ReadWord();
        for (std::uint16_t& level : levels_) level = ReadWord();
        rangeLow_ = ReadPoint();
        rangeHigh_ = ReadPoint();
        const int axes = ThreeD() ? 3 : 2;
        for (int row = 0; row < axes; ++row)
            for (int column = 0; column < axes; ++column)
                matrix_[row][column] = ReadLong() * kMatrixScale;
        const double ox = ReadLong(), oy = ReadLong();
        const double oz = ThreeD() ? ReadLong() : 0.0;
        if (!ReadOk()) return kFgnIncomplete;
        CDgnGlobal& global = *Factors();
        insert_ = CDgnPt(global.ToMaster(ox, 0), global.ToMaster(oy, 1),
                         ThreeD() ? global.ToMaster(oz, 2) : 0.0);
        name_ = dgn::Radix50ToText(nameWords);
        if (name_.find_first_not_of(' ') == std::string::npos) name_ = "NullName";
        block_ = std::make_unique<CDgnBlk>(name_.c_str(), "", 0);

        // Components come out relative to the cell's origin, in its frame.
        dgn::SDgnFrame frame;
        const bool turn = IsPlaneRotation() && Invert(matrix_, frame.m);
        const COriginScope origin(global, CDgnPt(-ox, -oy, -oz));
        const CByteSource& design = *Design();
        // The components lie within the cell's stated length, and the design.
        const std::uint64_t end = std::min(
            {Offset() + 38 + 2 * std::uint64_t(totalLength_), design.Size(), enclosingEnd_});
        std::uint64_t position = Offset() + Header().Length();
        while (position + 4 <= end) {
            std::uint8_t first[4];
            if (!design.ReadAt(position, first, sizeof first)) break;
            const std::uint16_t word = byteorder::LoadU16Le(first);
            const dgn::SDgnHeader header = dgn::DecodeFirstWord(word);
            if (word == dgn::kEndOfDesign || !header.complex) break;
            std::uint64_t next = position + 4 + 2 * std::uint64_t(byteorder::LoadU16Le(first + 2));
            // A complex component's own components follow it, within its length.
            std::uint8_t stated[2];
            if (dgn::HasStatedLength(header.type) && next >= position + 38 &&
                design.ReadAt(position + 36, stated, sizeof stated))
                next =
                    std::max(next, position + 38 + 2 * std::uint64_t(byteorder::LoadU16Le(stated)));
            if (!header.deleted) {
                try {
                    std::unique_ptr<CDgnElement> element =
                        dgn::MakeCellComponent(header.type, design, position, &global);
                    if (auto* cell = dynamic_cast<CDgnBlkInst*>(element.get())) {
                        if (depth_ + 1 >= dgn::kMaxCellDepth)
                            element.reset();
                        else
                            cell->SetEnclosure(end, depth_ + 1);
                    }
                    const auto* text = dynamic_cast<const CDgnText*>(element.get());
                    // The contract cannot carry a component turned out of the plane.
                    if (element && element->ReadElement() == kFgnOk && element->Entity() &&
                        element->IsPlaneRotation() && !(text && text->Text().empty())) {
                        if (turn) element->Transform(frame);
                        block_->AddEntity(element.release()->Entity());
                    }
                } catch (const std::bad_alloc&) {
                    // The component is dropped; the others stay.
                }
            }
            position = next;
        }
        return kFgnOk;
    });
}

TFgnBool CDgnBlkInst::IsXRef(TFgnFmtErr& err) const {
    return Give(err, kFgnFalse);
}

void CDgnBlkInst::Transform(const dgn::SDgnFrame& frame) {
    insert_ = frame.Apply(insert_);
    points_.Transform(frame);
    FgnMatrix product;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            product[row][column] = 0;
            for (int k = 0; k < 3; ++k)
                product[row][column] += frame.m[row][k] * matrix_[k][column];
        }
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) matrix_[row][column] = product[row][column];
}

namespace dgn {

std::unique_ptr<CDgnElement> MakeCellComponent(std::uint8_t type, const CByteSource& design,
                                               std::uint64_t offset, CDgnGlobal* global) {
    switch (type) {
        case kTypeCell:
            return Make<CDgnBlkInst>(design, offset, global);
        case kTypeLine:
            return Make<CDgnLine>(design, offset, global);
        case kTypeLineString:
        case kTypeCurve:
            return Make<CDgnPline>(design, offset, global);
        case kTypeShape:
            return Make<CDgnShape>(design, offset, global);
        case kTypeTextNode:
            return Make<CDgnTNode>(design, offset, global);
        case kTypeComplexChain:
            return Make<CDgnCPline>(design, offset, global);
        case kTypeComplexShape:
            return Make<CDgnCPoly>(design, offset, global);
        case kTypeEllipse:
            return Make<CDgnEllipse>(design, offset, global);
        case kTypeArc:
            return Make<CDgnArc>(design, offset, global);
        case kTypeText:
            return Make<CDgnText>(design, offset, global);
        case kTypePointString:
            return Make<CDgnPoint>(design, offset, global);
        default:
            return nullptr;
    }
}

}  // namespace dgn
