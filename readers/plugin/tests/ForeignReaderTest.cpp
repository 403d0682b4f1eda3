#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "loader/core/FeatureRecord.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/SymbolMetafileWriter.h"
#include "readers/plugin/ForeignReader.h"
#include "readers/plugin/tests/SceneFixture.h"

namespace {

using scenetest::SceneTest;
using wlxtest::Line;
using wlxtest::Point;
using wlxtest::ReaderObject;
using wlxtest::Shape;

constexpr double kPi = 3.14159265358979323846;
const char kSkipWarning[] = "Warning : Skipping empty/invalid entity from the input file.";

std::string SceneFixture() {
    return wlxtest::SourcePath("foreign/tests/data/scene.fgn").string();
}

// Every record of a reader by its key, with its style as the record had it.
struct SRecord {
    ReaderObject object;
    std::unique_ptr<CEntityStyle> style;
    bool symbol = false;
};

std::vector<SRecord> ReadRecords(CForeignReader& reader, Status& last) {
    std::vector<SRecord> records;
    CFeatureRecord record;
    for (int guard = 0; guard < 1000; ++guard) {
        record.Clear();
        last = reader.ReadNext(&record);
        if (last != 0) break;
        records.push_back({{record.GetName(), record.GetKey(), Dump(record.PeekGeometry())},
                           record.GetStyle() ? record.GetStyle()->Clone() : nullptr,
                           record.GetSymbolMetafile() != nullptr});
    }
    return records;
}

std::vector<std::string> Keys(const std::vector<SRecord>& records) {
    std::vector<std::string> keys;
    for (const SRecord& r : records) keys.push_back(r.object.key);
    return keys;
}

TEST_F(SceneTest, BindingAndChecksFailWithTheirStatus) {
    const std::string entity = "PNT 1 L 0 0\n";
    struct Case {
        std::string scene;  // empty: no file
        std::string library;
        Status status;
    } cases[] = {
        {entity, "NoSuchLibrary", kLoaderLibraryNotFound},
        {entity, "FgnBroken", kLoaderLibraryIncompatible},
        {"", scenetest::kSceneLibrary, kLoaderCannotLoadData},
        {"FAIL LoadData 7\n" + entity, scenetest::kSceneLibrary, kLoaderCannotLoadData},
        {"DIMENSION 3\n" + entity, scenetest::kSceneLibrary, kLoader3dNotSupported},
        {"FAIL GetDimension 4\n" + entity, scenetest::kSceneLibrary, kLoaderInputReadError},
        {"FAIL GetCoordSys 7\n" + entity, scenetest::kSceneLibrary, kLoaderInputReadError},
        {"FAIL Rewind 7\n" + entity, scenetest::kSceneLibrary, kLoaderInputReadError},
        {"FAIL RewindTable 7\n" + entity, scenetest::kSceneLibrary, kLoaderInputReadError},
        {"FAIL GetCurrentTable 1\nTABLE T\nENDTABLE\n", scenetest::kSceneLibrary,
         kLoaderInputReadError},
        {"FAIL StepTable 1\nTABLE T\nENDTABLE\n", scenetest::kSceneLibrary, kLoaderInputReadError},
        {"NULL 7\n" + entity, scenetest::kSceneLibrary, kLoaderInputReadError},
    };
    for (const Case& c : cases) {
        const std::string file =
            c.scene.empty() ? (dir / "missing.fgn").string() : WriteScene(c.scene);
        auto reader = OpenFile(file, c.status, true, "", c.library);
        CFeatureRecord record;
        EXPECT_NE(reader->ReadNext(&record), 0) << c.scene;
    }
    // A template naming a column no table has.
    settings.keyTemplate = "{Nowhere.Column}";
    OpenScene(entity, kLoaderBadColumnOrTable);
    settings.keyTemplate.clear();
    // An input type no plug-in reads.
    settings.inputType = 'Q';
    Status status = 0;
    CForeignReader none(&settings, &status);
    EXPECT_EQ(status, kLoaderLibraryNotFound);
}

TEST_F(SceneTest, TheSourcesCoordinateSystemIsTakenUnlessAnotherWasGiven) {
    const std::string longKey = std::string(126, 'a') + "\xC3\xA9";
    struct Case {
        std::string scene;
        bool given;
        std::string code;  // the input code before
        std::string input, output;
        bool warned;
    } cases[] = {
        {"COORDSYS UTM83-10\n", false, "LL84", "UTM83-10", "UTM83-10", false},
        {"COORDSYS UTM83-10\n", true, "utm83-10", "utm83-10", "LL84", false},
        {"COORDSYS UTM83-10\n", true, "LL27", "LL27", "LL84", true},
        {"", false, "LL84", "LL84", "LL84", false},
        // Cut to the 127 bytes the codes hold, at a character boundary.
        {"COORDSYS " + longKey + "\n", false, "LL84", std::string(126, 'a'), std::string(126, 'a'),
         false},
    };
    for (const Case& c : cases) {
        settings.inputCodeGiven = c.given;
        settings.inputCode = c.code;
        settings.outputCode = "LL84";
        settings.warnings = 0;
        reporter.warnings.clear();
        OpenScene(c.scene + "PNT 1 L 0 0\n");
        EXPECT_EQ(settings.inputCode, c.input) << c.scene;
        EXPECT_EQ(settings.outputCode, c.output) << c.scene;
        EXPECT_EQ(settings.warnings, c.warned ? 1 : 0) << c.scene;
        ASSERT_EQ(reporter.warnings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(reporter.warnings[0],
                      "Warning: The input coordinate system specified with the /COORDSYS switch "
                      "(LL27) is different from the input coordinate system detected in the file "
                      "(UTM83-10). LL27 will be used.");
        }
    }
}

TEST_F(SceneTest, ElementsWithoutEntityAreSkippedWithOneWarning) {
    auto reader = OpenScene("NULL 0\nNULL 1\nPNT 1 L 1 2\nNULL 0\nPNT 2 L 3 4\nNULL 1\n");
    Status last = 0;
    EXPECT_EQ(ReadAll(*reader, last),
              (std::vector<ReaderObject>{{"", "1", Point(1, 2)}, {"", "2", Point(3, 4)}}));
    EXPECT_EQ(last, kLoaderEndOfData);
    EXPECT_EQ(reporter.warnings, std::vector<std::string>{kSkipWarning});
    EXPECT_EQ(settings.warnings, 1);
    EXPECT_EQ(reader->AtEnd(), 1);

    // A source without entities ends at once.
    auto empty = OpenScene("NULL 0\n");
    CFeatureRecord record;
    EXPECT_EQ(empty->AtEnd(), 1);
    EXPECT_EQ(empty->ReadNext(&record), kLoaderEndOfData);

    // A plug-in that cannot step ends the walk with a read error, not a hang.
    auto stuck = OpenScene("FAIL Step 1\nPNT 1 L 1 2\nPNT 2 L 3 4\n");
    EXPECT_EQ(stuck->ReadNext(&record), kLoaderInputReadError);
}

TEST_F(SceneTest, EveryEntityKindBecomesItsGeometryWithItsName) {
    auto reader = OpenFile(SceneFixture());
    Status last = 0;
    const auto records = ReadRecords(*reader, last);
    EXPECT_EQ(last, kLoaderEndOfData);
    ASSERT_EQ(records.size(), 43u);  // all but the element without geometry
    std::map<std::string, const ReaderObject*> byKey;
    for (const SRecord& r : records) byKey[r.object.key] = &r.object;
    EXPECT_EQ(byKey["1"]->geometry, Point(500010, 4100010));
    EXPECT_EQ(byKey["3"]->geometry,
              Shape(kWkbMultiPoint, {{{500030, 4100010}, {500031, 4100011}, {500032, 4100012}}}));
    EXPECT_EQ(byKey["4"]->geometry, Line({{500000, 4100100}, {500100, 4100100}}));
    // Joined pieces make one line; separate ones one line each, even alone.
    EXPECT_EQ(byKey["7"]->geometry.type, kWkbLineString);
    EXPECT_EQ(byKey["7"]->geometry.parts[0].size(), 2u + 62u + 2u);
    EXPECT_EQ(byKey["8"]->geometry.type, kWkbMultiLineString);
    EXPECT_EQ(byKey["9"]->geometry,
              Shape(kWkbMultiLineString, {{{500200, 4100300}, {500240, 4100300}}}));
    // Rings as given, unclosed; a separate compound polygon is one polygon a piece.
    EXPECT_EQ(
        byKey["11"]->geometry,
        Shape(kWkbPolygon,
              {{{500320, 4100300}, {500330, 4100300}, {500330, 4100310}, {500320, 4100300}}}));
    EXPECT_EQ(byKey["12"]->geometry.type, kWkbMultiPolygon);
    EXPECT_EQ(byKey["12"]->geometry.parts.size(), 2u);
    EXPECT_EQ(byKey["13"]->geometry.type, kWkbPolygon);
    // Texts are named after their text; a multi-line text stands at its top left.
    EXPECT_EQ(byKey["14"]->name, "J0");
    EXPECT_EQ(byKey["32"]->name, "Two\nlines");
    EXPECT_EQ(byKey["32"]->geometry, Point(500500, 4100720));
    // Arcs every 3 degrees: a quarter each way, three quarters, a whole
    // ellipse, and a center alone.
    const std::pair<const char*, std::size_t> arcs[] = {
        {"33", 32}, {"34", 32}, {"35", 92}, {"36", 122}, {"37", 1}};
    for (const auto& [key, count] : arcs) {
        ASSERT_EQ(byKey[key]->geometry.type, kWkbLineString) << key;
        EXPECT_EQ(byKey[key]->geometry.parts[0].size(), count) << key;
    }
    EXPECT_EQ(byKey["37"]->geometry, Line({{500600, 4100500}}));
    // Instances unexploded: points named after their block, trimmed.
    EXPECT_EQ(byKey["39"]->geometry, Point(500720, 4100100));
    EXPECT_EQ(byKey["39"]->name, "Door");
    EXPECT_EQ(byKey["40"]->name, "Gate");
    EXPECT_EQ(byKey["41"]->name, "Empty");
}

TEST_F(SceneTest, UnderLabelsAPolygonGivesItsLabelPointThenItself) {
    settings.labels = 1;
    settings.styleTables = 1;
    const std::string scene =
        "STYLE PLY p 1 2 3 1 - -\n"
        "PLY 1 L 5 5 0 0 10 0 10 10 0 0 STYLE p\n"
        "PNT 2 L 1 1\n"
        "CPLY 3 L 7 7 CONTIGUOUS\n  PTS 0 0 1 0 1 1 0 0\nEND\n";
    auto reader = OpenScene(scene);
    Status last = 0;
    const auto records = ReadRecords(*reader, last);
    EXPECT_EQ(Keys(records), (std::vector<std::string>{"1", "1", "2", "3", "3"}));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].object.geometry, Point(5, 5));
    EXPECT_FALSE(records[0].style);
    EXPECT_EQ(records[1].object.geometry.type, kWkbPolygon);
    ASSERT_TRUE(records[1].style);
    EXPECT_EQ(records[1].style->GetStyleKind(), kPolygonStyleKind);
    EXPECT_EQ(records[3].object.geometry, Point(7, 7));

    // Label points are points to the filter: without points only the polygons come.
    settings.filter.pointsEnabled = 0;
    auto polygons = OpenScene(scene);
    EXPECT_EQ(Keys(ReadRecords(*polygons, last)), (std::vector<std::string>{"1", "3"}));
}

