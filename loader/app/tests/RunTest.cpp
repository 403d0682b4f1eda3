#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "loader/app/LoaderApp.h"
#include "loader/app/LoaderMain.h"
#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/Messages.h"
#include "platform/ComRuntime.h"
#include "testing/ConsoleOutput.h"
#include "testing/FakePoint.h"
#include "testing/TestSupport.h"

namespace {

// What the reader double gives and what the writer double saw.
struct Scenario {
    int objects = 0;
    int failAt = -1;
    Status endStatus = 0;                           // 0: the reader reports AtEnd
    std::vector<std::pair<double, double>> points;  // geometry of the first objects
    int writerPositiveAt = -1;
    std::vector<std::string> layers;  // for /INFO
    int written = 0;
    int closed = 0;
};
Scenario g_scenario;

class ReaderDouble : public CSourceReaderInterface {
public:
    Status Rewind() override { return 0; }
    Status ReadNext(CFeatureRecord* record) override {
        if (next_ >= g_scenario.objects)
            return g_scenario.endStatus ? g_scenario.endStatus : kWlxEndOfData;
        if (next_ == g_scenario.failAt) return kLoaderInputReadError;
        record->SetName("object");
        if (next_ < static_cast<int>(g_scenario.points.size())) {
            auto [x, y] = g_scenario.points[next_];
            IWKBGeometry* point = new FakePoint(x, y);
            record->SetGeometry(point);
            point->Release();
        }
        ++next_;
        return 0;
    }
    int AtEnd() override { return !g_scenario.endStatus && next_ >= g_scenario.objects; }
    Status GetTableSchemas(CTableSchemaList*) override { return 0; }
    Status GetFileInfo(CFileInfo* info) override {
        for (const auto& layer : g_scenario.layers) info->AddLayer(layer);
        return 0;
    }

private:
    int next_ = 0;
};

class WriterDouble : public CWriterBase {
public:
    WriterDouble(CLoaderSettings* settings, Status* status, CTableSchemaList* schemas)
        : CWriterBase(settings, status, schemas) {}
    Status Write(CFeatureRecord* record) override {
        ComPtr<IWKBGeometry> geometry;
        record->GetGeometry(geometry.Put());
        if (auto point = ComPtr<IWKBPoint>::QueryFrom(geometry.Get())) point->GetXY(&lastX, &lastY);
        ++settings_->pointsWritten;
        ++settings_->totalWritten;
        return g_scenario.written++ == g_scenario.writerPositiveAt ? 1 : 0;
    }
    Status Close() override {
        ++g_scenario.closed;
        return 0;
    }
    static inline double lastX = 0, lastY = 0;
};

// Shifts x by 1000 on the way to latitude/longitude, back on the way out.
class ShiftConverter : public CCoordConverter {
public:
    Status XYToLatLong(double x, double y, double* latitude, double* longitude) override {
        *longitude = x - 1000;
        *latitude = y;
        return 0;
    }
    Status LatLongToXY(double latitude, double longitude, double* x, double* y) override {
        *x = longitude + 1000;
        *y = latitude;
        return 0;
    }
};

Status MakeShift(const std::string& code, const CCoordSysDescriptor*, CLoaderSettings&,
                 std::unique_ptr<CCoordConverter>& converter) {
    if (code == "UNKNOWN") return kLoaderCoordSysNotFound;
    converter = std::make_unique<ShiftConverter>();
    return 0;
}

std::unique_ptr<CSourceReaderInterface> MakeReader(CLoaderSettings*, Status* status) {
    *status = 0;
    return std::make_unique<ReaderDouble>();
}

std::unique_ptr<CWriterBase> MakeWriter(CLoaderSettings* settings, Status* status,
                                        CTableSchemaList* schemas) {
    return std::make_unique<WriterDouble>(settings, status, schemas);
}

// The built-in drawing and plug-in readers, then the doubles.
std::vector<ReaderFactoryEntry> Readers() {
    std::vector<ReaderFactoryEntry> readers(BuiltInReaders().begin(), BuiltInReaders().end());
    readers.push_back({'N', MakeReader});
    return readers;
}
const std::vector<ReaderFactoryEntry> kReaders = Readers();
const WriterFactoryEntry kWriters[] = {{'O', MakeWriter}};

// One application with a captured console and a parsed command line.
struct TestRun {
    explicit TestRun(std::vector<std::string> args, const std::string& keyboard = "")
        : console(keyboard) {
        g_scenario.written = g_scenario.closed = 0;
        LoaderHooks hooks;
        hooks.readers = kReaders;
        hooks.writers = kWriters;
        hooks.makeConverter = MakeShift;
        hooks.console = console.out();
        hooks.keyboard = console.in();
        app = std::make_unique<CLoaderApp>(&status, hooks);
        args.insert(args.begin(), "wlxconv");
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        int usage = 0;
        status = app->ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &usage);
    }
    Status Convert() { return status = app->RunConversion(); }

