#include <gtest/gtest.h>

#include "platform/SafeArray.h"

namespace {

TEST(SafeArray, VectorOfBytesWithBoundsAndLockedData) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 5, 3);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(array), 1u);
    std::int32_t lower = 0, upper = 0;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(upper, 7);
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array, 0, &upper), DISP_E_BADINDEX);

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    auto* bytes = static_cast<unsigned char*>(data);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0) << "new arrays are zeroed";
    bytes[2] = 0xAB;
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, ShapesAndElementSizes) {
    SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 1}};
    SAFEARRAY* matrix = SafeArrayCreate(VT_R8, 2, bounds);
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(SafeArrayGetDim(matrix), 2u);
    EXPECT_EQ(SafeArrayGetElemsize(matrix), 8u);
    EXPECT_EQ(matrix->storage.size(), 48u);
    SafeArrayDestroy(matrix);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_UI1, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->pvData, nullptr);
    SafeArrayDestroy(empty);

    SAFEARRAYBOUND huge[] = {{0x10000, 0}, {0x10000, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 2, huge), nullptr) << "more bytes than 32-bit indexes reach";
    EXPECT_EQ(SafeArrayCreateVector(999, 0, 4), nullptr) << "unknown element type";
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 0, bounds), nullptr);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

}  // namespace
