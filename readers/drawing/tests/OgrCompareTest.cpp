// The dump of every fixture against `ogrinfo -al` on the same file: layers,
// handles, paper space and world coordinates within 1e-9 relative. GDAL
// explodes block references (each exploded entity carries the reference's
// handle) and tessellates curves, so curve points are checked to lie on the
// model's curve and its ends to be the curve's ends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "readers/drawing/DrawingText.h"
#include "readers/drawing/tests/DrawingDump.h"
#include "testing/TestSupport.h"

namespace {

using drawing::Point3d;
using drawingtest::DumpEntry;
using drawingtest::EDumpShape;

constexpr double kTolerance = 1e-9;

struct OgrFeature {
    std::string layer;
    std::string handle;
    bool paper = false;
    bool hasZ = false;
    std::vector<Point3d> points;
};

std::vector<double> Numbers(const std::string& text) {
    std::vector<double> numbers;
    const char* p = text.c_str();
    while (*p != '\0') {
        if ((*p >= '0' && *p <= '9') || *p == '-' || *p == '.') {
            char* end = nullptr;
            numbers.push_back(std::strtod(p, &end));
            p = end > p ? end : p + 1;
        } else {
            ++p;
        }
    }
    return numbers;
}

bool IsGeometryLine(const std::string& line) {
    for (const char* keyword :
         {"POINT", "LINESTRING", "POLYGON", "MULTILINESTRING", "MULTIPOINT", "MULTIPOLYGON"}) {
        const std::string prefix = std::string("  ") + keyword;
        if (line.rfind(prefix, 0) == 0 &&
            (line[prefix.size()] == ' ' || line[prefix.size()] == '(')) {
            return true;
        }
    }
    return false;
}

std::vector<OgrFeature> ReadWithOgr(const std::filesystem::path& ogrinfo,
                                    const std::filesystem::path& file) {
    const auto result = wlxtest::Run(
        ogrinfo, {"--config", "DXF_MERGE_BLOCK_GEOMETRIES", "FALSE", "-al", "-q", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<OgrFeature> features;
    std::istringstream lines(result.out);
    std::string line;
    auto value = [&](const std::string& prefix, std::string& out) {
        if (line.rfind(prefix, 0) != 0) return false;
        out = line.substr(prefix.size());
        return true;
    };
    while (std::getline(lines, line)) {
        if (line.rfind("OGRFeature(", 0) == 0) {
            features.emplace_back();
            continue;
        }
        if (features.empty()) continue;
        OgrFeature& f = features.back();
        std::string text;
        if (value("  Layer (String) = ", f.layer) ||
            value("  EntityHandle (String) = ", f.handle)) {
            continue;
        }
        if (value("  PaperSpace (Integer(Boolean)) = ", text)) {
            f.paper = text == "1";
        } else if (IsGeometryLine(line)) {
            f.hasZ = line.find(" Z (") != std::string::npos;
            const std::vector<double> numbers = Numbers(line.substr(line.find('(')));
            const std::size_t dimension = f.hasZ ? 3 : 2;
            for (std::size_t i = 0; i + dimension <= numbers.size(); i += dimension) {
                f.points.push_back({numbers[i], numbers[i + 1], f.hasZ ? numbers[i + 2] : 0});
            }
        }
    }
    return features;
}

bool Near(double a, double b) {
    return std::abs(a - b) <= kTolerance * std::max({1.0, std::abs(a), std::abs(b)});
}

bool NearPoint(const Point3d& a, const Point3d& b, bool useZ) {
    return Near(a.x, b.x) && Near(a.y, b.y) && (!useZ || Near(a.z, b.z));
}

// Our points, consecutive repeats dropped, appear in GDAL's in order.
bool IsSubsequence(const std::vector<Point3d>& ours, const std::vector<Point3d>& theirs,
                   bool useZ) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (i > 0 && NearPoint(ours[i], ours[i - 1], useZ)) continue;
        while (at < theirs.size() && !NearPoint(ours[i], theirs[at], useZ)) ++at;
        if (at == theirs.size()) return false;
        ++at;
    }
    return true;
}

// The curve's ends are GDAL's first and last points, in either order.
bool SameEnds(const DumpEntry& entry, const OgrFeature& f, std::size_t first) {
    const Point3d& start = entry.points[first];
    const Point3d& end = entry.points[first + 1];
    const Point3d& a = f.points.front();
    const Point3d& b = f.points.back();
    return (NearPoint(start, a, f.hasZ) && NearPoint(end, b, f.hasZ)) ||
           (NearPoint(start, b, f.hasZ) && NearPoint(end, a, f.hasZ));
}

// GDAL 3.6 reads the UTF-8 of drawings of AC1021 and later as their
// $DWGCODEPAGE (ANSI_1252 in the fixtures): the names it lists are that misreading.
std::string AsGdalReadsIt(const std::string& name, bool utf8Drawing) {
    if (!utf8Drawing) return name;
    drawing::CTextDecoder ansi;
    ansi.Configure("AC1015", "ANSI_1252");
    return ansi.Decode(name);
}

void Check(const DumpEntry& entry, const OgrFeature& f, bool utf8Drawing,
           const std::string& where) {
    SCOPED_TRACE(where + " handle " + entry.handle + " " + entry.className);
    EXPECT_EQ(AsGdalReadsIt(entry.layer, utf8Drawing), f.layer);
    EXPECT_EQ(entry.paperSpace, f.paper);
    ASSERT_FALSE(f.points.empty());
    const drawing::Matrix3d toBlock = drawingtest::InverseAffine(entry.toWorld);
    // GDAL drops the elevation of old-style 2D polylines.
    const bool useZ = f.hasZ && entry.className != "DxDb2dPolyline";
    switch (entry.shape) {
        case EDumpShape::kAnchor:
            ASSERT_EQ(f.points.size(), 1u);
            EXPECT_TRUE(NearPoint(entry.points[0], f.points[0], f.hasZ));
            break;
        case EDumpShape::kPath:
            EXPECT_TRUE(IsSubsequence(entry.points, f.points, useZ));
            break;
        case EDumpShape::kCircle: {
            const drawing::Matrix3d ocs = entry.ocs;
            for (const Point3d& q : f.points) {
                const Point3d b = toBlock.TransformPoint(q);
                // The object system is orthonormal: its transpose takes world to object.
                const Point3d p{ocs(0, 0) * b.x + ocs(1, 0) * b.y + ocs(2, 0) * b.z,
                                ocs(0, 1) * b.x + ocs(1, 1) * b.y + ocs(2, 1) * b.z,
                                ocs(0, 2) * b.x + ocs(1, 2) * b.y + ocs(2, 2) * b.z};
                const double r = std::hypot(p.x - entry.ocsCenter.x, p.y - entry.ocsCenter.y);
                EXPECT_NEAR(r, entry.radius, kTolerance * std::max(1.0, Length(p)));
                EXPECT_NEAR(p.z, entry.ocsCenter.z, kTolerance * std::max(1.0, Length(p)));
            }
            if (entry.points.size() == 3) {
                EXPECT_TRUE(SameEnds(entry, f, 1));
            }
            break;
        }
        case EDumpShape::kEllipse:
            for (const Point3d& q : f.points) {
                const Point3d d = toBlock.TransformPoint(q) - entry.center;
                const double u = Dot(d, entry.major) / Dot(entry.major, entry.major);
                const double v = Dot(d, entry.minor) / Dot(entry.minor, entry.minor);
                EXPECT_NEAR(std::hypot(u, v), 1.0, kTolerance * std::max(1.0, Length(q)));
            }
            EXPECT_TRUE(SameEnds(entry, f, 0));
            break;
        case EDumpShape::kSpline:
            for (const Point3d& q : f.points) {
                EXPECT_TRUE(entry.spline->Curve()->ParamAtPoint(toBlock.TransformPoint(q)))
                    << q.x << " " << q.y << " " << q.z;
            }
            EXPECT_TRUE(SameEnds(entry, f, 0));
            break;
        case EDumpShape::kNone:
            break;
    }
}

// Kinds GDAL leaves out: block references (it explodes them), attribute
// definitions, shapes, and what the model lists without geometry.
bool GdalDrawsIt(const DumpEntry& entry) {
    return entry.shape != EDumpShape::kNone && entry.className != "DxDbBlockReference" &&
           entry.className != "DxDbAttributeDefinition" && entry.className != "DxDbShape";
}

class OgrCompare : public testing::TestWithParam<const char*> {};

TEST_P(OgrCompare, EntitiesAgreeWithOgrinfo) {
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    const auto file = wlxtest::SourcePath(std::string("readers/drawing/tests/data/") + GetParam());
    drawing::CDatabase database;
    ASSERT_EQ(database.ReadDxfFile(file.string()), drawing::EOpenStatus::kOk)
        << database.LastError();
    const std::vector<DumpEntry> entries = drawingtest::DumpDrawing(database);
    std::map<std::string, std::vector<const DumpEntry*>> ours;
    std::map<std::string, int> listed;
    for (const DumpEntry& entry : entries) {
        ++listed[entry.handle];
        if (GdalDrawsIt(entry)) ours[entry.handle].push_back(&entry);
    }
    std::map<std::string, std::vector<OgrFeature>> theirs;
    for (OgrFeature& f : ReadWithOgr(ogrinfo, file)) theirs[f.handle].push_back(std::move(f));

    for (const auto& [handle, features] : theirs) {
        SCOPED_TRACE("handle '" + handle + "'");
        ASSERT_TRUE(listed.count(handle)) << "GDAL lists an entity the model does not";
        const auto mine = ours.find(handle);
        if (mine == ours.end()) continue;  // a kind the model lists without geometry (hatches)
        ASSERT_EQ(mine->second.size(), features.size());
        for (std::size_t i = 0; i < features.size(); ++i) {
            Check(*mine->second[i], features[i], database.AcadVersion() >= "AC1021",
                  GetParam() + (" #" + std::to_string(i)));
        }
    }
    for (const auto& [handle, mine] : ours) {
        EXPECT_TRUE(theirs.count(handle)) << "GDAL does not list handle '" << handle << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OgrCompare,
                         testing::Values("r12_hand.dxf", "r12_hand_crlf.dxf", "ezdxf_r2000.dxf",
                                         "ezdxf_r2010.dxf", "ezdxf_cp1251.dxf", "ezdxf_r12.dxf",
                                         "ogr_features.dxf", "ogr_points.dxf"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// GDAL reads no binary DXF: each binary fixture lists exactly as its ASCII
// twin, written by ezdxf from the same drawing.
TEST(BinaryDxf, ListsLikeItsAsciiTwin) {
    for (const auto& [binary, ascii] : {std::pair{"ezdxf_r2000_binary.dxf", "ezdxf_r2000.dxf"},
                                        std::pair{"ezdxf_r12_binary.dxf", "ezdxf_r12.dxf"}}) {
        SCOPED_TRACE(binary);
        drawing::CDatabase a;
        drawing::CDatabase b;
        const std::string dir = "readers/drawing/tests/data/";
        ASSERT_EQ(a.ReadDxfFile(wlxtest::SourcePath(dir + binary).string()),
                  drawing::EOpenStatus::kOk)
            << a.LastError();
        ASSERT_EQ(b.ReadDxfFile(wlxtest::SourcePath(dir + ascii).string()),
                  drawing::EOpenStatus::kOk);
        EXPECT_TRUE(a.IsBinaryDxf());
        EXPECT_FALSE(b.IsBinaryDxf());
        EXPECT_EQ(drawingtest::FormatDump(drawingtest::DumpDrawing(a)),
                  drawingtest::FormatDump(drawingtest::DumpDrawing(b)));
        EXPECT_EQ(a.Layers().size(), b.Layers().size());
        EXPECT_EQ(a.Blocks().size(), b.Blocks().size());
    }
}

}  // namespace
