#include <gtest/gtest.h>

#include "TCommon/Crc32.h"

TEST(Crc32, StandardCheckValueWholeLengthOnlyAndEmptyInput)
{
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("123456789x", 9), 0xCBF43926u);  // nothing past the length
    EXPECT_EQ(Crc32("a", 1), 0xE8B7BE43u);
    // A non-positive length never touches the buffer.
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    EXPECT_EQ(Crc32(nullptr, -5), 0u);
}
