#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "loader/app/CommandLine.h"
#include "loader/app/LoaderApp.h"
#include "loader/core/Messages.h"
#include "testing/ConsoleOutput.h"
#include "testing/TestSupport.h"

namespace {

std::vector<std::string> Tokens(std::string text) {
    std::vector<std::string> tokens;
    char* cursor = text.data();
    while (char* token = NextToken(&cursor)) tokens.emplace_back(token);
    return tokens;
}

// An application whose console is captured, with a command line parsed.
struct Parsed {
    explicit Parsed(std::vector<std::string> args) {
        LoaderHooks hooks;
        hooks.console = console.out();
        hooks.keyboard = console.in();
        app = std::make_unique<CLoaderApp>(&status, hooks);
        args.insert(args.begin(), "wlxconv");
        std::vector<const char*> argv;
        for (const auto& a : args) argv.push_back(a.c_str());
        status = app->ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &usageShown);
    }
    CLoaderSettings& settings() { return *app->Settings(); }
    std::string arg1() { return StatusArg1().value_or("<none>"); }

    TestConsole console;
    Status status = 0;
    int usageShown = -1;
    std::unique_ptr<CLoaderApp> app;
};

}  // namespace

TEST(CommandLineTest, TokensSplitAtBlanksWithTheFirstQuotedPartJoined) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    } cases[] = {
        {"  /IM \"my file.mif\" out", {"/IM", "my file.mif", "out"}},
        {"a\"b c\"d e", {"ab cd", "e"}},
        {"\"a b\" \"c d\"", {"a b", "c d"}},
        {"\"unterminated quote", {"unterminated quote"}},
        {"x\"y\"z \"w", {"xyz", "w"}},  // only the first pair of a token is removed
        {"a\tb  c", {"a\tb", "c"}},     // only the blank ends a token
        {"\t ", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(CommandLineTest, SwitchesSetTheirSettingsInTheTableOrder) {
    using Check = std::function<bool(CLoaderApp&)>;
    struct Case {
        std::string sw;
        Check check;
    } cases[] = {
        {"NOTEST", [](CLoaderApp& a) { return a.Settings()->integrityTest == 0; }},
        {"noext", [](CLoaderApp& a) { return a.Settings()->checkExtension == 0; }},
        {"FILE:", [](CLoaderApp& a) { return a.Settings()->switchFile.empty(); }},
        {"maxpoints:3", [](CLoaderApp& a) { return a.Settings()->maxPoints == 8; }},
        {"MAXPOINTS:9999999", [](CLoaderApp& a) { return a.Settings()->maxPoints == 2097152; }},
        {"MAXPOINTS:500", [](CLoaderApp& a) { return a.Settings()->maxPoints == 500; }},
        {"KEY:COL:Id", [](CLoaderApp& a) { return a.Settings()->keyTemplate == "COL:Id"; }},
        {"KIF",
         [](CLoaderApp& a) {
             return a.Settings()->keyIndex == 1 && a.Settings()->maxKeyLength == 32;
         }},
        {"KIF:",
         [](CLoaderApp& a) {
             return a.Settings()->keyIndex == 1 && a.Settings()->maxKeyLength == 32;
         }},
        {"KIF:12", [](CLoaderApp& a) { return a.Settings()->maxKeyLength == 12; }},
        {"K",
         [](CLoaderApp& a) {
             return a.Settings()->keyIndex == 0 && a.Settings()->keyTemplate.empty();
         }},
        {"NAME:TEXT:x", [](CLoaderApp& a) { return a.Settings()->nameTemplate == "TEXT:x"; }},
        {"LINK:COL:Url", [](CLoaderApp& a) { return a.Settings()->linkTemplate == "COL:Url"; }},
        {"INFO",
         [](CLoaderApp& a) { return a.Settings()->info == 1 && a.Settings()->inputType == 'S'; }},
        {"INS:1",
         [](CLoaderApp& a) {
             return a.Settings()->tableExportKind == 1 && a.Settings()->inputType == 'S';
         }},
        {"IH", [](CLoaderApp& a) { return a.Settings()->inputType == 'H'; }},
        {"ol", [](CLoaderApp& a) { return a.Settings()->outputType == 'l'; }},
        {"COORDPREC:64",
         [](CLoaderApp& a) {
             return a.Settings()->precisionBits == 64 && a.Settings()->precisionCode == 15;
         }},
        {"COORDPREC:32",
         [](CLoaderApp& a) {
             return a.Settings()->precisionBits == 32 && a.Settings()->precisionCode == 7;
         }},
        {"NULLNAME", [](CLoaderApp& a) { return a.Settings()->nullNames == 1; }},
        {"PL2PG", [](CLoaderApp& a) { return a.Settings()->closedPolylinesToPolygons == 1; }},
        {"DECODEBLOCKS", [](CLoaderApp& a) { return a.Settings()->explodeBlocks == 1; }},
        {"LAYER:\"Roads, Rivers\"",
         [](CLoaderApp& a) {
             return a.Settings()->filter.Layers().Names() ==
                    std::vector<std::string>{"Roads", "Rivers"};
         }},
        {"F:Lakes",
         [](CLoaderApp& a) {
             return a.Settings()->filter.Layers().Names() == std::vector<std::string>{"Lakes"};
         }},
        {"HOLES", [](CLoaderApp& a) { return a.Settings()->filter.holes == 1; }},
        {"LABELS", [](CLoaderApp& a) { return a.Settings()->labels == 1; }},
        {"GENERALIZE:100", [](CLoaderApp& a) { return a.Settings()->generalizePercent == 100.0; }},
        {"GENERALIZE:12.5", [](CLoaderApp& a) { return a.Settings()->generalizePercent == 12.5; }},
        {"TABLE:CSV:XY:Parcels",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.tableExportKind == 2 && s.xyColumns == 1 && s.styleTables == 0 &&
                    s.tablesToExport.Patterns().Names() == std::vector<std::string>{"Parcels"};
         }},
        {"TABLE:SQL:STYLE:XY",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.tableExportKind == 1 && s.xyColumns == 1 && s.styleTables == 1 &&
                    s.tablesToExport.Patterns().IsEmpty();
         }},
        {"table:csv:xy:style:A,B",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.styleTables == 1 &&
                    s.tablesToExport.Patterns().Names() == std::vector<std::string>{"A", "B"};
         }},
        {"TABLE:CSV:STYLE:Owners",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.styleTables == 1 && s.xyColumns == 0 &&
                    s.tablesToExport.Patterns().Names() == std::vector<std::string>{"Owners"};
         }},
        {"TABLE:CSV:\"Parcels,Owners\"",
         [](CLoaderApp& a) { return a.Settings()->tablesToExport.Patterns().Count() == 2; }},
        {"TABLE:CSV",
         [](CLoaderApp& a) { return a.Settings()->tablesToExport.Patterns().IsEmpty(); }},
        {"BLOCKS",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.blocksAsMetafiles == 0 && s.explodeBlocks == 0 && s.filter.Blocks().IsEmpty();
         }},
        {"BLOCKS:EMBLEM",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.blocksAsMetafiles == 0 &&
                    s.filter.Blocks().Names() == std::vector<std::string>{"EMBLEM"};
         }},
        {"BLOCKS:EMF:Tree,Lamp",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.blocksAsMetafiles == 1 && s.explodeBlocks == 0 &&
                    s.filter.Blocks().Names() == std::vector<std::string>{"Tree", "Lamp"};
         }},
        {"BLOCKS:EXPLODE:EMF:X",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.blocksAsMetafiles == 1 && s.explodeBlocks == 1 &&
                    s.filter.Blocks().Names() == std::vector<std::string>{"X"};
         }},
        {"BLOCKS:EXPLODE",
         [](CLoaderApp& a) {
             return a.Settings()->explodeBlocks == 1 && a.Settings()->blocksAsMetafiles == 0;
         }},
        {"TYPE:l",
         [](CLoaderApp& a) {
             return a.Settings()->filter.linesEnabled && !a.Settings()->filter.pointsEnabled;
         }},
        {"TYPE:Q",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.warnings == 1 && s.filter.pointsEnabled && s.filter.linesEnabled &&
                    s.filter.polygonsEnabled;
         }},
        {"TP",
         [](CLoaderApp& a) {
             return a.Settings()->csvObjectKind == 5 && a.Settings()->warnings == 0;
         }},
        {"Tl", [](CLoaderApp& a) { return a.Settings()->csvObjectKind == 3; }},
        {"TX",
         [](CLoaderApp& a) {
             return a.Settings()->csvObjectKind == 0 && a.Settings()->csvTypeLetter == 'X' &&
                    a.Settings()->warnings;
         }},
        {"TABLE",
         [](CLoaderApp& a) {
             return a.Settings()->csvTypeLetter == 'A' && a.Settings()->warnings;
         }},
        {"COORDSYS:none",
         [](CLoaderApp& a) { return a.CoordSysNone() == 1 && !a.Settings()->inputCodeGiven; }},
        {"COORDSYS:UTM83-10",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.inputCode == "UTM83-10" && s.inputCodeGiven && !s.outputCodeGiven &&
                    s.outputCode == "LL84";
         }},
        {"COORDSYS:IN:UTM83-10:out:LL83",
         [](CLoaderApp& a) {
             auto& s = *a.Settings();
             return s.inputCode == "UTM83-10" && s.outputCode == "LL83" && s.inputCodeGiven &&
                    s.outputCodeGiven;
         }},
        {"WQ", [](CLoaderApp& a) { return a.Settings()->overwriteAction == 'Q'; }},
        {"NOCSMETADATA", [](CLoaderApp& a) { return a.Settings()->noCoordSysMetadata == 1; }},
    };
    for (const auto& c : cases) {
        Parsed parsed({"/" + c.sw, "/NOEXT", "in", "out"});
        EXPECT_EQ(parsed.status, 0) << c.sw;
        EXPECT_TRUE(c.check(*parsed.app)) << c.sw;
    }
}

