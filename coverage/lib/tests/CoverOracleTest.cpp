// Every fixture cover, read through the library, equals what GDAL's coverage
// driver reads from it: counts, identifiers, coordinates, attribute rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "testing/TestSupport.h"
#include "testing/coverage/CoverBuilder.h"
#include "testing/coverage/CoverDump.h"
#include "testing/coverage/CoverGenerator.h"
#include "testing/coverage/OutsideTools.h"

namespace covtest {
namespace {

std::string Field(const OgrFeature& f, const std::string& name) {
    const auto it = f.fields.find(name);
    return it == f.fields.end() ? "<missing " + name + ">" : it->second;
}

std::int64_t IntField(const OgrFeature& f, const std::string& name) {
    return std::atoll(Field(f, name).c_str());
}

void ExpectNear(double expected, double actual, double tolerance, const std::string& what) {
    EXPECT_LE(std::fabs(expected - actual), tolerance)
        << what << ": " << expected << " vs " << actual;
}

// ogrinfo prints coordinates with 15 significant digits.
void ExpectPoints(const std::vector<double>& ogr, const Points& points, const std::string& what) {
    ASSERT_EQ(ogr.size(), 2 * points.size()) << what;
    for (std::size_t i = 0; i < points.size(); ++i) {
        ExpectNear(ogr[2 * i], points[i].first, 1e-13 * std::fabs(points[i].first) + 1e-12, what);
        ExpectNear(ogr[2 * i + 1], points[i].second, 1e-13 * std::fabs(points[i].second) + 1e-12,
                   what);
    }
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// One attribute value against ogrinfo's text of it. Reals print with the
// item's decimals, so they agree to half a unit of the last printed digit.
void ExpectItem(const Item& item, const std::string& ours, const std::string& ogr,
                const std::string& what) {
    const std::string where = what + " " + item.name;
    const bool numeric_text = item.type == 3 || item.type == 4;
    if (item.type == 6 || numeric_text) {
        const std::size_t dot = ogr.find('.');
        const int digits = dot == std::string::npos ? 0 : static_cast<int>(ogr.size() - dot - 1);
        ExpectNear(std::atof(ogr.c_str()), std::atof(ours.c_str()),
                   0.5 * std::pow(10.0, -digits) + 1e-9, where);
    } else if (item.type == 5) {
        EXPECT_EQ(ogr, ours) << where;
    } else {
        EXPECT_EQ(TrimRight(ogr), ours) << where;
    }
}

void ExpectRow(const std::vector<Item>& items, std::size_t first_item, const Row& row,
               const OgrFeature& f, const std::string& what) {
    for (std::size_t i = first_item; i < items.size(); ++i)
        ExpectItem(items[i], row.at(items[i].name), Field(f, items[i].name), what);
}

// GDAL's driver reads polygons from "pal" only, not from the "pff" that the
// library writes: `pal` false expects none from it.
void ExpectSameAsOgr(const std::filesystem::path& workspace, const std::string& name,
                     bool pal = true) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    const CoverDump dump = DumpCover(workspace, name);
    ASSERT_EQ(dump.error, "");
    EXPECT_EQ(dump.unreadable, 0);
    SCOPED_TRACE(ToText(dump));
    OgrLayers layers = ReadWithOgrInfo(ogrinfo, workspace / name);
    ASSERT_FALSE(layers.empty()) << "ogrinfo cannot open " << name;

    const auto& arcs = layers["ARC"];
    ASSERT_EQ(arcs.size(), dump.arcs.size());
    for (std::size_t k = 0; k < arcs.size(); ++k) {
        const OgrFeature& f = arcs[k];
        const Arc& a = dump.arcs[k];
        const std::string what = "arc " + std::to_string(k + 1);
        EXPECT_EQ(f.fid, static_cast<std::int64_t>(k + 1));
        EXPECT_EQ(IntField(f, "UserId"), a.user_id) << what;
        EXPECT_EQ(IntField(f, "FNODE_"), a.from_node) << what;
        EXPECT_EQ(IntField(f, "TNODE_"), a.to_node) << what;
        EXPECT_EQ(IntField(f, "LPOLY_"), a.left_polygon) << what;
        EXPECT_EQ(IntField(f, "RPOLY_"), a.right_polygon) << what;
        ExpectPoints(f.coordinates, a.vertices, what);
        // The driver shows the first four items as the arc's own node and polygon fields.
        if (dump.aat_attached) ExpectRow(dump.aat_items, 4, dump.aat.at(k), f, what);
    }

    const auto& labels = layers["LAB"];
    ASSERT_EQ(labels.size(), dump.labels.size());
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const OgrFeature& f = labels[k];
        const Label& l = dump.labels[k];
        const std::string what = "label " + std::to_string(k + 1);
        EXPECT_EQ(IntField(f, "ValueId"), l.user_id) << what;
        EXPECT_EQ(IntField(f, "PolyId"), l.polygon_id) << what;
        ExpectPoints(f.coordinates, {{l.x, l.y}}, what);
        if (dump.pat_on_labels) ExpectRow(dump.pat_items, 0, dump.pat.at(k), f, what);
    }

