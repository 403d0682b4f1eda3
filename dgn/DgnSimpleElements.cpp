#include "dgn/DgnSimpleElements.h"

#include <cmath>
#include <numbers>

#include "dgn/DgnEncoder.h"
#include "dgn/DgnGlobal.h"

namespace {

template <class T>
T Give(TFgnFmtErr& err, T value) {
    err = kFgnOk;
    return value;
}

// One quaternion component: 2^31 is 1.0.
constexpr double kQuaternionUnit = 2147483648.0;

// The orientation of a quaternion (w, x, y, z), rows the element's axes.
void QuaternionMatrix(const double (&q)[4], double (&m)[3][3]) {
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    m[0][0] = 1 - 2 * (y * y + z * z);
    m[0][1] = 2 * (x * y + w * z);
    m[0][2] = 2 * (x * z - w * y);
    m[1][0] = 2 * (x * y - w * z);
    m[1][1] = 1 - 2 * (x * x + z * z);
    m[1][2] = 2 * (y * z + w * x);
    m[2][0] = 2 * (x * z + w * y);
    m[2][1] = 2 * (y * z - w * x);
    m[2][2] = 1 - 2 * (x * x + y * y);
}

}  // namespace

namespace dgn {

double WrapDegrees(double degrees) {
    if (degrees < 0) return degrees + 360;
    if (degrees > 360) return degrees - 360;
    return degrees;
}

}  // namespace dgn

TFgnFmtErr CDgnLine::ReadElement() {
    return ReadBody([this] {
        start_ = ReadPoint();
        end_ = ReadPoint();
        return kFgnOk;
    });
}

void CDgnLine::MakeStyle() {
    style_ = MakeLineStyle();
}

void CDgnLine::Transform(const dgn::SDgnFrame& frame) {
    start_ = frame.Apply(start_);
    end_ = frame.Apply(end_);
}

const CFgnPt* CDgnLine::GetEndPt(TFgnFmtErr& err) const {
    return Give(err, &end_);
}
const CFgnPt* CDgnLine::GetStartPt(TFgnFmtErr& err) const {
    return Give(err, &start_);
}
const CFgnStyleLine* CDgnLine::GetStyle(TFgnFmtErr& err) const {
    return Give(err, style_.get());
}

TFgnFmtErr CDgnPline::ReadElement() {
    return ReadBody([this] {
        const std::uint16_t count = ReadWord();
        const bool curve = Header().type == dgn::kTypeCurve;
        if (!ReadOk() || std::size_t(count) * PointSize() > Remaining() || (curve && count < 4))
            return kFgnIncomplete;
        for (std::uint16_t i = 0; i < count; ++i) {
            const CDgnPt pt = ReadPoint();
            if (!curve || (i >= 2 && i + 2 < count)) points_.Add(pt);
        }
        return kFgnOk;
    });
}

void CDgnPline::MakeStyle() {
    style_ = MakeLineStyle();
}

TFgnBool CDgnPline::GetSmoothed(TFgnFmtErr& err) const {
    return Give(err, smoothed_);
}
const CFgnStyleLine* CDgnPline::GetStyle(TFgnFmtErr& err) const {
    return Give(err, style_.get());
}

CDgnPoint::CDgnPoint(const CDgnLine& line) : CDgnPointsEntity(line.Factors(), kModeRead) {
    CopyIdentity(line);
    points_.Add(line.Start());
    MakeStyle();
    SetComplete();
}

TFgnFmtErr CDgnPoint::ReadElement() {
    // The orientation records that follow the vertices are not used.
    return ReadBody([this] {
        const std::uint16_t count = ReadWord();
        if (!ReadOk() || std::size_t(count) * PointSize() > Remaining()) return kFgnIncomplete;
        for (std::uint16_t i = 0; i < count; ++i) points_.Add(ReadPoint());
        return kFgnOk;
    });
}

void CDgnPoint::MakeStyle() {
    style_ = std::make_unique<CDgnStylePnt>(SymbologyColour(), 0.0, std::int16_t(1), "");
}