TEST(CommandLineTest, FailingSwitchesNameThemselves) {
    for (std::string sw : std::vector<std::string>{"/FOO",
                                                   "/MAXPOINTS:",
                                                   "/KEY:",
                                                   "/KIF:0",
                                                   "/KIF:-3",
                                                   "/COORDPREC:48",
                                                   "/COORDPREC:",
                                                   "/GENERALIZE:0",
                                                   "/GENERALIZE:100.5",
                                                   "/GENERALIZE:abc",
                                                   "/TABLE:XML",
                                                   "/TABLE:",
                                                   "/COORDSYS:",
                                                   "/COORDSYS:IN:UTM83-10:OUT:",
                                                   "/COORDSYS:IN:",
                                                   "/COORDSYS:IN::OUT:LL",
                                                   "/COORDSYS:IN:UTM83-10",
                                                   "/LAYER:",
                                                   "/F:",
                                                   "/I",
                                                   "/O",
                                                   "/T",
                                                   "/W",
                                                   "-",
                                                   "/",
                                                   "/FILE:/nonexistent/switches.txt",
                                                   "/KEY:" + std::string(5000, 'k')}) {
        Parsed parsed({sw, "in.wlx", "out"});
        EXPECT_EQ(parsed.status, kCmdInvalidSwitch) << sw;
        EXPECT_EQ(parsed.arg1(), sw);
        EXPECT_TRUE(parsed.settings().inputName.empty()) << "parsing stops at the failing switch";
    }
}

