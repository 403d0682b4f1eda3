// wlxconv itself with the scene plug-in in the place of the DGN and coverage
// plug-ins: a program directory holding wlxconv, the geometry server, the
// dictionaries and libFgnScene.so as libTsdsn.so and libTscov.so.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// A name for the file beside the program: a link when the file system allows one.
void Place(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// wlxconv in a directory of its own, with `plugin` (or none) as both plug-ins.
class CProgramDir {
public:
    explicit CProgramDir(const char* plugin) {
        const fs::path bin = wlxtest::BinDir();
        for (const char* file :
             {"wlxconv", "libGeoweave.so", "Coordsys.CSD", "Datums.CSD", "Elipsoid.CSD"})
            Place(bin / file, dir_ / file);
        if (plugin) {
            Place(bin / plugin, dir_ / "libTsdsn.so");
            Place(bin / plugin, dir_ / "libTscov.so");
        }
    }
    wlxtest::ProcessResult Run(const std::vector<std::string>& args,
                               const fs::path& workingDirectory) const {
        wlxtest::RunOptions options;
        options.workingDirectory = workingDirectory;
        // No registry: the settings file is tsdgn.ini beside the program.
        options.environment["WLXCONV_REGISTRY"] = (dir_ / "none.reg").string();
        return wlxtest::Run(dir_ / "wlxconv", args, options);
    }
    const fs::path& Path() const { return dir_.path(); }

private:
    wlxtest::TempDir dir_;
};

class PluginProgramTest : public testing::Test {
protected:
    static void SetUpTestSuite() { program_ = std::make_unique<CProgramDir>("libFgnScene.so"); }
    static void TearDownTestSuite() { program_.reset(); }

    void SetUp() override {
        fs::copy_file(wlxtest::SourcePath("foreign/tests/data/scene.fgn"), work / "scene.dgn");
    }
    wlxtest::ProcessResult Run(const std::vector<std::string>& args) const {
        return program_->Run(args, work.path());
    }
    // The record header lines of a WLT file, in order.
    std::vector<std::string> Records(const std::string& file) const {
        std::vector<std::string> records;
        std::istringstream lines(wlxtest::ReadText(work / file));
        for (std::string line; std::getline(lines, line);)
            if (line.size() > 2 && line[1] == ',') records.push_back(line);
        return records;
    }

    static std::unique_ptr<CProgramDir> program_;
    wlxtest::TempDir work;
};

std::unique_ptr<CProgramDir> PluginProgramTest::program_;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(PluginProgramTest, TheSceneConvertsToTheGoldenWlt) {
    const auto result = Run({"/ID", "/OL", "scene.dgn", "out"});
    // Warned: the arc with a zero semi-axis is a line of one point.
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_TRUE(Contains(result.out, "Input Coordinate System : UTM83-10")) << result.out;
    EXPECT_TRUE(Contains(result.out, "Total: 44")) << result.out;
    const auto golden =
        wlxtest::ReadBytes(wlxtest::SourcePath("readers/plugin/tests/data/scene.wlt"));
    EXPECT_EQ(wlxtest::HexDiff(golden, wlxtest::ReadBytes(work / "out.wlt")), "");

    // The coverage plug-in's place: the input is a workspace and a coverage.
    fs::copy_file(work / "scene.dgn", work / "scene");
    const auto coverage = Run({"/IV", "/OL", (work / "scene").string(), "cover"});
    EXPECT_EQ(coverage.exitCode, 255) << coverage.out;
    EXPECT_TRUE(Contains(coverage.out, "Total: 44")) << coverage.out;
}

TEST_F(PluginProgramTest, LabelsGiveEachPolygonsLabelPointFirst) {
    ASSERT_EQ(Run({"/ID", "/OL", "/LABELS", "scene.dgn", "out"}).exitCode, 255);
    const auto records = Records("out.wlt");
    const auto first = std::find(records.begin(), records.end(), "M,\"\",\"10\",\"\",1");
    ASSERT_GE(records.end() - first, 8);
    const std::vector<std::string> polygons(first, first + 8);
    EXPECT_EQ(polygons, (std::vector<std::string>{
                            "M,\"\",\"10\",\"\",1", "P,\"\",\"10\",\"\",5", "M,\"\",\"11\",\"\",1",
                            "P,\"\",\"11\",\"\",4", "M,\"\",\"12\",\"\",1", "P,\"\",\"12\",\"\",10",
                            "M,\"\",\"13\",\"\",1", "P,\"\",\"13\",\"\",64"}));
    const std::string text = wlxtest::ReadText(work / "out.wlt");
    EXPECT_TRUE(Contains(text, "M,\"\",\"12\",\"\",1\n4100401.0000000,500401.0000000\n"));
}

TEST_F(PluginProgramTest, ExplodedBlocksGiveTenLevelsAndAPointForTheEleventh) {
    ASSERT_EQ(Run({"/ID", "/OL", "/BLOCKS:EXPLODE", "scene.dgn", "out"}).exitCode, 255);
    const std::string text = wlxtest::ReadText(work / "out.wlt");
    for (int level = 1; level <= 10; ++level) {
        char expected[96];
        std::snprintf(expected, sizeof expected, "M,\"\",\"l%02d\",\"\",1\n%d.0000000,%d.0000000\n",
                      level, 4100100 + level, 500800 + 10 * (level - 1));
        EXPECT_TRUE(Contains(text, expected)) << expected;
    }
    EXPECT_FALSE(Contains(text, "\"l11\""));
    EXPECT_TRUE(Contains(text, "M,\"L11\",\"i10\",\"\",1\n4100100.0000000,500900.0000000\n"));
    // The reference-file attachment inside the Frame cell is left out.
    EXPECT_TRUE(Contains(text, "\"f1\""));
    EXPECT_FALSE(Contains(text, "\"s1\""));
}

TEST_F(PluginProgramTest, EachBlockBecomesOneMetafileThatRenders) {
    fs::create_directory(work / "out");
    const auto result = Run({"/ID", "/OL", "/BLOCKS:EMF", "scene.dgn", "out/map"});
    ASSERT_EQ(result.exitCode, 255) << result.out;
    EXPECT_TRUE(Contains(result.out, "EMFs created: 4")) << result.out;
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(work / "out"))
        if (entry.path().extension() == ".emf") files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    // The empty block has no area to draw on.
    EXPECT_EQ(files, (std::vector<std::string>{"Door.emf", "Frame.emf", "Gate.emf", "L01.emf"}));

    FIND_TOOL_OR_SKIP(converter, "emf2svg-conv");
    for (const std::string& file : files) {
        const auto svg = work / "out" / (file + ".svg");
        const auto rendered = wlxtest::Run(
            converter, {"-v", "-i", (work / "out" / file).string(), "-o", svg.string()});
        EXPECT_EQ(rendered.exitCode, 0) << file << rendered.err;
        EXPECT_TRUE(Contains(wlxtest::ReadText(svg), "<path")) << file;
        // Door, 2 by 4 in its own coordinates: its two lines span the symbol.
        if (file == "Door.emf") {
            EXPECT_TRUE(Contains(rendered.out, "[0]:{0,-10000} [1]:{5000,-10000}")) << rendered.out;
            EXPECT_TRUE(Contains(rendered.out, "[0]:{5000,-10000} [1]:{5000,0}")) << rendered.out;
        }
    }
}

