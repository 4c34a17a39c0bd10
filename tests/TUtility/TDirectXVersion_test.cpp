#include <gtest/gtest.h>

#include "TUtility/TDirectXVersion.h"
#include "platform/testing/win32.h"
#include "platform/win32/module.h"

// Each module hidden in turn lowers the version to the one reached before it.
TEST(TDirectXVersion, ReportsTheVersionReachedBeforeTheFirstMissingModule)
{
    EXPECT_EQ(TDirectXVersion().GetVersion(), 0x801u);
    EXPECT_STREQ(TDirectXVersion().GetText(), "DirectX 8.1 or better");
    const struct {
        const char* module;  // names are matched case-insensitively
        DWORD version;
        const char* text;
    } steps[] = {{"dpnhpast.dll", 0x800, "DirectX 8"}, {"DDRAW.DLL", 0, "No DirectX installed"}};
    for (const auto& step : steps) {
        platform::SetModuleAvailable(step.module, false);
        TDirectXVersion v;
        EXPECT_EQ(v.GetVersion(), step.version) << step.module;
        EXPECT_STREQ(v.GetText(), step.text) << step.module;
    }
    for (const auto& step : steps) {
        platform::SetModuleAvailable(step.module, true);
    }
}
