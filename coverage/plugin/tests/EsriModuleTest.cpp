// The message table, the text routines and the arc stroker.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "coverage/plugin/EsriEntity.h"
#include "coverage/plugin/EsriModule.h"

namespace {

using Text = std::unique_ptr<char[]>;

TEST(EsriModuleTest, MessagesLoadWhole) {
    EXPECT_STREQ(Text(LoadMessage(9)).get(), "LL");
    EXPECT_STREQ(Text(LoadMessage(23)).get(), "POLYGONS");
    const Text longest(LoadMessage(16));
    ASSERT_NE(longest, nullptr);
    EXPECT_EQ(std::strlen(longest.get()), 98u);
    EXPECT_EQ(LoadMessage(24), nullptr);
    EXPECT_EQ(LoadMessage(0), nullptr);
}

TEST(EsriModuleTest, LongToTextHoldsEveryValue) {
    char buffer[kLongTextSize];
    for (const std::int32_t value : {0, 7, -1, std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min()}) {
        LongToText(buffer, value);
        EXPECT_EQ(std::string(buffer), std::to_string(value));
    }
}

TEST(EsriModuleTest, TextRoutines) {
    EXPECT_STREQ(Text(ReplaceCharsMax("  a.b#", ".`[]#", '_', 64)).get(), "a_b_");
    EXPECT_STREQ(Text(ReplaceCharsMax("abcdef", ".", '_', 3)).get(), "abc");
    // A cut never splits a character.
    EXPECT_STREQ(Text(ReplaceCharsMax("ab\xC3\xA9", ".", '_', 3)).get(), "ab");
    EXPECT_STREQ(Text(KeepNameChars("a.b c$d_#\xC3\xA9!")).get(), "abc$d_#\xC3\xA9");
    EXPECT_STREQ(Text(DupStringMax("abcdefghijklmnopqrs", 16)).get(), "abcdefghijklmno");
    EXPECT_STREQ(Text(DupStringMax("short", 16)).get(), "short");
    EXPECT_STREQ(Text(DupStringMax("abc\xC3\xA9", 5)).get(), "abc");
    EXPECT_STREQ(Text(DupString("x")).get(), "x");
    EXPECT_EQ(DupString(nullptr), nullptr);
    EXPECT_EQ(KeepNameChars(nullptr), nullptr);
    EXPECT_EQ(ReplaceCharsMax(nullptr, ".", '_', 4), nullptr);
}

class CAngles final : public CEsriVertexSink {
public:
    explicit CAngles(int failAt = -1) : failAt_(failAt) {}
    TFgnFmtErr AddVertex(double x, double y) override {
        if (static_cast<int>(angles.size()) == failAt_) return kFgnIncomplete;
        double a = std::atan2(y, x) * 180 / 3.14159265358979;
        angles.push_back(a);
        return kFgnOk;
    }
    std::vector<double> angles;

private:
    int failAt_;
};

// The angle of a vertex in [0, 360).
double Turn(double a) {
    a = std::fmod(a, 360.0);
    if (a < -1e-6) a += 360.0;
    return std::fabs(a - 360.0) < 1e-6 ? 0.0 : a;
}

TEST(EsriModuleTest, ArcStrokerSweepsFromStartToEnd) {
    struct SCase {
        double start, end;
        TFgnBool increasing;
        std::size_t vertices;
        double first, second, last;
    };
    for (const SCase c : {
             SCase{0, 180, kFgnTrue, 91, 0, 2, 180},
             SCase{350, 10, kFgnTrue, 11, 350, 352, 10},
             SCase{10, 350, kFgnFalse, 11, 10, 8, 350},
             // Beyond one turn or below zero: the same sweep, not a clamped one.
             SCase{-30, 30, kFgnTrue, 31, 330, 332, 30},
             SCase{400, 450, kFgnTrue, 26, 40, 42, 90},
             SCase{0, 360, kFgnTrue, 181, 0, 2, 0},
             SCase{0, 1, kFgnTrue, 2, 0, 1, 1},
         }) {
        SCOPED_TRACE(std::to_string(c.start) + " " + std::to_string(c.end));
        CAngles sink;
        ASSERT_EQ(CESRIArcStroker::Stroke(0, 0, c.start, c.end, 1, 1, c.increasing, sink), kFgnOk);
        ASSERT_EQ(sink.angles.size(), c.vertices);
        EXPECT_NEAR(Turn(sink.angles.front()), c.first, 1e-6);
        EXPECT_NEAR(Turn(sink.angles[1]), c.second, 1e-6);
        EXPECT_NEAR(Turn(sink.angles.back()), c.last, 1e-6);
    }
}

TEST(EsriModuleTest, ArcStrokerEndsAtTheFirstFailure) {
    CAngles sink(3);
    EXPECT_EQ(CESRIArcStroker::Stroke(0, 0, 0, 90, 1, 1, kFgnTrue, sink), kFgnIncomplete);
    EXPECT_EQ(sink.angles.size(), 3u);
    CAngles never;
    EXPECT_EQ(CESRIArcStroker::Stroke(0, 0, NAN, 90, 1, 1, kFgnTrue, never), kFgnIncomplete);
    EXPECT_TRUE(never.angles.empty());
}

TEST(EsriModuleTest, ArcStrokerScalesByBothRadii) {
    std::vector<std::pair<double, double>> points;
    class CPoints final : public CEsriVertexSink {
    public:
        explicit CPoints(std::vector<std::pair<double, double>>& p) : p_(p) {}
        TFgnFmtErr AddVertex(double x, double y) override {
            p_.emplace_back(x, y);
            return kFgnOk;
        }

    private:
        std::vector<std::pair<double, double>>& p_;
    } sink(points);
    ASSERT_EQ(CESRIArcStroker::Stroke(10, 20, 0, 90, 3, 2, kFgnTrue, sink), kFgnOk);
    EXPECT_NEAR(points.front().first, 13, 1e-9);
    EXPECT_NEAR(points.front().second, 20, 1e-9);
    EXPECT_NEAR(points.back().first, 10, 1e-9);
    EXPECT_NEAR(points.back().second, 22, 1e-9);
}

}  // namespace
