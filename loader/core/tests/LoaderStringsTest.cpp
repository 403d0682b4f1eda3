#include <gtest/gtest.h>

#include <string>

#include "loader/core/LoaderStrings.h"

TEST(LoaderStringsTest, IdsAreSortedAndUnique) {
    for (std::size_t i = 1; i < std::size(kLoaderStrings); ++i)
        EXPECT_LT(kLoaderStrings[i - 1].id, kLoaderStrings[i].id)
            << "after " << kLoaderStrings[i - 1].id;
}

TEST(LoaderStringsTest, TheProgramsModuleHoldsTheTable) {
    char buffer[16];
    EXPECT_EQ(LoadStringA(LoaderModule(), 32006, buffer, sizeof buffer), 13);
    EXPECT_STREQ(buffer, "Processing...");
    EXPECT_EQ(LoadStringA(LoaderModule(), 40001, buffer, 8), 7);
    EXPECT_STREQ(buffer, "*Error*");
    EXPECT_EQ(LoadStringA(LoaderModule(), 1, buffer, sizeof buffer), 0);
}

TEST(LoaderStringsTest, TextsWithPaddingKeepEveryBlank) {
    EXPECT_EQ(FindStringResource(LoaderModule(), 50092),
              "Aborting processing..." + std::string(87, ' '));
    EXPECT_EQ(FindStringResource(LoaderModule(), 32015).substr(0, 45),
              "Objects written to file:" + std::string(20, ' ') + "\n");
    EXPECT_EQ(FindStringResource(LoaderModule(), 44062),
              "*Error* : The WLX Loader failed with an error code of: ");
    EXPECT_EQ(FindStringResource(LoaderModule(), 40042),
              "*Error* : Unable to open DWG file \"%s\". Please ensure the folder is writable and "
              "the file has "
              "read access.");
}
