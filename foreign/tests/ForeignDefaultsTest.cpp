// The contract's default operations, on the least an implementation must add.
#include <gtest/gtest.h>

#include <string>

#include "foreign/Foreign.h"

namespace {

class CStubPnt final : public CFgnPnt {
public:
    const CFgnPt* GetPt(TFgnFmtErr& err) const override { return err = kFgnOk, nullptr; }
    void Complete() { SetComplete(); }
    bool Check(TFgnFmtErr& err) const { return CheckComplete(err); }
};

class CStubGeomArc final : public CFgnGeomArc {
public:
    const CFgnPt* GetCenterPt(TFgnFmtErr& err) const override { return err = kFgnOk, nullptr; }
    TFgnFmtErr GetDefinition(double&, double&, double&, double&, TFgnBool&) const override {
        return kFgnOk;
    }
};

class CStubGeomPts final : public CFgnGeomPts {
public:
    TFgnFmtErr AddPt(double, double, double) override { return kFgnOk; }
    TFgnFmtErr AddPt(double, double) override { return kFgnOk; }
};

class CStubStyleLine final : public CFgnStyleLine {
public:
    TFgnFmtErr GetDefinition(std::int32_t&, std::int16_t&) const override { return kFgnOk; }
};

class CStubStylePly final : public CFgnStylePly {
public:
    TFgnFmtErr GetDefinition(std::int32_t&, std::int32_t&, std::int32_t&,
                             std::int16_t&) const override {
        return kFgnOk;
    }
};

class CStubStyleText final : public CFgnStyleText {
public:
    TFgnFmtErr GetDefinition(double&, std::int32_t&, std::int32_t&, TFgnBool&, TFgnBool&, TFgnBool&,
                             TFgnJustification&, double&, double&) const override {
        return kFgnOk;
    }
};

template <class Base>
class CStubClmn : public Base {
public:
    TFgnBool GetIndexed(TFgnFmtErr& err) const override { return err = kFgnOk, kFgnFalse; }
    TFgnBool GetKey(TFgnFmtErr& err) const override { return err = kFgnOk, kFgnFalse; }
    char const* GetName(TFgnFmtErr& err) const override { return err = kFgnOk, "c"; }
};

template <class Base>
class CStubSizedClmn final : public CStubClmn<Base> {
public:
    std::int16_t GetDecimal(TFgnFmtErr& err) const override { return err = kFgnOk, 0; }
    std::int16_t GetWidth(TFgnFmtErr& err) const override { return err = kFgnOk, 0; }
};

class CStubCharClmn final : public CStubClmn<CFgnTblClmnChar> {
public:
    std::int16_t GetWidth(TFgnFmtErr& err) const override { return err = kFgnOk, 0; }
};

// A status the defaults must overwrite.
constexpr TFgnFmtErr kUnset = TFgnFmtErr(-99);

TEST(ForeignDefaultsTest, ErrorDescriptionNamesOnlyItsSource) {
    const CFgnErr error;
    TFgnFmtErr err = kUnset;
    EXPECT_STREQ(error.GetSource(err), "PLM");
    EXPECT_EQ(err, kFgnOk);
    err = kUnset;
    EXPECT_EQ(error.GetDescription(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(error.GetErrorId(err), 0);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(error.GetHelpFilePath(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(error.GetHelpTopicId(err), 0);
    EXPECT_EQ(err, kFgnNotImplemented);
}

TEST(ForeignDefaultsTest, NoObjectDescribesItsLastError) {
    const CStubPnt pnt;
    const CStubGeomArc arc;
    const CStubStyleLine style;
    const CStubCharClmn column;
    for (const CFgnObject* object :
         std::initializer_list<const CFgnObject*>{&pnt, &arc, &style, &column}) {
        TFgnFmtErr err = kUnset;
        EXPECT_EQ(object->GetLastError(err), nullptr);
        EXPECT_EQ(err, kFgnNotImplemented);
    }
}

TEST(ForeignDefaultsTest, EntityWithoutKeyLayerOrStyleAnswersNotImplemented) {
    const CStubPnt pnt;
    TFgnFmtErr err = kUnset;
    EXPECT_EQ(pnt.GetKey(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(pnt.GetLayer(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(pnt.GetStyle(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(pnt.GetType(err), kFgnEntityPnt);
    EXPECT_EQ(err, kFgnOk);
}

TEST(ForeignDefaultsTest, CompletionFlagIsSetByTheImplementationAndCopied) {
    CStubPnt pnt;
    TFgnFmtErr err = kUnset;
    EXPECT_FALSE(pnt.Check(err));
    EXPECT_EQ(err, kFgnIncomplete);
    pnt.Complete();
    EXPECT_TRUE(pnt.Check(err));
    EXPECT_EQ(err, kFgnOk);
    const CStubPnt copy(pnt);
    EXPECT_TRUE(copy.IsComplete());
    CStubPnt assigned;
    assigned = pnt;
    EXPECT_TRUE(assigned.IsComplete());
}

TEST(ForeignDefaultsTest, PiecesAnswerTheirKindAndKeepNoAreaType) {
    CStubGeomArc arc;
    CStubGeomPts pts;
    TFgnFmtErr err = kUnset;
    EXPECT_EQ(arc.GetType(err), kFgnGeomArc);
    EXPECT_EQ(err, kFgnOk);
    err = kUnset;
    EXPECT_EQ(pts.GetType(err), kFgnGeomPts);
    EXPECT_EQ(err, kFgnOk);

    EXPECT_EQ(arc.SetAreaType(kFgnAreaInner), kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(arc.GetAreaType(err), kFgnAreaUnspecified);
    EXPECT_EQ(err, kFgnOk);

    err = kUnset;
    EXPECT_EQ(pts.GetPts(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
}

TEST(ForeignDefaultsTest, StyleNamesDefaultToNone) {
    const CStubStyleLine line;
    const CStubStylePly ply;
    const CStubStyleText text;
    TFgnFmtErr err = kUnset;
    EXPECT_EQ(line.GetLinePattern(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(ply.GetFillPattern(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(ply.GetLinePattern(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
    err = kUnset;
    EXPECT_EQ(text.GetFont(err), nullptr);
    EXPECT_EQ(err, kFgnNotImplemented);
}

TEST(ForeignDefaultsTest, EachColumnClassAnswersItsType) {
    const CStubClmn<CFgnTblClmnInt2> int2;
    const CStubClmn<CFgnTblClmnInt4> int4;
    const CStubSizedClmn<CFgnTblClmnFloat> real;
    const CStubSizedClmn<CFgnTblClmnDbl> dbl;
    const CStubClmn<CFgnTblClmnDte> date;
    const CStubCharClmn text;
    const CStubClmn<CFgnTblClmnLgcl> logical;
    const struct {
        const CFgnTblClmn* column;
        std::int32_t type;
    } cases[] = {{&int2, 0}, {&int4, 1}, {&real, 2},   {&dbl, 3},
                 {&date, 4}, {&text, 5}, {&logical, 7}};
    for (const auto& c : cases) {
        TFgnFmtErr err = kUnset;
        EXPECT_EQ(c.column->GetType(err), c.type);
        EXPECT_EQ(err, kFgnOk);
    }
}

}  // namespace
