#include <gtest/gtest.h>

#include <cstring>

#include "common/ByteOrder.h"
#include "loader/shapefile/DbfTable.h"
#include "testing/TestSupport.h"

namespace {

struct Field {
    std::string name;  // written as the 11 name bytes, NUL-padded
    char type;
    std::uint8_t width;
    std::uint8_t decimals;
};

// A dBASE III file of the given fields and records (each record's fields
// already padded to their widths).
std::vector<std::uint8_t> Dbf(const std::vector<Field>& fields,
                              const std::vector<std::string>& records, std::uint8_t version = 3) {
    std::uint16_t recordLength = 1;
    for (const auto& f : fields) recordLength += f.width;
    const std::uint16_t headerLength = static_cast<std::uint16_t>(32 + 32 * fields.size() + 1);
    std::vector<std::uint8_t> b(32, 0);
    b[0] = version;
    byteorder::StoreU32Le(static_cast<std::uint32_t>(records.size()), &b[4]);
    byteorder::StoreU16Le(headerLength, &b[8]);
    byteorder::StoreU16Le(recordLength, &b[10]);
    for (const auto& f : fields) {
        std::uint8_t d[32] = {};
        std::memcpy(d, f.name.data(), std::min<std::size_t>(f.name.size(), 11));
        d[11] = static_cast<std::uint8_t>(f.type);
        d[16] = f.width;
        d[17] = f.decimals;
        b.insert(b.end(), d, d + 32);
    }
    b.push_back(0x0D);
    for (const auto& r : records) {
        b.push_back(' ');
        b.insert(b.end(), r.begin(), r.end());
    }
    b.push_back(0x1A);
    return b;
}

std::vector<std::string> RowTexts(CDbfTable& table) {
    auto row = MakeCounted<CTableRow>();
    std::vector<std::string> texts;
    EXPECT_EQ(table.FillRow("", *row), 0);
    for (const auto& v : row->GetValues()) texts.push_back(v.GetText());
    return texts;
}

TEST(DbfTable, ReadsFieldsAsColumnsAndRecordsAsTrimmedText) {
    wlxtest::TempDir dir;
    const auto path = dir / "t.dbf";
    wlxtest::WriteBytes(path, Dbf({{std::string("NAME\0junk", 9), 'C', 10, 0},
                                   {"AREA", 'N', 12, 2},
                                   {"COUNT", 'n', 5, 0},
                                   {"OK", 'L', 1, 0}},
                                  {"Rome      "
                                   "       12.50"
                                   "   42"
                                   "T",
                                   "  Ulm     "
                                   "            "
                                   "     "
                                   "?"}));
    auto file = std::make_shared<CWin32File>(path.string());
    ASSERT_EQ(file->OpenRead(), 0);
    CDbfTable table(file);
    ASSERT_EQ(table.ReadHeader(), 0);
    const auto& columns = table.GetSchema().GetColumns();
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[0].name, "NAME");
    EXPECT_EQ(columns[0].type, kColumnText);
    EXPECT_EQ(columns[0].width, 10);
    EXPECT_EQ(columns[1].type, kColumnDouble);
    EXPECT_EQ(columns[1].width, 12);
    EXPECT_EQ(columns[1].decimals, 2);
    EXPECT_EQ(columns[2].type, kColumnInt);
    EXPECT_EQ(columns[3].type, kColumnInt);
    EXPECT_EQ(table.GetName(), "DBFTable");

    EXPECT_EQ(RowTexts(table), (std::vector<std::string>{"Rome", "12.50", "42", "T"}));
    table.Advance();
    EXPECT_EQ(RowTexts(table), (std::vector<std::string>{"Ulm", "", "", "?"}));
    std::string text;
    EXPECT_EQ(table.GetValueText("", 0, text), 0);
    EXPECT_EQ(text, "Ulm");
    // Beyond the last record the shapes have no data.
    table.Advance();
    text = "x";
    EXPECT_EQ(table.GetValueText("", 0, text), kLoaderNoAttributeData);
    EXPECT_EQ(text, "");
    table.Rewind();
    EXPECT_EQ(RowTexts(table)[0], "Rome");
}

