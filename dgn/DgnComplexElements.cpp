#include "dgn/DgnComplexElements.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ByteOrder.h"

namespace dgn {

void CDgnGeomList::AddArc(const CDgnPt& centre, double start, double end, double primary,
                          double secondary, TFgnBool counterClockwise) {
    owned_.push_back(
        std::make_unique<CDgnGeomArc>(centre, start, end, primary, secondary, counterClockwise));
    list_.push_back(owned_.back().get());
}

CDgnGeomPts* CDgnGeomList::AddPts() {
    auto pts = std::make_unique<CDgnGeomPts>();
    CDgnGeomPts* raw = pts.get();
    owned_.push_back(std::move(pts));
    list_.push_back(raw);
    return raw;
}

void CDgnGeomList::Transform(const SDgnFrame& frame) {
    for (const auto& piece : owned_) {
        if (auto* pts = dynamic_cast<CDgnGeomPts*>(piece.get()))
            pts->Transform(frame);
        else
            static_cast<CDgnGeomArc&>(*piece).Transform(frame);
    }
}

std::vector<CDgnPt> CDgnGeomList::Vertices() const {
    std::vector<CDgnPt> vertices;
    TFgnFmtErr err = kFgnOk;
    for (const auto& piece : owned_) {
        if (const auto* pts = dynamic_cast<const CDgnGeomPts*>(piece.get())) {
            for (std::size_t i = 0; i < pts->Points().Size(); ++i)
                vertices.push_back(pts->Points()[i]);
            continue;
        }
        const auto& arc = static_cast<const CDgnGeomArc&>(*piece);
        double start = 0, end = 0, primary = 0, secondary = 0;
        TFgnBool ccw = kFgnTrue;
        arc.GetDefinition(start, end, primary, secondary, ccw);
        const CFgnPt* centre = arc.GetCenterPt(err);
        const double span = end < start ? end - start + 360 : end - start;
        for (int step = 0; step <= 10; ++step) {
            double angle = start + span * step / 10;
            if (angle > 360) angle -= 360;
            const double radians = angle * std::numbers::pi / 180;
            vertices.emplace_back(centre->GetX(err) + primary * std::cos(radians),
                                  centre->GetY(err) + secondary * std::sin(radians), 0);
        }
    }
    return vertices;
}

std::optional<CDgnPt> LabelPoint(const std::vector<CDgnPt>& vertices) {
    if (vertices.empty()) return std::nullopt;
    const auto [low, high] =
        std::minmax_element(vertices.begin(), vertices.end(),
                            [](const CDgnPt& a, const CDgnPt& b) { return a.Y() < b.Y(); });
    const double y0 = (low->Y() + high->Y()) / 2;
    constexpr double kTolerance = 0.00001;
    std::vector<double> crossings;
    const auto cross = [&](const CDgnPt& p, const CDgnPt& q) {
        const bool pOff = std::fabs(p.Y() - y0) >= kTolerance;
        const bool qOff = std::fabs(q.Y() - y0) >= kTolerance;
        if (pOff && qOff) {
            if ((p.Y() < y0) == (q.Y() < y0)) return;
            crossings.push_back(p.X() + (q.X() - p.X()) * (y0 - p.Y()) / (q.Y() - p.Y()));
        } else if (pOff) {
            // A vertex on the line ends two segments: counted for the one
            // coming from above only, so a passing outline crosses once.
            if (p.Y() > y0) crossings.push_back(q.X());
        } else if (qOff) {
            if (q.Y() > y0) crossings.push_back(p.X());
        }
    };
    for (std::size_t i = 1; i < vertices.size(); ++i) cross(vertices[i - 1], vertices[i]);
    if (crossings.size() < 2 && vertices.size() < 5) cross(vertices.back(), vertices.front());
    if (crossings.size() < 2) return std::nullopt;
    std::sort(crossings.begin(), crossings.end());
    double best = 0, x = crossings.front();
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const double gap = crossings[i + 1] - crossings[i];
        if (gap > best) {
            best = gap;
            x = (crossings[i] + crossings[i + 1]) / 2;
        }
    }
    return CDgnPt(x, y0, 0);
}

}  // namespace dgn

namespace {

// Reads a component as `T`; null when it is damaged.
template <class T>
std::unique_ptr<T> ReadComponent(const CByteSource& design, std::uint64_t offset,
                                 CDgnGlobal* global) {
    auto element = std::make_unique<T>(design, offset, global);
    if (element->ReadElement()) return nullptr;
    return element;
}

}  // namespace

