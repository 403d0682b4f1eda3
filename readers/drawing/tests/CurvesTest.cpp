// Lengths and points at a distance of splines and ellipses against ezdxf's
// evaluation (curves.golden, made by data/make_curve_golden.py), and the
// curve operations the reader's spline conversion uses.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>

#include "readers/drawing/DrawingDatabase.h"
#include "testing/TestSupport.h"

namespace {

using namespace drawing;

constexpr double kRelative = 1e-9;

const CEntity* FindEntity(const CDatabase& database, const std::string& handle) {
    for (const auto& entity : database.ModelSpace().Entities()) {
        if (entity->HandleText() == handle) return entity.get();
    }
    return nullptr;
}

std::unique_ptr<CCurve> CurveOf(const CEntity& entity) {
    if (const auto* spline = entity.As<CSpline>()) {
        return spline->Curve() != nullptr ? spline->Curve()->Piece(spline->Curve()->StartParam(),
                                                                   spline->Curve()->EndParam())
                                          : nullptr;
    }
    if (const auto* ellipse = entity.As<CEllipse>()) {
        return std::make_unique<CEllipseCurve>(ellipse->Curve());
    }
    return nullptr;
}

TEST(Curves, AgreeWithEzdxf) {
    CDatabase database;
    const std::string dir = "readers/drawing/tests/data/";
    ASSERT_EQ(database.ReadDxfFile(wlxtest::SourcePath(dir + "curves.dxf").string()),
              EOpenStatus::kOk);
    std::ifstream golden(wlxtest::SourcePath(dir + "curves.golden"));
    ASSERT_TRUE(golden);
    std::string line;
    std::map<std::string, std::unique_ptr<CCurve>> curves;
    int points = 0;
    while (std::getline(golden, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string handle, second;
        fields >> handle >> second;
        SCOPED_TRACE(line);
        auto& curve = curves[handle];
        if (!curve) {
            const CEntity* entity = FindEntity(database, handle);
            ASSERT_NE(entity, nullptr);
            curve = CurveOf(*entity);
            ASSERT_NE(curve, nullptr);
        }
        if (second == "length") {
            const double length = std::stod(fields.str().substr(fields.str().rfind(' ')));
            EXPECT_NEAR(curve->Length(), length, kRelative * length);
            continue;
        }
        const double distance = std::stod(second);
        Point3d expected;
        fields >> expected.x >> expected.y >> expected.z;
        const auto p = curve->PointAtDistance(distance);
        ASSERT_TRUE(p);
        const double scale = std::max(1.0, Length(expected));
        EXPECT_NEAR(p->x, expected.x, kRelative * scale);
        EXPECT_NEAR(p->y, expected.y, kRelative * scale);
        EXPECT_NEAR(p->z, expected.z, kRelative * scale);
        ++points;
    }
    EXPECT_EQ(curves.size(), 8u);
    EXPECT_EQ(points, 88);
}

// The reader's length of a closed spline: split at its start, a second point
// and its end, and add up the pieces' lengths.
TEST(Curves, ClosedSplineLengthFromItsPieces) {
    CDatabase database;
    ASSERT_EQ(
        database.ReadDxfFile(wlxtest::SourcePath("readers/drawing/tests/data/curves.dxf").string()),
        EOpenStatus::kOk);
    const auto* closed = FindEntity(database, "33")->As<CSpline>();
    const auto* fitted = FindEntity(database, "32")->As<CSpline>();
    ASSERT_TRUE(closed && fitted && closed->Curve() && fitted->Curve());
    EXPECT_TRUE(closed->IsClosed());
    EXPECT_FALSE(fitted->IsClosed());
    EXPECT_FALSE(closed->HasFitData());
    ASSERT_TRUE(fitted->HasFitData());
    EXPECT_EQ(fitted->NumFitPoints(), 5);

    const CNurbsCurve& curve = *closed->Curve();
    const auto second = curve.PointAtDistance(0.000001);
    ASSERT_TRUE(second);
    const auto pieces = curve.SplitAtPoints({curve.StartPoint(), *second, curve.EndPoint()});
    ASSERT_TRUE(pieces);
    ASSERT_EQ(pieces->size(), 2u);
    double sum = 0;
    for (const auto& piece : *pieces) {
        const auto length = piece->DistanceAtPoint(piece->EndPoint());
        ASSERT_TRUE(length);
        sum += *length;
    }
    EXPECT_NEAR(sum, curve.Length(), kRelative * curve.Length());

    // The fit points lie on the curve made from them: the split at the second one works.
    const CNurbsCurve& open = *fitted->Curve();
    EXPECT_TRUE(open.SplitAtPoints({open.StartPoint(), fitted->FitPointAt(1), open.EndPoint()}));
    const auto end = open.DistanceAtPoint(open.EndPoint());
    ASSERT_TRUE(end);
    EXPECT_NEAR(*end, open.Length(), kRelative * open.Length());
}

TEST(Curves, ExactCases) {
    // A straight cubic: its length is the chord.
    const auto line = CNurbsCurve::Make(3, {0, 0, 0, 0, 1, 1, 1, 1},
                                        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {});
    ASSERT_TRUE(line);
    EXPECT_NEAR(line->Length(), 3 * std::sqrt(3.0), 1e-13);
    // A quarter circle of radius 2 as a rational quadratic.
    const double w = std::sqrt(0.5);
    const auto arc =
        CNurbsCurve::Make(2, {0, 0, 0, 1, 1, 1}, {{2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {1, w, 1});
    ASSERT_TRUE(arc);
    EXPECT_NEAR(arc->Length(), std::numbers::pi, 1e-12);
    const auto middle = arc->PointAtDistance(std::numbers::pi / 2);
    ASSERT_TRUE(middle);
    EXPECT_NEAR(middle->x, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(middle->y, std::sqrt(2.0), 1e-12);
    EXPECT_FALSE(arc->PointAtDistance(4));
    EXPECT_FALSE(arc->PointAtDistance(-1));
    EXPECT_FALSE(arc->DistanceAtPoint({1, 1, 0}));  // not on the curve
    // A full ellipse of axes 3 and 3 is a circle.
    const CEllipseCurve circle({0, 0, 0}, {3, 0, 0}, {0, 3, 0}, 0, 2 * std::numbers::pi);
    EXPECT_NEAR(circle.Length(), 6 * std::numbers::pi, 1e-12);
}

TEST(Curves, ValuesThatMakeNoCurve) {
    const std::vector<Point3d> four{{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}};
    EXPECT_FALSE(CNurbsCurve::Make(3, {0, 0, 0, 0, 1, 1, 1}, four, {}));               // knot count
    EXPECT_FALSE(CNurbsCurve::Make(3, {0, 0, 0, 1, 0, 1, 1, 1}, four, {}));            // decreasing
    EXPECT_FALSE(CNurbsCurve::Make(3, {0, 0, 0, 0, 1, 1, 1, 1}, four, {1, 0, 1, 1}));  // weight
    EXPECT_FALSE(CNurbsCurve::Make(3, {0, 0, 0, 0, 1, 1, 1, 1}, four, {1, 1}));  // weight count
    EXPECT_FALSE(CNurbsCurve::Make(0, {0, 1, 2, 3, 4}, four, {}));               // degree
    EXPECT_FALSE(CNurbsCurve::Make(3, {0, 0, 0, 0, 0, 0, 0, 0}, four, {}));      // empty range
    EXPECT_TRUE(CNurbsCurve::Make(3, {0, 0, 0, 0, 1, 1, 1, 1}, four, {}));
}

}  // namespace
