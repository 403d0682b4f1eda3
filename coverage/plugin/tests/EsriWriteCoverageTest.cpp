// The coverage builder: arcs split at 500 vertices with shared joints, rings
// closed, labels, tics and texts saved and read back, and the target checks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "coverage/plugin/EsriModule.h"
#include "coverage/plugin/EsriWriteCoverage.h"
#include "testing/TestSupport.h"
#include "testing/coverage/CoverDump.h"

namespace {

namespace fs = std::filesystem;
using covtest::CoverDump;
using covtest::DumpCover;
using wlxtest::TempDir;

std::int32_t Vertices(const CWriteCoverage& b, std::int32_t arc) {
    return b.Cover()->built.arcs[arc].vertex_count;
}

tamrec_dblxy_pair Vertex(const CWriteCoverage& b, std::int32_t arc, std::int32_t i) {
    return b.Cover()->built.arcs[arc].vertices[i];
}

TEST(WriteCoverageTest, LongArcIsSplitWithSharedJoints) {
    TempDir dir;
    CWriteCoverage b(dir.path().c_str(), "long");
    ASSERT_EQ(b.StartArc("k1", kFgnFalse), 0);
    for (int i = 0; i < 1200; ++i) ASSERT_EQ(b.AddVertex(i, 0.5 * i), 0) << i;
    ASSERT_EQ(b.EndArc(), 0);
    ASSERT_EQ(b.Cover()->record_count[kTamrecArcs], 3);
    EXPECT_EQ(Vertices(b, 1), 500);
    EXPECT_EQ(Vertices(b, 2), 500);
    EXPECT_EQ(Vertices(b, 3), 202);
    EXPECT_EQ(Vertex(b, 2, 0).x, Vertex(b, 1, 499).x);
    EXPECT_EQ(Vertex(b, 3, 0).x, Vertex(b, 2, 499).x);
    EXPECT_EQ(Vertex(b, 3, 201).x, 1199);
    ASSERT_EQ(b.Save(), 0) << tamrec_last_error_text();
    const CoverDump d = DumpCover(dir.path(), "long");
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.arcs.size(), 3u);
    EXPECT_EQ(d.arcs[2].vertices.back(), (std::pair<double, double>{1199, 599.5}));
    EXPECT_EQ(d.arcs[1].vertices.front(), d.arcs[0].vertices.back());
}

TEST(WriteCoverageTest, RingsCloseEvenWhenSplit) {
    TempDir dir;
    CWriteCoverage b(dir.path().c_str(), "rings");
    ASSERT_EQ(b.StartArc("small", kFgnTrue), 0);
    for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {0.0, 3.0}})
        ASSERT_EQ(b.AddVertex(x, y), 0);
    ASSERT_EQ(b.StartArc("big", kFgnTrue), 0);
    for (int i = 0; i < 600; ++i) ASSERT_EQ(b.AddVertex(100 + i, 200 + (i % 7)), 0);
    ASSERT_EQ(b.EndArc(), 0);
    ASSERT_EQ(b.Cover()->record_count[kTamrecArcs], 3);
    EXPECT_EQ(Vertices(b, 1), 4);
    EXPECT_EQ(Vertex(b, 1, 3).x, 0);
    EXPECT_EQ(Vertex(b, 1, 3).y, 0);
    EXPECT_EQ(Vertices(b, 2), 500);
    EXPECT_EQ(Vertices(b, 3), 102);
    EXPECT_EQ(Vertex(b, 3, 101).x, 100);
    EXPECT_EQ(Vertex(b, 3, 101).y, 200);
}

TEST(WriteCoverageTest, EmptyArcIsDroppedAndTheTableBlocksArcs) {
    TempDir dir;
    CWriteCoverage b(dir.path().c_str(), "empty");
    ASSERT_EQ(b.StartArc("a", kFgnFalse), 0);
    EXPECT_EQ(b.EndArc(), 1);
    EXPECT_EQ(b.Cover()->record_count[kTamrecArcs], 1);
    EXPECT_EQ(Vertices(b, 1), -1);
    EXPECT_EQ(b.AddVertex(1, 1), 1);
}

