#include "readers/drawing/DrawingCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace drawing {

namespace {

// 16-point Gauss-Legendre nodes and weights on [-1, 1] (positive half).
constexpr double kNodes[8] = {0.0950125098376374, 0.2816035507792589, 0.4580167776572274,
                              0.6178762444026438, 0.7554044083550030, 0.8656312023878318,
                              0.9445750230732326, 0.9894009349916499};
constexpr double kWeights[8] = {0.1894506104550685, 0.1826034150449236, 0.1691565193950025,
                                0.1495959888165767, 0.1246289712555339, 0.0951585116824928,
                                0.0622535239386479, 0.0271524594117541};
constexpr int kMaxDepth = 24;
constexpr int kSamplesPerPiece = 32;

double GaussLegendre(const CCurve& curve, double a, double b) {
    const double half = (b - a) / 2;
    const double mid = (a + b) / 2;
    double sum = 0;
    for (int i = 0; i < 8; ++i) {
        sum += kWeights[i] * (Length(curve.DerivativeAt(mid - half * kNodes[i])) +
                              Length(curve.DerivativeAt(mid + half * kNodes[i])));
    }
    return sum * half;
}

// Halves the interval until both halves agree with the whole.
double AdaptiveLength(const CCurve& curve, double a, double b, double whole, int depth) {
    const double mid = (a + b) / 2;
    const double left = GaussLegendre(curve, a, mid);
    const double right = GaussLegendre(curve, mid, b);
    if (depth >= kMaxDepth || !std::isfinite(left + right) ||
        std::abs(left + right - whole) <= 1e-14 * (left + right)) {
        return left + right;
    }
    return AdaptiveLength(curve, a, mid, left, depth + 1) +
           AdaptiveLength(curve, mid, b, right, depth + 1);
}

double Distance(const Point3d& a, const Point3d& b) {
    return Length(a - b);
}

}  // namespace

const std::vector<std::pair<double, double>>& CCurve::Stations() const {
    if (stations_.empty()) {
        std::vector<double> params{t0_};
        for (double t : Breaks()) {
            if (t > params.back() && t < t1_) params.push_back(t);
        }
        params.push_back(t1_);
        double length = 0;
        stations_.emplace_back(params[0], 0.0);
        for (std::size_t i = 1; i < params.size(); ++i) {
            const double a = params[i - 1];
            const double b = params[i];
            length += AdaptiveLength(*this, a, b, GaussLegendre(*this, a, b), 0);
            stations_.emplace_back(b, length);
        }
    }
    return stations_;
}

double CCurve::Length() const {
    return Stations().back().second;
}

double CCurve::LengthBetween(double ta, double tb) const {
    ta = std::clamp(ta, t0_, t1_);
    tb = std::clamp(tb, t0_, t1_);
    if (tb <= ta) return 0;
    // Whole pieces between stations come from the table; only the ends are integrated.
    const auto& stations = Stations();
    double length = 0;
    for (std::size_t i = 1; i < stations.size(); ++i) {
        const double a = std::max(ta, stations[i - 1].first);
        const double b = std::min(tb, stations[i].first);
        if (b <= a) continue;
        if (a == stations[i - 1].first && b == stations[i].first) {
            length += stations[i].second - stations[i - 1].second;
        } else {
            length += AdaptiveLength(*this, a, b, GaussLegendre(*this, a, b), 0);
        }
    }
    return length;
}

std::optional<double> CCurve::ParamAtDistance(double distance) const {
    const auto& stations = Stations();
    const double total = stations.back().second;
    if (!(distance >= 0) || distance > total * (1 + 1e-12)) return std::nullopt;
    if (distance >= total) return t1_;
    std::size_t i = 1;
    while (i + 1 < stations.size() && stations[i].second < distance) ++i;
    double lo = stations[i - 1].first;
    double hi = stations[i].first;
    const double base = stations[i - 1].second;
    const double origin = lo;
    const double pieceLength = stations[i].second - base;
    double t = pieceLength > 0 ? lo + (hi - lo) * (distance - base) / pieceLength : lo;
    // Newton steps on the length, kept inside a bracket that bisection narrows.
    for (int iteration = 0; iteration < 100; ++iteration) {
        const double f = base + LengthBetween(origin, t) - distance;
        if (std::abs(f) <= 1e-15 * std::max(total, 1e-300)) break;
        if (f > 0) {
            hi = t;
        } else {
            lo = t;
        }
        const double speed = drawing::Length(DerivativeAt(t));
        double next = speed > 0 ? t - f / speed : (lo + hi) / 2;
        if (!(next > lo && next < hi)) next = (lo + hi) / 2;
        if (next == t || hi - lo <= 1e-17 * std::max(std::abs(lo), std::abs(hi))) break;
        t = next;
    }
    return t;
}

