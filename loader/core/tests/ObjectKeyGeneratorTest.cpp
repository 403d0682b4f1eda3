#include <gtest/gtest.h>

#include "loader/core/ObjectKeyGenerator.h"

namespace {

TEST(ObjectKey, StampDigitsAreBase36AndPaddedWithZeros) {
    // 2024 % 36 = 8; month 12 "C"; day 31 "V"; hour 23 "N"; 0 ms -> "00000".
    EXPECT_EQ(MakeKeyStamp(2024, 12, 31, 23, 0, 0, 0, 35), "8CVN00000Z");
    // (59 * 60 + 59) * 1000 + 999 = 3599999 = "255rz" in base 36; 2016 % 36 = 0.
    EXPECT_EQ(MakeKeyStamp(2016, 1, 1, 0, 59, 59, 999, 36), "0110255rz0");
    EXPECT_EQ(MakeKeyStamp(2016, 1, 1, 0, 0, 1, 1, 0), "0110000rt0");
}

TEST(ObjectKey, KeysShareTheStampAndCountAcrossGenerators) {
    CObjectKeyGenerator first;
    CObjectKeyGenerator second;
    const std::string a = first.MakeObjectKey();
    const std::string b = second.MakeObjectKey();
    const std::string c = first.MakeObjectKey();
    ASSERT_GT(a.size(), 10u);
    EXPECT_EQ(a.substr(0, 10), b.substr(0, 10));
    EXPECT_EQ(a.find(' '), std::string::npos);
    const long n = std::stol(a.substr(10));
    EXPECT_EQ(b.substr(10), std::to_string(n + 1));
    EXPECT_EQ(c.substr(10), std::to_string(n + 2));
}

}  // namespace
