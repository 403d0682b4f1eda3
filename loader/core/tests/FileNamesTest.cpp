#include <gtest/gtest.h>

#include "loader/core/FileNames.h"

namespace {

TEST(FileNames, TableFilesCutTheExtensionInTheLastComponentOnly) {
    struct Case {
        const char* output;
        const char* expected;
    } cases[] = {
        {"roads.wlx", "roads_MIDTable.csv"},
        {"out", "out_MIDTable.csv"},
        {"dir.v2/data", "dir.v2/data_MIDTable.csv"},
        {"/tmp/dir.v2/data.wlt", "/tmp/dir.v2/data_MIDTable.csv"},
        {".hidden", ".hidden_MIDTable.csv"},
        {"dir/.hidden", "dir/.hidden_MIDTable.csv"},
        {"a.b.c", "a.b_MIDTable.csv"},
    };
    for (const auto& c : cases) EXPECT_EQ(TableFileName(c.output, "MIDTable", ".csv"), c.expected);
}

TEST(FileNames, MakeFileNameFromNameRemovesForbiddenCharacters) {
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"a:b*c.dwg", "abc.dwg"},
        {"\\/:*?<>|", ""},
        {"Baum \xc3\xa4|x", "Baum \xc3\xa4x"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeFileNameFromName(c.name), c.expected);
}

}  // namespace