TEST(CommandLineTest, FileNamesAndTrailingNumbers) {
    struct Case {
        std::vector<std::string> args;
        Status status;
        std::string input, output, arg1;
        int minEntries, maxEntries;
    } cases[] = {
        {{"/IM", "my file.mif", "out"}, 0, "my file.mif", "out.wlx", "<none>", 10, 20},
        {{"/IM", "/OL", "a.MIF", "dir.v2/data"}, 0, "a.MIF", "dir.v2/data.wlt", "<none>", 10, 20},
        {{"/IM", "/OO", "a.mif", "dir.v2/data.x"}, 0, "a.mif", "dir.v2/data", "<none>", 10, 20},
        {{"/IB", "/OO", "/tmp/in.bna", "/tmp/out"}, 0, "/tmp/in.bna", "/tmp/out", "<none>", 10, 20},
        {{"/IB", "-OO", "../in.bna", "./out.txt"}, 0, "../in.bna", "./out", "<none>", 10, 20},
        {{"/IS", "a.wlx", "b", "4", "16"}, 0, "a.wlx", "b.wlx", "<none>", 4, 16},
        {{"/IS", "a.wlx", "b", "0"}, kCmdInvalidParameter, "a.wlx", "b.wlx", "0", 10, 20},
        {{"/IM", "a.mif", "b", "/NOTEST"},
         kCmdInvalidParameter,
         "a.mif",
         "b.wlx",
         "/NOTEST",
         10,
         20},
        {{"/IS", "a.wlx", "b", "4", "16", "x"}, kCmdSyntaxError, "a.wlx", "b.wlx", "<none>", 4, 16},
        {{"/IS", "a.wlx"}, kCmdSyntaxError, "a.wlx", "", "<none>", 10, 20},
        {{"/IS"}, kCmdSyntaxError, "", "", "<none>", 10, 20},
        {{"/IM", "a.txt", "b"}, kCmdWrongExtension, "a.txt", "", "a.txt", 10, 20},
        {{"/IZ", "a", "b"}, 0, "a", "b.wlx", "<none>", 10, 20},
        {{"/IV", "coverage", "b"}, 0, "coverage", "b.wlx", "<none>", 10, 20},
        {{"/IS", "/INFO", "a.wlx"}, 0, "a.wlx", "Unneeded", "<none>", 10, 20},
        {{"/IS", "/INFO", "a.wlx", "b"}, 0, "a.wlx", "Unneeded", "<none>", 10, 20},
        {{"/IS", "a.wlx", std::string(5000, 'o')},
         kCmdInvalidParameter,
         "a.wlx",
         "",
         std::string(5000, 'o'),
         10,
         20},
    };
    for (const auto& c : cases) {
        Parsed parsed(c.args);
        std::string what = c.args.back();
        EXPECT_EQ(parsed.status, c.status) << what;
        EXPECT_EQ(parsed.settings().inputName, c.input) << what;
        EXPECT_EQ(parsed.settings().outputName, c.output) << what;
        EXPECT_EQ(parsed.arg1(), c.arg1) << what;
        EXPECT_EQ(parsed.settings().indexMinEntries, c.minEntries) << what;
        EXPECT_EQ(parsed.settings().indexMaxEntries, c.maxEntries) << what;
    }
    Parsed wrong({"/IM", "a.txt", "b"});
    EXPECT_EQ(StatusArg2().value_or(""), ".mif");
    Parsed info({"/INFO", "/WO", "/TABLE:CSV", "/IS", "a.wlx"});
    EXPECT_EQ(info.settings().overwriteAction, 'A');
    EXPECT_EQ(info.settings().tableExportKind, 0);
}

