// The native formats end to end: the real wlxconv writes and reads WLX and
// WLT files made from shapefiles that ogr2ogr writes, checked against
// ogrinfo, PROJ and the bytes of earlier runs.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "nativeformat/WlxFile.h"
#include "nativeformat/tests/IndexChecker.h"
#include "testing/OgrTools.h"
#include "testing/TestSupport.h"

namespace {

namespace fs = std::filesystem;

class NativeProgramTest : public ::testing::Test {
protected:
    // ogr2ogr's shapefile of a fixture of this folder.
    fs::path Shapefile(const fs::path& ogr2ogr, const std::string& fixture) {
        const fs::path shp = dir / (fixture + ".shp");
        wlxtest::MakeShapefile(
            ogr2ogr, wlxtest::SourcePath("nativeformat/tests/data/" + fixture + ".geojson"), shp);
        return shp;
    }

    wlxtest::ProcessResult Run(std::vector<std::string> args) {
        return wlxtest::RunWlxconv(args, InDir());
    }
    wlxtest::RunOptions InDir() {
        wlxtest::RunOptions options;
        options.workingDirectory = dir.path();
        return options;
    }

    // Runs wlxconv and expects it to succeed without warnings.
    void Convert(std::vector<std::string> args) {
        const auto result = Run(args);
        ASSERT_EQ(result.exitCode, 0) << result.out;
    }

    std::string Text(const std::string& name) { return wlxtest::ReadText(dir / name); }
    std::vector<std::uint8_t> Bytes(const std::string& name) {
        return wlxtest::ReadBytes(dir / name);
    }

    wlxtest::TempDir dir;
};

std::string Match(const std::string& text, const std::string& pattern) {
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(pattern))) return "";
    return match[1];
}

std::vector<double> Numbers(const std::string& text) {
    std::vector<double> numbers;
    std::regex number("-?[0-9]+\\.?[0-9]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number);
         it != std::sregex_iterator(); ++it)
        numbers.push_back(std::stod(it->str()));
    return numbers;
}

// Rings of polygons written as WKT: each opens with "(" before a number.
std::size_t WktRings(const std::string& text) {
    std::size_t rings = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '(' &&
            (std::isdigit(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '-'))
            ++rings;
    return rings;
}

std::size_t WlxRings(const fs::path& file) {
    Status status = 0;
    CWlxFile wlx(file.string(), kOpenRead, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(wlx.RewindData(), 0);
    std::size_t rings = 0;
    for (;;) {
        int type = 0;
        if (wlx.NextRecord(type) != 0) break;
        const char *name, *key, *link;
        std::uint32_t count = 0;
        const std::uint32_t* counts;
        const double* points;
        if (type == kWlxPolygonRecord) {
            EXPECT_EQ(wlx.ReadPolygon(name, key, link, count, points), 0);
            ++rings;
        } else if (type == kWlxMultiPolygonRecord) {
            EXPECT_EQ(wlx.ReadMultiPolygon(name, key, link, count, counts, points), 0);
            rings += count;
        } else {
            wlx.SkipRecord();
        }
    }
    return rings;
}

TEST_F(NativeProgramTest, WlxFilesReportWhatOgrinfoReports) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(ogrinfo, "ogrinfo");
    for (const std::string fixture : {"lakes_with_islands", "creeks", "wells"}) {
        SCOPED_TRACE(fixture);
        const fs::path shp = Shapefile(ogr2ogr, fixture);
        Convert({"/IH", "/OS", "/KIF", shp.filename().string(), fixture});
        for (const char* ext : {".wlx", ".sif", ".kif"})
            EXPECT_TRUE(fs::exists(dir / (fixture + ext))) << ext;

        const auto info = Run({"/IS", "/INFO", fixture + ".wlx"});
        ASSERT_EQ(info.exitCode, 0) << info.out;
        const auto ogr = wlxtest::Run(ogrinfo, {"-so", "-al", shp.string()});
        ASSERT_EQ(ogr.exitCode, 0);
        EXPECT_EQ(Match(info.out, "Feature Count : ([0-9]+)"),
                  Match(ogr.out, "Feature Count: ([0-9]+)"));
        EXPECT_EQ(Match(info.out, "SIF Feature Count : ([0-9]+)"),
                  Match(ogr.out, "Feature Count: ([0-9]+)"));
        EXPECT_EQ(Match(info.out, "Coordinate System Key : (\\S+)"), "LL84");
        const auto ours = Numbers(Match(info.out, "SIF Extents : (\\(.*\\))"));
        const auto theirs = Numbers(Match(ogr.out, "Extent: (\\(.*\\))"));
        ASSERT_EQ(ours.size(), 4u) << info.out;
        ASSERT_EQ(theirs.size(), 4u) << ogr.out;
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(ours[i], theirs[i], 1e-5) << i;
    }
    // Each ring of the input is one polygon of the output.
    const auto all =
        wlxtest::Run(ogrinfo, {"-al", "-q", (dir / "lakes_with_islands.shp").string()});
    EXPECT_EQ(WlxRings(dir / "lakes_with_islands.wlx"), WktRings(all.out));
    EXPECT_EQ(WktRings(all.out), 7u);
}