TEST_F(SceneTest, ExplodedBlocksYieldTheirEntitiesTenLevelsDeep) {
    settings.explodeBlocks = 1;
    auto reader = OpenFile(SceneFixture());
    Status last = 0;
    const auto records = ReadRecords(*reader, last);
    std::map<std::string, const ReaderObject*> byKey;
    for (const SRecord& r : records) byKey[r.object.key] = &r.object;
    // Entities of the first ten levels, then the eleventh instance as a point
    // where the ten transforms put it.
    for (int level = 1; level <= 10; ++level) {
        char key[8];
        std::snprintf(key, sizeof key, "l%02d", level);
        ASSERT_TRUE(byKey.count(key)) << key;
        EXPECT_EQ(byKey[key]->geometry, Point(500800 + 10 * (level - 1), 4100100 + level));
    }
    EXPECT_FALSE(byKey.count("l11"));
    EXPECT_EQ(byKey["i10"]->geometry, Point(500900, 4100100));
    EXPECT_EQ(byKey["i10"]->name, "L11");
    // The turned instance of Door: (2, 0) becomes (0, 2).
    std::vector<const ReaderObject*> doors;
    for (const SRecord& r : records)
        if (r.object.key == "d1") doors.push_back(&r.object);
    ASSERT_EQ(doors.size(), 2u);
    EXPECT_EQ(doors[1]->geometry, Line({{500720, 4100100}, {500720, 4100102}}));
    // The empty block gives nothing; the attachment inside Frame is skipped.
    EXPECT_FALSE(byKey.count("41"));
    EXPECT_TRUE(byKey.count("f1"));
    EXPECT_FALSE(byKey.count("s1"));
    EXPECT_FALSE(byKey.count("f2"));

    // Outside DGN designs an attachment is a block like any other.
    auto coverage = OpenFile(SceneFixture(), 0, false);
    std::vector<std::string> keys = Keys(ReadRecords(*coverage, last));
    EXPECT_NE(std::find(keys.begin(), keys.end(), "s1"), keys.end());
}

