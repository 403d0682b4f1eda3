#include <gtest/gtest.h>

#include "loader/app/ConsoleReporter.h"
#include "loader/core/FileInfo.h"
#include "loader/core/LoaderSettings.h"
#include "loader/core/Messages.h"
#include "testing/ConsoleOutput.h"

TEST(ConsoleReporterTest, ProgressPrintsOncePerSecondAndAtEveryHundred) {
    TestConsole console;
    CConsoleReporter reporter(console.out(), console.in());
    std::int64_t now = 7;
    reporter.SetSecondsClock([&] { return now; });
    for (int count = 1; count <= 250; ++count) reporter.ShowProgress(count);
    EXPECT_EQ(console.Text(),
              "Number of Entities Processed: 1\r"
              "Number of Entities Processed: 100\r"
              "Number of Entities Processed: 200\r");
    std::size_t before = console.Text().size();
    now = 8;
    reporter.SetProgressRange(10, 60);
    reporter.ShowProgress(251);
    reporter.ShowProgress(252);
    EXPECT_EQ(console.Text().substr(before), "Processed 251 of 50 Entities\r");
}

// A warning during the progress starts its own line, and the progress goes on
// after it; the summary overwrites the last progress line.
TEST(ConsoleReporterTest, MessagesDuringTheProgressStartTheirOwnLine) {
    TestConsole console;
    CConsoleReporter reporter(console.out(), console.in());
    reporter.SetSecondsClock([] { return std::int64_t{7}; });
    reporter.ShowProgress(1);
    reporter.ShowWarning("Warning : w");
    reporter.ShowWarning("Warning : x");
    reporter.ShowProgress(100);
    CLoaderSettings settings;
    reporter.ShowSummary(&settings);
    const std::string text = console.Text();
    EXPECT_EQ(text.rfind("Number of Entities Processed: 1\r\nWarning : w\nWarning : x\n"
                         "Number of Entities Processed: 100\rObjects written to file:",
                         0),
              0u)
        << text;
}

TEST(ConsoleReporterTest, OverwritePromptRepeatsUntilAnAnswerAndQuitsAtTheEndOfInput) {
    struct Case {
        std::string typed;
        int answer;
        int prompts;
        std::string unread;
    } cases[] = {
        {"x\no\n", 0, 3, "\n"}, {"A", 1, 1, ""},  {"q\n", 2, 1, "\n"},
        {"", 2, 1, ""},         {"zz", 2, 3, ""},
    };
    for (const auto& c : cases) {
        TestConsole console(c.typed);
        CConsoleReporter reporter(console.out(), console.in());
        int answer = -1;
        reporter.AskOverwrite("out.wlx", &answer);
        EXPECT_EQ(answer, c.answer) << c.typed;
        std::string prompt = "(O)verwrite, (A)ppend, (Q)uit?";
        std::string expected = "File: out.wlx already exists.\n";
        for (int i = 0; i < c.prompts; ++i) expected += prompt;
        EXPECT_EQ(console.Text(), expected) << c.typed;
        EXPECT_EQ(console.Unread(), c.unread) << c.typed;
    }
}

TEST(ConsoleReporterTest, UsageListsTheSwitchesInOrder) {
    TestConsole console;
    CConsoleReporter reporter(console.out(), console.in());
    reporter.ShowUsage();
    std::string text = console.Text();
    std::string expected = LoadMessage(kMsgLoaderBanner) + "\n\nSyntax for WLX Loader Version " +
                           kLoaderFileVersion + ":\n\tWLXCONV";
    for (const auto& message :
         {kMsgUsageInputType,    kMsgUsageKif,       kMsgUsageCoordSys,  kMsgUsageNoCsMetadata,
          kMsgUsageCoordPrec,    kMsgUsageMaxPoints, kMsgUsageType,      kMsgUsageGeneralize,
          kMsgUsageNullName,     kMsgUsageNoTest,    kMsgUsageNoExt,     kMsgUsageWriteAction,
          kMsgUsageFile,         kMsgUsageInfo,      kMsgUsageLayer,     kMsgUsageKey,
          kMsgUsageName,         kMsgUsageLink,      kMsgUsageTable,     kMsgUsageBlocks,
          kMsgUsagePl2Pg,        kMsgUsageCsvType,   kMsgUsageLabels,    kMsgUsageHoles,
          kMsgUsageDecodeBlocks, kMsgUsageIns,       kMsgUsageParameters})
        expected += LoadMessage(message);
    expected += "\tWLXCONV /IM test.mif test.wlx\n";
    EXPECT_EQ(text, expected);
}

TEST(ConsoleReporterTest, SummaryTimeAndTextsPrintFinished) {
    TestConsole console;
    CConsoleReporter reporter(console.out(), console.in());
    CLoaderSettings settings;
    settings.pointsWritten = 1;
    settings.polylinesWritten = 2;
    settings.polypolylinesWritten = 3;
    settings.polygonsWritten = 4;
    settings.polypolygonsWritten = 5;
    settings.totalWritten = 15;
    settings.metafilesCreated = 6;
    reporter.ShowSummary(&settings);
    reporter.ShowProcessingTime(1.234);
    reporter.ShowError("100% %s %n");
    EXPECT_EQ(console.Text(),
              "Objects written to file:" + std::string(20, ' ') +
                  "\nPoints: 1\nPolylines: 2\nPolyPolylines: 3\nPolygons: 4\nPolyPolygons: 5\n"
                  "Total: 15\nEMFs created: 6\n"
                  "\nProcessing Time : 1.23 seconds\n"
                  "100% %s %n\n");
}

TEST(ConsoleReporterTest, FileInformationListsWhatTheReaderFound) {
    {
        TestConsole console;
        CConsoleReporter reporter(console.out(), console.in());
        CFileInfo info;
        reporter.ShowFileInfo(&info);
        EXPECT_EQ(console.Text(),
                  "\nListing tables and their contents...\n\n No tables in this file\n"
                  "\nListing layers occupied by map objects...\n\n"
                  " The features in this file are not grouped into layers.\n"
                  "\nListing available blocks...\n\n No blocks in this file\n");
    }
    TestConsole console;
    CConsoleReporter reporter(console.out(), console.in());
    CFileInfo info;
    info.SetDescription("Parcels");
    info.SetVersion("2");
    info.SetFeatureCount(12);
    info.SetPrecision(64);
    info.SetCoordSysKey("LL84");
    info.AddLayer("Roads");
    info.AddLayer("ROADS");
    info.AddLayer("Rivers");
    info.AddBlock("Tree");
    const double extent[4] = {-1.5, 2, 3, 4};
    info.SetSpatialIndexInfo("index", 1, 12, 64, extent, 20, 10);
    reporter.ShowFileInfo(&info);
    EXPECT_EQ(
        console.Text(),
        "File Description : Parcels\nFile Version : 2\nFeature Count : 12\nCoordinate precision : "
        "64\n"
        "Coordinate System Key : LL84\n"
        "\nListing tables and their contents...\n\n No tables in this file\n"
        "\nListing layers occupied by map objects...\n\n Layer[1] : Roads\n Layer[2] : Rivers\n"
        "\nListing available blocks...\n\n Block[1] : Tree\n"
        "\nListing SIF File information...\n\n SIF File Description : index\n SIF File Version : "
        "1\n"
        " SIF Feature Count : 12\n SIF Coordinate Precision : 64\n"
        " SIF Extents : (-1.500000000000000, 2.000000000000000, 3.000000000000000, "
        "4.000000000000000)\n"
        " SIF Entries Per Node (Max, Min) : (20, 10)\n");
}