template <class Base>
TFgnFmtErr CDgnComplexEntity<Base>::ReadComplex() {
    totalLength_ = this->ReadWord();
    components_ = this->ReadWord();
    for (std::uint16_t& word : words_) word = this->ReadWord();
    if (!this->ReadOk()) return kFgnIncomplete;
    const CByteSource& design = *this->Design();
    // The components lie within the element's stated length, and the design.
    const std::uint64_t end = std::min<std::uint64_t>(
        this->Offset() + 38 + 2 * std::uint64_t(totalLength_), design.Size());
    std::uint64_t position = this->Offset() + this->Header().Length();
    for (std::uint16_t i = 0; i < components_ && position + 4 <= end; ++i) {
        std::uint8_t first[4];
        if (!design.ReadAt(position, first, sizeof first)) break;
        const std::uint8_t type = dgn::DecodeFirstWord(byteorder::LoadU16Le(first)).type;
        CDgnGlobal* global = this->Factors();
        switch (type) {
            case dgn::kTypeLine:
                if (const auto line = ReadComponent<CDgnLine>(design, position, global)) {
                    CDgnGeomPts* pts = pieces_.AddPts();
                    pts->AddPt(line->Start().X(), line->Start().Y(), line->Start().Z());
                    pts->AddPt(line->End().X(), line->End().Y(), line->End().Z());
                }
                break;
            case dgn::kTypeLineString:
            case dgn::kTypeCurve:
                if (const auto pline = ReadComponent<CDgnPline>(design, position, global)) {
                    CDgnGeomPts* pts = pieces_.AddPts();
                    for (std::size_t p = 0; p < pline->Points().Size(); ++p) {
                        const CDgnPt& pt = pline->Points()[p];
                        pts->AddPt(pt.X(), pt.Y(), pt.Z());
                    }
                }
                break;
            case dgn::kTypeArc:
                if (const auto arc = ReadComponent<CDgnArc>(design, position, global);
                    arc && arc->IsPlaneRotation()) {
                    double start = 0, stop = 0, primary = 0, secondary = 0;
                    TFgnBool ccw = kFgnTrue;
                    arc->GetDefinition(start, stop, primary, secondary, ccw);
                    TFgnFmtErr err = kFgnOk;
                    pieces_.AddArc(CDgnPt(*arc->GetCenterPt(err)), start, stop, primary, secondary,
                                   ccw);
                }
                break;
            default:
                break;
        }
        position += 4 + 2 * std::uint64_t(byteorder::LoadU16Le(first + 2));
    }
    return kFgnOk;
}

TFgnFmtErr CDgnCPline::ReadElement() {
    return ReadBody([this] { return ReadComplex(); });
}

void CDgnCPline::MakeStyle() {
    style_ = MakeLineStyle();
}

const CFgnStyleLine* CDgnCPline::GetStyle(TFgnFmtErr& err) const {
    err = kFgnOk;
    return style_.get();
}

TFgnFmtErr CDgnCPoly::ReadElement() {
    return ReadBody([this] {
        if (const TFgnFmtErr status = ReadComplex()) return status;
        if (const auto label = dgn::LabelPoint(pieces_.Vertices())) {
            label_ = *label;
            noLabel_ = 0;
        }
        return kFgnOk;
    });
}

void CDgnCPoly::MakeStyle() {
    style_ = std::make_unique<CDgnStylePly>(SymbologyColour(), 0, 0, Header().Weight(),
                                            LinePattern().c_str(), "");
}

const CFgnStylePly* CDgnCPoly::GetStyle(TFgnFmtErr& err) const {
    err = kFgnOk;
    return style_.get();
}

const CFgnPt* CDgnCPoly::GetLabelPt(TFgnFmtErr& err) const {
    err = static_cast<TFgnFmtErr>(noLabel_);
    return &label_;
}

void CDgnCPoly::Transform(const dgn::SDgnFrame& frame) {
    CDgnComplexEntity::Transform(frame);
    label_ = frame.Apply(label_);
}

template <class Base>
std::vector<dgn::SDgnPiece> CDgnComplexEntity<Base>::WritePieces() const {
    std::vector<dgn::SDgnPiece> pieces;
    TFgnFmtErr err = kFgnOk;
    for (const CFgnGeom* geom : *pieces_.List()) {
        dgn::SDgnPiece piece;
        if (const auto* arc = dynamic_cast<const CDgnGeomArc*>(geom)) {
            double end = 0;
            TFgnBool ccw = kFgnTrue;
            arc->GetDefinition(piece.start, end, piece.primary, piece.secondary, ccw);
            piece.arc = true;
            piece.centre = CDgnPt(*arc->GetCenterPt(err));
            piece.sweep = dgn::SweepOf(piece.start, end, ccw != kFgnFalse);
        } else if (const auto* pts = dynamic_cast<const CDgnGeomPts*>(geom)) {
            for (std::size_t i = 0; i < pts->Points().Size(); ++i)
                piece.points.push_back(pts->Points()[i]);
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

template class CDgnComplexEntity<CFgnCPline>;
template class CDgnComplexEntity<CFgnCPly>;

TFgnFmtErr CDgnCPline::WriteElement() {
    if (Mode() != kModeWrite || !Output()) return kFgnIncomplete;
    return dgn::WriteComplex(*Factors(), dgn::kTypeComplexChain, Written(), WritePieces(),
                             *Output());
}

TFgnFmtErr CDgnCPoly::WriteElement() {
    if (Mode() != kModeWrite || !Output()) return kFgnIncomplete;
    return dgn::WriteComplex(*Factors(), dgn::kTypeComplexShape, Written(), WritePieces(),
                             *Output());
}
