#include <gtest/gtest.h>

#include <string>

#include "TUtility/TFontHolder.h"
#include "TUtility/TSystemInfo.h"
#include "platform/win32/memory.h"
#include "platform/win32/timer.h"

namespace {

TEST(TFontHolder, FontIsIpaGothicAndLongFaceNamesAreCut)
{
    TFontHolder holder(9, 18, "ＭＳ ゴシック", 400, 2, 0, 1, 0);
    EXPECT_EQ(holder.GetDescription().lfHeight, 18);
    EXPECT_EQ(holder.GetDescription().lfCharSet, DEFAULT_CHARSET);
    ASSERT_NE(*holder.GetFont(), nullptr);
    EXPECT_STREQ(platform::GdiFontFamily(*holder.GetFont()), "IPAGothic");
    // Create replaces the font: the old handle is gone.
    const HFONT old = *holder.GetFont();
    holder.Create();
    ASSERT_NE(*holder.GetFont(), nullptr);
    if (*holder.GetFont() != old) {
        EXPECT_FALSE(DeleteObject(old));
    }

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

TEST(TSystemInfo, MemoryRoundingClockWrapAndCpuidBits)
{
    platform::ManualClock::Enable(0);
    TSystemInfo info;  // the measuring second passes on the hand clock
    platform::ManualClock::Disable();
    MEMORYSTATUS status{};
    GlobalMemoryStatus(&status);
    EXPECT_EQ(info.GetMemoryMB(), TSystemInfo::MemoryMB(status.dwTotalPhys));
    // 640 bytes of rounding, not 640 KiB.
    EXPECT_EQ(TSystemInfo::MemoryMB((256ull << 20) - 640), 256u);
    EXPECT_EQ(TSystemInfo::MemoryMB((256ull << 20) - 641), 255u);
    // 5 GHz over one second wraps the low 32 bits: 5e9 - 2^32 ticks.
    EXPECT_EQ(TSystemInfo::ClockMHz(100, 100 + 5000000000ull), 705u);

    TSystemInfo p = info;  // a Pentium III-like processor
    p.DecodeCpuid(0x00001683u, (1u << 0) | (1u << 4) | (1u << 23) | (1u << 25), 1u << 30);
    EXPECT_EQ(p.GetStepping(), 3u);
    EXPECT_EQ(p.GetModel(), 8u);
    EXPECT_EQ(p.GetFamily(), 6u);
    EXPECT_EQ(p.GetType(), 1u);
    EXPECT_TRUE(p.HasFpu() && p.HasTsc() && p.HasMmx() && p.HasSse() && p.HasSse2());  // both from bit 25
    EXPECT_TRUE(!p.Has3DNow() && p.HasExtended3DNow());
}

}  // namespace
