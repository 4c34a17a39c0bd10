#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing/win32.h"
#include "platform/win32/com.h"
#include "platform/win32/msgbox.h"

namespace {

TEST(MessageBox, HookRecordsTheBoxAndAHeadlessRunWritesUtf8ToStderr)
{
    std::vector<platform::MessageBoxRecord> shown;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRecord& box) { shown.push_back(box); });
    EXPECT_EQ(MessageBoxA(nullptr, "多重起動禁止", "警告", MB_ICONWARNING), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "TransactionError", MB_ICONERROR | MB_TOPMOST), IDOK);
    platform::SetMessageBoxHook(nullptr);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "警告");
    EXPECT_EQ(shown[0].text, "多重起動禁止");
    EXPECT_EQ(shown[0].type, 0x30u);
    EXPECT_EQ(shown[1].type, 0x40010u);

    // CTest runs every suite with SDL_VIDEODRIVER=offscreen: no window, not even our own.
    int windows = 0;
    platform::SetMessageWindowObserver([&](const platform::MessageWindowView&) { ++windows; });
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "一行目\r\n二行目", "警告", MB_ICONWARNING), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), reinterpret_cast<const char*>(u8"警告: 一行目\n二行目\n"));
    platform::SetMessageWindowObserver(nullptr);
    EXPECT_EQ(windows, 0);

    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

}  // namespace
