#include <gtest/gtest.h>

#include <vector>

#include "TCommon/Crc32.h"

TEST(Crc32, StandardCheckValueAndEmptyInput)
{
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("a", 1), 0xE8B7BE43u);
    // A non-positive length never touches the buffer.
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
    EXPECT_EQ(Crc32(nullptr, -5), 0u);
}

TEST(Crc32, WholeBufferOnlyAndSensitiveToEveryByte)
{
    std::vector<unsigned char> data(1000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    const auto base = Crc32(data.data(), static_cast<int>(data.size()));
    for (size_t i = 0; i < data.size(); i += 97) {
        data[i] ^= 0x10;
        EXPECT_NE(Crc32(data.data(), static_cast<int>(data.size())), base) << i;
        data[i] ^= 0x10;
    }
    EXPECT_EQ(Crc32(data.data(), static_cast<int>(data.size())), base);
}