TEST(WriteCoverageTest, LabelsTicsTextsAndBoundsReadBack) {
    TempDir dir;
    CWriteCoverage b(dir.path().c_str(), "mixed");
    ASSERT_EQ(b.CheckTarget(), kFgnTrue);
    const double e = 500000.125, n = 5000000.375;
    ASSERT_EQ(b.AddLabel("p1", e + 1, n + 2), 0);
    ASSERT_EQ(b.AddTic(e, n), 0);
    ASSERT_EQ(b.AddTic(e + 10, n + 10), 0);
    ASSERT_EQ(b.AddText("Name", e + 2, n + 3, e + 6, n + 3, 1.5), 0);
    ASSERT_EQ(b.StartArc("r", kFgnFalse), 0);
    ASSERT_EQ(b.AddVertex(e + 1, n + 1), 0);
    ASSERT_EQ(b.AddVertex(e + 3, n + 4), 0);
    ASSERT_EQ(b.Save(), 0) << tamrec_last_error_text();
    EXPECT_EQ(b.Cover(), nullptr);
    EXPECT_EQ(b.Save(), 1);
    const CoverDump d = DumpCover(dir.path(), "mixed");
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(d.double_precision);
    ASSERT_EQ(d.labels.size(), 1u);
    EXPECT_EQ(d.labels[0].x, e + 1);
    EXPECT_EQ(d.labels[0].y, n + 2);
    ASSERT_EQ(d.tics.size(), 2u);
    EXPECT_EQ(d.tics[1].id, 2);
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].text, "Name");
    EXPECT_EQ(d.texts[0].height, 1.5);
    EXPECT_EQ(d.xmin, e);
    EXPECT_EQ(d.ymax, n + 10);
    ASSERT_EQ(d.arcs.size(), 1u);
    EXPECT_EQ(d.arcs[0].vertices.back(), (std::pair<double, double>{e + 3, n + 4}));
}

TEST(WriteCoverageTest, ExistingCoverageIsReplacedOnlyAsACoverage) {
    TempDir dir;
    {
        CWriteCoverage b(dir.path().c_str(), "cov");
        ASSERT_EQ(b.CheckTarget(), kFgnTrue);
        ASSERT_EQ(b.AddTic(1, 1), 0);
        ASSERT_EQ(b.AddLabel("a", 2, 2), 0);
        ASSERT_EQ(b.Save(), 0) << tamrec_last_error_text();
    }
    {
        CWriteCoverage b(dir.path().c_str(), "cov");
        ASSERT_EQ(b.CheckTarget(), kFgnTrue);
        ASSERT_EQ(b.AddTic(1, 1), 0);
        ASSERT_EQ(b.AddLabel("a", 3, 3), 0);
        ASSERT_EQ(b.AddLabel("b", 4, 4), 0);
        ASSERT_EQ(b.Save(), 0) << tamrec_last_error_text();
    }
    EXPECT_EQ(DumpCover(dir.path(), "cov").labels.size(), 2u);
    fs::create_directory(dir / "plain");
    CWriteCoverage other(dir.path().c_str(), "plain");
    EXPECT_EQ(other.CheckTarget(), kFgnFalse);
    CWriteCoverage longName(dir.path().c_str(), "abcdefghijklm");
    EXPECT_EQ(longName.CheckTarget(), kFgnFalse);
}

std::string WriteCheck(const fs::path& ws, const char* cover, TFgnBool replace) {
    TFgnBool valid = kFgnTrue;
    char* message = CheckCoverageWritePath(ws.c_str(), cover, replace, valid);
    const std::string text = message == nullptr ? "" : message;
    delete[] message;
    EXPECT_EQ(valid, message == nullptr ? kFgnTrue : kFgnFalse);
    return text;
}

TEST(WriteCoverageTest, WritePathChecks) {
    TempDir dir;
    EXPECT_EQ(WriteCheck(dir.path(), "abcdefghijklm", kFgnFalse),
              EsriMessage(kMsgWriteNameTooLong));
    EXPECT_EQ(WriteCheck(dir.path(), "abcdefghijkl", kFgnFalse), "");
    EXPECT_EQ(WriteCheck(dir / "missing", "c", kFgnFalse),
              EsriMessage(kMsgWriteWorkspaceNotDirectory));
    wlxtest::WriteText(dir / "c", "x");
    EXPECT_EQ(WriteCheck(dir.path(), "c", kFgnFalse), EsriMessage(kMsgWriteInvalidWorkspace));
    fs::remove(dir / "c");
    CWriteCoverage b(dir.path().c_str(), "c");
    ASSERT_EQ(b.AddTic(1, 1), 0);
    ASSERT_EQ(b.Save(), 0);
    EXPECT_EQ(WriteCheck(dir.path(), "c", kFgnFalse), EsriMessage(kMsgWriteCoverExists));
    EXPECT_EQ(WriteCheck(dir.path(), "c", kFgnTrue), "");
}

}  // namespace