std::optional<Point3d> CCurve::PointAtDistance(double distance) const {
    const auto t = ParamAtDistance(distance);
    if (!t) return std::nullopt;
    return PointAt(*t);
}

std::optional<double> CCurve::ParamAtPoint(const Point3d& point) const {
    const auto& stations = Stations();
    std::vector<double> samples;
    for (std::size_t i = 1; i < stations.size(); ++i) {
        const double a = stations[i - 1].first;
        const double b = stations[i].first;
        for (int k = 0; k < kSamplesPerPiece; ++k)
            samples.push_back(a + (b - a) * k / kSamplesPerPiece);
    }
    samples.push_back(t1_);
    std::size_t best = 0;
    double bestDistance = Distance(PointAt(samples[0]), point);
    double extent = 0;
    const Point3d start = PointAt(samples[0]);
    for (std::size_t k = 1; k < samples.size(); ++k) {
        const Point3d p = PointAt(samples[k]);
        extent = std::max(extent, Distance(p, start));
        const double d = Distance(p, point);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    // Golden-section search for the nearest point between the neighbouring samples.
    double lo = samples[best > 0 ? best - 1 : 0];
    double hi = samples[std::min(best + 1, samples.size() - 1)];
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double c = hi - ratio * (hi - lo);
    double d = lo + ratio * (hi - lo);
    double fc = Distance(PointAt(c), point);
    double fd = Distance(PointAt(d), point);
    for (int iteration = 0; iteration < 200 && hi - lo > 0; ++iteration) {
        if (fc < fd) {
            hi = d, d = c, fd = fc;
            c = hi - ratio * (hi - lo);
            fc = Distance(PointAt(c), point);
        } else {
            lo = c, c = d, fc = fd;
            d = lo + ratio * (hi - lo);
            fd = Distance(PointAt(d), point);
        }
        if (!(c < d)) break;
    }
    double t = (lo + hi) / 2;
    double nearest = Distance(PointAt(t), point);
    if (bestDistance < nearest) t = samples[best], nearest = bestDistance;
    if (nearest > std::max(1e-10, 1e-9 * extent)) return std::nullopt;
    return t;
}

std::optional<double> CCurve::DistanceAtPoint(const Point3d& point) const {
    const auto t = ParamAtPoint(point);
    if (!t) return std::nullopt;
    return LengthBetween(t0_, *t);
}

std::optional<std::vector<std::unique_ptr<CCurve>>> CCurve::SplitAtPoints(
    const std::vector<Point3d>& points) const {
    std::vector<double> params{t0_, t1_};
    for (const Point3d& p : points) {
        const auto t = ParamAtPoint(p);
        if (!t) return std::nullopt;
        params.push_back(*t);
    }
    std::sort(params.begin(), params.end());
    const double tolerance = 1e-12 * std::max(std::abs(t0_), std::abs(t1_)) + 1e-300;
    std::vector<std::unique_ptr<CCurve>> pieces;
    double from = params[0];
    for (std::size_t i = 1; i < params.size(); ++i) {
        if (params[i] - from <= tolerance) continue;
        pieces.push_back(Piece(from, params[i]));
        from = params[i];
    }
    return pieces;
}

std::optional<CNurbsCurve> CNurbsCurve::Make(int degree, std::vector<double> knots,
                                             std::vector<Point3d> points,
                                             std::vector<double> weights) {
    constexpr int kMaxDegree = 30;
    if (degree < 1 || degree > kMaxDegree || points.size() < static_cast<std::size_t>(degree) + 1 ||
        knots.size() != points.size() + degree + 1) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < knots.size(); ++i) {
        if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return std::nullopt;
    }
    if (weights.empty()) weights.assign(points.size(), 1.0);
    if (weights.size() != points.size()) return std::nullopt;
    for (double w : weights) {
        if (!(w > 0) || !std::isfinite(w)) return std::nullopt;
    }
    const double t0 = knots[degree];
    const double t1 = knots[points.size()];
    if (!(t0 < t1)) return std::nullopt;
    return CNurbsCurve(degree, std::move(knots), std::move(points), std::move(weights), t0, t1);
}

