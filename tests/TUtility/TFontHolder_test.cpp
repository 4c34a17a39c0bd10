#include <gtest/gtest.h>

#include <string>

#include "TUtility/TFontHolder.h"
#include "platform/testing/gdi.h"

namespace {

TEST(TFontHolder, FontIsIpaGothicAndLongFaceNamesAreCut)
{
    TFontHolder holder(9, 18, "ＭＳ ゴシック", 400, 2, 0, 1, 0);
    ASSERT_NE(*holder.GetFont(), nullptr);
    EXPECT_STREQ(platform::GdiFontFamily(*holder.GetFont()), "IPAGothic");

    const std::string name31(31, 'F');
    EXPECT_EQ(std::string(TFontHolder(0, 16, name31, 400, 2, 0, 0, 0).GetDescription().lfFaceName), name31);
    // 16 double-byte characters are 32 bytes; the 32nd cannot stay.
    std::string name32;
    for (int i = 0; i < 16; ++i) {
        name32 += "ゴ";
    }
    TFontHolder cut(0, 16, name32 + "tail", 400, 2, 0, 0, 0);
    EXPECT_EQ(std::string(cut.GetDescription().lfFaceName), name32.substr(0, 31));
    EXPECT_NE(*cut.GetFont(), nullptr);
}

}  // namespace