TEST(CommandLineTest, EmptyCommandLineShowsTheUsage) {
    Parsed parsed({});
    EXPECT_EQ(parsed.status, 0);
    EXPECT_EQ(parsed.usageShown, 1);
    EXPECT_NE(parsed.console.Text().find("Syntax for WLX Loader Version"), std::string::npos);
}

TEST(CommandLineTest, WarningsPrintAndParsingGoesOn) {
    Parsed parsed({"/TX", "/TYPE:Q", "/IC", "a.csv", "b"});
    EXPECT_EQ(parsed.status, 0);
    EXPECT_EQ(parsed.settings().warnings, 1);
    EXPECT_EQ(parsed.console.Text(),
              "Warning : The input switch /TX is invalid.  Using default switch /TM.\n"
              "Warning : Ignoring invalid input switch /TYPE:Q.\n");
}

// Numbers beyond an int never wrap into small ones: /MAXPOINTS clamps them as
// it clamps any value, the other switches and the trailing numbers refuse them.
TEST(CommandLineTest, NumbersBeyondTheRangeOfAnIntClampOrFail) {
    struct Clamped {
        const char* sw;
        int maxPoints;
    } clamped[] = {
        {"/MAXPOINTS:2147483647", 2097152}, {"/MAXPOINTS:2147483648", 2097152},
        {"/MAXPOINTS:4294967304", 2097152}, {"/MAXPOINTS:99999999999999999999999999", 2097152},
        {"/MAXPOINTS:-2147483649", 8},      {"/MAXPOINTS: +64x", 64},
    };
    for (const auto& c : clamped) {
        Parsed parsed({c.sw, "in.wlx", "out"});
        EXPECT_EQ(parsed.status, 0) << c.sw;
        EXPECT_EQ(parsed.settings().maxPoints, c.maxPoints) << c.sw;
    }
    for (const char* sw :
         {"/KIF:4294967297", "/KIF:2147483648", "/KIF:-4294967295", "/COORDPREC:4294967328",
          "/COORDPREC:18446744073709551648", "/INS:4294967297"}) {
        Parsed parsed({sw, "in.wlx", "out"});
        EXPECT_EQ(parsed.status, kCmdInvalidSwitch) << sw;
        EXPECT_EQ(parsed.arg1(), sw);
        EXPECT_EQ(parsed.settings().keyIndex, 0) << sw;
    }
    Parsed largest({"/KIF:2147483647", "in.wlx", "out"});
    EXPECT_EQ(largest.status, 0) << "the writer keeps its own limit, with a warning";
    for (const char* number : {"4294967297", "2147483648", "-4294967295"}) {
        Parsed parsed({"/IS", "a.wlx", "b", number});
        EXPECT_EQ(parsed.status, kCmdInvalidParameter) << number;
        EXPECT_EQ(parsed.arg1(), number);
        EXPECT_EQ(parsed.settings().indexMinEntries, 10) << number;
    }
}