TEST_F(SceneTest, StylesAreMadeForTheKindsThePlugInStyles) {
    settings.styleTables = 1;
    auto reader = OpenFile(SceneFixture());
    Status last = 0;
    const auto records = ReadRecords(*reader, last);
    std::map<std::string, const CEntityStyle*> byKey;
    for (const SRecord& r : records) byKey[r.object.key] = r.style.get();
    // No style from the plug-in, none made.
    for (const char* key : {"2", "9", "11", "31", "37", "41", "43"})
        EXPECT_EQ(byKey[key], nullptr) << key;
    const auto& well = dynamic_cast<const CSymbolStyle&>(*byKey["1"]);
    EXPECT_NEAR(well.GetRotation(), kPi / 6, 1e-12);
    EXPECT_EQ(well.GetSymbolName(), "Circle");
    EXPECT_EQ(well.GetPointColor().red, 255);
    const auto& road = dynamic_cast<const CPolylineStyle&>(*byKey["4"]);
    EXPECT_EQ(road.GetLineColor().blue, 255);
    EXPECT_EQ(road.GetLineWidth(), 2.0);
    const auto& parcel = dynamic_cast<const CPolygonStyle&>(*byKey["10"]);
    EXPECT_EQ(parcel.GetFillColor().Pack(), CRgbaColor(0xC0, 0xFF, 0xC0, 255).Pack());
    EXPECT_EQ(parcel.GetEdgeColor().Pack(), CRgbaColor(0, 0xFF, 0, 255).Pack());
    const auto& j15 = dynamic_cast<const CTextStyle&>(*byKey["29"]);
    EXPECT_NEAR(j15.GetRotation(), kPi / 2, 1e-9);
    EXPECT_EQ(j15.GetHorizontalMode(), 2);
    EXPECT_EQ(j15.GetVerticalMode(), 2);
    EXPECT_EQ(j15.GetFaceName(), "Courier");
    EXPECT_EQ(j15.GetName(), "J15");
    // Gate's own extent is 10 by 4.5 (its text counts as its outline); the
    // instance scales it by 2 and 3.
    const auto& gate = dynamic_cast<const CSymbolStyle&>(*byKey["40"]);
    EXPECT_DOUBLE_EQ(gate.GetWidth(), 20.0);
    EXPECT_DOUBLE_EQ(gate.GetHeight(), 13.5);
    EXPECT_EQ(gate.GetSymbolName(), "Gate");
    const auto& turnedDoor = dynamic_cast<const CSymbolStyle&>(*byKey["39"]);
    EXPECT_NEAR(turnedDoor.GetRotation(), kPi / 2, 1e-12);
    // The arc's end lies a few digits left of its center.
    EXPECT_NEAR(turnedDoor.GetWidth(), 2.0, 1e-9);
    EXPECT_DOUBLE_EQ(turnedDoor.GetHeight(), 4.0);
}

