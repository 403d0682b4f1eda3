#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "coordsys/core/CsCore.h"
#include "projections/LlProjection.h"
#include "projections/ProjectionTable.h"
#include "projections/TmProjection.h"

namespace {

TEST(ProjectionTable, EveryRowIsWellFormed) {
    std::set<std::string> keys;
    std::set<int> codes;
    ASSERT_EQ(cs_ProjectionCount, 64);
    for (int i = 0; i < cs_ProjectionCount; ++i) {
        const CsProjectionEntry& row = cs_ProjectionTable[i];
        std::string key = row.key;
        char name[kCsKeySize];
        std::strcpy(name, row.key);
        EXPECT_EQ(CS_checkKeyName(name), 0) << key;
        EXPECT_TRUE(keys.insert(key).second) << key;
        EXPECT_TRUE(codes.insert(row.code).second) << key;
        EXPECT_GT(std::strlen(row.description), 0u) << key;
        EXPECT_EQ(row.reserved, 0) << key;
        // A family that can be built can be checked.
        if (row.setup != nullptr) {
            EXPECT_NE(row.check, nullptr) << key;
        }
    }
    EXPECT_EQ(cs_ProjectionTable[cs_ProjectionCount].key[0], '\0');
}

TEST(ProjectionTable, RowsOfOneFamilyShareItsCheck) {
    std::map<CsSetupFn, CsCheckFn> checks;
    for (int i = 0; i < cs_ProjectionCount; ++i) {
        const CsProjectionEntry& row = cs_ProjectionTable[i];
        if (row.setup == nullptr) continue;
        auto [it, first] = checks.emplace(row.setup, row.check);
        EXPECT_TRUE(first || it->second == row.check) << row.key;
    }
    EXPECT_EQ(CS_projectionLookupExact("LL")->setup, CS_llSetup);
    const char* tmRows[] = {"TM",      "UTM",      "GAUSSK", "SOTM",
                            "TM-WCCS", "TM-MNDOT", "TMAF",   "TRMRKRG"};
    for (const char* key : tmRows) {
        const CsProjectionEntry* row = CS_projectionLookupExact(key);
        ASSERT_NE(row, nullptr) << key;
        EXPECT_EQ(row->setup, CS_tmSetup) << key;
        EXPECT_EQ(row->check, CS_tmCheck) << key;
    }
}

TEST(ProjectionTable, RowsCarryTheirCodesAndFlags) {
    struct Case {
        const char* key;
        int code;
        std::uint32_t flags;
    } cases[] = {
        {"LL", 1, 0x0500021F},      {"TM", 3, 0x0A004837},     {"UTM", 44, 0x0D004837},
        {"TMAF", 54, 0x0A104837},   {"NERTH", 55, 0x0C020034}, {"RSKEWO", 1287, 0x0E004427},
        {"WINKEL", 63, 0x04001101},
    };
    for (const Case& c : cases) {
        const CsProjectionEntry* row = CS_projectionLookup(c.key);
        ASSERT_NE(row, nullptr) << c.key;
        EXPECT_EQ(row->code, c.code) << c.key;
        EXPECT_EQ(row->flags, c.flags) << c.key;
    }
    EXPECT_STREQ(CS_projectionLookup("LL")->description,
                 "Null Projection, produces/processes Latitude & Longitude");
}

TEST(ProjectionTable, LookupsByKey) {
    EXPECT_EQ(CS_projectionLookup("tm"), CS_projectionLookup("TM"));
    EXPECT_EQ(CS_projectionLookupExact("tm"), nullptr);
    EXPECT_EQ(CS_projectionLookup("NOSUCH"), nullptr);
    EXPECT_EQ(CS_projectionLookup(""), nullptr);
}

}  // namespace
