// The simple elements, one contract entity each: lines, line strings and
// curves, shapes, point strings, arcs and ellipses; and the arc and
// point-list pieces of complex chains and shapes.
#pragma once

#include <memory>

#include "dgn/DgnElement.h"
#include "dgn/DgnGuard.h"
#include "dgn/DgnStyle.h"

// An entity that is a list of points, and the contract's operations on it.
template <class Base>
class CDgnPointsEntity : public CDgnEntity<Base> {
public:
    using CDgnEntity<Base>::CDgnEntity;
    TFgnFmtErr AddPt(double x, double y, double z) override {
        return dgn::GuardStatus([&] {
            points_.Add(CDgnPt(x, y, z));
            return kFgnOk;
        });
    }
    TFgnFmtErr AddPt(double x, double y) override { return AddPt(x, y, 0); }
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override {
        err = kFgnOk;
        return points_.List();
    }
    void Transform(const dgn::SDgnFrame& frame) override { points_.Transform(frame); }
    const CDgnPointList& Points() const { return points_; }

protected:
    CDgnPointList points_;
};

// Type 3.
class CDgnLine : public CDgnEntity<CFgnLine> {
public:
    using CDgnEntity::CDgnEntity;
    TFgnFmtErr ReadElement() override;
    // Type 3 from its two ends.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    void Transform(const dgn::SDgnFrame& frame) override;
    void SetEnds(const CDgnPt& start, const CDgnPt& end) { start_ = start, end_ = end; }

    const CFgnPt* GetEndPt(TFgnFmtErr& err) const override;
    const CFgnPt* GetStartPt(TFgnFmtErr& err) const override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

    const CDgnPt& Start() const { return start_; }
    const CDgnPt& End() const { return end_; }

private:
    CDgnPt start_, end_;
    std::unique_ptr<CDgnStyleLine> style_;
};

// Types 4 (every vertex) and 11 (the end-tangent points, two at each end, left out).
class CDgnPline : public CDgnPointsEntity<CFgnPline> {
public:
    using CDgnPointsEntity::CDgnPointsEntity;
    // A curve of fewer than 4 vertices has no tangent points to drop: refused.
    TFgnFmtErr ReadElement() override;
    // Type 4; past the vertices one element holds, a complex chain of line
    // strings that share their joining vertices. Fewer than 2 vertices: 1.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;
    void SetSmoothed(TFgnBool smoothed) { smoothed_ = smoothed; }

    TFgnBool GetSmoothed(TFgnFmtErr& err) const override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

private:
    TFgnBool smoothed_ = kFgnFalse;
    std::unique_ptr<CDgnStyleLine> style_;
};

// Type 6: a line string whose last vertex closes the ring.
class CDgnShape : public CDgnPline {
public:
    using CDgnPline::CDgnPline;
};

// Type 22, and a line of type 3 whose two ends are one point.
class CDgnPoint : public CDgnPointsEntity<CFgnMPnt> {
public:
    using CDgnPointsEntity::CDgnPointsEntity;
    // The point a degenerate line stands for: its key, layer, start and colour.
    explicit CDgnPoint(const CDgnLine& line);
    TFgnFmtErr ReadElement() override;
    // Type 22, each vertex with an orientation record of no rotation; no vertex: 1.
    TFgnFmtErr WriteElement() override;
    void MakeStyle() override;

    const CFgnStylePnt* GetStyle(TFgnFmtErr& err) const override;

private:
    std::unique_ptr<CDgnStylePnt> style_;
};

// What arcs and ellipses share: semi-axes, rotation, centre and line style.
class CDgnArcBase : public CDgnEntity<CFgnArc> {
public:
    using CDgnEntity::CDgnEntity;
    void MakeStyle() override;
    bool IsPlaneRotation() const override { return CDgnElement::IsPlaneRotation(matrix_); }
    // The centre moves; the rotation turns with the frame.
    void Transform(const dgn::SDgnFrame& frame) override;