TEST(CommandLineTest, SwitchFilesNestAndAreBounded) {
    wlxtest::TempDir dir;
    // A byte-order mark before the first switch; templates keep their " /".
    wlxtest::WriteText(dir / "inner.txt",
                       "\xEF\xBB\xBF  /NOTEST  \r\n; comment\n-LAYER:Roads, Rivers\n"
                       "/NAME:COL:First/TEXT: /COL:Last\n");
    wlxtest::WriteText(dir / "outer.txt",
                       "/FILE:" + (dir / "inner.txt").string() + "\n/IB\n\n/KIF:8\n");
    Parsed nested({"/FILE:" + (dir / "outer.txt").string(), "in.bna", "out"});
    EXPECT_EQ(nested.status, 0);
    EXPECT_EQ(nested.settings().integrityTest, 0);
    EXPECT_EQ(nested.settings().filter.Layers().Names(),
              (std::vector<std::string>{"Roads", "Rivers"}));
    EXPECT_EQ(nested.settings().nameTemplate, "COL:First/TEXT: /COL:Last");
    EXPECT_EQ(nested.settings().inputType, 'B');
    EXPECT_EQ(nested.settings().maxKeyLength, 8);

    // The fault is named by the file and line it stands in.
    struct Case {
        const char* name;
        std::string text;
        int integrityTest;  // 0 when the lines before the failure were taken
        std::string fault;  // "PATH" stands for the file's own path
    } failures[] = {
        {"self.txt", "/FILE:SELF\n", 1, "/FILE:PATH (PATH, line 1)"},
        {"bad.txt", "/NOTEST\n/FOO\n/KIF\n", 0, "/FOO (PATH, line 2)"},
        {"kif.txt", "\n\n  -KIF:0  \n", 1, "-KIF:0 (PATH, line 3)"},
        {"long.txt", "/LAYER:" + std::string(1100, 'a') + "/NOTEST\n", 1,
         "/LAYER:" + std::string(1016, 'a') + " (PATH, line 1)"},
        {"two.txt", "/NOTEST\n/IB /KIF\n", 0, "/IB /KIF (PATH, line 2)"},
        {"dashes.txt", "-IB\t-OL\n", 1, "-IB\t-OL (PATH, line 1)"},
        {"missing.txt", "/NOTEST\n/FILE:" + (dir / "none.txt").string() + "\n", 0,
         "/FILE:" + (dir / "none.txt").string() + " (PATH, line 2)"},
        {"bom.txt", "\xEF\xBB\xBF/KIF:x\n", 1, "/KIF:x (PATH, line 1)"},
    };
    for (const auto& c : failures) {
        const std::string path = (dir / c.name).string();
        auto place = [&](std::string text) {
            for (auto at = text.find("PATH"); at != std::string::npos; at = text.find("PATH"))
                text.replace(at, 4, path);
            for (auto at = text.find("SELF"); at != std::string::npos; at = text.find("SELF"))
                text.replace(at, 4, path);
            return text;
        };
        wlxtest::WriteText(path, place(c.text));
        Parsed parsed({"/FILE:" + path, "in.wlx", "out"});
        EXPECT_EQ(parsed.status, kCmdInvalidSwitch) << c.name;
        EXPECT_EQ(parsed.arg1(), place(c.fault));
        EXPECT_EQ(parsed.settings().keyIndex, 0) << c.name;
        EXPECT_EQ(parsed.settings().inputType, 'S') << c.name;
        EXPECT_EQ(parsed.settings().integrityTest, c.integrityTest) << c.name;
    }
    // An absolute path after a blank is no second switch.
    wlxtest::WriteText(dir / "path.txt", "/LAYER:Roads /x/y\n");
    Parsed path({"/FILE:" + (dir / "path.txt").string(), "in.wlx", "out"});
    EXPECT_EQ(path.status, 0);
    Parsed directory({"/FILE:" + dir.path().string(), "in.wlx", "out"});
    EXPECT_EQ(directory.status, kCmdInvalidSwitch);
    EXPECT_EQ(directory.arg1(), "/FILE:" + dir.path().string());
}