    TestConsole console;
    Status status = 0;
    std::unique_ptr<CLoaderApp> app;
};

const std::string kRunStart =
    "Processing...\nInitializing file reader...\nInitializing coordinate system converter...\n"
    "Input Coordinate System : LL84\nOutput Coordinate System : LL84\nInitializing file "
    "writer...\n";

std::string Summary(int points) {
    return "Objects written to file:" + std::string(20, ' ') +
           "\nPoints: " + std::to_string(points) +
           "\nPolylines: 0\nPolyPolylines: 0\nPolygons: 0\nPolyPolygons: 0\nTotal: " +
           std::to_string(points) + "\nEMFs created: 0\n";
}

}  // namespace

TEST(RunTest, MovesEveryObjectFromReaderToWriter) {
    for (int objects : {0, 3, 250}) {
        g_scenario = Scenario{};
        g_scenario.objects = objects;
        TestRun run({"/IN", "/OO", "in", "out"});
        ASSERT_EQ(run.status, 0);
        EXPECT_EQ(run.Convert(), 0);
        EXPECT_EQ(g_scenario.written, objects);
        EXPECT_EQ(g_scenario.closed, 1);
        std::string text = run.console.Text();
        EXPECT_EQ(text.substr(0, kRunStart.size()), kRunStart);
        EXPECT_NE(text.find(Summary(objects)), std::string::npos) << text;
        EXPECT_NE(text.find("\nProcessing Time : "), std::string::npos);
        EXPECT_EQ(text.find("Number of Entities Processed: 0"), std::string::npos);
        if (objects) {
            EXPECT_NE(text.find("Number of Entities Processed: 1\r"), std::string::npos);
        }
    }
}

TEST(RunTest, OnlyTheReaderEndsTheInput) {
    g_scenario = Scenario{};
    g_scenario.objects = 5;
    g_scenario.writerPositiveAt = 1;
    TestRun positiveWriter({"/IN", "/OO", "in", "out"});
    EXPECT_EQ(positiveWriter.Convert(), 0);
    EXPECT_EQ(g_scenario.written, 5);

    g_scenario = Scenario{};
    g_scenario.objects = 2;
    g_scenario.endStatus = kLoaderNoMoreObjects;
    TestRun noMore({"/IN", "/OO", "in", "out"});
    EXPECT_EQ(noMore.Convert(), 0);
    EXPECT_EQ(g_scenario.closed, 1);
    EXPECT_NE(noMore.console.Text().find(Summary(2)), std::string::npos);
}

TEST(RunTest, AFailedReadStopsWithItsMessageAndNoSummary) {
    g_scenario = Scenario{};
    g_scenario.objects = 5;
    g_scenario.failAt = 2;
    TestRun run({"/IN", "/OO", "in.dat", "out"});
    EXPECT_EQ(run.Convert(), kLoaderInputReadError);
    EXPECT_EQ(g_scenario.written, 2);
    EXPECT_EQ(g_scenario.closed, 0);
    std::string text = run.console.Text();
    EXPECT_EQ(text.find("Objects written"), std::string::npos);
    EXPECT_NE(text.find("\r\n*Error* : An error occurred when reading the input file in.dat.\n"),
              std::string::npos);
}