// Values worked out from the scene by hand: colours as the loader packs them
// (alpha, red, green, blue), angles in degrees, sizes from the block extents.
TEST_F(PluginProgramTest, StyleTablesHoldTheValuesOfTheScene) {
    ASSERT_EQ(Run({"/ID", "/OO", "/TABLE:CSV:STYLE", "scene.dgn", "t"}).exitCode, 0);
    EXPECT_EQ(wlxtest::ReadText(work / "t_SymbolStyle.csv"),
              "TessaranKey,OriginalKey,Name,Layer,PointColor,SymbolName,SymbolRotation,"
              "SymbolWidth,SymbolHeight\n"
              "\"1\",\"1\",\"\",\"Points\",-65536,\"Circle\",30.000000,4.000000,4.000000\n"
              "\"3\",\"3\",\"\",\"Points\",-16777216,\"\",0.000000,1.000000,1.000000\n"
              "\"38\",\"38\",\"Door\",\"Cells\",-8355712,\"Door\",0.000000,2.000000,4.000000\n"
              "\"39\",\"39\",\"Door\",\"Cells\",-8355712,\"Door\",90.000000,2.000000,4.000000\n"
              "\"40\",\"40\",\"Gate\",\"Cells\",-8355712,\"Gate\",0.000000,20.000000,13.500000\n"
              "\"42\",\"42\",\"L01\",\"Chain\",-8355712,\"L01\",0.000000,100.000000,10.000000\n");
    EXPECT_EQ(wlxtest::ReadText(work / "t_PolygonStyle.csv"),
              "TessaranKey,OriginalKey,Name,Layer,FillColor,FillStyle,EdgeColor,EdgeStyle,"
              "EdgeWidth\n"
              "\"10\",\"10\",\"\",\"Parcels\",-4128832,0,-16711936,0,1.000000\n"
              "\"12\",\"12\",\"\",\"Parcels\",-4128832,0,-16711936,0,1.000000\n"
              "\"13\",\"13\",\"\",\"Parcels\",-4128832,0,-16711936,0,1.000000\n");
    const std::string lines = wlxtest::ReadText(work / "t_PolylineStyle.csv");
    EXPECT_TRUE(Contains(lines, "\"4\",\"4\",\"\",\"Roads\",-16776961,0,2.000000\n")) << lines;
    EXPECT_TRUE(Contains(lines, "\"36\",\"36\",\"\",\"Arcs\",-16777216,0,0.000000\n")) << lines;
    const std::string texts = wlxtest::ReadText(work / "t_TextStyle.csv");
    EXPECT_TRUE(Contains(texts,
                         "\"21\",\"21\",\"J7\",\"Labels\",\"J7\",-16777216,0,2,30.000000,"
                         "2.000000\n"))
        << texts;
    EXPECT_TRUE(Contains(texts,
                         "\"32\",\"32\",\"Two lines\",\"Labels\",\"Two lines\","
                         "-8388608,0,0,0.000000,2.500000\n"))
        << texts;
    EXPECT_FALSE(Contains(texts, "\"31\""));
    EXPECT_EQ(wlxtest::ReadText(work / "t_Parcels.csv"),
              "TessaranKey,Id,Parcel,Zone\n\"10\",\"p10\",\"10\",1\n\"11\",\"p11\",\"11\",2\n"
              "\"13\",\"p13\",\"13\",-3\n");
    const std::string features = wlxtest::ReadText(work / "t_Features.csv");
    EXPECT_TRUE(Contains(features,
                         "\"12\",12,3,84.000000,0.750000,\"2011-01-01\",\"Jones, "
                         "\"\"Jr\"\"\",84\n"))
        << features;
}