const CFgnStylePnt* CDgnPoint::GetStyle(TFgnFmtErr& err) const {
    return Give(err, style_.get());
}

void CDgnArcBase::ReadAxesRotationCentre() {
    primary_ = ReadLength();
    secondary_ = ReadLength();
    if (!ThreeD()) {
        rotation_ = dgn::AngleDegrees(ReadLong());
    } else {
        double q[4];
        for (double& c : q) c = ReadLong() / kQuaternionUnit;
        if (q[0] != 0 || q[1] != 0 || q[2] != 0 || q[3] != 0) {
            QuaternionMatrix(q, matrix_);
            rotation_ = CDgnElement::IsPlaneRotation(matrix_)
                            ? -std::atan2(matrix_[1][0], matrix_[0][0]) * 180 / std::numbers::pi
                            : 0.0;
        }
    }
    if (rotation_ < 0) rotation_ += 360;
    centre_ = ReadDoublePoint();
}

void CDgnArcBase::Transform(const dgn::SDgnFrame& frame) {
    centre_ = frame.Apply(centre_);
    rotation_ = std::fmod(rotation_ + frame.Degrees(), 360);
    if (rotation_ < 0) rotation_ += 360;
}

void CDgnArcBase::MakeStyle() {
    style_ = MakeLineStyle();
}

const CFgnPt* CDgnArcBase::GetCenterPt(TFgnFmtErr& err) const {
    return Give(err, &centre_);
}
const CFgnStyleLine* CDgnArcBase::GetStyle(TFgnFmtErr& err) const {
    return Give(err, style_.get());
}

TFgnFmtErr CDgnArc::ReadElement() {
    return ReadBody([this] {
        start_ = dgn::AngleDegrees(ReadLong());
        sweep_ = dgn::SweepDegrees(static_cast<std::uint32_t>(ReadLong()));
        ReadAxesRotationCentre();
        return kFgnOk;
    });
}

TFgnFmtErr CDgnArc::GetDefinition(double& start, double& end, double& primary, double& secondary,
                                  TFgnBool& counterClockwise) const {
    counterClockwise = FgnBool(sweep_ >= 0);
    start = start_;
    end = start_ + sweep_;
    if (sweep_ >= 0 && end > 360) end -= 360;
    if (sweep_ < 0 && end < 0) end += 360;
    if (Rotation() != 0) {
        start = dgn::WrapDegrees(start + Rotation());
        end = dgn::WrapDegrees(end + Rotation());
    }
    primary = Primary();
    secondary = Secondary();
    return kFgnOk;
}

TFgnFmtErr CDgnEllipse::ReadElement() {
    return ReadBody([this] {
        ReadAxesRotationCentre();
        return kFgnOk;
    });
}

TFgnFmtErr CDgnEllipse::GetDefinition(double& start, double& end, double& primary,
                                      double& secondary, TFgnBool& counterClockwise) const {
    start = 0;
    end = 360;
    primary = Primary();
    secondary = Secondary();
    counterClockwise = kFgnTrue;
    return kFgnOk;
}

CDgnGeomArc::CDgnGeomArc(const CDgnPt& centre, double start, double end, double primary,
                         double secondary, const TFgnBool& counterClockwise)
    : centre_(centre),
      start_(start),
      end_(end),
      primary_(primary),
      secondary_(secondary),
      counterClockwise_(counterClockwise) {
    SetComplete();
}

const CFgnPt* CDgnGeomArc::GetCenterPt(TFgnFmtErr& err) const {
    return Give(err, &centre_);
}

TFgnFmtErr CDgnGeomArc::GetDefinition(double& start, double& end, double& primary,
                                      double& secondary, TFgnBool& counterClockwise) const {
    start = start_;
    end = end_;
    primary = primary_;
    secondary = secondary_;
    counterClockwise = counterClockwise_;
    return kFgnOk;
}

void CDgnGeomArc::SetRads(double primary, double secondary) {
    primary_ = primary;
    secondary_ = secondary;
}