TEST_F(SceneTest, EachBlockIsDrawnOnceIntoASymbolFileBesideTheOutput) {
    settings.blocksAsMetafiles = 1;
    std::filesystem::create_directory(dir / "out");
    settings.outputName = (dir / "out" / "map.wlt").string();
    const std::string scene =
        "STYLE LINE s 0 1 -\n"
        "INST 1 L Box 100 100\n"
        "INST 2 L Box 200 100 MATRIX 2 0 0 2\n"
        "INST 3 L Flat 0 0\n"
        "INST 4 L Empty 0 0\n"
        "INST 5 L Unstyled 0 0\n"
        "BLOCK Box\n  LINE b1 L 0 0 4 2 STYLE s\nENDBLOCK\n"
        "BLOCK Flat\n  LINE f1 L 0 0 4 0 STYLE s\nENDBLOCK\n"
        "BLOCK Empty\nENDBLOCK\n"
        "BLOCK Unstyled\n  TEXT u1 L 0 0 \"no style\"\n  LINE u2 L 0 0 3 3 STYLE s\nENDBLOCK\n";
    auto reader = OpenScene(scene);
    Status last = 0;
    const auto records = ReadRecords(*reader, last);
    EXPECT_EQ(last, kLoaderEndOfData);
    ASSERT_EQ(records.size(), 5u);
    // One file for Box, on its first instance only; none without an area.
    EXPECT_TRUE(records[0].symbol);
    EXPECT_FALSE(records[1].symbol);
    EXPECT_FALSE(records[2].symbol);
    EXPECT_FALSE(records[3].symbol);
    EXPECT_TRUE(records[4].symbol);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out"))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Box.emf", "Unstyled.emf"}));
}

