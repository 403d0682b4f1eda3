#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "coordsys/core/CsDictionary.h"
#include "testing/TestSupport.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Reads every record of a dictionary in file order.
template <class Def>
std::vector<Def> ReadAll(std::FILE* (*open)(const char*), int (*read)(std::FILE*, Def*, int*)) {
    std::vector<Def> records;
    std::FILE* file = open("rb");
    EXPECT_NE(file, nullptr) << CS_lastMessage();
    if (file == nullptr) return records;
    Def def;
    int status;
    while ((status = read(file, &def, nullptr)) == 1) records.push_back(def);
    EXPECT_EQ(status, 0) << CS_lastMessage();
    CS_closeDictionary(file);
    return records;
}

class ShippedDictionaries : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
};

TEST_F(ShippedDictionaries, FindEveryRecordByItsKeyInAnyCase) {
    auto ellipsoids = ReadAll<CsEllipsoidDef>(CS_openEllipsoidDictionary, CS_readEllipsoidRecord);
    auto datums = ReadAll<CsDatumDef>(CS_openDatumDictionary, CS_readDatumRecord);
    auto systems = ReadAll<CsCoordSysDef>(CS_openCoordSysDictionary, CS_readCoordSysRecord);
    EXPECT_GE(ellipsoids.size(), 8u);
    EXPECT_GE(datums.size(), 4u);
    EXPECT_GE(systems.size(), 124u);

    for (const auto& e : ellipsoids) {
        CsPtr<CsEllipsoidDef> found(CS_lookupEllipsoid(Lower(e.key).c_str()));
        ASSERT_TRUE(found) << e.key << ": " << CS_lastMessage();
        EXPECT_EQ(std::memcmp(found.get(), &e, sizeof e), 0) << e.key;
    }
    for (const auto& d : datums) {
        CsPtr<CsDatumDef> found(CS_lookupDatum(Lower(d.key).c_str()));
        ASSERT_TRUE(found) << d.key << ": " << CS_lastMessage();
        EXPECT_EQ(std::memcmp(found.get(), &d, sizeof d), 0) << d.key;
    }
    for (const auto& s : systems) {
        CsPtr<CsCoordSysDef> found(CS_lookupCoordSys(Lower(s.key).c_str()));
        ASSERT_TRUE(found) << s.key << ": " << CS_lastMessage();
        EXPECT_EQ(std::memcmp(found.get(), &s, sizeof s), 0) << s.key;
    }
}

TEST_F(ShippedDictionaries, ReportMissingKeysAndBadNames) {
    EXPECT_EQ(CS_lookupCoordSys("NO-SUCH-CS"), nullptr);
    EXPECT_EQ(CS_lastError(), 103);
    EXPECT_STREQ(CS_lastMessage(), "Coordinate system named NO-SUCH-CS does not exist.");
    EXPECT_EQ(CS_lookupDatum("NODATUM"), nullptr);
    EXPECT_EQ(CS_lastError(), 111);
    EXPECT_EQ(CS_lookupEllipsoid("NOELLIPSOID"), nullptr);
    EXPECT_EQ(CS_lastError(), 135);
    // A key longer than a key field is refused, not cut to one that exists.
    EXPECT_EQ(CS_lookupCoordSys("UTM84-10NXXXXXXXXXXXXXXXXX"), nullptr);
    EXPECT_EQ(CS_lastError(), 118);
}

TEST(Dictionary, ChecksTheKeyBeforeOpeningAnyFile) {
    wlxtest::TempDir dir;
    wlxtest::WriteText(dir / "Coordsys.CSD", "");  // but no datum dictionary
    ASSERT_EQ(CS_setDictionaryDirectory(dir.path().string().c_str()), 0);
    EXPECT_EQ(CS_lookupDatum("NAD  27"), nullptr);
    EXPECT_EQ(CS_lastError(), 193);
    EXPECT_EQ(CS_lookupDatum("NAD 27"), nullptr);  // one blank is a valid key
    EXPECT_EQ(CS_lastError(), 109);
    EXPECT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
}

// A copy of the shipped coordinate-system dictionary with one kind of damage.
class DamagedDictionary : public ::testing::Test {
protected:
    void SetUp() override {
        original_ = wlxtest::ReadBytes(wlxtest::BinDir() / kCsCoordSysFile);
        ASSERT_GT(original_.size(), 4u + 2 * kCsCoordSysRecordSize);
    }
    void TearDown() override {
        ASSERT_EQ(CS_setDictionaryDirectory(wlxtest::BinDir().string().c_str()), 0);
    }
    std::string Install(const std::vector<std::uint8_t>& bytes) {
        wlxtest::WriteBytes(dir_ / kCsCoordSysFile, bytes);
        EXPECT_EQ(CS_setDictionaryDirectory(dir_.path().string().c_str()), 0);
        return (dir_ / kCsCoordSysFile).string();
    }
    std::uint8_t* Record(std::vector<std::uint8_t>& bytes, int index) {
        return bytes.data() + 4 + index * kCsCoordSysRecordSize;
    }
    std::vector<std::uint8_t> original_;
    wlxtest::TempDir dir_;
};