    const CFgnPt* GetCenterPt(TFgnFmtErr& err) const override;
    const CFgnStyleLine* GetStyle(TFgnFmtErr& err) const override;

    // Degrees, 0 to 360 once read.
    double Rotation() const { return rotation_; }
    const double (&Matrix() const)[3][3] { return matrix_; }
    double Primary() const { return primary_; }
    double Secondary() const { return secondary_; }

    void SetAxes(const CDgnPt& centre, double primary, double secondary) {
        centre_ = centre, primary_ = primary, secondary_ = secondary;
    }
    const CDgnPt& Centre() const { return centre_; }

protected:
    // The semi-axes, the rotation (2-D an angle, 3-D a quaternion) and the centre.
    void ReadAxesRotationCentre();

private:
    CDgnPt centre_;
    double primary_ = 0, secondary_ = 0, rotation_ = 0;
    double matrix_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    std::unique_ptr<CDgnStyleLine> style_;
};

// Type 16.
class CDgnArc : public CDgnArcBase {
public:
    using CDgnArcBase::CDgnArcBase;
    TFgnFmtErr ReadElement() override;
    // Type 16; a whole turn goes out as an ellipse (type 15).
    TFgnFmtErr WriteElement() override;
    void SetAngles(double start, double sweep) { start_ = start, sweep_ = sweep; }
    // The rotation turns both angles; the semi-axes stay along x and y.
    TFgnFmtErr GetDefinition(double& start, double& end, double& primary, double& secondary,
                             TFgnBool& counterClockwise) const override;

    double StartAngle() const { return start_; }
    double Sweep() const { return sweep_; }

private:
    double start_ = 0, sweep_ = 0;
};

// Type 15: the whole ellipse, delivered with its axes unrotated.
class CDgnEllipse : public CDgnArcBase {
public:
    using CDgnArcBase::CDgnArcBase;
    TFgnFmtErr ReadElement() override;
    TFgnFmtErr GetDefinition(double& start, double& end, double& primary, double& secondary,
                             TFgnBool& counterClockwise) const override;
};

// The arc piece of a complex chain or shape.
class CDgnGeomArc : public CFgnGeomArc {
public:
    CDgnGeomArc() { SetComplete(); }
    CDgnGeomArc(const CDgnPt& centre, double start, double end, double primary, double secondary,
                const TFgnBool& counterClockwise);
    CDgnGeomArc(const CDgnGeomArc& other) = default;
    CDgnGeomArc& operator=(const CDgnGeomArc& other) = default;

    const CFgnPt* GetCenterPt(TFgnFmtErr& err) const override;
    TFgnFmtErr GetDefinition(double& start, double& end, double& primary, double& secondary,
                             TFgnBool& counterClockwise) const override;
    void SetRads(double primary, double secondary);
    // Turns both angles by `degrees` into 0 to 360; a turn beyond 360 is ignored.
    void Rotate(double degrees);
    void Transform(const dgn::SDgnFrame& frame);

private:
    CDgnPt centre_;
    double start_ = 0, end_ = 0, primary_ = 0, secondary_ = 0;
    TFgnBool counterClockwise_ = kFgnTrue;
};

// The point-list piece of a complex chain or shape.
class CDgnGeomPts : public CFgnGeomPts {
public:
    CDgnGeomPts() { SetComplete(); }
    TFgnFmtErr AddPt(double x, double y, double z) override;
    TFgnFmtErr AddPt(double x, double y) override;
    const std::list<const CFgnPt*>* GetPts(TFgnFmtErr& err) const override;
    void Transform(const dgn::SDgnFrame& frame) { points_.Transform(frame); }

    const CDgnPointList& Points() const { return points_; }

private:
    CDgnPointList points_;
};

namespace dgn {
// An angle brought into 0 to 360 by one turn at most.
double WrapDegrees(double degrees);
}  // namespace dgn
