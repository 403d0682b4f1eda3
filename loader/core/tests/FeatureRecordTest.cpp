#include <gtest/gtest.h>

#include "loader/core/FeatureRecord.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "testing/GeometryFixture.h"
#include "testing/TestSupport.h"

namespace {

using RecordTest = wlxtest::GeometryFixture;

TEST(FeatureRecord, TextsKeepAtMost255BytesWithoutCuttingACharacter) {
    CFeatureRecord record;
    record.SetName(std::string(300, 'n'));
    EXPECT_EQ(std::string(record.GetName()), std::string(255, 'n'));
    // "é" is two bytes; the one that would straddle the limit is left out.
    record.SetKey(std::string(254, 'k') + "\xc3\xa9");
    EXPECT_EQ(std::string(record.GetKey()), std::string(254, 'k'));
    record.SetLink("http://x/\xc3\xa9");
    EXPECT_STREQ(record.GetLink(), "http://x/\xc3\xa9");
    record.Clear();
    EXPECT_STREQ(record.GetName(), "");
    EXPECT_STREQ(record.GetKey(), "");
    EXPECT_STREQ(record.GetLink(), "");
}

TEST_F(RecordTest, HoldsOneReferenceToItsGeometry) {
    auto point = Point(1, 2);
    CFeatureRecord record;
    EXPECT_EQ(record.SetGeometry(point.Get()), 0);
    EXPECT_EQ(record.SetGeometry(point.Get()), 0);
    EXPECT_EQ(wlxtest::RefCount(point.Get()), 2u);
    IWKBGeometry* out = nullptr;
    EXPECT_EQ(record.GetGeometry(&out), 0);
    EXPECT_EQ(out, point.Get());
    EXPECT_EQ(wlxtest::RefCount(point.Get()), 3u);
    out->Release();
    record.Clear();
    record.Clear();
    EXPECT_EQ(wlxtest::RefCount(point.Get()), 1u);
    EXPECT_EQ(record.GetGeometry(&out), 0);
    EXPECT_EQ(out, nullptr);
}

TEST_F(RecordTest, OwnsWhatItIsGivenAndMovesIt) {
    wlxtest::TempDir dir;
    auto point = Point(1, 2);
    CFeatureRecord record;
    record.SetName("a");
    record.SetGeometry(point.Get());
    auto values = std::make_unique<CAttributeValueSet>();
    auto row = MakeCounted<CTableRow>();
    values->AddRow(*row);
    record.SetAttributes(std::move(values));
    record.SetStyle(std::make_unique<CPolylineStyle>("k", "n", "l", CRgbaColor(), 0, 1.0));
    record.SetStyle(std::make_unique<CPolylineStyle>("k2", "n", "l", CRgbaColor(), 0, 1.0));
    Status status = -1;
    auto symbol = std::make_unique<CSymbolMetafileWriter>((dir / "s.emf").string(),
                                                          CExtent2d{0, 0, 1, 1}, nullptr, status);
    ASSERT_EQ(status, 0);
    record.SetSymbolMetafile(std::move(symbol));

    CFeatureRecord moved;
    moved = std::move(record);
    EXPECT_STREQ(moved.GetName(), "a");
    EXPECT_EQ(moved.PeekGeometry(), point.Get());
    EXPECT_EQ(moved.GetStyle()->GetOriginalKey(), "k2");
    EXPECT_EQ(moved.GetAttributes()->GetRows().size(), 1u);
    EXPECT_NE(moved.GetSymbolMetafile(), nullptr);
    EXPECT_EQ(wlxtest::RefCount(point.Get()), 2u);
    // Clearing completes the symbol file.
    moved.Clear();
    EXPECT_EQ(moved.GetSymbolMetafile(), nullptr);
    EXPECT_EQ(wlxtest::RefCount(point.Get()), 1u);
    const auto bytes = wlxtest::ReadBytes(dir / "s.emf");
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(bytes[bytes.size() - 20], 14);  // the end record closes the file
}

}  // namespace