TEST(RunTest, FactoryFailuresPrintTheirMessages) {
    // The plug-in reader looks for its library once it has the geometry server.
    ASSERT_TRUE(Succeeded(CoInitialize()));
    struct Case {
        std::vector<std::string> args;
        Status status;
        std::string tail;
        int inputIsDwg;
    } cases[] = {
        {{"/IZ", "a", "b"},
         kCmdInvalidInputType,
         "Initializing file reader...\n*Error* : Invalid Input File Type specified.\n"
         "*Error* : The WLX Loader failed with an error code of: -7\n",
         0},
        {{"/IW", "/NOEXT", "a.x", "b"},
         kLoaderDwgOpenFailed,
         "Initializing file reader...\n*Error* : Unable to open DWG file \"a.x\". Please ensure "
         "the folder is "
         "writable and the file has read access.\n",
         1},
        {{"/IX", "a.dxf", "b"},
         kLoaderCannotLoadData,
         "Initializing file reader...\na.dxf: the file cannot be opened\n"
         "*Error* : Unable to load data. Please check the input\n"
         "          filename and format.\n",
         0},
        // The coverage plug-in lies beside the program: a cover that is not
        // there is refused by it.
        {{"/IV", "cover", "b"},
         kLoaderCannotLoadData,
         "*Error* : Unable to load data. Please check the input\n"
         "          filename and format.\n",
         0},
        {{"/IN", "/OQ", "a", "b"},
         kCmdInvalidOutputType,
         "Initializing file writer...\n*Error* : The WLX Loader failed with an error code of: -8\n",
         0},
    };
    for (const auto& c : cases) {
        g_scenario = Scenario{};
        TestRun run(c.args);
        EXPECT_EQ(run.Convert(), c.status) << c.args[0];
        std::string text = run.console.Text();
        ASSERT_GE(text.size(), c.tail.size());
        EXPECT_EQ(text.substr(text.size() - c.tail.size()), c.tail) << c.args[0];
        EXPECT_EQ(run.app->Settings()->inputIsDwg, c.inputIsDwg) << c.args[0];
    }
    CoUninitialize();
}

TEST(RunTest, ConvertersFollowTheCodes) {
    struct Case {
        const char* coordsys;  // the /COORDSYS switch, or null
        bool input, output, latLongCheck;
        Status status;
        const char* warning;
    } cases[] = {
        {nullptr, false, false, true, 0, nullptr},
        {"/COORDSYS:IN:LL84:OUT:ll84", false, false, true, 0, nullptr},
        {"/COORDSYS:UTM83-10", true, false, true, 0, nullptr},
        {"/COORDSYS:IN:LL83:OUT:UTM83-10", false, true, false, 0, nullptr},
        {"/COORDSYS:IN:UTM83-10:OUT:UTM27-10", true, true, false, 0, nullptr},
        {"/COORDSYS:IN:LL83:OUT:WORLD-LL", false, false, true, 0,
         "Warning : The input file coordinate system (LL83) and output file coordinate system "
         "(WORLD-LL) are both "
         "Latitude/Longitude but use different datums or units. WLX Loader does not support "
         "Latitude/Longitude "
         "datum shift and unit conversion. The output file coordinate system will be WORLD-LL.\n"},
        {"/COORDSYS:*XY-M", false, false, true, 0,
         "Warning : The input file coordinate system (*XY-M) is an arbitrary\n XY coordinate "
         "system.  No data "
         "conversion will be performed to the\n output file coordinate system LL84.\n"},
        {"/COORDSYS:UNKNOWN", false, false, true, kLoaderCoordSysNotFound,
         "*Error* : The desired coordinate system, UNKNOWN, was not\n          found, or cannot be "
         "used.\n"},
        {"/COORDSYS:IN:LL83:OUT:UNKNOWN", false, false, false, kLoaderCoordSysNotFound,
         "*Error* : The desired coordinate system, UNKNOWN, was not\n          found, or cannot be "
         "used.\n"},
    };
    for (const auto& c : cases) {
        g_scenario = Scenario{};
        std::vector<std::string> args{"/IN", "/OO", "in", "out"};
        if (c.coordsys) args.insert(args.begin(), c.coordsys);
        TestRun run(args);
        Status status = run.Convert();
        std::string what = c.coordsys ? c.coordsys : "none";
        EXPECT_EQ(status < 0 ? status : 0, c.status) << what;
        EXPECT_EQ(run.app->HasInputConverter(), c.input) << what;
        EXPECT_EQ(run.app->HasOutputConverter(), c.output) << what;
        EXPECT_EQ(run.app->LatLongCheckOn() != 0, c.latLongCheck) << what;
        EXPECT_EQ(run.app->HasWarnings() != 0, c.warning && c.status == 0) << what;
        if (c.warning) {
            EXPECT_NE(run.console.Text().find(c.warning), std::string::npos) << what;
        }
    }
    TestRun none({"/COORDSYS:NONE", "/IN", "/OO", "in", "out"});
    none.Convert();
    EXPECT_EQ(none.app->LatLongCheckOn(), 0);
}