    // The driver leaves out polygon 1, the outside polygon.
    const auto& polygons = layers["PAL"];
    if (pal) {
        ASSERT_EQ(polygons.size(), dump.polygons.empty() ? 0 : dump.polygons.size() - 1);
    } else {
        EXPECT_TRUE(polygons.empty());
    }
    for (const OgrFeature& f : pal ? polygons : std::vector<OgrFeature>{}) {
        const std::string what = "polygon " + std::to_string(f.fid);
        ASSERT_GE(f.fid, 2);
        ASSERT_LE(f.fid, static_cast<std::int64_t>(dump.polygons.size()));
        EXPECT_EQ(IntegerList(Field(f, "ArcIds")),
                  dump.polygons[static_cast<std::size_t>(f.fid - 1)].arcs)
            << what;
        if (dump.pat_on_polygons)
            ExpectRow(dump.pat_items, 0, dump.pat.at(static_cast<std::size_t>(f.fid - 1)), f, what);
    }

    const auto& centroids = layers["CNT"];
    ASSERT_EQ(centroids.size(), dump.centroids.size());
    for (std::size_t k = 0; k < centroids.size(); ++k) {
        const Centroid& c = dump.centroids[k];
        EXPECT_EQ(IntegerList(Field(centroids[k], "LabelIds")), c.labels);
        ExpectPoints(centroids[k].coordinates, {{c.x, c.y}}, "centroid " + std::to_string(k + 1));
    }

    const auto& texts = layers["TXT"];
    ASSERT_EQ(texts.size(), dump.texts.size());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const OgrFeature& f = texts[k];
        const Text& t = dump.texts[k];
        const std::string what = "text " + std::to_string(k + 1);
        EXPECT_EQ(Field(f, "Text"), t.text) << what;
        ExpectNear(std::atof(Field(f, "Height").c_str()), t.height, 1e-9, what);
        EXPECT_EQ(IntField(f, "Level"), t.user_id) << what;
        ASSERT_FALSE(t.line.empty()) << what;
        ExpectPoints(f.coordinates, {t.line[0]}, what);
    }

    const std::filesystem::path avcexport = wlxtest::FindTool("avcexport");
    if (!avcexport.empty() && !dump.table_form) {
        const std::vector<ExportedTic> tics = TicsFromAvcExport(avcexport, workspace / name);
        ASSERT_EQ(tics.size(), dump.tics.size());
        for (std::size_t k = 0; k < tics.size(); ++k) {
            EXPECT_EQ(tics[k].id, dump.tics[k].id);
            ExpectPoints({tics[k].x, tics[k].y}, {{dump.tics[k].x, dump.tics[k].y}},
                         "tic " + std::to_string(k + 1));
        }
    }
}

class ImportedCoverTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ImportedCoverTest, ReadsAsGdalDoes) {
    FIND_TOOL_OR_SKIP(avcimport, "avcimport");
    wlxtest::TempDir dir;
    ASSERT_TRUE(ImportE00(avcimport, GetParam(), dir / "ws"));
    ExpectSameAsOgr(dir / "ws", GetParam());
}

INSTANTIATE_TEST_SUITE_P(E00, ImportedCoverTest, ::testing::Values("square", "wells"));

struct Form {
    const char* name;
    bool double_precision, adf_suffix, info_style4, table_form;
};

void PrintTo(const Form& form, std::ostream* out) {
    *out << form.name;
}

class GeneratedCoverTest : public ::testing::TestWithParam<Form> {};

TEST_P(GeneratedCoverTest, ReadsAsGdalDoes) {
    const Form form = GetParam();
    GenCover cover = SampleCover(form.name);
    cover.double_precision = form.double_precision;
    cover.adf_suffix = form.adf_suffix;
    cover.info_style4 = form.info_style4;
    cover.table_form = form.table_form;
    wlxtest::TempDir dir;
    WriteFiles(dir.path(), CoverFiles(cover));
    ExpectSameAsOgr(dir.path(), form.name);
}

INSTANTIATE_TEST_SUITE_P(Forms, GeneratedCoverTest,
                         ::testing::Values(Form{"plain", false, false, false, false},
                                           Form{"precise", true, true, true, false},
                                           Form{"dbase", false, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Covers saved by the library read as GDAL and avcexport read them.
class SavedCoverTest : public ::testing::TestWithParam<Form> {};

TEST_P(SavedCoverTest, ReadsAsGdalDoes) {
    const Form form = GetParam();
    GenCover cover = SampleCover(form.name);
    cover.double_precision = form.double_precision;
    cover.adf_suffix = form.adf_suffix;
    cover.table_form = form.table_form;
    if (form.table_form) cover.aat = cover.pat = GenTable{};
    tamrec_cover* built = BuildCover(cover);
    ASSERT_NE(built, nullptr);
    wlxtest::TempDir dir;
    const int saved = tamrec_save_cover((dir / "ws").c_str(), form.name, built);
    tamrec_free_cover(&built);
    ASSERT_EQ(saved, 0) << tamrec_last_error_text();
    ExpectSameAsOgr(dir / "ws", form.name, false);
    const CoverDump dump = DumpCover(dir / "ws", form.name);
    EXPECT_EQ(dump.double_precision, form.double_precision);
    EXPECT_EQ(dump.arcs.size(), cover.arcs.size());
    EXPECT_EQ(dump.aat_attached, !form.table_form);
}

INSTANTIATE_TEST_SUITE_P(Forms, SavedCoverTest,
                         ::testing::Values(Form{"plain", false, false, false, false},
                                           Form{"precise", true, true, true, false},
                                           Form{"dbase", false, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace covtest