TEST_F(SceneTest, TextsKeepNoJustificationWhenTheDgnSettingsSaySo) {
    struct Case {
        const char* settingsText;  // null: no file
        bool dgn;
        bool converted;
    } cases[] = {
        {"[General]\njustConvert=0\n", true, false},
        {"[General]\njustConvert=x\n", true, false},
        {"[General]\njustConvert=\n", true, false},
        {"[General]\njustConvert=5\n", true, true},
        {"[General]\njustConvert=10\n", true, true},
        {"[General]\nother=0\n", true, true},
        {nullptr, true, true},
        // Only the DGN plug-in's second text is a settings file.
        {"[General]\njustConvert=0\n", false, true},
    };
    for (const Case& c : cases) {
        const auto ini = dir / "tsdgn.ini";
        std::filesystem::remove(ini);
        if (c.settingsText) wlxtest::WriteText(ini, c.settingsText);
        auto reader = OpenScene("PNT 1 L 0 0\n", 0, c.dgn, ini.string());
        EXPECT_EQ(reader->ConvertsJustifications(), c.converted)
            << (c.settingsText ? c.settingsText : "no file") << c.dgn;
    }
}

TEST_F(SceneTest, FileInformationListsLayersBlocksTablesAndTheCoordinateSystem) {
    auto reader = OpenScene(
        "COORDSYS UTM83-10\nNULL 0\nPNT 1 Roads 0 0\nINST 2 Cells \" Gate \" 0 0\n"
        "INST 3 cells Gate 0 0\nTABLE T\n  COLUMN A INT2\nENDTABLE\nTABLE t\nENDTABLE\n"
        "BLOCK \" Gate \"\nENDBLOCK\nBLOCK Gate\nENDBLOCK\n");
    CFileInfo info;
    EXPECT_EQ(reader->GetFileInfo(&info), 0);
    EXPECT_EQ(info.GetLayers().Names(), (std::vector<std::string>{"Roads", "Cells"}));
    EXPECT_EQ(info.GetBlocks().Names(), std::vector<std::string>{"Gate"});
    EXPECT_EQ(info.GetFeatureCount(), 3);
    EXPECT_EQ(info.GetCoordSysKey(), "UTM83-10");
    // Of two tables whose names differ in case only, the first.
    ASSERT_EQ(info.GetSchemaList().GetCount(), 1u);
    EXPECT_EQ(info.GetSchemaList().GetSchemas()[0]->GetName(), "T");
    EXPECT_EQ(reporter.warnings, std::vector<std::string>{kSkipWarning});
    // The walk begins again afterwards.
    CFeatureRecord record;
    EXPECT_EQ(reader->ReadNext(&record), 0);
    EXPECT_STREQ(record.GetKey(), "1");
}

