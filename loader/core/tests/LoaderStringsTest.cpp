#include <gtest/gtest.h>

#include <string>

#include "loader/core/LoaderStrings.h"
#include "loader/core/MessageIds.h"

TEST(LoaderStringsTest, IdsAreSortedAndUnique) {
    for (std::size_t i = 1; i < std::size(kLoaderStrings); ++i)
        EXPECT_LT(kLoaderStrings[i - 1].id, kLoaderStrings[i].id)
            << "after " << kLoaderStrings[i - 1].id;
}

TEST(LoaderStringsTest, TheProgramsModuleHoldsTheTable) {
    char buffer[16];
    EXPECT_EQ(LoadStringA(LoaderModule(), kMsgProcessing.Id(), buffer, sizeof buffer), 13);
    EXPECT_STREQ(buffer, "Processing...");
    EXPECT_EQ(LoadStringA(LoaderModule(), kMsgDuplicateFileName.Id(), buffer, 8), 7);
    EXPECT_STREQ(buffer, "*Error*");
    EXPECT_EQ(LoadStringA(LoaderModule(), 1, buffer, sizeof buffer), 0);
}

TEST(LoaderStringsTest, TextsWithPaddingKeepEveryBlank) {
    EXPECT_EQ(FindStringResource(LoaderModule(), kMsgAbortingProcessing.Id()),
              "Aborting processing..." + std::string(87, ' '));
    EXPECT_EQ(FindStringResource(LoaderModule(), kMsgObjectsWritten.Id()).substr(0, 45),
              "Objects written to file:" + std::string(20, ' ') + "\n");
    EXPECT_EQ(FindStringResource(LoaderModule(), kMsgFailedWithErrorCode.Id()),
              "*Error* : The WLX Loader failed with an error code of: ");
    EXPECT_EQ(FindStringResource(LoaderModule(), kMsgDwgOpenFailed.Id()),
              "*Error* : Unable to open DWG file \"%s\". Please ensure the folder is writable and "
              "the file has "
              "read access.");
}