TEST_F(NativeProgramTest, AWlxInputCopiesRecordForRecord) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    const fs::path shp = Shapefile(ogr2ogr, "lakes_with_islands");
    // At 32 bits too: the copy reads back the stored floats, and the summary's
    // extent is that of the stored coordinates.
    for (std::string precision : {"32", "64"}) {
        const std::string first = "first" + precision, second = "second" + precision;
        Convert({"/IH", "/OS", "/COORDPREC:" + precision, "/NAME:COL:name", "/KIF:64",
                 shp.filename().string(), first});
        Convert({"/IS", "/OS", "/KIF:64", first + ".wlx", second});
        for (const char* ext : {".wlx", ".sif", ".kif"})
            EXPECT_EQ(wlxtest::HexDiff(Bytes(first + ext), Bytes(second + ext)), "")
                << precision << ext;
    }
}

TEST_F(NativeProgramTest, AWlxInputKeepsItsSystemUnconverted) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    const fs::path shp = Shapefile(ogr2ogr, "wells");
    // At 64 bits the stored coordinates are the converted ones, extent and all.
    Convert({"/IH", "/OS", "/COORDPREC:64", "/COORDSYS:IN:LL84:OUT:UTM83-10",
             shp.filename().string(), "utm"});
    const auto copy = Run({"/IS", "/OS", "utm.wlx", "copy"});
    ASSERT_EQ(copy.exitCode, 0) << copy.out;
    EXPECT_NE(copy.out.find("Input Coordinate System : UTM83-10"), std::string::npos);
    EXPECT_NE(copy.out.find("Output Coordinate System : UTM83-10"), std::string::npos);
    EXPECT_EQ(wlxtest::HexDiff(Bytes("utm.wlx"), Bytes("copy.wlx")), "");

    // Another system given for the input wins, with a warning.
    const auto given = Run({"/IS", "/OS", "/COORDSYS:IN:UTM27-10:OUT:UTM27-10", "utm.wlx", "g"});
    EXPECT_EQ(given.exitCode, 255) << given.out;
    EXPECT_NE(given.out.find("detected in the file (UTM83-10). UTM27-10 will be used."),
              std::string::npos);
}

TEST_F(NativeProgramTest, SelectionAndNamesOfAWlxInput) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    for (const std::string fixture : {"lakes_with_islands", "creeks", "wells"}) {
        const fs::path shp = Shapefile(ogr2ogr, fixture);
        Convert({"/IH", "/OS", "/NAME:COL:name", shp.filename().string(), fixture});
    }
    // Appended into one file of all three kinds.
    Convert({"/IS", "/OS", "lakes_with_islands.wlx", "all"});
    Convert({"/IS", "/OS", "/WA", "creeks.wlx", "all"});
    Convert({"/IS", "/OS", "/WA", "wells.wlx", "all"});

    struct Case {
        std::vector<std::string> switches;
        const char* headers;  // kind and name of every record, in order
    };
    const Case cases[] = {
        {{}, "P Crater|P Twin \"\"North\"\"|P Pond|L Alder|L Loop|L Forks|M Mill|M Ridge|M Coast|"},
        {{"/TYPE:P"}, "P Crater|P Twin \"\"North\"\"|P Pond|"},
        {{"/TYPE:M", "/TYPE:L"}, "L Alder|L Loop|L Forks|M Mill|M Ridge|M Coast|"},
        // A WLX file has no layers: a layer list selects nothing away.
        {{"/LAYER:Roads"},
         "P Crater|P Twin \"\"North\"\"|P Pond|L Alder|L Loop|L Forks|M Mill|M "
         "Ridge|M Coast|"},
        {{"/TYPE:M", "/NULLNAME"}, "M |M |M |"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"/IS", "/OL", "/WO"};
        args.insert(args.end(), c.switches.begin(), c.switches.end());
        args.insert(args.end(), {"all.wlx", "selected"});
        Convert(args);
        std::string headers;
        std::istringstream lines(Text("selected.wlt"));
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || std::string("LMP").find(line[0]) == std::string::npos) continue;
            headers += line.substr(0, 1) + ' ' + line.substr(3, line.find("\",\"") - 3) + '|';
        }
        EXPECT_EQ(headers, c.headers);
    }
}