TEST(ForeignLibraryTest, CoveragePathsSplitAtTheirLastSlash) {
    const std::string here = std::filesystem::current_path().string();
    struct Case {
        const char* input;
        SCoveragePath expected;
    } cases[] = {
        {"/data/ws/roads", {"/data/ws", "roads"}},
        {"/data/ws/roads/", {"/data/ws", "roads"}},
        {"ws/sub/roads", {"ws/sub", "roads"}},
        {"/roads", {"/", "roads"}},
        {"roads", {here, "roads"}},
    };
    for (const Case& c : cases) {
        const SCoveragePath path = SplitCoveragePath(c.input);
        EXPECT_EQ(path.workspace, c.expected.workspace) << c.input;
        EXPECT_EQ(path.coverage, c.expected.coverage) << c.input;
    }
}

TEST(ForeignLibraryTest, TheInputTypeChoosesTheLibraryAndItsTexts) {
    wlxtest::TempDir dir;
    CLoaderSettings settings;
    settings.inputName = "/d/design.dgn";
    SForeignLibrary library;
    setenv("WLXCONV_REGISTRY", (dir / "none.reg").c_str(), 1);
    settings.inputType = 'd';
    ASSERT_TRUE(ChooseForeignLibrary(settings, library));
    EXPECT_EQ(library.name, "Tsdsn");
    EXPECT_EQ(library.first, "/d/design.dgn");
    EXPECT_EQ(library.second, "tsdgn.ini");
    EXPECT_TRUE(library.dgn);
    wlxtest::WriteText(dir / "registry.reg",
                       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Velstrom\\Tessaran WLX "
                       "Loader\\6.0]\n\"TSDGNINI_PATH\"=\"/etc/dgn/settings.ini\"\n");
    setenv("WLXCONV_REGISTRY", (dir / "registry.reg").c_str(), 1);
    ASSERT_TRUE(ChooseForeignLibrary(settings, library));
    EXPECT_EQ(library.second, "/etc/dgn/settings.ini");
    unsetenv("WLXCONV_REGISTRY");

    settings.inputType = 'V';
    settings.inputName = "/data/ws/roads";
    ASSERT_TRUE(ChooseForeignLibrary(settings, library));
    EXPECT_EQ(library.name, "Tscov");
    EXPECT_EQ(library.first, "/data/ws");
    EXPECT_EQ(library.second, "roads");
    EXPECT_FALSE(library.dgn);
    settings.inputType = 'H';
    settings.inputName = "dir.v2/roads.shp";
    ASSERT_TRUE(ChooseForeignLibrary(settings, library));
    EXPECT_EQ(library.name, "Tsshp");
    EXPECT_EQ(library.second, "dir.v2/roads.DBF");
    settings.inputType = 'M';
    settings.inputName = "roads";
    ASSERT_TRUE(ChooseForeignLibrary(settings, library));
    EXPECT_EQ(library.second, "roads.MID");
    settings.inputType = 'W';
    EXPECT_FALSE(ChooseForeignLibrary(settings, library));
}

}  // namespace
