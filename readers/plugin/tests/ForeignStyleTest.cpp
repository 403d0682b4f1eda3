#include <gtest/gtest.h>

#include <cmath>

#include "readers/plugin/ForeignStyle.h"

namespace {

using foreign::AlignmentFor;
using foreign::ColorFromFgn;

constexpr double kPi = 3.14159265358979323846;

class CPointStyle final : public CFgnStylePnt {
public:
    char const* GetDefinition(std::int32_t& colour, double& rotation, std::int16_t& size,
                              TFgnFmtErr& err) const override {
        colour = 0x00FF0000;
        rotation = 90;
        size = 3;
        err = kFgnOk;
        return "Circle";
    }
};

class CBlockStyle final : public CFgnStyleBlk {
public:
    TFgnFmtErr GetDefinition(std::int32_t& colour) const override {
        colour = 0x7F123456;
        return kFgnOk;
    }
};

class CTextStyleOf final : public CFgnStyleText {
public:
    TFgnFmtErr GetDefinition(double& height, std::int32_t& colour, std::int32_t& second,
                             TFgnBool& flag1, TFgnBool& flag2, TFgnBool& flag3,
                             TFgnJustification& justification, double& angle,
                             double& last) const override {
        height = 2;
        colour = 0x80;
        second = 0;
        flag1 = kFgnTrue;
        flag2 = kFgnFalse;
        flag3 = kFgnTrue;
        justification = static_cast<TFgnJustification>(9);
        angle = 30;
        last = 0;
        return kFgnOk;
    }
};

TEST(ForeignStyleTest, ColoursTakeRedGreenBlueFromTheLowBytesAndAreOpaque) {
    struct Case {
        std::int32_t colour;
        CRgbaColor expected;
    } cases[] = {
        {0x00FF0000, {0, 0, 255, 255}},
        {0x000000FF, {255, 0, 0, 255}},
        {0x0000FF00, {0, 255, 0, 255}},
        {static_cast<std::int32_t>(0xFF123456), {0x56, 0x34, 0x12, 255}},
    };
    for (const Case& c : cases) EXPECT_EQ(ColorFromFgn(c.colour).Pack(), c.expected.Pack());
}

TEST(ForeignStyleTest, JustificationsMapToAlignmentCodes) {
    const int expected[17][2] = {{0, 1}, {1, 1}, {2, 1}, {0, 3}, {0, 2}, {0, 1},
                                 {6, 3}, {6, 2}, {1, 3}, {1, 2}, {1, 1}, {7, 3},
                                 {7, 2}, {7, 1}, {2, 3}, {2, 2}, {2, 1}};
    for (int j = 0; j <= 16; ++j) {
        const auto a = AlignmentFor(static_cast<TFgnJustification>(j), true);
        EXPECT_EQ(a.horizontal, expected[j][0]) << j;
        EXPECT_EQ(a.vertical, expected[j][1]) << j;
        const auto off = AlignmentFor(static_cast<TFgnJustification>(j), false);
        EXPECT_EQ(off.horizontal, 0);
        EXPECT_EQ(off.vertical, 1);
    }
    for (int j : {17, 100, -1}) {
        const auto a = AlignmentFor(static_cast<TFgnJustification>(j), true);
        EXPECT_EQ(a.horizontal, 0) << j;
        EXPECT_EQ(a.vertical, 1) << j;
    }
}

TEST(ForeignStyleTest, SymbolRotationIsKeptInRadians) {
    const CPointStyle pointStyle;
    auto style = foreign::MakeSymbolStyle({"k", "n", "l"}, &pointStyle);
    ASSERT_TRUE(style);
    const auto& symbol = static_cast<const CSymbolStyle&>(*style);
    EXPECT_NEAR(symbol.GetRotation(), kPi / 2, 1e-12);
    EXPECT_EQ(symbol.GetSymbolName(), "Circle");
    EXPECT_EQ(symbol.GetWidth(), 3.0);
    EXPECT_EQ(symbol.GetHeight(), 3.0);
    EXPECT_EQ(symbol.GetPointColor().blue, 255);
    EXPECT_EQ(symbol.GetOriginalKey(), "k");
    EXPECT_EQ(symbol.GetName(), "n");
    EXPECT_EQ(symbol.GetLayer(), "l");
    // A plug-in without a style for the entity gets none made.
    EXPECT_FALSE(foreign::MakeSymbolStyle({}, nullptr));
    EXPECT_FALSE(foreign::MakePolylineStyle({}, nullptr));
    EXPECT_FALSE(foreign::MakePolygonStyle({}, nullptr));
    EXPECT_FALSE(foreign::MakeTextStyle({}, "t", nullptr, CCellNestingState(), true));
}

TEST(ForeignStyleTest, BlockSymbolsTakeTurnAndScaleFromTheInstanceMatrix) {
    const CBlockStyle blockStyle;
    const CExtent2d extent{0, 0, 10, 4.5};
    struct Case {
        FgnMatrix matrix;
        double rotation, width, height;
    } cases[] = {
        {{{2, 0, 0}, {0, 3, 0}, {0, 0, 1}}, 0, 20, 13.5},
        {{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, kPi / 2, 10, 4.5},
        {{{0, -2, 0}, {2, 0, 0}, {0, 0, 1}}, kPi / 2, 20, 9},
    };
    for (const Case& c : cases) {
        auto style =
            foreign::MakeBlockSymbolStyle({"k", "n", "l"}, &blockStyle, "Gate", c.matrix, extent);
        ASSERT_TRUE(style);
        const auto& symbol = static_cast<const CSymbolStyle&>(*style);
        EXPECT_NEAR(symbol.GetRotation(), c.rotation, 1e-12);
        EXPECT_DOUBLE_EQ(symbol.GetWidth(), c.width);
        EXPECT_DOUBLE_EQ(symbol.GetHeight(), c.height);
        EXPECT_EQ(symbol.GetSymbolName(), "Gate");
        EXPECT_EQ(symbol.GetPointColor().Pack(), CRgbaColor(0x56, 0x34, 0x12, 255).Pack());
    }
}

TEST(ForeignStyleTest, TextHeightAndAngleFollowTheNestingTransforms) {
    const CTextStyleOf textStyle;
    CCellNestingState nesting;
    auto plain = foreign::MakeTextStyle({"k", "n", "l"}, "Hi", &textStyle, nesting, true);
    ASSERT_TRUE(plain);
    const auto& text = static_cast<const CTextStyle&>(*plain);
    EXPECT_NEAR(text.GetRotation(), kPi / 6, 1e-9);
    EXPECT_NEAR(text.GetHeight(), 2, 1e-12);
    EXPECT_EQ(text.GetHorizontalMode(), 1);
    EXPECT_EQ(text.GetVerticalMode(), 2);
    EXPECT_EQ(text.GetBold(), 1);
    EXPECT_EQ(text.GetItalic(), 0);
    EXPECT_EQ(text.GetUnderline(), 1);
    EXPECT_EQ(text.GetContent(), "Hi");
    EXPECT_EQ(text.GetFaceName(), "");

    // Inside a block turned a quarter and scaled by 3: 120 degrees, height 6.
    const CCellNestingState::EntityList entities = {nullptr};
    nesting.Enter({{0, -3, 0}, {3, 0, 0}, {0, 0, 1}}, 50, 60, entities);
    auto turned = foreign::MakeTextStyle({"k", "n", "l"}, "Hi", &textStyle, nesting, false);
    const auto& inBlock = static_cast<const CTextStyle&>(*turned);
    EXPECT_NEAR(inBlock.GetRotation(), 2 * kPi / 3, 1e-9);
    EXPECT_NEAR(inBlock.GetHeight(), 6, 1e-9);
    EXPECT_EQ(inBlock.GetHorizontalMode(), 0);
    EXPECT_EQ(inBlock.GetVerticalMode(), 1);

    // Negative angles come out in 0 to 2 pi.
    const foreign::STextFrame frame = foreign::TransformTextFrame(1, -90, CCellNestingState());
    EXPECT_NEAR(frame.angle, 3 * kPi / 2, 1e-9);
}

}  // namespace