void CDgnGeomArc::Rotate(double degrees) {
    if (std::fabs(degrees) > 360) return;
    start_ = dgn::WrapDegrees(start_ + degrees);
    end_ = dgn::WrapDegrees(end_ + degrees);
}

void CDgnGeomArc::Transform(const dgn::SDgnFrame& frame) {
    centre_ = frame.Apply(centre_);
    Rotate(frame.Degrees());
}

TFgnFmtErr CDgnGeomPts::AddPt(double x, double y, double z) {
    return dgn::GuardStatus([&] {
        points_.Add(CDgnPt(x, y, z));
        return kFgnOk;
    });
}
TFgnFmtErr CDgnGeomPts::AddPt(double x, double y) {
    return AddPt(x, y, 0);
}
const std::list<const CFgnPt*>* CDgnGeomPts::GetPts(TFgnFmtErr& err) const {
    return Give(err, points_.List());
}

namespace {

std::vector<CDgnPt> Vertices(const CDgnPointList& points) {
    std::vector<CDgnPt> out;
    out.reserve(points.Size());
    for (std::size_t i = 0; i < points.Size(); ++i) out.push_back(points[i]);
    return out;
}

}  // namespace

TFgnFmtErr CDgnLine::WriteElement() {
    if (Mode() != kModeWrite || !Output()) return kFgnIncomplete;
    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeLine, Written());
    encoder.Point(start_);
    encoder.Point(end_);
    return encoder.Finish(*Output());
}

TFgnFmtErr CDgnPline::WriteElement() {
    if (Mode() != kModeWrite || !Output() || points_.Size() < 2) return kFgnIncomplete;
    const std::vector<CDgnPt> vertices = Vertices(points_);
    if (vertices.size() > dgn::kMaxVertices) {
        dgn::SDgnPiece piece;
        piece.points = vertices;
        return dgn::WriteComplex(*Factors(), dgn::kTypeComplexChain, Written(), {piece}, *Output());
    }
    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeLineString, Written());
    dgn::EncodeLineString(encoder, vertices);
    return encoder.Finish(*Output());
}

TFgnFmtErr CDgnPoint::WriteElement() {
    if (Mode() != kModeWrite || !Output() || points_.Size() == 0) return kFgnIncomplete;
    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypePointString, Written());
    encoder.Word(static_cast<std::uint16_t>(std::min<std::size_t>(points_.Size(), 0xFFFF)));
    for (std::size_t i = 0; i < points_.Size(); ++i) encoder.Point(points_[i]);
    for (std::size_t i = 0; i < points_.Size(); ++i)
        for (int k = 0; k < 4; ++k) encoder.Long(0);
    return encoder.Finish(*Output());
}

TFgnFmtErr CDgnArc::WriteElement() {
    if (Mode() != kModeWrite || !Output()) return kFgnIncomplete;
    const bool whole = std::fabs(sweep_) >= 360;
    if (!whole) {
        dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeArc, Written());
        dgn::SDgnPiece arc;
        arc.centre = Centre();
        // A cell's frame turns the arc: by its stored rotation in 2-D, where
        // an elliptical arc keeps its axes; a 3-D arc turns its start only.
        arc.start = start_;
        arc.rotation = Rotation();
        if (encoder.ThreeD()) {
            arc.start += arc.rotation;
            arc.rotation = 0;
        }
        arc.sweep = sweep_;
        arc.primary = Primary();
        arc.secondary = Secondary();
        dgn::EncodeArc(encoder, arc);
        return encoder.Finish(*Output());
    }
    dgn::CDgnEncoder encoder(*Factors(), dgn::kTypeEllipse, Written());
    const double rotation = encoder.ThreeD() ? 0.0 : Rotation();
    for (const CDgnPt& pt : dgn::ArcExtremes(Centre(), Primary(), Secondary(), rotation, 0, 360))
        encoder.Extend(pt);
    encoder.Length(Primary());
    encoder.Length(Secondary());
    if (encoder.ThreeD())
        for (int i = 0; i < 4; ++i) encoder.Long(0);
    else
        encoder.Angle(rotation);
    encoder.DoublePoint(Centre());
    return encoder.Finish(*Output());
}