TEST_F(DamagedDictionary, EachDamageGivesAnErrorNamingTheFile) {
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        int code;
        bool namesFile;
    } cases[] = {
        {"bad magic", [](auto& b) { b[0] ^= 0xFF; }, 106, true},
        {"truncated record", [](auto& b) { b.resize(b.size() - 100); }, 113, false},
        {"shorter than its magic", [](auto& b) { b.resize(3); }, 113, false},
        {"missing", nullptr, 102, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = original_;
        std::string path;
        if (c.damage) {
            c.damage(bytes);
            path = Install(bytes);
        } else {
            path = Install(bytes);
            std::filesystem::remove(path);
        }
        EXPECT_EQ(CS_lookupCoordSys("LL84"), nullptr) << c.what;
        EXPECT_EQ(CS_lastError(), c.code) << c.what;
        if (c.namesFile) {
            EXPECT_EQ(std::string(CS_lastMessage()),
                      path + " is not a Coodinate System Dictionary.")
                << c.what;
        }
    }
}

TEST_F(DamagedDictionary, ARecordWithAnInvalidKeyIsCorrupt) {
    std::vector<std::uint8_t> bytes = original_;
    std::memcpy(Record(bytes, 0), "**\0", 3);
    Install(bytes);
    std::FILE* file = CS_openCoordSysDictionary("rb");
    ASSERT_NE(file, nullptr);
    CsCoordSysDef def;
    EXPECT_EQ(CS_readCoordSysRecord(file, &def, nullptr), -1);
    EXPECT_EQ(CS_lastError(), 113);
    EXPECT_EQ(CS_readCoordSysRecord(file, &def, nullptr), 1);  // the next one is intact
    CS_closeDictionary(file);
}

TEST_F(DamagedDictionary, OnlyAMagicNumberFindsNothing) {
    std::vector<std::uint8_t> bytes(original_.begin(), original_.begin() + 4);
    Install(bytes);
    EXPECT_EQ(CS_lookupCoordSys("LL84"), nullptr);
    EXPECT_EQ(CS_lastError(), 103);
}

// Stores a plain record through the running-XOR scrambling with `seed`.
void Scramble(std::uint8_t* record, int size, int seedOffset, std::uint8_t seed) {
    // The seed byte is stored as is: choose its plain value so that it is.
    record[seedOffset] = static_cast<std::uint8_t>(seed ^ record[seedOffset - 1]);
    std::uint8_t previous = seed;
    for (int i = 0; i < size; ++i) {
        std::uint8_t plain = record[i];
        record[i] = plain ^ previous;
        previous = plain;
    }
}

TEST_F(DamagedDictionary, ScrambledRecordsReadAsPlainOnes) {
    std::vector<std::uint8_t> bytes = original_;
    const int count = static_cast<int>((bytes.size() - 4) / kCsCoordSysRecordSize);
    std::vector<CsCoordSysDef> plain(count);
    for (int i = 0; i < count; ++i) {
        CS_decodeCoordSys(Record(bytes, i), &plain[i]);
        // Seeds from 0x5A on, skipping 0 (a plain record) as they wrap.
        Scramble(Record(bytes, i), kCsCoordSysRecordSize, kCsCoordSysSeedOffset,
                 static_cast<std::uint8_t>(1 + (0x59 + i) % 255));
    }
    Install(bytes);
    std::FILE* file = CS_openCoordSysDictionary("rb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < count; ++i) {
        CsCoordSysDef def;
        int scrambled = 0;
        ASSERT_EQ(CS_readCoordSysRecord(file, &def, &scrambled), 1);
        EXPECT_EQ(scrambled, 1);
        EXPECT_EQ(std::memcmp(&def, &plain[i], sizeof def), 0) << plain[i].key;
    }
    CS_closeDictionary(file);
    // The scrambled file still sorts by the unscrambled keys.
    for (const char* key : {"LL84", "utm27-10", "UTM84-60S"}) {
        CsPtr<CsCoordSysDef> found(CS_lookupCoordSys(key));
        ASSERT_TRUE(found) << key << ": " << CS_lastMessage();
        EXPECT_EQ(CS_stricmp(found->key, key), 0);
    }
}

TEST(RecordCodec, EncodesFieldByFieldLittleEndian) {
    CsDatumDef datum{};
    std::strcpy(datum.key, "NAD27");
    std::strcpy(datum.ellipsoidKey, "CLRK66");
    datum.deltaX = -8.0;
    datum.bwScale = 0.5;
    datum.method = 4;
    std::uint8_t bytes[kCsDatumRecordSize];
    CS_encodeDatum(datum, bytes);
    EXPECT_STREQ(reinterpret_cast<char*>(bytes + 24), "CLRK66");
    const std::uint8_t minusEight[8] = {0, 0, 0, 0, 0, 0, 0x20, 0xC0};
    EXPECT_EQ(std::memcmp(bytes + 152, minusEight, 8), 0);
    const std::uint8_t half[8] = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
    EXPECT_EQ(std::memcmp(bytes + 200, half, 8), 0);
    EXPECT_EQ(bytes[338], 4);
    EXPECT_EQ(bytes[339], 0);
    CsDatumDef back;
    CS_decodeDatum(bytes, &back);
    EXPECT_EQ(std::memcmp(&back, &datum, sizeof back), 0);
}

TEST(RecordFields, CopiedTextIsZeroFilledAndCutAtACharacterBoundary) {
    char field[6];
    std::memset(field, 'x', sizeof field);
    EXPECT_TRUE(CopyField(field, std::string_view{}));  // no text at all, not even a pointer
    EXPECT_EQ(std::string(field, sizeof field), std::string(sizeof field, '\0'));
    EXPECT_TRUE(CopyField(field, "ab"));
    EXPECT_EQ(std::string(field, sizeof field), std::string("ab\0\0\0\0", 6));
    // "é" would be cut in two by the last byte of room.
    EXPECT_FALSE(CopyField(field, "abcd\xC3\xA9"));
    EXPECT_STREQ(field, "abcd");
}

}  // namespace