TEST_F(NativeProgramTest, TheIntegrityTestRunsUnlessNotest) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    const fs::path shp = Shapefile(ogr2ogr, "wells");
    for (const bool notest : {false, true}) {
        SCOPED_TRACE(notest ? "/NOTEST" : "tested");
        fs::remove(dir / "out.wlx");
        fs::remove(dir / "out.sif");
        Convert({"/IH", "/OS", shp.filename().string(), "out"});
        // The index claims one entry more than it holds.
        auto sif = Bytes("out.sif");
        ++sif[31];
        wlxtest::WriteBytes(dir / "out.sif", sif);
        std::vector<std::string> args = {"/IH", "/OS", "/WA", shp.filename().string(), "out"};
        if (notest) args.insert(args.begin() + 2, "/NOTEST");
        const auto result = Run(args);
        if (notest) {
            EXPECT_EQ(result.exitCode, 0) << result.out;
        } else {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_NE(result.out.find("*Error* : Incorrect feature count in Spatial Index File."),
                      std::string::npos)
                << result.out;
        }
    }
}

// Points of a text file, keyed k<first>, k<first + 1>, ...
std::string WltPoints(int first, int count) {
    std::string text = "#VERSION=2.0\n";
    for (int i = first; i < first + count; ++i)
        text += "M,\"\",\"k" + std::to_string(i) + "\",\"\",1\n" + std::to_string(i % 90) + "," +
                std::to_string(i % 180) + "\n";
    return text;
}

TEST_F(NativeProgramTest, AnIndexThatCannotBeWrittenFailsTheRun) {
    if (!fs::exists("/bin/sh")) GTEST_SKIP() << "no shell";
    // Many points in a text file: the map file (380 KB) fits under the file
    // size limit of 600 KiB, the index (812 KB) does not.
    wlxtest::WriteText(dir / "many.wlt", WltPoints(0, 20000));
    const std::string command = "trap '' XFSZ; ulimit -f 1200; exec '" +
                                wlxtest::WlxconvPath().string() + "' /IL /OS many.wlt out";
    const auto result = wlxtest::Run("/bin/sh", {"-c", command}, InDir());
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_NE(result.out.find("*Error* : An error occurred writing to the Spatial Index File."),
              std::string::npos)
        << result.out;
}

TEST_F(NativeProgramTest, AnAppendToADamagedIndexFailsWithItsError) {
    // Twenty points fill the root leaf at 512; the free leaf list then names
    // that leaf, so the split of the next insert finds no node.
    wlxtest::WriteText(dir / "first.wlt", WltPoints(0, 20));
    wlxtest::WriteText(dir / "more.wlt", WltPoints(20, 5));
    Convert({"/IL", "/OS", "/KIF", "first.wlt", "out"});
    auto sif = Bytes("out.sif");
    const std::vector<std::uint8_t> leaf{0, 0, 2, 0};
    std::copy(leaf.begin(), leaf.end(), sif.begin() + 24);
    wlxtest::WriteBytes(dir / "out.sif", sif);

    const auto result = Run({"/IL", "/OS", "/KIF", "/WA", "more.wlt", "out"});
    EXPECT_EQ(result.exitCode, 1) << result.out;
    EXPECT_NE(result.out.find("*Error* : Invalid node offset in Spatial Index File."),
              std::string::npos)
        << result.out;
    EXPECT_EQ(Bytes("out.sif"), sif) << "the index is as it was";
    // The map holds the record written before the failure; the key index is
    // finished and sound without its entry.
    const auto info = Run({"/IS", "/INFO", "out.wlx"});
    EXPECT_EQ(Match(info.out, "Feature Count : ([0-9]+)"), "21") << info.out;
    const indexcheck::KifTree kif = indexcheck::ReadKif(dir / "out.kif");
    EXPECT_EQ(kif.error, "");
    EXPECT_EQ(kif.featureCount, 20u);
}