TEST_F(PluginProgramTest, InfoListsTablesLayersBlocksAndTheCoordinateSystem) {
    const auto result = Run({"/ID", "/INFO", "scene.dgn"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    for (const char* part :
         {"Feature Count : 44\nCoordinate System Key : UTM83-10\n", "Table[1] : Features\n",
          "Table[2] : Parcels\n", "Table[3] : Notes\n",
          " Column[6] : Name[Owner] : Type[VARCHAR (20)]\n",
          " Layer[1] : Points\n Layer[2] : Roads\n Layer[3] : Parcels\n Layer[4] : Labels\n"
          " Layer[5] : Arcs\n Layer[6] : Cells\n Layer[7] : Chain\n Layer[8] : Misc\n",
          " Block[1] : Door\n Block[2] : Gate\n Block[3] : Empty\n Block[4] : L01\n"
          " Block[5] : Frame\n"})
        EXPECT_TRUE(Contains(result.out, part)) << part << "\n---\n" << result.out;
}

TEST(PluginLibraryTest, AMissingOrBrokenLibraryStopsTheRun) {
    wlxtest::TempDir work;
    fs::copy_file(wlxtest::SourcePath("foreign/tests/data/scene.fgn"), work / "scene.dgn");
    struct Case {
        const char* plugin;
        const char* message;
    } cases[] = {
        {nullptr,
         "*Error* : The .DLL file required for data translation from the\n"
         "          specified format was not found in the search path.\n"},
        {"libFgnBroken.so",
         "*Error* : The data translation library .DLL file associated with\n"
         "          this input format is not compatible with this version of the WLX\n"
         "          Loader. Please check your installation.\n"},
    };
    for (const Case& c : cases) {
        const CProgramDir program(c.plugin);
        const auto result = program.Run({"/ID", "/OL", "scene.dgn", "out"}, work.path());
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_TRUE(Contains(result.out, c.message)) << result.out;
        EXPECT_FALSE(fs::exists(work / "out.wlt"));
    }
}

}  // namespace