TEST(RunTest, CoordinatesAreConvertedAndTheirRangeCheckedAtTheStart) {
    g_scenario = Scenario{};
    g_scenario.objects = 12;
    g_scenario.points = {{1180, 90}, {820, -90}};
    for (int i = 0; i < 9; ++i) g_scenario.points.emplace_back(1000, 0);
    g_scenario.points.emplace_back(1000, 91);  // the 12th object is not looked at
    TestRun inRange({"/COORDSYS:UTM83-10", "/IN", "/OO", "in", "out"});
    inRange.Convert();
    EXPECT_EQ(inRange.app->HasWarnings(), 0) << "(180, 90) and (-180, -90) are in range";
    EXPECT_EQ(WriterDouble::lastX, 0);
    EXPECT_EQ(WriterDouble::lastY, 91);

    g_scenario.points = {{0, 0}, {181, 0}, {0, -91}};
    g_scenario.objects = 3;
    TestRun outOfRange({"/IN", "/OO", "in", "out"});
    outOfRange.Convert();
    EXPECT_EQ(outOfRange.app->HasWarnings(), 1);
    std::string text = outOfRange.console.Text();
    const std::string warning = "Warning : Coordinates out of latitude-longitude range.\n";
    EXPECT_NE(text.find(warning), std::string::npos);
    EXPECT_EQ(text.find(warning), text.rfind(warning)) << "warned once";

    TestRun projected({"/COORDSYS:IN:LL84:OUT:UTM83-10", "/IN", "/OO", "in", "out"});
    projected.Convert();
    EXPECT_EQ(projected.app->HasWarnings(), 0) << "no check for a projected output";
    EXPECT_EQ(WriterDouble::lastX, 1000);
    EXPECT_EQ(WriterDouble::lastY, -91);
}

namespace {

struct NameWriter : CWriterBase {
    using CWriterBase::CWriterBase;
    Status Write(CFeatureRecord* record) override {
        name = record->GetName();
        return 0;
    }
    Status Close() override { return 0; }
    static inline std::string name;
};

}  // namespace

TEST(RunTest, NamesAreEmptiedWithNullName) {
    g_scenario = Scenario{};
    g_scenario.objects = 1;
    static const WriterFactoryEntry writers[] = {
        {'O',
         [](CLoaderSettings* s, Status* st, CTableSchemaList* sc) -> std::unique_ptr<CWriterBase> {
             return std::make_unique<NameWriter>(s, st, sc);
         }}};
    for (bool nullName : {false, true}) {
        TestConsole console;
        LoaderHooks hooks;
        hooks.readers = kReaders;
        hooks.writers = writers;
        hooks.console = console.out();
        Status status = 0;
        CLoaderApp app(&status, hooks);
        std::vector<const char*> argv{"wlxconv", "/IN", "/OO", "in", "out"};
        if (nullName) argv.insert(argv.begin() + 1, "/NULLNAME");
        int usage = 0;
        ASSERT_EQ(app.ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &usage), 0);
        app.RunConversion();
        EXPECT_EQ(NameWriter::name, nullName ? "" : "object");
    }
}