TEST_F(NativeProgramTest, WltFilesRoundTrip) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    for (const std::string fixture : {"lakes_with_islands", "creeks", "wells"}) {
        SCOPED_TRACE(fixture);
        const fs::path shp = Shapefile(ogr2ogr, fixture);
        Convert({"/IH", "/OL", "/NAME:COL:name", shp.filename().string(), fixture});
        // The text reproduces itself.
        Convert({"/IL", "/OL", fixture + ".wlt", fixture + "_again"});
        EXPECT_EQ(Text(fixture + ".wlt"), Text(fixture + "_again.wlt"));
        // WLX to WLT and back gives the same objects.
        Convert({"/IH", "/OS", "/NAME:COL:name", shp.filename().string(), fixture});
        Convert({"/IS", "/OL", fixture + ".wlx", fixture + "_text"});
        Convert({"/IL", "/OS", fixture + "_text.wlt", fixture + "_back"});
        Convert({"/IS", "/OL", fixture + "_back.wlx", fixture + "_back_text"});
        EXPECT_EQ(Text(fixture + "_text.wlt"), Text(fixture + "_back_text.wlt"));
        EXPECT_EQ(WlxRings(dir / (fixture + ".wlx")), WlxRings(dir / (fixture + "_back.wlx")));
    }
}

TEST_F(NativeProgramTest, MalformedWltFilesFailWithTheirMessage) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const std::string good = "M,\"a\",\"b\",\"c\",1\n1,2\n";
    const Case cases[] = {
        {"bad header", good + "L,\"a\",\"b\n",
         "*Error* : An error occurred reading from the file.\n          bad.wlt, line 3\n"},
        {"bad point", good + "L,\"a\",\"b\",\"c\",2\n0,0\n\n; a comment\n1;1\n",
         "*Error* : An error occurred reading from the file.\n          bad.wlt, line 7\n"},
        {"count too large", "L,\"a\",\"b\",\"c\",3\n0,0\n1,1\n" + good,
         "*Error* : The number of points specified for a feature in the input WLT file is "
         "incorrect."},
        {"truncated", good + "P,\"a\",\"b\",\"c\",4\n0,0\n1,0\n",
         "*Error* : Unexpected end of file."},
        {"bad WKT",
         "#METADATA_BEGIN=CoordinateSystem\n#GEOGCS[\"LL84\",DATUM[\"nothing\"]]\n"
         "#METADATA_END\n" +
             good,
         "*Error* : Unable to read the coordinate system metadata from the WLT file bad.wlt."},
        {"version", "#VERSION=3.0\n" + good, "*Error* : Invalid WLX version number."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wlxtest::WriteText(dir / "bad.wlt", c.text);
        const auto result = Run({"/IL", "/OL", "/WO", "bad.wlt", "out"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.out.find(c.message), std::string::npos) << result.out;
    }
    // A file of no records is an empty input, not a failure.
    wlxtest::WriteText(dir / "empty.wlt", "#VERSION=2.0\n");
    const auto empty = Run({"/IL", "/OL", "/WO", "empty.wlt", "out"});
    EXPECT_EQ(empty.exitCode, 0) << empty.out;
    EXPECT_NE(empty.out.find("Total: 0"), std::string::npos) << empty.out;
}

TEST_F(NativeProgramTest, ProjectedPointsAgreeWithProj) {
    FIND_TOOL_OR_SKIP(ogr2ogr, "ogr2ogr");
    FIND_TOOL_OR_SKIP(proj, "proj");
    // The loader converts without a datum shift: PROJ on the same ellipsoid.
    wlxtest::RunOptions options;
    options.input = "-122.4194 37.7749\n-125.123456789 48.987654321\n-120.000001 34.5\n";
    const auto expected =
        wlxtest::Run(proj, {"-f", "%.6f", "+proj=utm", "+zone=10", "+ellps=GRS80"}, options);
    const std::vector<double> theirs = Numbers(expected.out);
    ASSERT_EQ(theirs.size(), 6u) << expected.out;

    fs::copy_file(wlxtest::SourcePath("nativeformat/tests/data/wells.csv"), dir / "wells.csv");
    const fs::path shp = Shapefile(ogr2ogr, "wells");
    for (const auto& [type, input] : {std::pair{"/IC", "wells.csv"}, {"/IH", "wells.shp"}}) {
        SCOPED_TRACE(type);
        Convert(
            {type, "/OL", "/WO", "/COORDPREC:64", "/COORDSYS:IN:LL84:OUT:UTM83-10", input, "utm"});
        const std::string text = Text("utm.wlt");
        EXPECT_NE(text.find("#PROJCS[\"UTM83-10\""), std::string::npos);
        std::vector<double> ours;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty() && (std::isdigit(static_cast<unsigned char>(line[0]))))
                for (double v : Numbers(line)) ours.push_back(v);
        ASSERT_EQ(ours.size(), 6u) << text;
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(ours[2 * i + 1], theirs[2 * i], 1e-3) << "easting " << i;
            EXPECT_NEAR(ours[2 * i], theirs[2 * i + 1], 1e-3) << "northing " << i;
        }
    }
}

}  // namespace
