#include <gtest/gtest.h>

#include "TUtility/TDirectXVersion.h"
#include "platform/win32/module.h"

namespace {

struct ModuleGuard {
    ~ModuleGuard()
    {
        for (const char* m : {"DDRAW.DLL", "DINPUT.DLL", "D3D8.DLL", "dpnhpast.dll"}) {
            platform::SetModuleAvailable(m, true);
        }
    }
};

}  // namespace

TEST(TDirectXVersion, ReportsTheVersionReachedBeforeTheFirstMissingModule)
{
    ModuleGuard guard;
    {
        TDirectXVersion v;
        EXPECT_EQ(v.GetVersion(), 0x801u);
        EXPECT_STREQ(v.GetText(), "DirectX 8.1 or better");
    }
    platform::SetModuleAvailable("dpnhpast.dll", false);
    EXPECT_EQ(TDirectXVersion::Probe(), 0x800u);
    platform::SetModuleAvailable("d3d8.dll", false);  // names are matched case-insensitively
    {
        TDirectXVersion v;
        EXPECT_EQ(v.GetVersion(), 0x700u);
        EXPECT_STREQ(v.GetText(), "DirectX 7");
    }
    platform::SetModuleAvailable("DINPUT.DLL", false);
    EXPECT_EQ(TDirectXVersion::Probe(), 0x200u);
    platform::SetModuleAvailable("DDRAW.DLL", false);
    {
        TDirectXVersion v;
        EXPECT_EQ(v.GetVersion(), 0u);
        EXPECT_STREQ(v.GetText(), "No DirectX installed");
    }
}

TEST(TDirectXVersion, TextsForEveryKnownNumber)
{
    EXPECT_EQ(TDirectXVersion::TextFor(0x601), "DirectX 6.1");
    EXPECT_EQ(TDirectXVersion::TextFor(0x800), "DirectX 8");
    EXPECT_EQ(TDirectXVersion::TextFor(0x100), "DirectX 1");
    EXPECT_EQ(TDirectXVersion::TextFor(0x400), "Unknown Version");
    EXPECT_EQ(TDirectXVersion::TextFor(0x900), "Unknown Version");
}
