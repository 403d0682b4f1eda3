#include <gtest/gtest.h>

#include <string>

#include "platform/StringTable.h"

TEST(StringTableTest, IdsAreSortedAndUnique) {
    for (const StringResource* r = StringResourcesBegin(); r + 1 < StringResourcesEnd(); ++r)
        EXPECT_LT(r->id, (r + 1)->id) << "after " << r->id;
}

TEST(StringTableTest, LoadStringCopiesCutsAndMisses) {
    char buffer[16];
    EXPECT_EQ(LoadStringA(32006, buffer, sizeof buffer), 13);
    EXPECT_STREQ(buffer, "Processing...");
    EXPECT_EQ(LoadStringA(40001, buffer, 8), 7);
    EXPECT_STREQ(buffer, "*Error*");
    buffer[0] = 'x';
    EXPECT_EQ(LoadStringA(1, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadStringA(32006, buffer, 0), 0);
}

TEST(StringTableTest, TextsWithPaddingKeepEveryBlank) {
    EXPECT_EQ(FindStringResource(50092), "Aborting processing..." + std::string(87, ' '));
    EXPECT_EQ(FindStringResource(32015).substr(0, 45),
              "Objects written to file:" + std::string(20, ' ') + "\n");
    EXPECT_EQ(FindStringResource(44062), "*Error* : The WLX Loader failed with an error code of: ");
    EXPECT_EQ(FindStringResource(40042),
              "*Error* : Unable to open DWG file \"%s\". Please ensure the folder is writable and "
              "the file has "
              "read access.");
}