TEST(DbfTable, DamagedHeadersGiveAClearStatus) {
    const std::vector<Field> fields{{"A", 'C', 4, 0}};
    auto badVersion = Dbf(fields, {"abcd"}, 0x30);
    auto fieldBeyondRecord = Dbf(fields, {"abcd"});
    fieldBeyondRecord[10] = 3;  // record length 3 < 1 + 4
    auto headerBeyondFile = Dbf(fields, {"abcd"});
    headerBeyondFile[9] = 0x10;
    auto tooShortHeader = Dbf(fields, {"abcd"});
    tooShortHeader[8] = 20;
    auto cut = Dbf(fields, {"abcd"});
    cut.resize(20);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Status status;
    } cases[] = {
        {"version", badVersion, kWlxBadFormat},
        {"field beyond record", fieldBeyondRecord, kWlxBadFormat},
        {"header beyond file", headerBeyondFile, kWlxReadError},
        {"header too short", tooShortHeader, kWlxBadFormat},
        {"cut in the header", cut, kWlxReadError},
    };
    wlxtest::TempDir dir;
    for (const auto& c : cases) {
        const auto path = dir / "bad.dbf";
        wlxtest::WriteBytes(path, c.bytes);
        auto file = std::make_shared<CWin32File>(path.string());
        ASSERT_EQ(file->OpenRead(), 0);
        CDbfTable table(file);
        EXPECT_EQ(table.ReadHeader(), c.status) << c.name;
    }
}

TEST(DbfTable, TruncatedRecordsReadAsNoData) {
    auto bytes = Dbf({{"A", 'C', 4, 0}}, {"abcd", "efgh"});
    bytes.resize(bytes.size() - 3);  // the second record loses its last bytes
    wlxtest::TempDir dir;
    const auto path = dir / "cut.dbf";
    wlxtest::WriteBytes(path, bytes);
    auto file = std::make_shared<CWin32File>(path.string());
    ASSERT_EQ(file->OpenRead(), 0);
    CDbfTable table(file);
    ASSERT_EQ(table.ReadHeader(), 0);
    EXPECT_EQ(RowTexts(table)[0], "abcd");
    table.Advance();
    auto row = MakeCounted<CTableRow>();
    EXPECT_EQ(table.FillRow("", *row), kLoaderNoAttributeData);
    EXPECT_TRUE(row->GetValues().empty());
}

}  // namespace

TEST(CodePage, NamesFromCpgFilesAndLanguageDrivers) {
    const struct {
        const char* cpg;
        int page;
    } cpgs[] = {
        {"1252", 1252},
        {"CP1252", 1252},
        {"windows-1252", 1252},
        {"ANSI 1251", 1251},
        {"ISO-8859-1", 28591},
        {"ISO88591", 28591},
        {"8859-15", 28605},
        {"88591", 28591},
        {"28592", 28592},
        {"OEM 850", 850},
        {"IBM437", 437},
        {"UTF-8\r\n", kCodePageUtf8},
        {"utf8", kCodePageUtf8},
        {"latin1", 28591},
        {"KOI8-R", 20866},
        {"", 0},
        {"SJIS", 0},
        {"932", 0},
        {"ISO-8859-99", 0},
        {"CP1252x", 0},
    };
    for (const auto& c : cpgs) EXPECT_EQ(CodePageFromCpg(c.cpg), c.page) << c.cpg;
    EXPECT_EQ(CodePageFromLanguageDriver(0x57), 28591);
    EXPECT_EQ(CodePageFromLanguageDriver(0x03), 1252);
    EXPECT_EQ(CodePageFromLanguageDriver(0x02), 850);
    EXPECT_EQ(CodePageFromLanguageDriver(0xC9), 1251);
    EXPECT_EQ(CodePageFromLanguageDriver(0x00), 0);
    EXPECT_EQ(CodePageFromLanguageDriver(0x7B), 0);  // Japanese: not a single-byte page

    const CodePageTable* latin1 = FindCodePage(28591);
    const CodePageTable* windows = FindCodePage(1252);
    const CodePageTable* dos = FindCodePage(850);
    ASSERT_TRUE(latin1 && windows && dos);
    EXPECT_EQ(ConvertToUtf8("C\xF4te d'Ivoire", *latin1), "C\xC3\xB4te d'Ivoire");
    EXPECT_EQ(ConvertToUtf8("\x80 \x9C", *windows), "\xE2\x82\xAC \xC5\x93");
    EXPECT_EQ(ConvertToUtf8("\x93", *dos), "\xC3\xB4");
    EXPECT_EQ(ConvertToUtf8("\x81", *windows), "\xEF\xBF\xBD");  // undefined in the page
    EXPECT_EQ(FindCodePage(kCodePageUtf8), nullptr);
}