CNurbsCurve::CNurbsCurve(int degree, std::vector<double> knots, std::vector<Point3d> points,
                         std::vector<double> weights, double t0, double t1)
    : CCurve(t0, t1),
      degree_(degree),
      knots_(std::move(knots)),
      points_(std::move(points)),
      weights_(std::move(weights)) {}

std::vector<double> CNurbsCurve::Breaks() const {
    std::vector<double> breaks;
    for (double k : knots_) {
        if (k > StartParam() && k < EndParam() && (breaks.empty() || k > breaks.back())) {
            breaks.push_back(k);
        }
    }
    return breaks;
}

void CNurbsCurve::Evaluate(double t, double out[4], double derivative[4]) const {
    const int p = degree_;
    const int n = static_cast<int>(points_.size());
    t = std::clamp(t, knots_[p], knots_[n]);
    // The span [knot k, knot k+1) that holds t, never an empty one.
    int k = static_cast<int>(std::upper_bound(knots_.begin() + p, knots_.begin() + n + 1, t) -
                             knots_.begin()) -
            1;
    k = std::clamp(k, p, n - 1);
    while (k > p && knots_[k] == knots_[k + 1]) --k;

    // Basis functions and their first derivatives (the triangular table of
    // differences below the diagonal, values above).
    std::vector<double> ndu((p + 1) * (p + 1)), left(p + 1), right(p + 1);
    auto at = [&](int r, int c) -> double& { return ndu[r * (p + 1) + c]; };
    at(0, 0) = 1;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - knots_[k + 1 - j];
        right[j] = knots_[k + j] - t;
        double saved = 0;
        for (int r = 0; r < j; ++r) {
            at(j, r) = right[r + 1] + left[j - r];
            const double temp = at(r, j - 1) / at(j, r);
            at(r, j) = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        at(j, j) = saved;
    }
    for (int c = 0; c < 4; ++c) out[c] = derivative[c] = 0;
    for (int r = 0; r <= p; ++r) {
        const double basis = at(r, p);
        double slope = 0;
        if (r >= 1) slope += at(r - 1, p - 1) / at(p, r - 1);
        if (r <= p - 1) slope -= at(r, p - 1) / at(p, r);
        slope *= p;
        const int i = k - p + r;
        const double w = weights_[i];
        const double h[4] = {w * points_[i].x, w * points_[i].y, w * points_[i].z, w};
        for (int c = 0; c < 4; ++c) {
            out[c] += basis * h[c];
            derivative[c] += slope * h[c];
        }
    }
}

Point3d CNurbsCurve::PointAt(double t) const {
    double a[4], d[4];
    Evaluate(t, a, d);
    return {a[0] / a[3], a[1] / a[3], a[2] / a[3]};
}

Vector3d CNurbsCurve::DerivativeAt(double t) const {
    double a[4], d[4];
    Evaluate(t, a, d);
    const double w = a[3];
    return {(d[0] - d[3] * a[0] / w) / w, (d[1] - d[3] * a[1] / w) / w,
            (d[2] - d[3] * a[2] / w) / w};
}

std::unique_ptr<CCurve> CNurbsCurve::Piece(double t0, double t1) const {
    return std::unique_ptr<CCurve>(new CNurbsCurve(
        degree_, knots_, points_, weights_, std::max(t0, StartParam()), std::min(t1, EndParam())));
}

Point3d CEllipseCurve::PointAt(double t) const {
    return center_ + std::cos(t) * major_ + std::sin(t) * minor_;
}

Vector3d CEllipseCurve::DerivativeAt(double t) const {
    return -std::sin(t) * major_ + std::cos(t) * minor_;
}

std::unique_ptr<CCurve> CEllipseCurve::Piece(double t0, double t1) const {
    return std::make_unique<CEllipseCurve>(center_, major_, minor_, std::max(t0, StartParam()),
                                           std::min(t1, EndParam()));
}

std::vector<double> CEllipseCurve::Breaks() const {
    // Quarter turns: the integrand's shape changes there.
    std::vector<double> breaks;
    const double quarter = std::numbers::pi / 2;
    const double first = std::ceil(StartParam() / quarter);
    for (int k = 0; k < 16 && (first + k) * quarter < EndParam(); ++k) {
        breaks.push_back((first + k) * quarter);
    }
    return breaks;
}

}  // namespace drawing