TEST(RunTest, TheSameFileUnderTwoNamesIsADuplicate) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "a.wlx", "x");
    wlxtest::WriteText(dir / "b.wlx", "x");
    std::filesystem::create_symlink(dir / "a.wlx", dir / "link.wlx");
    std::string a = (dir / "a.wlx").string();
    struct Case {
        std::string first, second;
        int same;
    } cases[] = {
        {a, (dir / "." / "a.wlx").string(), 1},
        {a, (dir / "link.wlx").string(), 1},
        {a, (dir / "b.wlx").string(), 0},
        {(dir / "new.wlx").string(), (dir / "sub" / ".." / "new.wlx").string(), 1},
        {(dir / "new.wlx").string(), (dir / "NEW.wlx").string(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLoaderApp::SameFile(c.first.c_str(), c.second.c_str()), c.same) << c.second;

    g_scenario = Scenario{};
    TestRun run({"/IS", (dir / "a.wlx").string(), (dir / "." / "a").string()});
    EXPECT_EQ(run.Convert(), kCmdDuplicateFileName);
    EXPECT_EQ(run.console.Text(),
              "*Error* : Duplicate file name.\n*Error* : The WLX Loader failed with an error code "
              "of: -9\n");
}

TEST(RunTest, AnExistingOutputIsAskedAbout) {
    wlxtest::TempDir dir;
    std::string out = (dir / "out").string();  // output type O adds no extension
    wlxtest::WriteText(out, "x");
    struct Case {
        const char* action;  // a /W switch or null
        std::string keyboard;
        Status status;
        bool prompted;
    } cases[] = {
        {"/WQ", "", 0, false},
        {nullptr, "", kCmdUserQuit, true},
        {nullptr, "o\n", 0, true},
        {nullptr, "q", kCmdUserQuit, true},
    };
    for (const auto& c : cases) {
        g_scenario = Scenario{};
        std::vector<std::string> args{"/IN", "/OO", "in", out};
        if (c.action) args.insert(args.begin(), c.action);
        TestRun run(args, c.keyboard);
        EXPECT_EQ(run.Convert(), c.status) << c.keyboard;
        std::string text = run.console.Text();
        EXPECT_EQ(text.find("already exists") != std::string::npos, c.prompted) << c.keyboard;
        if (c.status == kCmdUserQuit) {
            EXPECT_EQ(text.find("*Error*"), std::string::npos) << "a quit prints nothing more";
        }
    }
}

TEST(RunTest, InfoListsTheInputWithoutWriting) {
    g_scenario = Scenario{};
    g_scenario.layers = {"Roads", "Rivers"};
    TestRun run({"/INFO", "/IN", "in"});
    EXPECT_EQ(run.Convert(), 0);
    EXPECT_EQ(
        run.console.Text(),
        "Initializing file reader...\nRetrieving file information...\n"
        "\nListing tables and their contents...\n\n No tables in this file\n"
        "\nListing layers occupied by map objects...\n\n Layer[1] : Roads\n Layer[2] : Rivers\n"
        "\nListing available blocks...\n\n No blocks in this file\n");
}

TEST(RunTest, AnAbortBeforeTheRunStopsItAtTheFirstTest) {
    g_scenario = Scenario{};
    g_scenario.objects = 5;
    TestRun run({"/IN", "/OO", "in", "out"});
    PublishApplication(run.app.get());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OnConsoleCtrl(0), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900))
        << "the grace period";
    EXPECT_EQ(OnConsoleCtrl(0), 1) << "a second event neither prints nor waits";
    EXPECT_EQ(run.Convert(), kLoaderAborted);
    PublishApplication(nullptr);
    EXPECT_EQ(OnConsoleCtrl(0), 0) << "no application: the default action";
    EXPECT_EQ(run.console.Text(), "Aborting processing..." + std::string(87, ' ') + "\n");
    EXPECT_EQ(g_scenario.written, 0);
}
