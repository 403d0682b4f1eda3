// The control element, the colour tables and the seed design.
#include <gtest/gtest.h>

#include <filesystem>

#include "dgn/DgnCodec.h"
#include "dgn/DgnGlobal.h"
#include "dgn/DgnSeed.h"
#include "dgn/DgnSettings.h"
#include "dgn/tests/DgnTestDesign.h"
#include "testing/TestSupport.h"

using namespace dgntest;

TEST(DgnGlobalTest, TheFixedColourTable) {
    const auto& table = CDgnGlobal::FixedColours();
    struct Case {
        int index;
        DgnRgb rgb;
    };
    const Case cases[] = {
        {0, {255, 255, 255}},   {1, {0, 0, 255}},      {3, {255, 0, 0}},    {6, {255, 127, 0}},
        {15, {0, 240, 240}},    {16, {240, 240, 240}}, {22, {240, 122, 0}}, {31, {0, 225, 225}},
        {32, {225, 225, 225}},  {83, {180, 0, 0}},     {200, {75, 75, 75}}, {253, {30, 0, 30}},
        {254, {192, 192, 192}}, {255, {0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(table[c.index], c.rgb) << c.index;
}

TEST(DgnGlobalTest, TheGeneratedColourTable) {
    struct Case {
        int index;
        DgnRgb rgb;
    };
    const Case cases[] = {
        {0, {0, 0, 0}},       {1, {255, 0, 0}},      {4, {0, 255, 255}},  {9, {255, 255, 255}},
        {10, {255, 0, 0}},    {11, {255, 127, 127}}, {12, {165, 0, 0}},   {50, {255, 255, 0}},
        {130, {0, 255, 255}}, {249, {38, 19, 23}},   {250, {84, 84, 84}}, {255, {255, 255, 255}},
    };
    for (const Case& c : cases) EXPECT_EQ(CDgnGlobal::GenerateColour(c.index), c.rgb) << c.index;
}

// The seed is the library's resource, found by name and type as a Windows
// module's is: the 1538 bytes of a control element and the end word.
TEST(DgnGlobalTest, TheSeedIsTheModulesResource) {
    const HRSRC seed = FindResourceA(dgn::DgnModule(), "idr_dgnseed1", "DgnSeed");
    ASSERT_NE(seed, nullptr);
    const auto bytes = LoadResource(dgn::DgnModule(), seed);
    EXPECT_EQ(bytes.size(), dgn::kControlLength + 2);
    EXPECT_EQ(bytes.data(), dgn::SeedDesign().data());
    EXPECT_EQ(bytes[1], dgn::kTypeControl);
    EXPECT_EQ(FindResourceA(dgn::DgnModule(), "IDR_DGNSEED2", "DGNSEED"), nullptr);
}

TEST(DgnGlobalTest, TheControlElementOfEachSeed) {
    struct Case {
        const char* what;
        Bytes design;
        bool twoD;
        double units, originX;
    };
    const std::filesystem::path gdal = "/usr/share/gdal";
    const Case cases[] = {
        {"compiled in", Bytes(dgn::SeedDesign().begin(), dgn::SeedDesign().end()), true, 1000, 0},
        {"a 3-D control element", Design(Control(100, 10, -1e6, 0, true), {}), false, 1000, -1e6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMemoryByteSource design(c.design);
        CDgnGlobal global(design);
        ASSERT_EQ(global.ReadElement(), kFgnOk);
        EXPECT_EQ(global.TwoD(), c.twoD);
        EXPECT_EQ(global.UnitsPerMaster(), c.units);
        EXPECT_EQ(global.NegatedOrigin().X(), -c.originX);
        EXPECT_EQ(global.Scales()[0], 1.0);
    }
    if (!std::filesystem::exists(gdal / "seed_3d.dgn"))
        GTEST_SKIP() << "gdal-data is not installed";
    const Bytes seed2 = wlxtest::ReadBytes(gdal / "seed_2d.dgn");
    const Bytes seed3 = wlxtest::ReadBytes(gdal / "seed_3d.dgn");
    CMemoryByteSource two(seed2), three(seed3);
    CDgnGlobal g2(two), g3(three);
    ASSERT_EQ(g2.ReadElement(), kFgnOk);
    ASSERT_EQ(g3.ReadElement(), kFgnOk);
    EXPECT_TRUE(g2.TwoD());
    EXPECT_EQ(g2.SubUnitsPerMaster(), 10);
    EXPECT_EQ(g2.PositionalPerSubUnit(), 12);
    EXPECT_FALSE(g3.TwoD());
    EXPECT_EQ(g3.UnitsPerMaster(), 1000);
}

// The seed comes from the file the settings name, else from memory; no file
// is written either way.
TEST(DgnGlobalTest, TheSeedIsReadFromItsFileOrFromMemory) {
    wlxtest::TempDir dir;
    const std::string settings = (dir / "tsdgn.ini").string();
    iniFile.SetFile(settings.c_str());
    CDgnGlobal writer(nullptr, nullptr, 1, 1, true, 0, 0, 0);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(writer.LoadSeedHeader(bytes), kFgnOk);
    EXPECT_EQ(bytes, Bytes(dgn::SeedDesign().begin(), dgn::SeedDesign().end() - 2));
    EXPECT_EQ(writer.UnitsPerMaster(), 1000);
    EXPECT_FALSE(std::filesystem::exists(dir / "lrgseed.dgn"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);

    // A 3-D writer cannot start from a 2-D seed.
    CDgnGlobal writer3(nullptr, nullptr, 1, 1, false, 0, 0, 0);
    EXPECT_EQ(writer3.LoadSeedHeader(bytes), kFgnNo3d);

    // A seed on disk beside the settings file, with its units and origin in master units.
    const Bytes seed =
        Design(Control(100, 10, -2e6, 5e5), {Element({.type = 3}, LineBody(0, 0, 1, 1))});
    wlxtest::WriteBytes(dir / "myseed.dgn", seed);
    wlxtest::WriteText(dir / "tsdgn.ini", "[General]\nSeedFilePath=myseed.dgn\n");
    iniFile.Refresh();
    ASSERT_EQ(writer.LoadSeedHeader(bytes), kFgnOk);
    EXPECT_EQ(bytes, Bytes(seed.begin(), seed.end() - 2));
    EXPECT_EQ(writer.SubUnitsPerMaster(), 100);
    EXPECT_EQ(writer.NegatedOrigin().X(), 2000);
    EXPECT_EQ(writer.NegatedOrigin().Y(), -500);
    // Reading mode has no seed.
    CMemoryByteSource design(seed);
    CDgnGlobal reader(design);
    EXPECT_EQ(reader.LoadSeedHeader(bytes), kFgnIncomplete);
    EXPECT_EQ(reader.WriteElement(), kFgnIncomplete);
    EXPECT_EQ(writer.ReadElement(), kFgnIncomplete);
    iniFile.SetFile(dgn::kDefaultSettingsFile);
}

TEST(DgnGlobalTest, TheSettingsFileFallsBackOnTheRegistryThenItsDefaultName) {
    wlxtest::TempDir dir;
    EXPECT_EQ(dgn::SettingsFilePath("/x/given.ini"), "/x/given.ini");
    wlxtest::WriteText(dir / "registry.reg",
                       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Velstrom\\Tessaran WLX "
                       "Loader\\6.0]\n\"TSDGNINI_PATH\"=\"/etc/dgn/settings.ini\"\n");
    setenv("WLXCONV_REGISTRY", (dir / "registry.reg").c_str(), 1);
    EXPECT_EQ(dgn::SettingsFilePath(""), "/etc/dgn/settings.ini");
    EXPECT_EQ(dgn::SettingsFilePath(nullptr), "/etc/dgn/settings.ini");
    setenv("WLXCONV_REGISTRY", (dir / "none.reg").c_str(), 1);
    EXPECT_EQ(dgn::SettingsFilePath(""), "tsdgn.ini");
    unsetenv("WLXCONV_REGISTRY");
}
