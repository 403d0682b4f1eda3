// Parametric curves of the drawing model with their arc length: the NURBS
// curve of a spline and the ellipse, each over a parameter range.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "readers/drawing/DrawingGeometry.h"

namespace drawing {

// A curve C(t) for t in [StartParam(), EndParam()], smooth between the
// breaks that Breaks() lists; lengths are measured from StartParam().
class CCurve {
public:
    virtual ~CCurve() = default;
    virtual Point3d PointAt(double t) const = 0;
    virtual Vector3d DerivativeAt(double t) const = 0;
    // The same curve over [t0, t1], a part of this curve's range.
    virtual std::unique_ptr<CCurve> Piece(double t0, double t1) const = 0;

    double StartParam() const { return t0_; }
    double EndParam() const { return t1_; }
    Point3d StartPoint() const { return PointAt(t0_); }
    Point3d EndPoint() const { return PointAt(t1_); }

    double Length() const;
    // The length of the curve between two parameters of its range (ta <= tb).
    double LengthBetween(double ta, double tb) const;
    // The parameter at arc length `distance` from the start; none outside [0, Length()].
    std::optional<double> ParamAtDistance(double distance) const;
    std::optional<Point3d> PointAtDistance(double distance) const;
    // The parameter of the curve point nearest to `point`; none when the point
    // is farther from the curve than a tolerance relative to its size.
    std::optional<double> ParamAtPoint(const Point3d& point) const;
    std::optional<double> DistanceAtPoint(const Point3d& point) const;
    // The pieces between the curve points nearest to `points` (with the start
    // and end of the range), in parameter order; pieces of no length are left
    // out. None when a point does not lie on the curve.
    std::optional<std::vector<std::unique_ptr<CCurve>>> SplitAtPoints(
        const std::vector<Point3d>& points) const;

protected:
    CCurve(double t0, double t1) : t0_(t0), t1_(t1) {}
    // The parameters inside (t0, t1) where the curve may lose smoothness.
    virtual std::vector<double> Breaks() const { return {}; }

private:
    // Arc lengths from t0 at t0, each break, and t1; computed on first use.
    const std::vector<std::pair<double, double>>& Stations() const;

    double t0_;
    double t1_;
    mutable std::vector<std::pair<double, double>> stations_;  // (parameter, length)
};

// A non-uniform rational B-spline: degree p, n control points with weights,
// n + p + 1 knots, over the range [knot p, knot n].
class CNurbsCurve final : public CCurve {
public:
    // None when the values make no curve (too few points, a knot count other
    // than points + degree + 1, decreasing knots, a weight not above 0).
    static std::optional<CNurbsCurve> Make(int degree, std::vector<double> knots,
                                           std::vector<Point3d> points,
                                           std::vector<double> weights);

    Point3d PointAt(double t) const override;
    Vector3d DerivativeAt(double t) const override;
    std::unique_ptr<CCurve> Piece(double t0, double t1) const override;

private:
    CNurbsCurve(int degree, std::vector<double> knots, std::vector<Point3d> points,
                std::vector<double> weights, double t0, double t1);
    std::vector<double> Breaks() const override;
    // The homogeneous point (w x, w y, w z, w) and its derivative at t.
    void Evaluate(double t, double out[4], double derivative[4]) const;

    int degree_;
    std::vector<double> knots_;
    std::vector<Point3d> points_;
    std::vector<double> weights_;
};

// centre + cos t * major + sin t * minor.
class CEllipseCurve final : public CCurve {
public:
    CEllipseCurve(const Point3d& center, const Vector3d& major, const Vector3d& minor, double t0,
                  double t1)
        : CCurve(t0, t1), center_(center), major_(major), minor_(minor) {}

    Point3d PointAt(double t) const override;
    Vector3d DerivativeAt(double t) const override;
    std::unique_ptr<CCurve> Piece(double t0, double t1) const override;

private:
    std::vector<double> Breaks() const override;

    Point3d center_;
    Vector3d major_;
    Vector3d minor_;
};

}  // namespace drawing
