// The run's coordinate conversion through the coordinate-system library
// itself: reader and writer are doubles, the converters are the real ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "coordsys/CoordSysDescriptor.h"
#include "coordsys/CsParams.h"
#include "loader/app/LoaderApp.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/LoaderSettings.h"
#include "testing/ConsoleOutput.h"
#include "testing/FakePoint.h"
#include "testing/TestSupport.h"

namespace {

std::vector<std::pair<double, double>> g_input;   // one point object each
std::vector<std::pair<double, double>> g_output;  // what the writer was given

class PointReader : public CSourceReaderInterface {
public:
    Status Rewind() override { return 0; }
    Status ReadNext(CFeatureRecord* record) override {
        if (next_ >= g_input.size()) return kWlxEndOfData;
        auto [x, y] = g_input[next_++];
        IWKBGeometry* point = new FakePoint(x, y);
        record->SetGeometry(point);
        point->Release();
        return 0;
    }
    int AtEnd() override { return next_ >= g_input.size(); }
    Status GetTableSchemas(CTableSchemaList*) override { return 0; }
    Status GetFileInfo(CFileInfo*) override { return kLoaderInfoNotApplicable; }

private:
    std::size_t next_ = 0;
};

class PointWriter : public CWriterBase {
public:
    PointWriter(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
        : CWriterBase(settings, status, schemas) {}
    Status Write(CFeatureRecord* record) override {
        ComPtr<IWKBGeometry> geometry;
        record->GetGeometry(geometry.Put());
        double x = 0, y = 0;
        if (auto point = ComPtr<IWKBPoint>::QueryFrom(geometry.Get())) point->GetXY(&x, &y);
        g_output.emplace_back(x, y);
        return 0;
    }
    Status Close() override { return 0; }
};

std::unique_ptr<CSourceReaderInterface> MakeReader(CLoaderSettings*, Status* status) {
    *status = 0;
    return std::make_unique<PointReader>();
}

std::unique_ptr<CWriterBase> MakeWriter(CLoaderSettings* settings, Status* status,
                                        CTableSchemaList* schemas) {
    return std::make_unique<PointWriter>(settings, status, schemas);
}

const ReaderFactoryEntry kReaders[] = {{'N', MakeReader}};
const WriterFactoryEntry kWriters[] = {{'O', MakeWriter}};

// One run of the points in `input` with the /COORDSYS switch given.
struct TestRun {
    TestRun(const std::string& coordsys, std::vector<std::pair<double, double>> input,
            std::unique_ptr<CCoordSysDescriptor> inputDescriptor = nullptr) {
        g_input = std::move(input);
        g_output.clear();
        LoaderHooks hooks;
        hooks.readers = kReaders;
        hooks.writers = kWriters;
        hooks.console = console.out();
        hooks.keyboard = console.in();
        app = std::make_unique<CLoaderApp>(&status, hooks);
        std::vector<const char*> argv{"wlxconv", coordsys.c_str(), "/IN", "/OO", "in", "out"};
        int usage = 0;
        status = app->ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &usage);
        if (inputDescriptor) app->Settings()->inputCoordSys = std::move(inputDescriptor);
        if (status == 0) status = app->RunConversion();
        text = console.Text();
    }
    TestConsole console;
    Status status = 0;
    std::unique_ptr<CLoaderApp> app;
    std::string text;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// proj +proj=utm +zone=10 +ellps=GRS80 -f %.9f
const struct {
    double longitude, latitude, x, y;
} kUtm10[] = {
    {-129.0, 0.0, -168881.688527511, 0.0},
    {-123.0, 45.0, 500000.0, 4982950.400106853},
    {-121.0, 60.0, 611544.041978213, 6653097.435171964},
    {-117.0, 84.0, 569895.476537151, 9331736.903218335},
};

TEST(CoordConversion, ProjectsAndUnprojectsLikeProj) {
    std::vector<std::pair<double, double>> geographic, projected;
    for (const auto& p : kUtm10) {
        geographic.emplace_back(p.longitude, p.latitude);
        projected.emplace_back(p.x, p.y);
    }
    TestRun forward("/COORDSYS:IN:LL84:OUT:UTM83-10", geographic);
    ASSERT_EQ(forward.status, 0) << forward.text;
    ASSERT_EQ(g_output.size(), std::size(kUtm10));
    for (std::size_t i = 0; i < g_output.size(); ++i) {
        EXPECT_NEAR(g_output[i].first, kUtm10[i].x, 0.001) << i;
        EXPECT_NEAR(g_output[i].second, kUtm10[i].y, 0.001) << i;
    }
    // 6 degrees from the meridian and at 84 north lie outside the zone's
    // useful range, not outside the projection's domain.
    EXPECT_EQ(forward.text.find("folded"), std::string::npos) << forward.text;

    TestRun inverse("/COORDSYS:IN:UTM83-10:OUT:LL84", projected);
    ASSERT_EQ(inverse.status, 0) << inverse.text;
    for (std::size_t i = 0; i < g_output.size(); ++i) {
        EXPECT_NEAR(g_output[i].first, kUtm10[i].longitude, 1e-8) << i;
        EXPECT_NEAR(g_output[i].second, kUtm10[i].latitude, 1e-8) << i;
    }
}

TEST(CoordConversion, AnUnknownSystemPrintsTheLibrarysMessage) {
    TestRun run("/COORDSYS:NO-SUCH-CS", {{1, 2}});
    EXPECT_EQ(run.status, kLoaderCoordSysNotFound);
    EXPECT_NE(run.text.find("*Error* : Coordinate system named NO-SUCH-CS does not exist.\n"
                            "*Error* : The desired coordinate system, NO-SUCH-CS, was not\n"
                            "          found, or cannot be used.\n"),
              std::string::npos)
        << run.text;
    EXPECT_TRUE(g_output.empty());
}

TEST(CoordConversion, PointsOutsideTheDomainAreWrittenWithOneWarning) {
    // 120 degrees from the zone's central meridian.
    TestRun run("/COORDSYS:IN:LL84:OUT:UTM83-10", {{-3, 10}, {-123, 45}, {-2, 20}});
    EXPECT_EQ(run.status, 0) << run.text;
    EXPECT_EQ(g_output.size(), 3u);
    const std::string warning =
        "Warning : Coordinates outside the domain of the coordinate system UTM83-10 have been "
        "folded or clamped into it.\n";
    EXPECT_EQ(Count(run.text, warning), 1u) << run.text;
    EXPECT_EQ(run.app->HasWarnings(), 1);
}

TEST(CoordConversion, InputFileDescriptors) {
    CsPtr<CsParams> utm(CS_loadCoordSys("UTM83-10"));
    ASSERT_TRUE(utm) << CS_lastMessage();

    // A text too long for the library's record is cut, and the user told.
    auto cut = std::make_unique<CCoordSysDescriptor>(*utm);
    cut->description = std::string(100, 'd');
    TestRun warned("/COORDSYS:UTM83-10", {{kUtm10[1].x, kUtm10[1].y}}, std::move(cut));
    EXPECT_EQ(warned.status, 0) << warned.text;
    EXPECT_NE(warned.text.find("Warning : The metadata retrieved contains unsupported UNICODE "
                               "characters"),
              std::string::npos)
        << warned.text;
    ASSERT_EQ(g_output.size(), 1u);
    EXPECT_NEAR(g_output[0].first, -123.0, 1e-9);
    EXPECT_NEAR(g_output[0].second, 45.0, 1e-9);

    // A non-georeferenced system has no latitude and longitude to give.
    auto local = std::make_unique<CCoordSysDescriptor>(*utm);
    local->projectionKey = "NERTH";
    TestRun refused("/COORDSYS:PLANT-GRID", {{1, 2}}, std::move(local));
    EXPECT_EQ(refused.status, kLoaderCoordSysNotFound);
    EXPECT_NE(refused.text.find(
                  "*Error* : Conversion from a NERTH type definition to another type is not "
                  "supported.\n*Error* : The desired coordinate system, PLANT-GRID, was not"),
              std::string::npos)
        << refused.text;
}

// No system has a point for a NaN or an infinity: the object is left out
// with a warning and the run goes on.
TEST(CoordConversion, NonFinitePointsAreSkipped) {
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Without any conversion the object is left out all the same.
    for (const char* coordsys :
         {"/COORDSYS:IN:LL84:OUT:UTM83-10", "/COORDSYS:IN:UTM83-10:OUT:LL84", "/COORDSYS:LL84"}) {
        TestRun run(coordsys, {{-123, 45}, {infinity, 0}, {nan, 45}, {500000, -nan}, {-123, 46}});
        EXPECT_EQ(run.status, 0) << run.text;
        EXPECT_EQ(g_output.size(), 2u) << coordsys;
        for (const auto& [x, y] : g_output) EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
        EXPECT_EQ(
            Count(run.text, "has a coordinate that is not a finite number and is not written."), 3u)
            << run.text;
        EXPECT_EQ(run.app->HasWarnings(), 1);
    }
}

// A northing beyond the pole is taken at the pole, and the run says so.
TEST(CoordConversion, NorthingsBeyondThePoleStopThere) {
    TestRun run("/COORDSYS:IN:UTM83-10:OUT:LL84", {{500000, 10600000}, {500000, -600000}});
    EXPECT_EQ(run.status, 0) << run.text;
    ASSERT_EQ(g_output.size(), 2u);
    EXPECT_EQ(g_output[0].second, 90.0);
    EXPECT_LE(std::fabs(g_output[1].second), 90.0);
    EXPECT_EQ(Count(run.text,
                    "Warning : Coordinates outside the domain of the coordinate system "
                    "UTM83-10 have been folded or clamped into it.\n"),
              1u)
        << run.text;
}

// Inside the zone no word; 15 degrees from the meridian (the projection 0.9 m
// off there) converted with one warning for the run.
TEST(CoordConversion, PointsOutsideTheUsefulRangeAreWrittenWithOneWarning) {
    const std::string warning =
        "Warning : Coordinates outside the useful range of the coordinate system UTM83-10 have "
        "been converted; the projection is less accurate there.\n";
    TestRun inside("/COORDSYS:IN:LL84:OUT:UTM83-10", {{-123, 45}, {-125.5, 10}, {-120.5, 80}});
    EXPECT_EQ(Count(inside.text, warning), 0u) << inside.text;
    EXPECT_EQ(inside.app->HasWarnings(), 0);

    TestRun outside("/COORDSYS:IN:LL84:OUT:UTM83-10", {{-123, 45}, {-108, 45}, {-138, 45}});
    EXPECT_EQ(outside.status, 0) << outside.text;
    EXPECT_EQ(g_output.size(), 3u);
    EXPECT_EQ(Count(outside.text, warning), 1u) << outside.text;
    EXPECT_EQ(outside.app->HasWarnings(), 1);
    // Nothing folded: the points lie inside the projection's domain.
    EXPECT_EQ(outside.text.find("folded"), std::string::npos) << outside.text;

    // The inverse's points count as well.
    TestRun inverse("/COORDSYS:IN:UTM83-10:OUT:LL84", {{500000, 4982950}, {1700000, 5000000}});
    EXPECT_EQ(Count(inverse.text, warning), 1u) << inverse.text;
}

// Latitude/longitude keys get no converter but must name a system.
TEST(CoordConversion, AnUnknownLatLongKeyIsRefused) {
    for (const char* coordsys : {"/COORDSYS:IN:LLXYZ:OUT:UTM83-10", "/COORDSYS:IN:LL84:OUT:LL99"}) {
        std::string key =
            std::string(coordsys).find("LLXYZ") != std::string::npos ? "LLXYZ" : "LL99";
        TestRun run(coordsys, {{1, 2}});
        EXPECT_EQ(run.status, kLoaderCoordSysNotFound) << coordsys;
        EXPECT_NE(run.text.find("*Error* : Coordinate system named " + key +
                                " does not exist.\n*Error* : The desired coordinate system, " +
                                key + ", was not"),
                  std::string::npos)
            << run.text;
        EXPECT_TRUE(g_output.empty());
    }
    TestRun known("/COORDSYS:IN:LL27:OUT:LL84", {{1, 2}});
    EXPECT_EQ(known.status, 0) << known.text;
    EXPECT_EQ(g_output.size(), 1u);
}

TEST(CoordConversion, TheProgramExitsWithOneOnAnUnknownSystem) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.txt", "objects=1");
    auto result = wlxtest::Run(wlxtest::BinDir() / "wlxconv_probe",
                               {"/COORDSYS:IN:LL84:OUT:NO-SUCH-CS", "/IN", "/OO",
                                (dir / "in.txt").string(), (dir / "out").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("*Error* : Coordinate system named NO-SUCH-CS does not exist.\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("*Error* : The desired coordinate system, NO-SUCH-CS, was not"),
              std::string::npos);
}

// The real program on a WLT with a NaN and an infinity: with or without a
// conversion, neither reaches the output file.
TEST(CoordConversion, TheProgramWritesNoNonFiniteNumber) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "in.wlt",
                       "M,\"A\",\"K1\",\"\",1\n45,-123\nM,\"B\",\"K2\",\"\",1\n45,nan\n"
                       "M,\"C\",\"K3\",\"\",1\ninf,-123\n");
    for (const char* coordsys : {"/COORDSYS:LL84", "/COORDSYS:IN:LL84:OUT:UTM83-10"}) {
        auto result = wlxtest::RunWlxconv(
            {"/IL", "/OL", "/WO", coordsys, (dir / "in.wlt").string(), (dir / "out").string()});
        EXPECT_NE(result.out.find("Warning : Object [B - K2] has a coordinate that is not a finite "
                                  "number and is not written.\n"),
                  std::string::npos)
            << coordsys << "\n"
            << result.out;
        EXPECT_NE(result.out.find("Object [C - K3] has a coordinate"), std::string::npos);
        EXPECT_NE(result.out.find("Total: 1\n"), std::string::npos) << result.out;
        const std::string written = wlxtest::ReadText(dir / "out.wlt");
        EXPECT_NE(written.find("M,\"A\",\"K1\""), std::string::npos) << written;
        EXPECT_EQ(written.find("nan"), std::string::npos) << written;
        EXPECT_EQ(written.find("inf"), std::string::npos) << written;
    }
}

}  // namespace
